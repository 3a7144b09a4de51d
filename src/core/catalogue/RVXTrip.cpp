// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/catalogue/RVXTrip.h"

#include "core/catalogue/RVXMediaList.h"
#include "core/telemetry/RVXMovieHeader.h"

#include <QDate>
#include <QFile>

#include <algorithm>
#include <queue>

namespace {
// Julian day of 1970-01-01.
constexpr int64_t kEpochJulianDay = 2440588;
// Lengths come from integer ticks over a timescale; a border exactly at kJoinSeconds must
// not fall on the wrong side by a rounding of the division.
constexpr double kTolerance = 1e-9;

int64_t momentSeconds(const RVXMedia& m) {
    const int64_t day = QDate(m.year(), m.month(), m.day()).toJulianDay() - kEpochJulianDay;
    return day * 86400 + m.hour() * 3600 + m.minute() * 60 + m.second();
}
} // namespace

std::vector<RVXTripUnit> RVXTrip::unitsOfList(const RVXMediaList& list) {
    std::vector<RVXTripUnit> units;
    const std::vector<RVXMediaRef> medias = list.medias();
    units.reserve(medias.size());
    for (const RVXMediaRef& media : medias) {
        if (!media->hasMoment())
            continue;
        RVXMediaRef partner;
        if (const RVXMediaPairRef pair = list.findMediaPairWithFileName(media->fileName())) {
            // The front recording stands for its pair; the rear comes with it.
            if (media->isRearMedia() && pair->frontMedia())
                continue;
            partner = pair->partnerOf(*media);
        }
        units.push_back(unitOf(media, std::move(partner)));
    }
    return units;
}

RVXTripUnit RVXTrip::unitOf(RVXMediaRef media, RVXMediaRef partner) {
    const int64_t start = momentSeconds(*media);
    return {std::move(media), std::move(partner), start, 0, 0};
}

double RVXTrip::movieLength(const RVXMedia& media) {
    return RVXMovieHeader::durationSeconds(QFile::encodeName(media.path()).constData()).value_or(0);
}

void RVXTrip::readLengths(std::vector<RVXTripUnit>& units) {
    for (RVXTripUnit& unit : units) {
        unit.length = movieLength(*unit.media);
        // A front cut short or damaged still has its rear's seconds: the drive went on
        // through it, and the rear plays there.
        if (unit.length <= 0 && unit.partner)
            unit.length = movieLength(*unit.partner);
    }
}

std::vector<RVXTrip> RVXTrip::tripsFromUnits(std::vector<RVXTripUnit> units) {
    std::vector<RVXTrip> trips;
    for (RVXTripUnit& unit : units) {
        if (trips.empty() || double(unit.start) - trips.back().end() > kJoinSeconds + kTolerance) {
            trips.emplace_back();
            trips.back().m_start = unit.start;
        }
        trips.back().addUnit(std::move(unit));
    }
    for (RVXTrip& trip : trips)
        trip.buildSegments();
    return trips;
}

std::vector<RVXTrip> RVXTrip::tripsOfList(const RVXMediaList& list) {
    std::vector<RVXTripUnit> units = unitsOfList(list);
    readLengths(units);
    return tripsFromUnits(std::move(units));
}

void RVXTrip::addUnit(RVXTripUnit unit) {
    unit.offset = double(unit.start - m_start);
    m_seconds = std::max(m_seconds, unit.end());
    m_units.push_back(std::move(unit));
}

// A sweep over the units' borders: at each, the covering unit that started last plays
// (of two that started together, the one first in the catalogue).
void RVXTrip::buildSegments() {
    std::vector<double> borders;
    borders.reserve(m_units.size() * 2);
    for (const RVXTripUnit& unit : m_units) {
        if (unit.length > 0) {
            borders.push_back(unit.offset);
            borders.push_back(unit.end());
        }
    }
    std::sort(borders.begin(), borders.end());
    borders.erase(std::unique(borders.begin(), borders.end()), borders.end());

    using Entry = std::pair<double, int64_t>; // offset, minus the unit's index
    std::priority_queue<Entry> covering;
    size_t next = 0;
    m_segments.clear();
    for (size_t b = 0; b + 1 < borders.size(); ++b) {
        const double from = borders[b], to = borders[b + 1];
        while (next < m_units.size() && m_units[next].offset <= from) {
            if (m_units[next].length > 0)
                covering.push({m_units[next].offset, -int64_t(next)});
            ++next;
        }
        while (!covering.empty() && m_units[size_t(-covering.top().second)].end() <= from)
            covering.pop();
        if (covering.empty())
            continue;
        const size_t unit = size_t(-covering.top().second);
        if (!m_segments.empty() && m_segments.back().unit == unit &&
            m_segments.back().end == from) {
            m_segments.back().end = to;
            continue;
        }
        m_segments.push_back({unit, from, to, from - m_units[unit].offset});
    }
}

QDateTime RVXTrip::clockTimeOf(int64_t seconds) {
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
}

QDateTime RVXTrip::clockTime(double t) const {
    return clockTimeOf(m_start).addMSecs(int64_t(t * 1000));
}

int RVXTrip::countOfKind(int32_t division) const {
    return int(std::count_if(m_units.begin(), m_units.end(), [division](const RVXTripUnit& u) {
        return u.media->mediaDivision() == division;
    }));
}

std::optional<RVXTrip::Place> RVXTrip::placeAt(double t) const {
    if (m_segments.empty())
        return std::nullopt;
    const auto after = std::upper_bound(
        m_segments.begin(), m_segments.end(), t,
        [](double value, const RVXTripSegment& segment) { return value < segment.start; });
    if (after == m_segments.begin())
        return Place{0, m_segments.front().unitStart};
    const size_t index = size_t(after - m_segments.begin()) - 1;
    const RVXTripSegment& segment = m_segments[index];
    if (t < segment.end)
        return Place{index, t - m_units[segment.unit].offset};
    if (index + 1 < m_segments.size())
        return Place{index + 1, m_segments[index + 1].unitStart};
    return Place{index, segment.end - m_units[segment.unit].offset};
}
