// SPDX-License-Identifier: GPL-3.0-or-later
// Which recordings, and which seconds of them, hold a window round a moment.
#include "core/catalogue/RVXMedia.h"
#include "core/evidence/RVXCameraTime.h"
#include "core/evidence/RVXEvidencePack.h"
#include "core/evidence/RVXEvidencePlan.h"

#include <gtest/gtest.h>

namespace {

RVXMediaRef media(const char* name) {
    return RVXMedia::mediaWithPath(QStringLiteral("/card/") + name);
}

RVXTripUnit unit(const char* front, const char* rear, double length) {
    RVXTripUnit u = RVXTrip::unitOf(media(front), rear ? media(rear) : nullptr);
    u.length = length;
    return u;
}

// A pair of 60 s recordings, a lone front 60 s after, and a lone rear on its own later.
std::vector<RVXTrip> card() {
    return RVXTrip::tripsFromUnits(
        {unit("alwa_20260314_081500_F.MP4", "alwa_20260314_081500_R.MP4", 60),
         unit("alwa_20260314_081600_F.MP4", nullptr, 60),
         unit("alwa_20260314_120000_R.MP4", nullptr, 60)});
}

double at(int h, int m, double s) {
    return double(QDateTime(QDate(2026, 3, 14), QTime(h, m), Qt::UTC).toSecsSinceEpoch()) + s;
}

} // namespace

TEST(RVXEvidencePlan, InsideOneAcrossABorderClippedAtTheStartAndALoneRecording) {
    const std::vector<RVXTrip> trips = card();
    ASSERT_EQ(trips.size(), 2u);

    // Inside the pair: both cameras, the same seconds.
    auto plan = RVXEvidencePlan::make(trips, at(8, 15, 30), 10, 5);
    ASSERT_TRUE(plan);
    ASSERT_EQ(plan->parts.size(), 1u);
    EXPECT_DOUBLE_EQ(plan->parts[0].from, 20);
    EXPECT_DOUBLE_EQ(plan->parts[0].to, 35);
    EXPECT_DOUBLE_EQ(plan->windowStart, at(8, 15, 20));
    const auto front = plan->pieces(false), rear = plan->pieces(true);
    ASSERT_EQ(front.size(), 1u);
    ASSERT_EQ(rear.size(), 1u);
    EXPECT_TRUE(rear[0].path.endsWith(QStringLiteral("081500_R.MP4")));

    // Across the border into the lone front: the rear camera's part ends at the border.
    plan = RVXEvidencePlan::make(trips, at(8, 15, 55));
    ASSERT_TRUE(plan);
    ASSERT_EQ(plan->parts.size(), 2u);
    EXPECT_DOUBLE_EQ(plan->parts[0].from, 35);
    EXPECT_DOUBLE_EQ(plan->parts[0].to, 60);
    EXPECT_DOUBLE_EQ(plan->parts[1].from, 0);
    EXPECT_DOUBLE_EQ(plan->parts[1].to, 15);
    EXPECT_EQ(plan->pieces(false).size(), 2u);
    EXPECT_EQ(plan->pieces(true).size(), 1u);

    // 5 s into the drive, 20 s before is clipped at its start.
    plan = RVXEvidencePlan::make(trips, at(8, 15, 5));
    ASSERT_TRUE(plan);
    EXPECT_DOUBLE_EQ(plan->parts[0].from, 0);
    EXPECT_DOUBLE_EQ(plan->windowStart, at(8, 15, 0));

    // A lone rear gives only its side; a moment nothing plays at gives no plan.
    plan = RVXEvidencePlan::make(trips, at(12, 0, 30));
    ASSERT_TRUE(plan);
    EXPECT_TRUE(plan->pieces(false).empty());
    EXPECT_EQ(plan->pieces(true).size(), 1u);
    EXPECT_FALSE(RVXEvidencePlan::make(trips, at(10, 0, 0)));
    EXPECT_FALSE(RVXEvidencePlan::make(trips, at(8, 17, 0)));
}

// The event a moment is: the nearest within a second, said as the sheet says it.
TEST(RVXEvidencePack, AMomentIsTheNearestEventWithinASecond) {
    RVXScanEvent knock;
    knock.moment = at(8, 15, 33);
    knock.magnitude = 3.694;
    knock.axes = QStringLiteral("xz");
    RVXScanEvent braking;
    braking.kind = RVXScanEvent::Kind::Braking;
    braking.moment = at(8, 15, 34.5);
    braking.acceleration = 3.88;
    const std::vector<RVXScanEvent> events{knock, braking};
    struct Case {
        double moment;
        std::optional<RVXScanEvent::Kind> found;
    };
    for (const Case& c : std::vector<Case>{{at(8, 15, 33), RVXScanEvent::Kind::Impact},
                                           {at(8, 15, 32), RVXScanEvent::Kind::Impact},
                                           {at(8, 15, 33.7), RVXScanEvent::Kind::Impact},
                                           {at(8, 15, 33.8), RVXScanEvent::Kind::Braking},
                                           {at(8, 15, 35.5), RVXScanEvent::Kind::Braking},
                                           {at(8, 15, 31.9), std::nullopt},
                                           {at(8, 15, 35.6), std::nullopt}}) {
        const std::optional<RVXScanEvent> e = RVXEvidencePack::eventAt(events, c.moment);
        EXPECT_EQ(e ? std::optional(e->kind) : std::nullopt, c.found)
            << RVXCameraTime::text(c.moment).toStdString();
    }
    EXPECT_FALSE(RVXEvidencePack::eventAt({}, knock.moment));

    EXPECT_EQ(RVXEvidencePack::eventText(knock, knock.moment),
              QStringLiteral("Impact, 3.69 g (x and z over their thresholds) at "
                             "2026-03-14T08:15:33.000, found by the card scan"));
    knock.axes = QStringLiteral("y");
    EXPECT_EQ(RVXEvidencePack::eventText(knock, at(8, 15, 33.5)),
              QStringLiteral("Impact, 3.69 g (y over its threshold) at 2026-03-14T08:15:33.000, "
                             "found by the card scan, 0.500 s before the moment"));
    EXPECT_EQ(RVXEvidencePack::eventText(braking, at(8, 15, 34)),
              QStringLiteral("Hard braking, 3.9 m/s\u00b2 at 2026-03-14T08:15:34.500, found by "
                             "the card scan, 0.500 s after the moment"));
}
