// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/scan/RVXCardScan.h"
#include "core/telemetry/RVXGpsData.h"

#include <optional>
#include <vector>

class RVXScanRecording;

// Impacts and harsh speed changes along a drive, fed the stretches of its recordings in
// the order they play: a knock or a braking that runs over the border of two recordings
// is one event, and a second two overlapping recordings both hold is fed only once, from
// the one that plays there.
class RVXDriveFindings {
public:
    explicit RVXDriveFindings(const RVXScanSettings& settings);

    // The samples [first, end) of recording, and its valid fixes in them. The recording's
    // telemetry need not outlive the call; its unit must outlive the findings.
    void add(const RVXScanRecording& recording, size_t first, size_t end);
    // Closes an impact still open; call once after the last stretch.
    void finish();

    // In the order found.
    const std::vector<RVXScanEvent>& impacts() const { return m_impacts; }
    const std::vector<RVXScanEvent>& harshEvents() const { return m_harsh; }

private:
    void addSample(const RVXScanRecording& recording, size_t k);
    void addFix(const RVXScanRecording& recording, const RVXScanFix& fix);
    void closeImpact();

    RVXScanSettings m_settings;

    bool m_open = false;
    double m_lastOver = 0;
    double m_peakMagnitude = 0;
    // Bits 1, 2, 4: the axes x, y, z over their threshold in the open impact.
    unsigned m_axes = 0;
    RVXScanEvent m_peak;
    std::vector<RVXScanEvent> m_impacts;

    // The fix before the next one. Within a stretch it points into the recording; at the
    // stretch's end it is copied, as the recording may be gone when the next one comes.
    struct LastFix {
        const RVXGpsData* gps = nullptr;
        RVXGpsData kept;
        double utc = 0;
        double moment = 0;
        const RVXTripUnit* unit = nullptr;
    };
    std::optional<LastFix> m_last;
    int m_sign = 0;
    std::vector<RVXScanEvent> m_harsh;
};
