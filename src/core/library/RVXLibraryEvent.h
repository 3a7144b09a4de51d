// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// An event the card scan found along a trip.
struct RVXLibraryEvent {
    int64_t id = 0;
    int64_t trip = 0;
    // "impact", "braking" or "acceleration" (RVXScanEvent::kindName).
    QString kind;
    // Camera local seconds.
    double moment = 0;
    // The recording that plays there, and the seconds into it.
    int64_t recording = 0;
    double offset = 0;
    // Impacts: the peak's magnitude in g; braking and acceleration: |a| in m/s^2.
    double peak = 0;
    std::optional<double> speedKmh;
    std::optional<double> latitude;
    std::optional<double> longitude;
    // Its recording (and the pair's other side) is protected.
    bool isProtected = false;
};
