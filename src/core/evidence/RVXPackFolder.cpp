// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/evidence/RVXPackFolder.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

namespace {

bool syncPath(const QString& path, bool folder) {
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDONLY | O_CLOEXEC | (folder ? O_DIRECTORY : 0));
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// The files first, then the folders that name them.
std::optional<QString> syncTree(const QString& root) {
    QStringList folders{root};
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        if (info.isSymLink())
            continue;
        if (info.isDir()) {
            folders << path;
            continue;
        }
        if (!syncPath(path, false))
            return QStringLiteral("cannot write %1 to the disk").arg(path);
    }
    for (const QString& f : folders) {
        if (!syncPath(f, true))
            return QStringLiteral("cannot write %1 to the disk").arg(f);
    }
    return std::nullopt;
}

} // namespace

QString RVXPackFolder::markerName() {
    return QStringLiteral(".ruvex-evidence-writing");
}

RVXPackFolder::RVXPackFolder(const QString& target)
    : m_target(target) {
    const QFileInfo t(target);
    m_temp = std::make_unique<QTemporaryDir>(
        QDir(t.absolutePath()).filePath(u'.' + t.fileName() + QStringLiteral("-XXXXXX")));
    if (!m_temp->isValid()) {
        m_error =
            QStringLiteral("cannot make a folder beside %1: %2").arg(target, m_temp->errorString());
        return;
    }
    m_marker = std::make_unique<QLockFile>(m_temp->filePath(markerName()));
    if (!m_marker->tryLock(0))
        m_error = QStringLiteral("cannot write in %1").arg(m_temp->path());
}

RVXPackFolder::~RVXPackFolder() {
    // The marker goes first, its folder after it (unless renamed).
    m_marker.reset();
    m_temp.reset();
}

QDir RVXPackFolder::dir() const {
    return QDir(m_temp->path());
}

std::optional<QString> RVXPackFolder::commit() {
    if (m_error)
        return m_error;
    m_marker->unlock();
    if (auto e = syncTree(m_temp->path()))
        return e;
    if (!QDir().rename(m_temp->path(), m_target))
        return QStringLiteral("cannot rename the pack to %1").arg(m_target);
    m_temp->setAutoRemove(false);
    if (!syncPath(QFileInfo(m_target).absolutePath(), true))
        return QStringLiteral("cannot write %1 to the disk")
            .arg(QFileInfo(m_target).absolutePath());
    return std::nullopt;
}

int RVXPackFolder::clearStale(const QString& parent) {
    int cleared = 0;
    for (const QFileInfo& f : QDir(parent).entryInfoList(QDir::Dirs | QDir::Hidden |
                                                         QDir::NoDotAndDotDot | QDir::NoSymLinks)) {
        const QFileInfo marker(QDir(f.filePath()).filePath(markerName()));
        if (!f.fileName().startsWith(u'.') || marker.isSymLink() || !marker.isFile())
            continue;
        QLockFile lock(marker.filePath());
        // Only a writer that is gone gives up its lock; however old, a live one keeps it.
        lock.setStaleLockTime(0);
        if (!lock.tryLock(0))
            continue;
        if (QDir(f.filePath()).removeRecursively())
            ++cleared;
    }
    return cleared;
}
