// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/catalogue/RVXTrip.h"

#include <QString>

#include <optional>
#include <vector>

// A trip being played: where a position on the trip's slider lands, which trip second a
// unit's own second is, when the next unit must be made ready, and what the time field
// and the slider's marks say.
class RVXTripTimeline {
public:
    // The next unit is loaded this long before the border, so its first picture is
    // ready when the one before ends.
    static constexpr double kPrepareSeconds = 2.5;

    explicit RVXTripTimeline(RVXTrip trip);

    const RVXTrip& trip() const { return m_trip; }
    double seconds() const { return m_trip.seconds(); }
    size_t segmentCount() const { return m_trip.segments().size(); }
    const RVXTripSegment& segment(size_t index) const { return m_trip.segments()[index]; }
    const RVXTripUnit& unitOf(size_t segment) const;

    double tripSecond(size_t segment, double unitSecond) const;
    // 0 to 1 over the trip's seconds.
    double position(double tripSecond) const;
    std::optional<RVXTrip::Place> placeAtPosition(double position) const;
    std::optional<RVXTrip::Place> placeAtSecond(double tripSecond) const;

    // What is left of segment with its unit at unitSecond; 0 or less: the border is passed.
    double secondsToBorder(size_t segment, double unitSecond) const;
    bool hasNext(size_t segment) const { return segment + 1 < segmentCount(); }

    // "0:27 / 0:56 08:15:27": trip time, trip length and the camera's clock.
    QString timeText(double tripSecond) const;

    // Event and motion units on the slider, as fractions of the trip.
    struct Mark {
        double from = 0;
        double to = 0;
        int32_t division = 0;
    };
    std::vector<Mark> marks() const;

    // The list's texts: "2026-03-14", "08:15:00–08:15:56", "0:00:56", "0.58 km".
    static QString dateText(const RVXTrip& trip);
    static QString spanText(const RVXTrip& trip);
    static QString durationText(double seconds);
    static QString distanceText(std::optional<double> km);
    // A unit's row: its moment and its offset in the trip ("08:15:15", "+0:15").
    static QString unitTimeText(const RVXTrip& trip, const RVXTripUnit& unit);
    static QString unitOffsetText(const RVXTripUnit& unit);

private:
    static QString minutesText(double seconds);

    RVXTrip m_trip;
};
