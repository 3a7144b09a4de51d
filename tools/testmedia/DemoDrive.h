// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "NmeaSentenceWriter.h"
#include "TelemetryRecord.h"

#include <QDateTime>

#include <vector>

// A plausible drive round the Vienna Ring: moving off, cruising at changing speed,
// stopping at lights, turning. Deterministic, so the demo card is the same every time.
class DemoDrive {
public:
    static constexpr int kRecordsPerSecond = 10;

    struct State {
        double latitude, longitude;
        double speedKmh;
        double course;          // degrees from north
        double accelerationMs2; // along the track
        double lateralMs2;
    };

    DemoDrive();
    // t in seconds from the start of the drive, clamped to the drive's length.
    State stateAt(double t) const;
    // Metres driven from the start to t.
    double distanceAt(double t) const;
    DemoFix fixAt(double t, const QDateTime& utc) const;

    // The telemetry of one recording that starts driveOffset seconds into the drive.
    // Records carry RMC, GGA and GSA in turn, one sentence each, the GSA of GPS and of
    // GLONASS taking turns; impactAt (seconds from
    // the recording's start, negative for none) adds a collision to the G values.
    TelemetryRecords recordsFor(double driveOffset, double duration, const QDateTime& startUtc,
                                double impactAt = -1) const;

private:
    struct Point {
        double lat, lon;
    };
    std::vector<Point> m_route;
    std::vector<double> m_routeDistance; // metres from the start to each route point
    std::vector<double> m_distance;      // metres travelled at each 0.1 s step
    std::vector<double> m_speed;         // m/s at each step

    double speedProfile(double t) const;
    Point pointAtDistance(double d, double* course) const;
};
