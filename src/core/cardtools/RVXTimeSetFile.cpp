// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/cardtools/RVXTimeSetFile.h"

#include "core/support/RVXCFormat.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qsizetype kClockLength = 19;
// Past this a file is no clock file anyone keeps a tail of: it is written over in place
// rather than copied whole.
constexpr qint64 kCopyLimit = 64 * 1024;

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

bool writeAll(int fd, const QByteArray& bytes) {
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// The old way, for a card too full for a second file: the 19 bytes over the old ones.
std::optional<QString> writeInPlace(const QString& path, const QByteArray& text) {
    QFile file(path);
    // ReadWrite, unlike WriteOnly, does not cut the file short.
    if (!file.open(QIODevice::ReadWrite) || !file.seek(0) || file.write(text) != text.size() ||
        !file.flush() || ::fsync(file.handle()) != 0)
        return file.errorString();
    return std::nullopt;
}

} // namespace

QByteArray RVXTimeSetText(const QDate& date, const QTime& time) {
    // Built from the numbers, not a locale's formatter, so no other calendar or digits creep in.
    return RVXCFormat("%04d/%02d/%02d %02d:%02d:%02d", date.year(), date.month(), date.day(),
                      time.hour(), time.minute(), time.second())
        .toLatin1();
}

bool RVXIsClockText(const QByteArray& head) {
    static constexpr char kPattern[] = "dddd/dd/dd dd:dd:dd";
    if (head.size() < kClockLength)
        return false;
    for (qsizetype i = 0; i < kClockLength; ++i) {
        const char c = head[i];
        if (kPattern[i] == 'd' ? (c < '0' || c > '9') : c != kPattern[i])
            return false;
    }
    return true;
}

std::optional<QString> RVXNotAClockFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return std::nullopt;
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return QStringLiteral("%1 is not a clock file (it cannot be read)").arg(path);
    const QByteArray head = file.read(kClockLength);
    if (head.isEmpty() || RVXIsClockText(head))
        return std::nullopt;
    return QStringLiteral("%1 is not a clock file (it does not start with yyyy/MM/dd HH:mm:ss)")
        .arg(path);
}

std::optional<QString> doWriteConfigFile(const QString& path, const QDate& date,
                                         const QTime& time) {
    if (!date.isValid() || !time.isValid() || date.year() < 0 || date.year() > 9999)
        return QStringLiteral("the date or time is not valid");
    const QByteArray text = RVXTimeSetText(date, time);
    // Through a link to the file it names.
    const QFileInfo info(path);
    const QString target = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    QByteArray bytes = text;
    mode_t mode = 0644;
    if (info.exists()) {
        QFile old(target);
        if (!old.open(QIODevice::ReadOnly))
            return old.errorString();
        if (old.size() > kCopyLimit)
            return writeInPlace(target, text);
        // The file is written over from its first byte; a longer one keeps its tail.
        bytes += old.readAll().mid(kClockLength);
        struct stat st {};
        if (::fstat(old.handle(), &st) == 0)
            mode = st.st_mode & 07777;
    }
    // Beside the old file and renamed over it once synced: a crash leaves the old clock
    // file or the new one, never half of either.
    const QFileInfo final(target);
    QByteArray temp = QFile::encodeName(final.absolutePath() + QStringLiteral("/.") +
                                        final.fileName() + QStringLiteral(".XXXXXX"));
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOSPC && info.exists())
            return writeInPlace(target, text);
        return systemError(error);
    }
    int error = 0;
    if (!writeAll(fd, bytes))
        error = errno ? errno : EIO;
    else if (::fsync(fd) != 0)
        error = errno;
    else if (::fchmod(fd, mode) != 0 && errno != EPERM) // FAT keeps no modes
        error = errno;
    if (::close(fd) != 0 && !error)
        error = errno;
    if (!error && ::rename(temp.constData(), QFile::encodeName(target).constData()) != 0)
        error = errno;
    if (error) {
        ::unlink(temp.constData());
        if (error == ENOSPC && info.exists())
            return writeInPlace(target, text);
        return systemError(error);
    }
    const int folder = ::open(QFile::encodeName(final.absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return std::nullopt;
}
