// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/cardtools/RVXKeptSettings.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

QString safeLabel(const QString& label) {
    QString out;
    for (QChar c : label.trimmed()) {
        const bool plain = c.unicode() < 128 && (c.isLetterOrNumber() || c == u'-' || c == u'_');
        out += plain ? c : u'_';
    }
    return out.isEmpty() ? QStringLiteral("card") : out;
}

} // namespace

QString RVXKeptSettings::folder() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("kept-settings"));
}

std::variant<RVXKeptSettings::Kept, QString> RVXKeptSettings::keep(const QByteArray& bytes,
                                                                   const QString& label) {
    const QDir dir(folder());
    if (!dir.mkpath(QStringLiteral(".")))
        return QStringLiteral("%1 cannot be made").arg(dir.path());
    const QString stem = QStringLiteral("%1-%2").arg(
        QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")), safeLabel(label));
    // Two copies within a second keep both.
    QString path = dir.filePath(stem + QStringLiteral(".bin"));
    for (int n = 2; QFile::exists(path); ++n)
        path = dir.filePath(QStringLiteral("%1-%2.bin").arg(stem).arg(n));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return QStringLiteral("%1 could not be written: %2").arg(path, file.errorString());
    return Kept{path};
}

std::variant<RVXKeptSettings::Kept, QString> RVXKeptSettings::keepFile(const QString& source,
                                                                       const QString& label) {
    QFile file(source);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("%1 could not be read: %2").arg(source, file.errorString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return QStringLiteral("%1 could not be read: %2").arg(source, file.errorString());
    return keep(bytes, label);
}
