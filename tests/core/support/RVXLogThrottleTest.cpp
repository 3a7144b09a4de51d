// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/support/RVXLogThrottle.h"

#include <gtest/gtest.h>

namespace {

TEST(LogThrottle, ARepeatedMessageOnceAMinuteWithWhatWasHeldBack) {
    RVXLogThrottle throttle;
    const QString line = QStringLiteral("ALSA pcm.c:2666 Unknown PCM default");
    EXPECT_EQ(throttle.admit("pcm", line, 1000), line);
    for (qint64 t = 1020; t < 61000; t += 20)
        ASSERT_FALSE(throttle.admit("pcm", line, t)) << t;
    EXPECT_EQ(throttle.admit("other", QStringLiteral("b"), 1500), QStringLiteral("b"))
        << "another message is not held by the first";
    EXPECT_EQ(throttle.admit("pcm", line, 61000),
              line + QStringLiteral(" (and 2999 more times since it was last logged)"));
    EXPECT_FALSE(throttle.admit("pcm", line, 61001));
    EXPECT_EQ(throttle.admit("pcm", line, 121001),
              line + QStringLiteral(" (and 1 more times since it was last logged)"));
}

TEST(LogThrottle, MessagesThatDifferEveryTimeDoNotGrowWithoutEnd) {
    RVXLogThrottle throttle;
    for (int i = 0; i < 5000; ++i)
        ASSERT_TRUE(throttle.admit(QString::number(i), QStringLiteral("x"), 1000 + i));
    // The first keys were forgotten to make room: a repeat of one is said again.
    EXPECT_TRUE(throttle.admit(QStringLiteral("0"), QStringLiteral("x"), 7000));
    EXPECT_FALSE(throttle.admit(QStringLiteral("4999"), QStringLiteral("x"), 7000));
}

} // namespace
