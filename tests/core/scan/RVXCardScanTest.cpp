// SPDX-License-Identifier: GPL-3.0-or-later
// The card scan on telemetry made to order: knocks against the thresholds with the
// mounting and gravity taken out, harsh speed changes from GPS, the camera's clock.
#include "core/scan/RVXCardScan.h"
#include "core/settings/RVXSettingFile.h"
#include "core/telemetry/RVXBlackBoxData.h"
#include "support/TempTree.h"
#include "testmedia/CameraRecordingWriter.h"
#include "testmedia/DemoDrive.h"

#include "ScanTestSupport.h"

#include <gtest/gtest.h>

namespace {

using Kind = RVXScanEvent::Kind;

// n samples at rest on a tilted mounting, ten a second.
RVXBlackBoxData resting(size_t n) {
    RVXBlackBoxData d;
    for (size_t k = 0; k < n; ++k) {
        d.m_GSensors.emplace_back(0.5f, 0.2f, 0.9f);
        d.m_Times.push_back(uint32_t(k * 100));
    }
    return d;
}

// A valid RMC fix in record `record`, at UTC 07:15:00 + seconds.
void addFix(RVXBlackBoxData& d, size_t record, double seconds, double knots, bool valid = true) {
    RVXGpsData f;
    f.gpsValid = valid ? 1 : 0;
    f.Latitude = 4812.0;
    f.Longitude = 1622.0;
    f.SpeedOverGround = knots;
    const int ms = int(std::lround((7 * 3600 + 15 * 60 + seconds) * 1000));
    f.Now = {2026,
             3,
             0,
             14,
             uint16_t(ms / 3600000),
             uint16_t(ms / 60000 % 60),
             uint16_t(ms / 1000 % 60),
             uint16_t(ms % 1000)};
    d.m_RMCIndexes.push_back(uint32_t(d.m_NMEAs.size()));
    d.m_RMCRecords.push_back(uint32_t(record));
    d.m_NMEAs.push_back(f);
}

RVXScanSettings thresholds(int x, int y, int z) {
    RVXScanSettings s;
    s.xThreshold = x;
    s.yThreshold = y;
    s.zThreshold = z;
    return s;
}

} // namespace

TEST(RVXScanSettings, ThresholdsAndZoneFromTheRecordOrTheDefaults) {
    _FILEDATA record{};
    makeDefaultSetting(record);
    record.gsen_x_threshold = 150;
    record.gsen_y_threshold = 120;
    record.gsen_z_threshold = 200;
    record.time_gmt = 15; // +01:00
    record.summer_time = 1;
    RVXScanSettings s = RVXScanSettings::fromRecord(record);
    EXPECT_EQ(s.xThreshold, 150);
    EXPECT_EQ(s.zThreshold, 200);
    EXPECT_EQ(s.clockMinutesFromUtc, 120);
    record.time_gmt = 8; // -04:30
    record.summer_time = 0;
    EXPECT_EQ(RVXScanSettings::fromRecord(record).clockMinutesFromUtc, -270);

    // A folder without a sound config.bin: the camera's defaults.
    TempTree tree;
    _FILEDATA defaults{};
    makeDefaultSetting(defaults);
    const RVXScanSettings fromDefaults = RVXScanSettings::fromRecord(defaults);
    s = RVXScanSettings::forFolder(tree.root());
    EXPECT_EQ(s.xThreshold, fromDefaults.xThreshold);
    EXPECT_GT(s.xThreshold, 0);
    tree.file(QStringLiteral("config.bin"), QByteArray(37, 'x'));
    EXPECT_EQ(RVXScanSettings::forFolder(tree.root()).yThreshold, fromDefaults.yThreshold);
    ASSERT_FALSE(writeSettingFile(record, tree.path(QStringLiteral("config.bin"))));
    EXPECT_EQ(RVXScanSettings::forFolder(tree.root()).zThreshold, 200);
}

