// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/evidence/RVXEvidencePlan.h"
#include "core/evidence/RVXEvidenceSheet.h"
#include "core/scan/RVXCardScan.h"

#include <QByteArray>

// The telemetry of an evidence window, read once from the recordings of one camera (the
// front, or the rear where a unit has no front): the CSV and GPX files, and what the
// sheet shows of where, how fast and the G forces.
class RVXEvidenceTelemetry {
public:
    // cutStart: where the first part's cut really starts, seconds into its recording.
    RVXEvidenceTelemetry(const RVXEvidencePlan& plan, double cutStart,
                         const RVXScanSettings& settings);

    QByteArray csv() const { return m_csv; }
    QByteArray gpx() const { return m_gpx; }
    // Fills the sheet's moment in UTC, clock offset, place, track and samples.
    void fillSheet(RVXEvidenceSheet& sheet) const;

private:
    RVXEvidenceSheet m_sheet;
    QByteArray m_csv, m_gpx;
};
