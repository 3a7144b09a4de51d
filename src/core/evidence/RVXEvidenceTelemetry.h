// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/evidence/RVXEvidencePlan.h"
#include "core/evidence/RVXEvidenceSheet.h"
#include "core/scan/RVXCardScan.h"

#include <QByteArray>
#include <QDateTime>

// The telemetry of an evidence window, read once from the recordings of one camera (the
// front, or the rear where a unit has no front): the CSV and GPX files, and what the
// sheet shows of where, how fast and the G forces.
class RVXEvidenceTelemetry {
public:
    // from: where the rows start if earlier than the window, camera seconds (the first
    // frame of the pack's earliest video file).
    RVXEvidenceTelemetry(const RVXEvidencePlan& plan, double from, const RVXScanSettings& settings);

    QByteArray csv() const { return m_csv; }
    QByteArray gpx() const { return m_gpx; }
    // Fills the sheet's moment in UTC, clock offset, place, track and samples.
    void fillSheet(RVXEvidenceSheet& sheet) const;
    // The moment in UTC where a GPS fix dates it; none from the zone setting alone.
    std::optional<QDateTime> momentUtc() const { return m_momentUtc; }

private:
    RVXEvidenceSheet m_sheet;
    std::optional<QDateTime> m_momentUtc;
    QByteArray m_csv, m_gpx;
};
