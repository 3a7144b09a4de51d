// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include <cstdint>
#include <optional>
#include <vector>

// The display order of an H.264 stream in decoding order, from the picture order count
// its slices carry (type 0, frames only, which is what cameras write). Without it a stream
// with B-frames would show its pictures in decoding order.
class RVXH264Order {
public:
    // From an avcC; none when its SPS is of a kind this does not follow.
    static std::optional<RVXH264Order> fromAvcC(const QByteArray& avcC);

    // The picture order count of the picture whose first slice NAL unit (header byte
    // included) is nal; none when its header cannot be read.
    std::optional<int64_t> next(const uint8_t* nal, size_t size);

    // Per sample, how many frames its display comes after its decoding, all made at least
    // 0 by delay (the frames the first picture waits); empty when nothing is reordered.
    static std::vector<uint32_t> compositionOffsets(const std::vector<int64_t>& pocs,
                                                    const std::vector<bool>& idr, uint32_t* delay);

private:
    int m_log2MaxFrameNum = 4;
    int m_log2MaxPocLsb = 4;
    bool m_frameMbsOnly = true;
    bool m_separateColourPlane = false;
    int64_t m_prevMsb = 0, m_prevLsb = 0;
};
