// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/catalogue/RVXTrip.h"
#include "core/media/RVXStreamCut.h"

#include <optional>
#include <vector>

// A stretch of one unit the window covers, in seconds into the unit's recordings.
struct RVXEvidencePart {
    RVXTripUnit unit;
    double from = 0;
    double to = 0;
};

// Which recordings hold a window round a moment, and where in each: the trip's own
// segments, so that where an event recording overlaps its loop recording the one that
// plays there is cut.
struct RVXEvidencePlan {
    static constexpr double kDefaultBefore = 20;
    static constexpr double kDefaultAfter = 20;

    double moment = 0;                     // camera seconds, as trips count them
    double windowStart = 0, windowEnd = 0; // asked, clipped to the trip
    std::vector<RVXEvidencePart> parts;

    // Nothing when no recording plays at moment.
    static std::optional<RVXEvidencePlan> make(const std::vector<RVXTrip>& trips, double moment,
                                               double before = kDefaultBefore,
                                               double after = kDefaultAfter);
    // The camera moment of a second into a recording (front or rear of a unit).
    static std::optional<double> momentOf(const std::vector<RVXTrip>& trips, const QString& path,
                                          double offset);

    // One camera's pieces in order, their origins the recordings' camera moments; empty
    // when no part has that side.
    std::vector<RVXCutPiece> pieces(bool rear) const;
    // The recording of that side of a part, if it has one.
    static RVXMediaRef sideOf(const RVXTripUnit& unit, bool rear);
};
