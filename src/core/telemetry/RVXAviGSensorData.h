// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

// The raw G-sensor block of one telemetry record: four little-endian signed 32-bit
// values, X, Y and Z in 1/256 g and T, which nothing interprets.
struct RVXAviGSensorData {
    static constexpr int kSize = 16;

    int32_t X = 0;
    int32_t Y = 0;
    int32_t Z = 0;
    int32_t T = 0;

    static RVXAviGSensorData aviGSensorDataWithData(const unsigned char* data);
    bool operator==(const RVXAviGSensorData&) const = default;
};
