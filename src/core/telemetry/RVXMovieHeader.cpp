// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/telemetry/RVXMovieHeader.h"

#include "core/telemetry/RVXFileReader.h"

#include <cstring>

namespace {

struct Box {
    uint64_t start;
    uint64_t size; // header included
    uint32_t header;
    char type[4];
};

// The box at offset inside [offset, end); nothing for a header that does not fit or a
// size that is smaller than its header or reaches past end.
std::optional<Box> boxAt(const RVXFileReader& file, uint64_t offset, uint64_t end) {
    unsigned char b[16];
    if (offset + 8 > end || !file.read(offset, b, 8))
        return std::nullopt;
    Box box{offset, 0, 8, {}};
    std::memcpy(box.type, b + 4, 4);
    const uint64_t size32 =
        uint64_t(b[0]) << 24 | uint64_t(b[1]) << 16 | uint64_t(b[2]) << 8 | uint64_t(b[3]);
    if (size32 == 1) {
        if (offset + 16 > end || !file.read(offset + 8, b + 8, 8))
            return std::nullopt;
        box.size = 0;
        for (int i = 8; i < 16; ++i)
            box.size = box.size << 8 | b[i];
        box.header = 16;
    } else if (size32 == 0) {
        box.size = end - offset;
    } else {
        box.size = size32;
    }
    if (box.size < box.header || box.size > end - offset)
        return std::nullopt;
    return box;
}

std::optional<Box> findChild(const RVXFileReader& file, uint64_t from, uint64_t end,
                             const char* type) {
    // Far more boxes than any recording has; a damaged file cannot make the walk long.
    for (int i = 0; i < 4096 && from < end; ++i) {
        const std::optional<Box> box = boxAt(file, from, end);
        if (!box)
            return std::nullopt;
        if (std::memcmp(box->type, type, 4) == 0)
            return box;
        from += box->size;
    }
    return std::nullopt;
}

uint64_t bigEndian(const unsigned char* p, int bytes) {
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v = v << 8 | p[i];
    return v;
}

} // namespace

std::optional<double> RVXMovieHeader::durationSeconds(const RVXFileReader& file) {
    const std::optional<Box> moov = findChild(file, 0, file.size(), "moov");
    if (!moov)
        return std::nullopt;
    const std::optional<Box> mvhd =
        findChild(file, moov->start + moov->header, moov->start + moov->size, "mvhd");
    if (!mvhd)
        return std::nullopt;
    // Version 0: 32-bit creation and modification times and duration; version 1: 64-bit.
    unsigned char b[32];
    const uint64_t body = mvhd->start + mvhd->header;
    const uint64_t bodySize = mvhd->size - mvhd->header;
    if (bodySize < 1 || !file.read(body, b, 1))
        return std::nullopt;
    const bool wide = b[0] == 1;
    const uint64_t need = wide ? 32 : 20;
    if (b[0] > 1 || bodySize < need || !file.read(body, b, size_t(need)))
        return std::nullopt;
    const uint64_t timescale = wide ? bigEndian(b + 20, 4) : bigEndian(b + 12, 4);
    const uint64_t duration = wide ? bigEndian(b + 24, 8) : bigEndian(b + 16, 4);
    // All ones: the writer did not know the duration.
    const bool unknown = duration == (wide ? UINT64_MAX : UINT32_MAX);
    if (timescale == 0 || unknown)
        return std::nullopt;
    return double(duration) / double(timescale);
}

std::optional<double> RVXMovieHeader::durationSeconds(const char* path) {
    RVXFileReader file;
    if (!path || !file.open(path))
        return std::nullopt;
    return durationSeconds(file);
}
