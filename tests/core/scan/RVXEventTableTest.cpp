// SPDX-License-Identifier: GPL-3.0-or-later
// What the Events view, the map and the marks make of a scan's findings.
#include "core/scan/RVXEventTable.h"
#include "support/StringTableApp.h"

#include "ScanTestSupport.h"

#include <gtest/gtest.h>

namespace {

using Kind = RVXScanEvent::Kind;

RVXScanEvent eventIn(const RVXTripUnit& unit, Kind kind, double offset) {
    RVXScanEvent e;
    e.kind = kind;
    e.media = unit.media;
    e.offset = offset;
    e.moment = double(unit.start) + offset;
    e.magnitude = 2.5;
    e.axes = QStringLiteral("x");
    e.acceleration = 4.26;
    return e;
}

} // namespace

TEST(RVXEventTable, RowsInTimeOrderWithTheQuietEventRecordingsAndWhereEachPlays) {
    ASSERT_TRUE(startStringTableApp());
    const std::vector<RVXTripUnit> units = {unitOf("alwa_20260314_081500_F.MP4", 60),
                                            unitOf("event_20260314_081600_F.MP4", 60),
                                            unitOf("event_20260314_081700_F.MP4", 60)};
    RVXCardScan::Result result;
    RVXScanEvent knock = eventIn(units[2], Kind::Impact, 0.4);
    knock.latitude = 48.2;
    knock.longitude = 16.37;
    knock.speedKmh = 31.6;
    result.events = {eventIn(units[0], Kind::Braking, 20), knock};
    result.quietEventRecordings = {units[1].media};
    const RVXEventTable table(result, units);

    const std::vector<RVXEventRow>& rows = table.rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].kind, Kind::Braking);
    EXPECT_EQ(rows[0].timeText, QStringLiteral("03-14 08:15:20"));
    EXPECT_EQ(rows[0].peakText, QStringLiteral("4.3 m/s\u00b2"));
    EXPECT_DOUBLE_EQ(rows[0].playSecond, 19.0);
    // The event recording with nothing found sits at its start and plays from there.
    EXPECT_FALSE(rows[1].kind);
    EXPECT_EQ(rows[1].media, units[1].media);
    EXPECT_EQ(rows[1].timeText, QStringLiteral("03-14 08:16:00"));
    EXPECT_DOUBLE_EQ(rows[1].playSecond, 0.0);
    // A second before a knock 0.4 s in is the recording's start.
    EXPECT_EQ(rows[2].peakText, QStringLiteral("2.50 g (x)"));
    EXPECT_EQ(rows[2].speedText, QStringLiteral("32 km/h"));
    EXPECT_EQ(rows[2].placeText, QStringLiteral("48.200000, 16.370000"));
    EXPECT_DOUBLE_EQ(rows[2].playSecond, 0.0);
    EXPECT_TRUE(rows[0].speedText.isEmpty() && rows[0].placeText.isEmpty());

    // Only what has a place goes on the map.
    EXPECT_EQ(table.mapScript(), QStringLiteral("setEvents([[16.370000,48.200000,\"impact\","
                                                "\"Impact, 2026-03-14 08:17:00\"]])"))
        << qPrintable(table.mapScript());
    EXPECT_EQ(RVXEventTable().mapScript(), QStringLiteral("setEvents([])"));

    // Impacts only, along their own recording and along a trip of all three.
    EXPECT_EQ(table.impactPositions(units[2].media, 40), std::vector<double>{0.01});
    EXPECT_TRUE(table.impactPositions(units[0].media, 60).empty());
    EXPECT_TRUE(table.impactPositions(units[2].media, 0).empty());
    const std::vector<RVXTrip> trips = RVXTrip::tripsFromUnits(units);
    ASSERT_EQ(trips.size(), 1u);
    const std::vector<double> along = table.impactPositions(trips[0]);
    ASSERT_EQ(along.size(), 1u);
    EXPECT_NEAR(along[0], 120.4 / 180.0, 1e-9);
}
