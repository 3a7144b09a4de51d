// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/playback/RVXPlayerSync.h"

#include <algorithm>
#include <cstdlib>

uint64_t RVXPlayerSync::begin() {
    m_waits = 0;
    m_corrections = 0;
    return ++m_generation;
}

RVXPlayerSync::Step RVXPlayerSync::next(const Reading& reading) {
    if (!reading.firstClockMs || !reading.secondClockMs) {
        if (!reading.bothPlaying || m_waits >= kMaxClockWaits) {
            // After a correction the second player was already moved by its own clock;
            // the coarse published position would undo that.
            return {m_corrections == 0 ? Move::CopyPosition : Move::Nothing, 0, false};
        }
        ++m_waits;
        return {Move::Nothing, 0, true};
    }
    m_waits = 0;
    const int64_t lag = *reading.firstClockMs - *reading.secondClockMs;
    // What is left of the lag after a seek is what the seek's delay was misjudged by.
    if (m_corrections > 0)
        m_seekLatencyMs = std::clamp<int64_t>(m_seekLatencyMs + lag, 0, kMaxSeekLatencyMs);
    if (std::abs(lag) <= kFrameMs || m_corrections >= kMaxCorrections)
        return {};
    ++m_corrections;
    return {Move::SeekSecond, *reading.firstClockMs + m_seekLatencyMs, true};
}

std::optional<RVXPlayerSync::Hold> RVXPlayerSync::holdWithinAFrame(const Reading& reading) {
    if (!reading.bothPlaying || !reading.firstClockMs || !reading.secondClockMs)
        return std::nullopt;
    const int64_t lead = *reading.firstClockMs - *reading.secondClockMs;
    if (std::abs(lead) < kMinHoldMs || std::abs(lead) > kFrameMs)
        return std::nullopt;
    return Hold{lead > 0, std::abs(lead)};
}
