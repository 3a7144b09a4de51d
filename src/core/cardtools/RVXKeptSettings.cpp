// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/cardtools/RVXKeptSettings.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString safeLabel(const QString& label) {
    QString out;
    for (QChar c : label.trimmed()) {
        const bool plain = c.unicode() < 128 && (c.isLetterOrNumber() || c == u'-' || c == u'_');
        out += plain ? c : u'_';
    }
    return out.isEmpty() ? QStringLiteral("card") : out;
}

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
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
    // The copies hold the Wi-Fi password and the plate: the folder is the user's alone,
    // also where an earlier version left it open.
    const QByteArray folderName = QFile::encodeName(dir.path());
    if (::chmod(folderName.constData(), 0700) != 0)
        return QStringLiteral("%1 cannot be made private: %2").arg(dir.path(), systemError());
    // Written whole under a name of its own and synced before it takes its real name.
    QByteArray temp = QFile::encodeName(dir.filePath(QStringLiteral(".keeping-XXXXXX")));
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return QStringLiteral("%1 could not be written: %2").arg(dir.path(), systemError());
    bool written = ::fchmod(fd, 0600) == 0;
    for (qsizetype done = 0; written && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        written = n > 0;
        done += n > 0 ? n : 0;
    }
    written = written && ::fsync(fd) == 0;
    const QString error = written ? QString() : systemError();
    ::close(fd);
    const auto discard = [&](const QString& why) {
        ::unlink(temp.constData());
        return QStringLiteral("%1 could not be written: %2").arg(dir.path(), why);
    };
    if (!written)
        return discard(error);
    const QString stem = QStringLiteral("%1-%2").arg(
        QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")), safeLabel(label));
    // Two copies within a second keep both: link() never takes a name that exists.
    QString path = dir.filePath(stem + QStringLiteral(".bin"));
    for (int n = 2;; ++n) {
        const QByteArray name = QFile::encodeName(path);
        if (::link(temp.constData(), name.constData()) == 0)
            break;
        int error = errno;
        // A filesystem without hard links: the name checked first, then taken.
        if (error == EPERM || error == EOPNOTSUPP) {
            if (QFile::exists(path))
                error = EEXIST;
            else if (::rename(temp.constData(), name.constData()) == 0)
                break;
            else
                error = errno;
        }
        if (error != EEXIST) {
            errno = error;
            return discard(systemError());
        }
        path = dir.filePath(QStringLiteral("%1-%2.bin").arg(stem).arg(n));
    }
    ::unlink(temp.constData());
    const int folderFd = ::open(folderName.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
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
