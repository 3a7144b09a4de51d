// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One G-sensor sample in g.
struct RVXGSensor {
    float x = 0;
    float y = 0;
    float z = 0;

    RVXGSensor() = default;
    RVXGSensor(float ax, float ay, float az)
        : x(ax)
        , y(ay)
        , z(az) {}
    void updateFromObject(const RVXGSensor& other) { *this = other; }
    bool operator==(const RVXGSensor&) const = default;
};
