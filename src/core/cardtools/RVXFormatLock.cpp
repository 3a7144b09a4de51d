// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/cardtools/RVXFormatLock.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
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

// A folder no one but this user can put anything in: the user's, and closed to others.
bool isPrivateFolder(const QString& path) {
    struct stat st {};
    return QDir::isAbsolutePath(path) && ::stat(QFile::encodeName(path).constData(), &st) == 0 &&
           S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
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
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (isPrivateFolder(runtime))
        return QDir::cleanPath(runtime);
    // A session without a runtime folder (no logind, a su shell): the user's own cache.
    const QString cache =
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
            .filePath(QStringLiteral("ruvex/locks"));
    if (QDir().mkpath(cache))
        ::chmod(QFile::encodeName(cache).constData(), 0700);
    return cache;
}

QString RVXFormatLock::lockPath(const QString& device) {
    return QDir(lockFolder()).filePath(lockName(device));
}

std::optional<RVXFormatLock> RVXFormatLock::acquire(const QString& device, QString* why) {
    const QString path = lockPath(device);
    const auto refuse = [&](const QString& reason) {
        if (why)
            *why = QStringLiteral("%1 cannot be locked: %2").arg(path, reason);
        return std::nullopt;
    };
    // Whatever lies there, opening it never waits (a FIFO would wait for a writer), and
    // never follows a link.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0)
        return refuse(systemError());
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        ::close(fd);
        return refuse(QStringLiteral("it is not a file of this user's"));
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error != EWOULDBLOCK) {
            errno = error;
            return refuse(systemError());
        }
        if (why)
            *why = QStringLiteral("%1 is being formatted already").arg(device);
        return std::nullopt;
    }
    return RVXFormatLock(fd);
}
