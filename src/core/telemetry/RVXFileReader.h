// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

// Reads a file by absolute seeks. Every read delivers exactly the bytes asked for or
// reports failure; nothing is read past the end.
class RVXFileReader {
public:
    RVXFileReader() = default;
    ~RVXFileReader();
    RVXFileReader(const RVXFileReader&) = delete;
    RVXFileReader& operator=(const RVXFileReader&) = delete;

    bool open(const char* path);
    uint64_t size() const { return m_size; }
    bool read(uint64_t offset, void* out, size_t length) const;
    // Up to length bytes from offset: fewer at the end of the file; the count read.
    size_t readSome(uint64_t offset, void* out, size_t length) const;
    std::optional<uint32_t> bigEndian32(uint64_t offset) const;

private:
    int m_fd = -1;
    uint64_t m_size = 0;
};
