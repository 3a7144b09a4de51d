// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/scan/RVXDriveFindings.h"

#include "core/scan/RVXScanRecording.h"
#include "core/telemetry/RVXBlackBoxData.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kKnotsToMs = 0.514444;
} // namespace

RVXDriveFindings::RVXDriveFindings(const RVXScanSettings& settings)
    : m_settings(settings) {}

void RVXDriveFindings::add(const RVXScanRecording& recording, size_t first, size_t end) {
    end = std::min(end, recording.samples());
    for (size_t k = first; k < end; ++k)
        addSample(recording, k);
    const std::vector<RVXScanFix>& fixes = recording.fixes();
    const auto from = std::lower_bound(fixes.begin(), fixes.end(), first,
                                       [](const RVXScanFix& f, size_t r) { return f.record < r; });
    for (auto f = from; f != fixes.end() && f->record < end; ++f)
        addFix(recording, *f);
    if (m_last && m_last->gps != &m_last->kept) {
        m_last->kept = *m_last->gps;
        m_last->gps = &m_last->kept;
    }
}

void RVXDriveFindings::finish() {
    if (m_open)
        closeImpact();
    m_open = false;
}

void RVXDriveFindings::addSample(const RVXScanRecording& recording, size_t k) {
    const RVXGSensor& g = recording.data().m_GSensors[k];
    const double dx = g.x - recording.medianX(), dy = g.y - recording.medianY(),
                 dz = g.z - recording.medianZ();
    // A threshold of 0 or less would take every sample for a knock; that axis is not used.
    const auto over = [](double value, int threshold) {
        return threshold > 0 && std::fabs(value) >= threshold / 100.0;
    };
    const unsigned axes = (over(dx, m_settings.xThreshold) ? 1u : 0u) |
                          (over(dy, m_settings.yThreshold) ? 2u : 0u) |
                          (over(dz, m_settings.zThreshold) ? 4u : 0u);
    if (!axes)
        return;
    const double t = recording.time(k);
    if (m_open && t - m_lastOver > RVXCardScan::kImpactJoinSeconds)
        closeImpact();
    const double magnitude = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (!m_open || magnitude > m_peakMagnitude) {
        if (!m_open)
            m_axes = 0;
        m_open = true;
        m_peakMagnitude = magnitude;
        RVXScanEvent& e = m_peak;
        e = RVXScanEvent();
        e.kind = RVXScanEvent::Kind::Impact;
        e.media = recording.unit().media;
        e.moment = t;
        e.offset = t - double(recording.unit().start);
        e.x = dx;
        e.y = dy;
        e.z = dz;
        e.magnitude = magnitude;
        // The speed of the last valid fix at or before the peak's sample, the place of the
        // last of those that had one.
        const std::vector<RVXScanFix>& fixes = recording.fixes();
        const auto after =
            std::upper_bound(fixes.begin(), fixes.end(), k,
                             [](size_t r, const RVXScanFix& f) { return r < f.record; });
        if (after != fixes.begin()) {
            for (auto f = after; f != fixes.begin() && !e.latitude;)
                RVXScanRecording::placeAt(e, *(--f)->gps);
            RVXScanRecording::placeAt(e, *std::prev(after)->gps);
        }
    }
    m_axes |= axes;
    m_lastOver = t;
}

void RVXDriveFindings::closeImpact() {
    m_open = false;
    m_peak.axes.clear();
    for (const auto& [bit, axis] : {std::pair{1u, 'x'}, {2u, 'y'}, {4u, 'z'}}) {
        if (m_axes & bit)
            m_peak.axes += QLatin1Char(axis);
    }
    m_impacts.push_back(m_peak);
}

// Runs of steps between fixes at most kMaxFixStepSeconds apart, all over the harsh bar in
// one direction, are one event at the run's first fix.
void RVXDriveFindings::addFix(const RVXScanRecording& recording, const RVXScanFix& fix) {
    const RVXGpsData& b = *fix.gps;
    const double utc = RVXScanRecording::utcSeconds(b.Now);
    if (m_last) {
        const RVXGpsData& a = *m_last->gps;
        const double dt = utc - m_last->utc;
        int stepSign = 0;
        double acceleration = 0;
        if (dt > 0 && dt <= RVXCardScan::kMaxFixStepSeconds) {
            acceleration = (b.SpeedOverGround - a.SpeedOverGround) * kKnotsToMs / dt;
            stepSign = acceleration <= -RVXCardScan::kHarshMs2  ? -1
                       : acceleration >= RVXCardScan::kHarshMs2 ? 1
                                                                : 0;
        }
        if (stepSign == 0) {
            m_sign = 0;
        } else {
            if (stepSign != m_sign) {
                RVXScanEvent e;
                e.kind =
                    stepSign < 0 ? RVXScanEvent::Kind::Braking : RVXScanEvent::Kind::Acceleration;
                e.media = m_last->unit->media;
                e.moment = m_last->moment;
                e.offset = e.moment - double(m_last->unit->start);
                RVXScanRecording::placeAt(e, a);
                m_harsh.push_back(e);
                m_sign = stepSign;
            }
            m_harsh.back().acceleration =
                std::max(m_harsh.back().acceleration, std::fabs(acceleration));
        }
    }
    if (!m_last)
        m_last = LastFix();
    m_last->gps = &b;
    m_last->utc = utc;
    m_last->moment = recording.time(fix.record);
    m_last->unit = &recording.unit();
}