TEST(RVXCardScan, KnocksOverTheThresholdsJoinWithinASecond) {
    const RVXTripUnit unit = unitOf("event_20260314_081500_F.MP4", 60);
    RVXBlackBoxData d = resting(600);
    addFix(d, 0, 0, 20);
    addFix(d, 95, 9.5, 30);
    addFix(d, 105, 10.5, 31, false);
    // 0.9 s apart: one impact, its peak the second; 1.1 s apart: two.
    d.m_GSensors[100].x += 1.2f;
    d.m_GSensors[109].x += 1.6f;
    d.m_GSensors[109].z -= 1.1f;
    d.m_GSensors[300].y += 1.3f;
    d.m_GSensors[311].y -= 1.3f;
    // Under the threshold once the mounting is taken out: 0.5 + 0.9 reads 1.4 g.
    d.m_GSensors[450].x += 0.9f;
    const std::vector<RVXScanEvent> e = RVXCardScan::impacts(unit, d, thresholds(100, 100, 100));
    ASSERT_EQ(e.size(), 3u);
    EXPECT_NEAR(e[0].offset, 10.9, 1e-6);
    EXPECT_NEAR(e[0].x, 1.6, 1e-6);
    EXPECT_NEAR(e[0].z, -1.1, 1e-6);
    EXPECT_NEAR(e[0].magnitude, std::sqrt(1.6 * 1.6 + 1.1 * 1.1), 1e-6);
    EXPECT_EQ(e[0].axes, QStringLiteral("xz"));
    // The last valid fix at or before the peak: the one of record 95, not the invalid one.
    ASSERT_TRUE(e[0].speedKmh);
    EXPECT_NEAR(*e[0].speedKmh, 30 * 1.852, 1e-9);
    EXPECT_NEAR(*e[0].latitude, 48.2, 1e-9);
    EXPECT_NEAR(*e[0].longitude, 16.366667, 1e-6);
    EXPECT_NEAR(e[1].offset, 30, 1e-6);
    EXPECT_NEAR(e[2].offset, 31.1, 1e-6);
    EXPECT_EQ(e[2].axes, QStringLiteral("y"));
    EXPECT_NEAR(e[2].moment, double(unit.start) + 31.1, 1e-6);
    // An axis with no threshold set never triggers; none at all finds nothing.
    EXPECT_EQ(RVXCardScan::impacts(unit, d, thresholds(0, 100, 0)).size(), 2u);
    EXPECT_TRUE(RVXCardScan::impacts(unit, d, thresholds(0, 0, 0)).empty());
    EXPECT_TRUE(RVXCardScan::impacts(unit, RVXBlackBoxData(), thresholds(1, 1, 1)).empty());
}

TEST(RVXCardScan, SampleTimesWithoutALength) {
    RVXBlackBoxData d = resting(50);
    const RVXTripUnit noLength = unitOf("alwa_20260314_081500_F.MP4", 0);
    EXPECT_DOUBLE_EQ(RVXCardScan::sampleTime(noLength, d, 20) - double(noLength.start), 2.0);
    d.m_Times.assign(50, 7); // not rising: ten a second
    EXPECT_DOUBLE_EQ(RVXCardScan::sampleTime(noLength, d, 25) - double(noLength.start), 2.5);
    const RVXTripUnit withLength = unitOf("alwa_20260314_081500_F.MP4", 10);
    EXPECT_DOUBLE_EQ(RVXCardScan::sampleTime(withLength, d, 25) - double(withLength.start), 5.0);
}

TEST(RVXCardScan, HardBrakingAndAccelerationFromConsecutiveFixes) {
    const RVXTripUnit unit = unitOf("alwa_20260314_081500_F.MP4", 60);
    RVXBlackBoxData d = resting(600);
    const double k = 0.514444;
    double v = 60;
    addFix(d, 0, 0, v);
    addFix(d, 10, 1, v -= 3.1 / k);  // braking, 3.1 m/s2
    addFix(d, 20, 2, v -= 3.5 / k);  // still braking: the same event, peak 3.5
    addFix(d, 30, 3, v -= 2.9 / k);  // 2.9: not hard
    addFix(d, 55, 5.5, v -= 20 / k); // 2.5 s after: not compared
    addFix(d, 65, 6.5, v += 3.1 / k);
    const std::vector<RVXScanEvent> e = RVXCardScan::harshEvents(unit, d);
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].kind, Kind::Braking);
    EXPECT_NEAR(e[0].acceleration, 3.5, 1e-6);
    EXPECT_DOUBLE_EQ(e[0].offset, 0);
    EXPECT_NEAR(*e[0].speedKmh, 60 * 1.852, 1e-9);
    EXPECT_EQ(e[1].kind, Kind::Acceleration);
    EXPECT_NEAR(e[1].acceleration, 3.1, 1e-6);
    EXPECT_DOUBLE_EQ(e[1].offset, 5.5);
}

