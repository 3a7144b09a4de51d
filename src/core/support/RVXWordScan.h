// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

// Text read eight bytes at a time: short records and sentences are scanned a word per
// step instead of a byte per step.
namespace RVXWordScan {

constexpr uint64_t kOnes = 0x0101010101010101ull;
constexpr uint64_t kLow7 = 0x7f7f7f7f7f7f7f7full;
constexpr uint64_t kHigh = 0x8080808080808080ull;

// Eight bytes of text as a word whose lowest byte is the first.
inline uint64_t load(const char* p) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    if constexpr (std::endian::native == std::endian::big)
        word = __builtin_bswap64(word);
    return word;
}

// The high bit of each byte of word that equals c, with no carry between bytes.
inline uint64_t bytesEqual(uint64_t word, char c) {
    const uint64_t x = word ^ (kOnes * uint8_t(c));
    return ~(((x & kLow7) + kLow7) | x | kLow7);
}

// The index in its word of the byte a mark of bytesEqual stands for.
inline int byteOf(uint64_t marks) {
    return std::countr_zero(marks) >> 3;
}

} // namespace RVXWordScan
