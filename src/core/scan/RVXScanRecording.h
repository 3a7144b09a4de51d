// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/catalogue/RVXTrip.h"

#include <cstddef>
#include <utility>
#include <vector>

class RVXBlackBoxData;
struct RVXGpsData;
struct RVXScanEvent;
struct _SYSTEMTIME;

// A valid RMC fix (status 'A') and the record (sample) it came in.
struct RVXScanFix {
    size_t record;
    const RVXGpsData* gps;
};

// What the scan works from in one recording's telemetry, found once: its valid fixes,
// what each axis reads all along (the mounting and gravity), and where each sample lies
// in camera time. Holds unit and data by address; both must outlive it.
class RVXScanRecording {
public:
    RVXScanRecording(const RVXTripUnit& unit, const RVXBlackBoxData& data);

    const RVXTripUnit& unit() const { return *m_unit; }
    const RVXBlackBoxData& data() const { return *m_data; }
    const std::vector<RVXScanFix>& fixes() const { return m_fixes; }
    size_t samples() const;
    double medianX() const { return m_medianX; }
    double medianY() const { return m_medianY; }
    double medianZ() const { return m_medianZ; }

    // The camera time of sample k, as RVXCardScan::sampleTime gives it, and its seconds
    // into the recording.
    double time(size_t k) const;
    double second(size_t k) const;
    // The samples whose unit seconds lie in [from, to).
    std::pair<size_t, size_t> samplesBetween(double from, double to) const;
    // The camera's seconds the samples span: the unit's length, or without one what the
    // samples' own times say.
    double seconds() const;

    // The valid RMC fixes (status 'A') in record order.
    static std::vector<RVXScanFix> validFixes(const RVXBlackBoxData& data);
    // The speed and, when the fix has one, the position of gps.
    static void placeAt(RVXScanEvent& event, const RVXGpsData& gps);
    static bool hasDate(const _SYSTEMTIME& t);
    // The fix's UTC in seconds; without a date, the time of day alone.
    static double utcSeconds(const _SYSTEMTIME& t);

private:
    const RVXTripUnit* m_unit;
    const RVXBlackBoxData* m_data;
    std::vector<RVXScanFix> m_fixes;
    double m_medianX = 0, m_medianY = 0, m_medianZ = 0;
    // The sample times' rule, judged once (see RVXCardScan::sampleTime).
    bool m_byLength = false;
    bool m_byTimes = false;
};
