// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

// The camera's files are little-endian whatever the host: every multi-byte number of
// them is read and written through these, never by casting the bytes.
inline uint32_t RVXReadLittleEndian(const unsigned char* p, int width) {
    uint32_t v = 0;
    for (int i = width - 1; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

inline void RVXWriteLittleEndian(unsigned char* p, uint32_t v, int width) {
    for (int i = 0; i < width; ++i, v >>= 8)
        p[i] = uint8_t(v);
}
