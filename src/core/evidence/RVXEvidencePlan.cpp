// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/evidence/RVXEvidencePlan.h"

#include "core/catalogue/RVXMedia.h"

#include <QFileInfo>

#include <algorithm>

std::optional<RVXEvidencePlan> RVXEvidencePlan::make(const std::vector<RVXTrip>& trips,
                                                     double moment, double before, double after) {
    for (const RVXTrip& trip : trips) {
        const double t = moment - double(trip.start());
        const auto& segments = trip.segments();
        const bool played = std::any_of(segments.begin(), segments.end(),
                                        [t](const auto& s) { return t >= s.start && t < s.end; });
        if (!played)
            continue;
        RVXEvidencePlan plan;
        plan.moment = moment;
        const double from = std::max(0.0, t - std::max(0.0, before));
        const double to = std::min(trip.seconds(), t + std::max(0.0, after));
        plan.windowStart = double(trip.start()) + from;
        plan.windowEnd = double(trip.start()) + to;
        for (const RVXTripSegment& s : segments) {
            const double a = std::max(s.start, from), b = std::min(s.end, to);
            if (b <= a)
                continue;
            const RVXTripUnit& unit = trip.units()[s.unit];
            const double partFrom = s.unitStart + (a - s.start),
                         partTo = s.unitStart + (b - s.start);
            if (!plan.parts.empty() && plan.parts.back().unit.media == unit.media &&
                std::abs(plan.parts.back().to - partFrom) < 1e-6) {
                plan.parts.back().to = partTo;
                continue;
            }
            plan.parts.push_back({unit, partFrom, partTo});
        }
        return plan;
    }
    return std::nullopt;
}

std::optional<double> RVXEvidencePlan::momentOf(const std::vector<RVXTrip>& trips,
                                                const QString& path, double offset) {
    const QString wanted = QFileInfo(path).canonicalFilePath();
    const auto same = [&](const RVXMediaRef& m) {
        return m && QFileInfo(m->path()).canonicalFilePath() == wanted;
    };
    for (const RVXTrip& trip : trips) {
        for (const RVXTripUnit& unit : trip.units()) {
            if (same(unit.media) || same(unit.partner))
                return double(unit.start) + offset;
        }
    }
    return std::nullopt;
}

RVXMediaRef RVXEvidencePlan::sideOf(const RVXTripUnit& unit, bool rear) {
    if (unit.media->isRearMedia())
        return rear ? unit.media : nullptr;
    return rear ? unit.partner : unit.media;
}

std::vector<RVXCutPiece> RVXEvidencePlan::pieces(bool rear) const {
    std::vector<RVXCutPiece> out;
    for (const RVXEvidencePart& part : parts) {
        if (const RVXMediaRef media = sideOf(part.unit, rear))
            out.push_back({media->path(), part.from, part.to, double(part.unit.start)});
    }
    return out;
}
