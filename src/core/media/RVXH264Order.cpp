// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/media/RVXH264Order.h"

#include <algorithm>
#include <numeric>

namespace {

// Bits of a NAL unit's payload, the emulation prevention bytes taken out; reading past the
// end marks it failed instead of reading on.
class Bits {
public:
    Bits(const uint8_t* data, size_t size) {
        int zeros = 0;
        for (size_t i = 0; i < size; ++i) {
            if (zeros >= 2 && data[i] == 3) {
                zeros = 0;
                continue;
            }
            zeros = data[i] == 0 ? zeros + 1 : 0;
            m_bytes.push_back(data[i]);
        }
    }
    bool failed() const { return m_failed; }
    uint32_t bit() {
        if (m_at >= m_bytes.size() * 8) {
            m_failed = true;
            return 0;
        }
        const uint32_t b = (m_bytes[m_at / 8] >> (7 - m_at % 8)) & 1;
        ++m_at;
        return b;
    }
    uint32_t bits(int n) {
        uint32_t v = 0;
        for (int i = 0; i < n; ++i)
            v = v << 1 | bit();
        return v;
    }
    uint32_t ue() {
        int zeros = 0;
        while (bit() == 0 && !m_failed) {
            if (++zeros > 31) {
                m_failed = true;
                return 0;
            }
        }
        return zeros ? ((1u << zeros) - 1 + bits(zeros)) : 0;
    }
    int32_t se() {
        const uint32_t v = ue();
        return v & 1 ? int32_t((v + 1) / 2) : -int32_t(v / 2);
    }

private:
    std::vector<uint8_t> m_bytes;
    size_t m_at = 0;
    bool m_failed = false;
};

void skipScalingList(Bits& b, int size) {
    int last = 8, next = 8;
    for (int j = 0; j < size && !b.failed(); ++j) {
        if (next != 0)
            next = (last + b.se() + 256) % 256;
        last = next == 0 ? last : next;
    }
}

} // namespace

std::optional<RVXH264Order> RVXH264Order::fromAvcC(const QByteArray& avcC) {
    const auto* d = reinterpret_cast<const uint8_t*>(avcC.constData());
    if (avcC.size() < 8 || (d[5] & 0x1f) < 1)
        return std::nullopt;
    const size_t length = size_t(d[6]) << 8 | d[7];
    if (length < 2 || 8 + length > size_t(avcC.size()))
        return std::nullopt;
    Bits b(d + 9, length - 1); // after the NAL header byte
    RVXH264Order o;
    const uint32_t profile = b.bits(8);
    b.bits(16); // constraints, level
    b.ue();     // sps id
    static const uint32_t high[] = {100, 110, 122, 244, 44, 83, 86, 118, 128, 138, 139, 134, 135};
    if (std::find(std::begin(high), std::end(high), profile) != std::end(high)) {
        const uint32_t chroma = b.ue();
        if (chroma == 3)
            o.m_separateColourPlane = b.bit();
        b.ue();
        b.ue();
        b.bit();
        if (b.bit()) {
            for (int i = 0; i < (chroma != 3 ? 8 : 12); ++i) {
                if (b.bit())
                    skipScalingList(b, i < 6 ? 16 : 64);
            }
        }
    }
    o.m_log2MaxFrameNum = int(b.ue()) + 4;
    if (b.ue() != 0) // picture order count type
        return std::nullopt;
    o.m_log2MaxPocLsb = int(b.ue()) + 4;
    b.ue();  // reference frames
    b.bit(); // gaps
    b.ue();
    b.ue();
    o.m_frameMbsOnly = b.bit();
    if (b.failed() || o.m_log2MaxFrameNum > 16 || o.m_log2MaxPocLsb > 16 || !o.m_frameMbsOnly)
        return std::nullopt;
    return o;
}

std::optional<int64_t> RVXH264Order::next(const uint8_t* nal, size_t size) {
    if (size < 2)
        return std::nullopt;
    const int type = nal[0] & 0x1f;
    const bool reference = (nal[0] & 0x60) != 0;
    Bits b(nal + 1, std::min<size_t>(size - 1, 64));
    b.ue(); // first_mb_in_slice
    b.ue(); // slice_type
    b.ue(); // pps id
    if (m_separateColourPlane)
        b.bits(2);
    b.bits(m_log2MaxFrameNum);
    if (type == 5)
        b.ue(); // idr_pic_id
    const int64_t lsb = b.bits(m_log2MaxPocLsb);
    if (b.failed())
        return std::nullopt;
    if (type == 5)
        m_prevMsb = m_prevLsb = 0;
    const int64_t max = int64_t(1) << m_log2MaxPocLsb;
    int64_t msb = m_prevMsb;
    if (lsb < m_prevLsb && m_prevLsb - lsb >= max / 2)
        msb += max;
    else if (lsb > m_prevLsb && lsb - m_prevLsb > max / 2)
        msb -= max;
    if (reference) {
        m_prevMsb = msb;
        m_prevLsb = lsb;
    }
    return msb + lsb;
}

std::vector<uint32_t> RVXH264Order::compositionOffsets(const std::vector<int64_t>& pocs,
                                                       const std::vector<bool>& idr,
                                                       uint32_t* delay) {
    const size_t n = pocs.size();
    std::vector<int64_t> shown(n, 0); // the display index of each sample
    for (size_t start = 0; start < n;) {
        size_t end = start + 1;
        while (end < n && !(end < idr.size() && idr[end]))
            ++end;
        std::vector<size_t> order(end - start);
        std::iota(order.begin(), order.end(), start);
        std::stable_sort(order.begin(), order.end(),
                         [&](size_t a, size_t b) { return pocs[a] < pocs[b]; });
        for (size_t r = 0; r < order.size(); ++r)
            shown[order[r]] = int64_t(start + r);
        start = end;
    }
    int64_t wait = 0;
    for (size_t i = 0; i < n; ++i)
        wait = std::max(wait, int64_t(i) - shown[i]);
    bool reordered = false;
    std::vector<uint32_t> out(n);
    for (size_t i = 0; i < n; ++i) {
        out[i] = uint32_t(shown[i] - int64_t(i) + wait);
        reordered = reordered || shown[i] != int64_t(i);
    }
    *delay = uint32_t(wait);
    return reordered ? out : std::vector<uint32_t>();
}
