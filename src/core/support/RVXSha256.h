// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QCryptographicHash>

#include <cstddef>
#include <cstdint>

// SHA-256 on the processor's SHA instructions where it has them (x86 since about 2017),
// some five times QCryptographicHash's speed, which is what an import of a card reads at;
// elsewhere QCryptographicHash itself.
class RVXSha256 {
public:
    RVXSha256();
    void addData(const char* data, size_t size);
    // The 32 bytes; call once.
    QByteArray result();
    static bool accelerated();

private:
    void compress(const uint8_t* blocks, size_t count);

    bool m_accelerated;
    QCryptographicHash m_fallback{QCryptographicHash::Sha256};
    uint32_t m_state[8];
    uint8_t m_buffer[64];
    size_t m_buffered = 0;
    uint64_t m_length = 0;
};
