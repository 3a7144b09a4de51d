// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/support/RVXSha256.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>
#define RVX_SHA_X86 1
#endif

namespace {

constexpr uint32_t kInitial[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                  0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

#ifdef RVX_SHA_X86
alignas(16) constexpr uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

bool cpuHasSha() {
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d))
        return false;
    const bool ssse3 = c & (1u << 9), sse41 = c & (1u << 19);
    if (!__get_cpuid_count(7, 0, &a, &b, &c, &d))
        return false;
    return ssse3 && sse41 && (b & (1u << 29));
}

// Four rounds a step: the message words of step i are w[i % 4], and the schedule for the
// steps ahead is worked out on the way (msg1 three steps before its words are used, msg2
// one step before), as the instructions are meant to be paired.
__attribute__((target("sha,sse4.1,ssse3"))) void compressSha(uint32_t state[8], const uint8_t* data,
                                                             size_t blocks) {
    const __m128i swap = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
    __m128i tmp = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[0]));
    __m128i state1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[4]));
    tmp = _mm_shuffle_epi32(tmp, 0xB1);               // CDAB
    state1 = _mm_shuffle_epi32(state1, 0x1B);         // EFGH
    __m128i state0 = _mm_alignr_epi8(tmp, state1, 8); // ABEF
    state1 = _mm_blend_epi16(state1, tmp, 0xF0);      // CDGH
    for (; blocks > 0; --blocks, data += 64) {
        const __m128i abef = state0, cdgh = state1;
        __m128i w[4];
        for (int i = 0; i < 16; ++i) {
            if (i < 4)
                w[i] = _mm_shuffle_epi8(
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * i)), swap);
            __m128i msg = _mm_add_epi32(
                w[i % 4], _mm_load_si128(reinterpret_cast<const __m128i*>(&kRound[4 * i])));
            state1 = _mm_sha256rnds2_epu32(state1, state0, msg);
            if (i >= 3 && i < 15) {
                const __m128i t = _mm_alignr_epi8(w[i % 4], w[(i + 3) % 4], 4);
                w[(i + 1) % 4] = _mm_sha256msg2_epu32(_mm_add_epi32(w[(i + 1) % 4], t), w[i % 4]);
            }
            msg = _mm_shuffle_epi32(msg, 0x0E);
            state0 = _mm_sha256rnds2_epu32(state0, state1, msg);
            if (i >= 1 && i < 13)
                w[(i + 3) % 4] = _mm_sha256msg1_epu32(w[(i + 3) % 4], w[i % 4]);
        }
        state0 = _mm_add_epi32(state0, abef);
        state1 = _mm_add_epi32(state1, cdgh);
    }
    tmp = _mm_shuffle_epi32(state0, 0x1B);       // FEBA
    state1 = _mm_shuffle_epi32(state1, 0xB1);    // DCHG
    state0 = _mm_blend_epi16(tmp, state1, 0xF0); // DCBA
    state1 = _mm_alignr_epi8(state1, tmp, 8);    // HGFE
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[0]), state0);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[4]), state1);
}
#endif

} // namespace

bool RVXSha256::accelerated() {
#ifdef RVX_SHA_X86
    static const bool has = cpuHasSha();
    return has;
#else
    return false;
#endif
}

RVXSha256::RVXSha256()
    : m_accelerated(accelerated()) {
    std::memcpy(m_state, kInitial, sizeof m_state);
}

void RVXSha256::compress(const uint8_t* blocks, size_t count) {
#ifdef RVX_SHA_X86
    compressSha(m_state, blocks, count);
#else
    (void)blocks;
    (void)count;
#endif
}

void RVXSha256::addData(const char* data, size_t size) {
    if (!m_accelerated) {
        m_fallback.addData(QByteArrayView(data, qsizetype(size)));
        return;
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(data);
    m_length += size;
    if (m_buffered > 0) {
        const size_t take = std::min(size, 64 - m_buffered);
        std::memcpy(m_buffer + m_buffered, bytes, take);
        m_buffered += take;
        bytes += take;
        size -= take;
        if (m_buffered < 64)
            return;
        compress(m_buffer, 1);
        m_buffered = 0;
    }
    compress(bytes, size / 64);
    bytes += size / 64 * 64;
    m_buffered = size % 64;
    std::memcpy(m_buffer, bytes, m_buffered);
}

QByteArray RVXSha256::result() {
    if (!m_accelerated)
        return m_fallback.result();
    const uint64_t bits = m_length * 8;
    uint8_t tail[128] = {};
    std::memcpy(tail, m_buffer, m_buffered);
    tail[m_buffered] = 0x80;
    const size_t blocks = m_buffered + 1 + 8 <= 64 ? 1 : 2;
    for (int i = 0; i < 8; ++i)
        tail[blocks * 64 - 1 - i] = uint8_t(bits >> (8 * i));
    compress(tail, blocks);
    QByteArray out(32, Qt::Uninitialized);
    for (int i = 0; i < 8; ++i) {
        out[4 * i] = char(m_state[i] >> 24);
        out[4 * i + 1] = char(m_state[i] >> 16);
        out[4 * i + 2] = char(m_state[i] >> 8);
        out[4 * i + 3] = char(m_state[i]);
    }
    return out;
}
