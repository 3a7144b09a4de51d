// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FormatHelperSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

FormatHelperSystem::FormatHelperSystem() {
    setMounts({});
    qputenv("RUVEX_FORMAT_CARD_TEST_ROOT", QFile::encodeName(m_tree.root()));
    qputenv("RUVEX_FORMAT_CARD", QFile::encodeName(helper()));
}

QString FormatHelperSystem::helper() {
    return QStringLiteral(RUVEX_FORMAT_CARD_PATH);
}

QString FormatHelperSystem::installedHelper() {
    return QStringLiteral(RUVEX_INSTALLED_FORMAT_CARD_PATH);
}

void FormatHelperSystem::addDevice(const QString& image, bool removable, bool partition) {
    const QString name = QFileInfo(image).fileName();
    const QByteArray flag = removable ? "1\n" : "0\n";
    if (!partition) {
        m_tree.file(QStringLiteral("block/%1/removable").arg(name), flag);
        return;
    }
    // As in sysfs: the partition's folder inside its disk's, which says if it is removable.
    m_tree.file(QStringLiteral("disks/%1-disk/removable").arg(name), flag);
    m_tree.file(QStringLiteral("disks/%1-disk/%1/partition").arg(name), "1\n");
    m_tree.folder(QStringLiteral("block"));
    QFile::remove(m_tree.path(QStringLiteral("block/") + name));
    QFile::link(m_tree.path(QStringLiteral("disks/%1-disk/%1").arg(name)),
                m_tree.path(QStringLiteral("block/") + name));
}

void FormatHelperSystem::setMounts(const QString& table) {
    m_tree.file(QStringLiteral("mounts"), table.toUtf8());
}
