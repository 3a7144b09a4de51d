// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/catalogue/RVXTrip.h"
#include "core/telemetry/RVXGSensor.h"

#include <atomic>
#include <optional>
#include <utility>
#include <vector>

// A trip's telemetry along its timeline: each segment contributes what its unit recorded
// during that segment, so a stretch two overlapping recordings both hold counts once.
struct RVXTripTelemetry {
    // WGS-84 mean radius.
    static constexpr double kEarthRadiusKm = 6371.0088;

    // Great-circle steps between consecutive valid RMC fixes (status 'A').
    double distanceKm = 0;
    // The highest RMC speed of a valid fix; none without one.
    std::optional<double> maxSpeedKmh;
    // The valid fixes' positions in order, (longitude, latitude) in decimal degrees.
    std::vector<std::pair<double, double>> track;
    // Beside each track point: its trip second, its RMC speed and the unit it came from.
    std::vector<double> trackSeconds;
    std::vector<double> trackSpeedKmh;
    std::vector<size_t> trackUnits;
    // The G samples in timeline order, spread evenly over the trip's seconds.
    std::vector<RVXGSensor> gsensors;

    // Reads the telemetry of every unit that plays in trip; none when cancel was set
    // before the end (checked between recordings).
    static std::optional<RVXTripTelemetry> read(const RVXTrip& trip,
                                                const std::atomic<bool>* cancel = nullptr);
    // The distance in km between two points in decimal degrees (haversine).
    static double greatCircleKm(double latitude1, double longitude1, double latitude2,
                                double longitude2);
};
