// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

// One recording of a trip as the trip rule placed it.
struct RVXLibraryTripUnit {
    int64_t recording = 0;
    // The other side of the pair; 0 for a lone recording.
    int64_t partner = 0;
    double offset = 0;
    double length = 0;
};

// One point a second of a trip's track, for place queries.
struct RVXLibraryTrackPoint {
    // Camera local seconds, as moments count.
    double moment = 0;
    double latitude = 0;
    double longitude = 0;
    double speedKmh = 0;
    // The recording that plays there.
    int64_t recording = 0;
};

// A drive, worked out by the trip rule over the library's recordings.
struct RVXLibraryTrip {
    int64_t id = 0;
    int64_t start = 0; // camera local seconds
    double seconds = 0;
    double distanceKm = 0;
    std::optional<double> maxSpeedKmh;
    std::vector<RVXLibraryTripUnit> units;
    // Every recording of the trip, partners included, is protected.
    bool isProtected = false;
    // Filled by place queries: the first moment the track is there.
    std::optional<double> placeMoment;
};
