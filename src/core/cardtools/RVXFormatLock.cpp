// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/cardtools/RVXFormatLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

QString lockName(const QString& device) {
    QString name = device;
    for (QChar& c : name) {
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'.' && c != u'-')
            c = u'_';
    }
    return QStringLiteral("ruvex-format-%1.lock").arg(name);
}

} // namespace

RVXFormatLock::RVXFormatLock(int fd)
    : m_fd(fd) {}

RVXFormatLock::RVXFormatLock(RVXFormatLock&& other) noexcept
    : m_fd(other.m_fd) {
    other.m_fd = -1;
}

RVXFormatLock::~RVXFormatLock() {
    // The file stays: removing a lock file races with the next one to open it.
    if (m_fd >= 0)
        ::close(m_fd);
}

QString RVXFormatLock::lockFolder() {
    const QFileInfo runLock(QStringLiteral("/run/lock"));
    if (runLock.isDir() && runLock.isWritable())
        return runLock.filePath();
    return QDir::tempPath();
}

std::optional<RVXFormatLock> RVXFormatLock::acquire(const QString& device, QString* why) {
    const QString path = QDir(lockFolder()).filePath(lockName(device));
    // Never through a link another user planted; readable by all, so that every user's
    // format of the device meets the same lock.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (why)
            *why = QStringLiteral("%1 cannot be locked: %2")
                       .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return std::nullopt;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        if (why)
            *why = QStringLiteral("%1 is being formatted already").arg(device);
        return std::nullopt;
    }
    return RVXFormatLock(fd);
}
