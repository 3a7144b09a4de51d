// SPDX-License-Identifier: GPL-3.0-or-later
// What a trip's slider, time field and list rows say.
#include "core/catalogue/RVXTrip.h"
#include "core/playback/RVXTripTimeline.h"

#include <gtest/gtest.h>

namespace {
RVXTripUnit unit(const char* name, double length) {
    RVXTripUnit u = RVXTrip::unitOf(RVXMedia::mediaWithPath(QStringLiteral("/card/") + name));
    u.length = length;
    return u;
}

RVXTripTimeline drive() {
    return RVXTripTimeline(RVXTrip::tripsFromUnits({unit("alwa_20260314_081500_F.MP4", 15),
                                                    unit("motion_20260314_081515_F.MP4", 12),
                                                    unit("event_20260314_081527_F.MP4", 14),
                                                    unit("alwa_20260314_081541_F.MP4", 15)})
                               .front());
}
} // namespace

TEST(RVXTripTimeline, SliderAndTimeFieldSpanTheTrip) {
    const RVXTripTimeline t = drive();
    ASSERT_EQ(t.segmentCount(), 4u);
    // 6 s into the event recording is 33 s into the trip.
    EXPECT_DOUBLE_EQ(t.tripSecond(2, 6), 33);
    EXPECT_DOUBLE_EQ(t.position(28), 0.5);
    EXPECT_EQ(t.position(-3), 0);
    EXPECT_EQ(t.position(99), 1);
    const auto place = t.placeAtPosition(0.5);
    ASSERT_TRUE(place);
    EXPECT_EQ(place->segment, 2u);
    EXPECT_DOUBLE_EQ(place->unitSecond, 1);
    EXPECT_DOUBLE_EQ(t.secondsToBorder(1, 10.5), 1.5);
    EXPECT_TRUE(t.hasNext(2));
    EXPECT_FALSE(t.hasNext(3));
    EXPECT_EQ(t.timeText(33.7), QStringLiteral("0:33 / 0:56 08:15:33"));
    EXPECT_EQ(t.timeText(-1), QStringLiteral("0:00 / 0:56 08:15:00"));

    // A long drive counts hours, the clock runs past midnight.
    const RVXTripTimeline night(
        RVXTrip::tripsFromUnits({unit("alwa_20260314_233000_F.MP4", 5400)}).front());
    EXPECT_EQ(night.timeText(3725), QStringLiteral("1:02:05 / 1:30:00 00:32:05"));
}

TEST(RVXTripTimeline, MarksAndListTexts) {
    const RVXTripTimeline t = drive();
    const std::vector<RVXTripTimeline::Mark> marks = t.marks();
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_DOUBLE_EQ(marks[0].from, 15.0 / 56);
    EXPECT_DOUBLE_EQ(marks[0].to, 27.0 / 56);
    EXPECT_EQ(marks[0].division, RVXMediaDivisionMotion);
    EXPECT_EQ(marks[1].division, RVXMediaDivisionEvent);
    EXPECT_DOUBLE_EQ(marks[1].to, 41.0 / 56);

    const RVXTrip& trip = t.trip();
    EXPECT_EQ(RVXTripTimeline::dateText(trip), QStringLiteral("2026-03-14"));
    EXPECT_EQ(RVXTripTimeline::spanText(trip), QStringLiteral("08:15:00\u201308:15:56"));
    EXPECT_EQ(RVXTripTimeline::durationText(3725.9), QStringLiteral("1:02:05"));
    EXPECT_EQ(RVXTripTimeline::distanceText(0.584), QStringLiteral("0.58 km"));
    EXPECT_EQ(RVXTripTimeline::distanceText(std::nullopt), QStringLiteral("\u2026 km"));
    EXPECT_EQ(RVXTripTimeline::unitTimeText(trip, trip.units()[2]), QStringLiteral("08:15:27"));
    EXPECT_EQ(RVXTripTimeline::unitOffsetText(trip.units()[3]), QStringLiteral("+0:41"));
}
