// SPDX-License-Identifier: GPL-3.0-or-later
// The trim of the lag an alignment leaves between the two players.
#include "core/playback/RVXRateTrim.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(RVXRateTrim, WhatAnAlignmentLeavesIsTakenIn) {
    for (const int64_t lag : {-33, -20, -8, 5, 15, 25, 33, 60}) {
        SCOPED_TRACE(lag);
        const std::optional<RVXRateTrim> trim = RVXRateTrim::forLag(lag);
        ASSERT_TRUE(trim);
        EXPECT_EQ(trim->factor > 1.0, lag > 0) << "a second player behind runs faster";
        EXPECT_LE(std::abs(trim->factor - 1.0), RVXRateTrim::kChange + 1e-9);
        // The second player runs at the factor for the duration: the lag is gone.
        EXPECT_LE(std::abs(double(lag) - (trim->factor - 1.0) * trim->durationMs), 1.0);
        EXPECT_LE(trim->durationMs, 600) << "over within the second after the alignment";
    }
}

// Players that agree, an unknown clock, and a lag only a seek can take in (a trim
// that long would show as a slow or fast picture) are left to the alignment.
TEST(RVXRateTrim, OnlyTheLastMillisecondsAreTrimmed) {
    EXPECT_FALSE(RVXRateTrim::forLag(RVXRateTrim::kCloseEnoughMs));
    EXPECT_FALSE(RVXRateTrim::forLag(-RVXRateTrim::kCloseEnoughMs));
    EXPECT_FALSE(RVXRateTrim::forLag(0));
    EXPECT_FALSE(RVXRateTrim::forLag(std::nullopt));
    EXPECT_FALSE(RVXRateTrim::forLag(RVXRateTrim::kMaxLagMs + 1));
    EXPECT_FALSE(RVXRateTrim::forLag(-RVXRateTrim::kMaxLagMs - 1));
}
