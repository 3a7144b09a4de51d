// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/evidence/RVXEvidenceCuts.h"
#include "core/evidence/RVXEvidenceSheet.h"

#include <QByteArray>
#include <QDateTime>

#include <optional>
#include <vector>

// manifest.json: the moment and windows in the camera's own time (no zone, as on the
// card; the "cameraTime" field says so), the moment in UTC with its Z where a GPS fix
// dates it, each video file's span and the gaps between, and every file with its hash.
class RVXEvidenceManifest {
public:
    static QByteArray json(const RVXEvidencePlan& plan, const RVXEvidenceCuts& cuts,
                           const std::optional<QDateTime>& momentUtc,
                           const std::vector<RVXEvidenceSheet::File>& files);
};
