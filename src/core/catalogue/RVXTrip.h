// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/catalogue/RVXMedia.h"

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

class RVXMediaList;

// One recording of a trip: a pair, for which its front recording stands, or a lone
// recording.
struct RVXTripUnit {
    RVXMediaRef media;
    RVXMediaRef partner;
    // The moment of the name, in seconds of the camera's local clock (as if it were UTC).
    int64_t start = 0;
    // Seconds from the trip's start.
    double offset = 0;
    // The movie header's duration of media; 0 when it could not be read.
    double length = 0;

    double end() const { return offset + length; }
};

// Where on the trip's timeline a unit plays: trip seconds [start, end), the unit from
// unitStart on. Where units overlap, the one that started last plays.
struct RVXTripSegment {
    size_t unit = 0;
    double start = 0;
    double end = 0;
    double unitStart = 0;
};

// A drive: units whose starts follow one another with at most kJoinSeconds between one
// unit's start and the end of the units before it.
class RVXTrip {
public:
    static constexpr double kJoinSeconds = 3.0;

    // The units of a finished list in catalogue order, lengths unread: a pair once, by its
    // front recording; recordings without a moment in their name are left out.
    static std::vector<RVXTripUnit> unitsOfList(const RVXMediaList& list);
    // The unit media stands for, its start read from the name; length unread.
    static RVXTripUnit unitOf(RVXMediaRef media, RVXMediaRef partner = nullptr);
    // The movie header's length of each unit's recording; 0 where unreadable.
    static void readLengths(std::vector<RVXTripUnit>& units);
    static double movieLength(const RVXMedia& media);
    // Groups units given in catalogue order, their lengths read, into trips.
    static std::vector<RVXTrip> tripsFromUnits(std::vector<RVXTripUnit> units);
    // All three over a finished list. Reads every recording's movie header: not on the
    // UI thread.
    static std::vector<RVXTrip> tripsOfList(const RVXMediaList& list);

    int64_t start() const { return m_start; }
    double seconds() const { return m_seconds; }
    double end() const { return double(m_start) + m_seconds; }
    // The camera's clock at trip second t.
    QDateTime clockTime(double t = 0) const;
    static QDateTime clockTimeOf(int64_t seconds);

    const std::vector<RVXTripUnit>& units() const { return m_units; }
    const std::vector<RVXTripSegment>& segments() const { return m_segments; }
    // Units of each kind, indexed by RVXMediaDivision.
    int countOfKind(int32_t division) const;

    // The segment playing at trip second t: the one covering it, else (in a gap between
    // units) the next one from its start, else (past the end) the last one at its end.
    struct Place {
        size_t segment = 0;
        double unitSecond = 0;
    };
    std::optional<Place> placeAt(double t) const;

private:
    void addUnit(RVXTripUnit unit);
    void buildSegments();

    int64_t m_start = 0;
    double m_seconds = 0;
    std::vector<RVXTripUnit> m_units;
    std::vector<RVXTripSegment> m_segments;
};
