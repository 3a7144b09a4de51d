// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/playback/RVXTripTimeline.h"

#include "core/support/RVXCFormat.h"

#include <algorithm>
#include <cmath>

RVXTripTimeline::RVXTripTimeline(RVXTrip trip)
    : m_trip(std::move(trip)) {}

const RVXTripUnit& RVXTripTimeline::unitOf(size_t segment) const {
    return m_trip.units()[m_trip.segments()[segment].unit];
}

double RVXTripTimeline::tripSecond(size_t segment, double unitSecond) const {
    return unitOf(segment).offset + unitSecond;
}

double RVXTripTimeline::position(double tripSecond) const {
    return seconds() > 0 ? std::clamp(tripSecond / seconds(), 0.0, 1.0) : 0;
}

std::optional<RVXTrip::Place> RVXTripTimeline::placeAtPosition(double position) const {
    return placeAtSecond(std::clamp(position, 0.0, 1.0) * seconds());
}

std::optional<RVXTrip::Place> RVXTripTimeline::placeAtSecond(double tripSecond) const {
    return m_trip.placeAt(tripSecond);
}

double RVXTripTimeline::secondsToBorder(size_t segment, double unitSecond) const {
    return m_trip.segments()[segment].end - tripSecond(segment, unitSecond);
}

QString RVXTripTimeline::minutesText(double seconds) {
    const int64_t s = int64_t(std::floor(std::max(0.0, seconds)));
    if (s >= 3600)
        return RVXCFormat("%lld:%02lld:%02lld", (long long)(s / 3600), (long long)(s / 60 % 60),
                          (long long)(s % 60));
    return RVXCFormat("%lld:%02lld", (long long)(s / 60), (long long)(s % 60));
}

QString RVXTripTimeline::timeText(double tripSecond) const {
    return minutesText(tripSecond) + QStringLiteral(" / ") + minutesText(seconds()) + u' ' +
           m_trip.clockTime(std::floor(std::max(0.0, tripSecond)))
               .toString(QStringLiteral("HH:mm:ss"));
}

std::vector<RVXTripTimeline::Mark> RVXTripTimeline::marks() const {
    std::vector<Mark> out;
    for (const RVXTripUnit& unit : m_trip.units()) {
        const int32_t division = unit.media->mediaDivision();
        if (division == RVXMediaDivisionAlways)
            continue;
        out.push_back({position(unit.offset), position(unit.end()), division});
    }
    return out;
}

QString RVXTripTimeline::dateText(const RVXTrip& trip) {
    return trip.clockTime().toString(QStringLiteral("yyyy-MM-dd"));
}

QString RVXTripTimeline::spanText(const RVXTrip& trip) {
    const QString format = QStringLiteral("HH:mm:ss");
    return trip.clockTime().toString(format) + QStringLiteral("\u2013") +
           RVXTrip::clockTimeOf(int64_t(std::floor(trip.end()))).toString(format);
}

QString RVXTripTimeline::durationText(double seconds) {
    const int64_t s = int64_t(std::floor(std::max(0.0, seconds)));
    return RVXCFormat("%lld:%02lld:%02lld", (long long)(s / 3600), (long long)(s / 60 % 60),
                      (long long)(s % 60));
}

QString RVXTripTimeline::distanceText(std::optional<double> km) {
    return km ? RVXCFormat("%.2f km", *km) : QStringLiteral("\u2026 km");
}

QString RVXTripTimeline::unitTimeText(const RVXTrip& trip, const RVXTripUnit& unit) {
    return trip.clockTime(unit.offset).toString(QStringLiteral("HH:mm:ss"));
}

QString RVXTripTimeline::unitOffsetText(const RVXTripUnit& unit) {
    return u'+' + minutesText(unit.offset);
}