TEST(RVXClockCheck, FastSlowRightAndAZoneOff) {
    const RVXTripUnit unit = unitOf("alwa_20260314_081500_F.MP4", 60);
    RVXScanSettings zone;
    zone.clockMinutesFromUtc = 60;
    RVXBlackBoxData d = resting(600);
    addFix(d, 5, 0, 10, false);
    addFix(d, 10, -192, 10); // 07:11:48 UTC in sample 10 (1 s in): 3 min 13 s fast
    EXPECT_NEAR(*RVXCardScan::clockOffset(unit, d, zone), 193.0, 1e-6);
    EXPECT_FALSE(RVXCardScan::clockOffset(unit, resting(10), zone));

    RVXClockCheck c = RVXClockCheck::fromOffsets({190, 192, 250, -5});
    EXPECT_EQ(c.units, 4);
    EXPECT_DOUBLE_EQ(*c.offsetSeconds, 191);
    EXPECT_EQ(c.state, RVXClockCheck::State::Fast);
    EXPECT_EQ(c.zoneMinutesOff, 0);
    EXPECT_EQ(c.sentence(), QStringLiteral("The camera's clock is 3 min 11 s fast."));
    c = RVXClockCheck::fromOffsets({-42.4});
    EXPECT_EQ(c.state, RVXClockCheck::State::Slow);
    EXPECT_EQ(c.sentence(), QStringLiteral("The camera's clock is 42 s slow."));
    EXPECT_EQ(RVXClockCheck::fromOffsets({1.9, -1.0}).state, RVXClockCheck::State::Ok);
    EXPECT_EQ(RVXClockCheck::fromOffsets({}).state, RVXClockCheck::State::Unknown);
    // Summer time set where it should not be: an hour ahead, give or take a minute.
    c = RVXClockCheck::fromOffsets({3603, 3650});
    EXPECT_EQ(c.zoneMinutesOff, 60);
    EXPECT_EQ(c.sentence(), QStringLiteral("The camera's clock is 1 h 27 s fast. Its time "
                                           "zone or summer time setting is likely off by 60 min."));
    EXPECT_EQ(RVXClockCheck::fromOffsets({-3600}).sentence(),
              QStringLiteral("The camera's clock is 1 h slow. Its time zone or summer time "
                             "setting is likely off by 60 min."));
    EXPECT_EQ(RVXClockCheck::fromOffsets({-1800 - 30}).zoneMinutesOff, -30);
    EXPECT_EQ(RVXClockCheck::fromOffsets({900 + 61}).zoneMinutesOff, 0);
}

TEST(RVXCardScan, AFolderWithADamagedRecordIsScannedToTheEnd) {
    TempTree tree;
    const DemoDrive drive;
    const QDateTime utc(QDate(2026, 3, 14), QTime(7, 15), Qt::UTC);
    ASSERT_FALSE(CameraRecordingWriter::writeSkeletonFile(
        tree.path(QStringLiteral("event_20260314_081500_F.MP4")), drive.recordsFor(0, 20, utc, 6.0),
        0));
    tree.file(QStringLiteral("alwa_20260314_081520_F.MP4"), QByteArray("not a recording"));
    std::vector<RVXTripUnit> units = {unitOf("x", 0), unitOf("y", 0)};
    units[0] = RVXTrip::unitOf(
        RVXMedia::mediaWithPath(tree.path(QStringLiteral("event_20260314_081500_F.MP4"))));
    units[1] = RVXTrip::unitOf(
        RVXMedia::mediaWithPath(tree.path(QStringLiteral("alwa_20260314_081520_F.MP4"))));
    RVXTrip::readLengths(units);
    std::vector<std::pair<int, int>> steps;
    const std::optional<RVXCardScan::Result> r =
        RVXCardScan::scan(units, thresholds(150, 150, 150), nullptr,
                          [&](int done, int total) { steps.emplace_back(done, total); });
    ASSERT_TRUE(r);
    EXPECT_EQ(r->units, 2);
    EXPECT_EQ(r->skipped, 1);
    EXPECT_EQ(steps, (std::vector<std::pair<int, int>>{{1, 2}, {2, 2}}));
    ASSERT_FALSE(r->events.empty());
    EXPECT_EQ(r->events[0].kind, Kind::Impact);
    EXPECT_NEAR(r->events[0].offset, 6.0, 0.2);
    EXPECT_TRUE(r->quietEventRecordings.empty());
    // The demo's recordings are named in UTC+1 and its clock is right.
    EXPECT_EQ(r->clock.units, 1);
    const std::atomic<bool> cancel{true};
    EXPECT_FALSE(RVXCardScan::scan(units, thresholds(150, 150, 150), &cancel));
}
