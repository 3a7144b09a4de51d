// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/telemetry/RVXNmeaToDegrees.h"

#include <gtest/gtest.h>

TEST(RVXNmeaToDegrees, DegreesAndMinutesWithTheSignKept) {
    EXPECT_DOUBLE_EQ(RVXNmeaToDegrees(3731.5), 37.525);
    EXPECT_DOUBLE_EQ(RVXNmeaToDegrees(-12658.5), -126.975);
    EXPECT_DOUBLE_EQ(RVXNmeaToDegrees(0.0), 0.0);
    EXPECT_DOUBLE_EQ(RVXNmeaToDegrees(59.999), 59.999 / 60);
    double lon = 1, lat = 1;
    RVXNmeaToDegrees(-12658.5, 3731.5, &lon, nullptr);
    EXPECT_DOUBLE_EQ(lon, -126.975);
    RVXNmeaToDegrees(-12658.5, 3731.5, nullptr, &lat);
    EXPECT_DOUBLE_EQ(lat, 37.525);
}
