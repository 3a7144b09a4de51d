// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/telemetry/RVXFileReader.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

RVXFileReader::~RVXFileReader() {
    if (m_fd >= 0)
        ::close(m_fd);
}

bool RVXFileReader::open(const char* path) {
    // Without the access time kept, a read of a few bytes costs less in the kernel; only
    // the file's owner may ask for that, anyone else opens it plainly.
    m_fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NOATIME);
    if (m_fd < 0 && errno == EPERM)
        m_fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (m_fd < 0)
        return false;
    struct stat info {};
    if (fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(m_fd);
        m_fd = -1;
        return false;
    }
    m_size = uint64_t(info.st_size);
    return true;
}

size_t RVXFileReader::readSome(uint64_t offset, void* out, size_t length) const {
    if (m_fd < 0 || offset >= m_size)
        return 0;
    if (length > m_size - offset)
        length = size_t(m_size - offset);
    size_t done = 0;
    while (done < length) {
        const ssize_t n =
            ::pread(m_fd, static_cast<char*>(out) + done, length - done, off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += size_t(n);
    }
    return done;
}

bool RVXFileReader::read(uint64_t offset, void* out, size_t length) const {
    return readSome(offset, out, length) == length;
}

std::optional<uint32_t> RVXFileReader::bigEndian32(uint64_t offset) const {
    unsigned char b[4];
    if (!read(offset, b, 4))
        return std::nullopt;
    return uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | uint32_t(b[3]);
}
