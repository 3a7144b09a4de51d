// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/library/RVXLibraryFileCopy.h"

#include "core/support/RVXSha256.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kChunk = size_t(4) << 20;

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

ssize_t readSome(int fd, char* buffer, size_t size) {
    for (;;) {
        const ssize_t n = ::read(fd, buffer, size);
        if (n >= 0 || errno != EINTR)
            return n;
    }
}

bool writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        data += n;
        size -= size_t(n);
    }
    return true;
}

bool diskFull(int error) {
    return error == ENOSPC || error == EDQUOT;
}

class Fd {
public:
    explicit Fd(int fd)
        : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int get() const { return m_fd; }
    void forget() { m_fd = -1; }
    // The close of a written file can be where the disk first says it is full.
    int release() {
        const int r = ::close(m_fd);
        m_fd = -1;
        return r;
    }

private:
    int m_fd;
};

RVXLibraryFileCopy::Result failure(RVXLibraryFileCopy::Error error, QString message) {
    RVXLibraryFileCopy::Result r;
    r.error = error;
    r.message = std::move(message);
    return r;
}

// Reads source to its end, hashing; each chunk goes to out when out is open.
RVXLibraryFileCopy::Result pump(const QString& source, int out,
                                const RVXLibraryFileCopy::Progress& progress,
                                const std::atomic<bool>* cancel) {
    using Error = RVXLibraryFileCopy::Error;
    RVXLibraryFileCopy::Result r;
    Fd in(::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0)
        return failure(Error::Source, QStringLiteral("%1: %2").arg(source, systemError(errno)));
    ::posix_fadvise(in.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    RVXSha256 sha;
    // Not zeroed: a card's worth of files would be a card's worth of memset.
    const std::unique_ptr<char[]> buffer(new char[kChunk]);
    off_t written = 0;
    for (;;) {
        if (cancel && cancel->load())
            return failure(Error::Cancelled, QStringLiteral("cancelled"));
        const ssize_t n = readSome(in.get(), buffer.get(), kChunk);
        if (n < 0)
            return failure(Error::Source, QStringLiteral("%1: %2").arg(source, systemError(errno)));
        if (n == 0)
            break;
        if (out >= 0) {
            if (!writeAll(out, buffer.get(), size_t(n))) {
                const int e = errno;
                return failure(diskFull(e) ? Error::DiskFull : Error::Target, systemError(e));
            }
            // The disk starts on this chunk while the next is read and hashed, so the
            // final fsync waits for little.
            ::sync_file_range(out, written, n, SYNC_FILE_RANGE_WRITE);
            written += n;
        }
        sha.addData(buffer.get(), size_t(n));
        r.size += n;
        if (progress)
            progress(n);
    }
    r.sha256 = QString::fromLatin1(sha.result().toHex());
    return r;
}

} // namespace

QString RVXLibraryFileCopy::temporaryName(const QString& name) {
    return u'.' + name + QStringLiteral(".part");
}

bool RVXLibraryFileCopy::isTemporaryName(const QString& name) {
    return name.startsWith(u'.') && name.endsWith(QLatin1String(".part"));
}

bool RVXLibraryFileCopy::syncFolder(const QString& folder) {
    Fd dir(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return dir.get() >= 0 && ::fsync(dir.get()) == 0;
}

RVXLibraryFileCopy::Result RVXLibraryFileCopy::hash(const QString& path, const Progress& progress,
                                                    const std::atomic<bool>* cancel) {
    return pump(path, -1, progress, cancel);
}

RVXLibraryFileCopy::Result RVXLibraryFileCopy::write(const QString& source, const QString& folder,
                                                     const QString& name, int* fd,
                                                     const Progress& progress,
                                                     const std::atomic<bool>* cancel) {
    *fd = -1;
    const QByteArray temp = QFile::encodeName(folder + u'/' + temporaryName(name));
    ::unlink(temp.constData());
    Fd out(::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (out.get() < 0) {
        const int e = errno;
        return failure(diskFull(e) ? Error::DiskFull : Error::Target,
                       QStringLiteral("%1: %2").arg(QFile::decodeName(temp), systemError(e)));
    }
    Result r = pump(source, out.get(), progress, cancel);
    if (r.error != Error::None) {
        ::unlink(temp.constData());
        return r;
    }
    *fd = out.get();
    out.forget();
    return r;
}

RVXLibraryFileCopy::Result RVXLibraryFileCopy::place(int fd, const QString& folder,
                                                     const QString& name) {
    Fd out(fd);
    const QByteArray temp = QFile::encodeName(folder + u'/' + temporaryName(name));
    const QByteArray target = QFile::encodeName(folder + u'/' + name);
    Result r;
    if (::fsync(out.get()) != 0) {
        const int e = errno;
        r = failure(diskFull(e) ? Error::DiskFull : Error::Target, systemError(e));
    }
    if (r.error == Error::None && out.release() != 0) {
        const int e = errno;
        r = failure(diskFull(e) ? Error::DiskFull : Error::Target, systemError(e));
    }
    struct stat st;
    if (r.error == Error::None && ::lstat(target.constData(), &st) == 0)
        r = failure(Error::Target,
                    QStringLiteral("%1 exists already").arg(QFile::decodeName(target)));
    if (r.error == Error::None && ::rename(temp.constData(), target.constData()) != 0) {
        const int e = errno;
        r = failure(diskFull(e) ? Error::DiskFull : Error::Target, systemError(e));
    }
    if (r.error != Error::None)
        ::unlink(temp.constData());
    return r;
}

RVXLibraryFileCopy::Result RVXLibraryFileCopy::copy(const QString& source, const QString& folder,
                                                    const QString& name, const Progress& progress,
                                                    const std::atomic<bool>* cancel) {
    int fd = -1;
    Result r = write(source, folder, name, &fd, progress, cancel);
    if (r.error != Error::None)
        return r;
    const Result placed = place(fd, folder, name);
    if (placed.error != Error::None)
        return placed;
    if (!syncFolder(folder))
        return failure(Error::Target, QStringLiteral("%1: %2").arg(folder, systemError(errno)));
    return r;
}
