// SPDX-License-Identifier: GPL-3.0-or-later
// The card scan over real folders: every second of a drive scanned once, from the
// recording that plays there (an event recording cut from its loop is not seen twice),
// and the rear's telemetry where the front of a pair cannot be read.
#include "core/catalogue/RVXMediaList.h"
#include "core/scan/RVXCardScan.h"
#include "support/TempTree.h"
#include "testmedia/CameraRecordingWriter.h"
#include "testmedia/DemoDrive.h"

#include <QFile>
#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

using Kind = RVXScanEvent::Kind;

// The demo card's setting: names in UTC+1, the defaults' thresholds of 1.5 g.
RVXScanSettings vienna() {
    RVXScanSettings s;
    s.xThreshold = s.yThreshold = s.zThreshold = 150;
    s.clockMinutesFromUtc = 60;
    return s;
}

// A recording named name (its moment in camera time) holding the demo drive from
// driveOffset on; its GPS runs clockFast seconds behind the name's clock.
void write(const TempTree& tree, const QString& name, double driveOffset, double seconds,
           double impactAt = -1, int clockFast = 0) {
    const QString moment = name.section(u'_', 1, 2);
    QDateTime utc = QDateTime::fromString(moment, QStringLiteral("yyyyMMdd_HHmmss"));
    utc.setTimeSpec(Qt::UTC);
    utc = utc.addSecs(-3600 - clockFast);
    ASSERT_FALSE(CameraRecordingWriter::writeSkeletonFile(
        tree.path(name), DemoDrive().recordsFor(driveOffset, seconds, utc, impactAt), 0));
}

struct Scanned {
    std::vector<RVXTripUnit> units;
    std::optional<RVXCardScan::Result> result;
};

Scanned scanFolder(const QString& dir) {
    RVXMediaList list;
    list.setDirectoryPath(dir);
    list.waitForWalks();
    Scanned s;
    s.units = RVXTrip::unitsOfList(list);
    RVXTrip::readLengths(s.units);
    s.result = RVXCardScan::scan(s.units, vienna());
    return s;
}

std::vector<const RVXScanEvent*> ofKind(const RVXCardScan::Result& r, Kind kind) {
    std::vector<const RVXScanEvent*> out;
    for (const RVXScanEvent& e : r.events) {
        if (e.kind == kind)
            out.push_back(&e);
    }
    return out;
}

// Seconds of the camera's clock at hh:mm:ss on the demo's first day.
double at(int h, int m, double s) {
    return double(RVXTrip::unitOf(
                      RVXMedia::mediaWithPath(QStringLiteral("/c/alwa_20260314_000000_F.MP4")))
                      .start) +
           h * 3600 + m * 60 + s;
}

} // namespace

TEST(RVXCardScanDrive, AnEventRecordingCutFromItsLoopIsScannedOnce) {
    TempTree tree;
    // The loop records on through the event recording cut from it: both hold the knock
    // at 08:15:33 and the hard stop at 08:15:27.
    write(tree, QStringLiteral("alwa_20260314_081500_F.MP4"), 110, 60, 33);
    write(tree, QStringLiteral("event_20260314_081525_F.MP4"), 135, 14, 8);
    const Scanned s = scanFolder(tree.root());
    ASSERT_TRUE(s.result);
    const RVXCardScan::Result& r = *s.result;
    EXPECT_EQ(r.units, 2);
    EXPECT_EQ(r.skipped, 0);
    const auto knocks = ofKind(r, Kind::Impact);
    ASSERT_EQ(knocks.size(), 1u);
    // Found in the event recording, which plays over the loop there.
    EXPECT_EQ(knocks[0]->media->fileName(), QStringLiteral("event_20260314_081525_F.MP4"));
    EXPECT_NEAR(knocks[0]->moment, at(8, 15, 33), 0.2);
    EXPECT_NEAR(knocks[0]->offset, 8, 0.2);
    const auto stops = ofKind(r, Kind::Braking);
    ASSERT_EQ(stops.size(), 1u);
    EXPECT_EQ(stops[0]->media->fileName(), QStringLiteral("event_20260314_081525_F.MP4"));
    EXPECT_NEAR(stops[0]->moment, at(8, 15, 27), 1.0);
    EXPECT_TRUE(r.quietEventRecordings.empty());
    EXPECT_EQ(r.clock.units, 2);
    EXPECT_NEAR(*r.clock.offsetSeconds, 0, 0.5);
}

TEST(RVXCardScanDrive, AKnockAndAStopOverTheBorderOfTwoRecordingsAreOneEach) {
    TempTree tree;
    // The event recording starts in the middle of the knock (08:15:28.9 to 08:15:29.2)
    // and of the braking for the light (08:15:27.2 to 08:15:30.5).
    write(tree, QStringLiteral("alwa_20260314_081500_F.MP4"), 110, 60, 28.9);
    write(tree, QStringLiteral("event_20260314_081529_F.MP4"), 139, 10, 0);
    const Scanned s = scanFolder(tree.root());
    ASSERT_TRUE(s.result);
    const auto knocks = ofKind(*s.result, Kind::Impact);
    ASSERT_EQ(knocks.size(), 1u);
    EXPECT_NEAR(knocks[0]->moment, at(8, 15, 29), 0.15);
    const auto stops = ofKind(*s.result, Kind::Braking);
    ASSERT_EQ(stops.size(), 1u);
    EXPECT_EQ(stops[0]->media->fileName(), QStringLiteral("alwa_20260314_081500_F.MP4"));
    EXPECT_NEAR(stops[0]->moment, at(8, 15, 27.2), 0.5);
    EXPECT_GE(stops[0]->acceleration, 3.0);
}

TEST(RVXCardScanDrive, AnEventRecordingIsQuietOnlyWhenNothingWasFoundInItsSeconds) {
    TempTree tree;
    // The first event recording runs into a loop that starts after it: its knock, at
    // 08:15:05, plays from the loop and is listed once, from there; the event recording
    // held it, so it is not one "with nothing found". The second holds nothing.
    write(tree, QStringLiteral("event_20260314_081450_F.MP4"), 0, 20, 15);
    write(tree, QStringLiteral("alwa_20260314_081500_F.MP4"), 10, 60, 5);
    write(tree, QStringLiteral("event_20260314_081530_F.MP4"), 40, 10);
    const Scanned s = scanFolder(tree.root());
    ASSERT_TRUE(s.result);
    const auto knocks = ofKind(*s.result, Kind::Impact);
    ASSERT_EQ(knocks.size(), 1u);
    EXPECT_EQ(knocks[0]->media->fileName(), QStringLiteral("alwa_20260314_081500_F.MP4"));
    EXPECT_NEAR(knocks[0]->moment, at(8, 15, 5), 0.2);
    ASSERT_EQ(s.result->quietEventRecordings.size(), 1u);
    EXPECT_EQ(s.result->quietEventRecordings[0]->fileName(),
              QStringLiteral("event_20260314_081530_F.MP4"));
}

TEST(RVXCardScanDrive, TheClockMedianCountsEachSecondOfTheDriveOnce) {
    TempTree tree;
    // 20 s with a right clock, an event recording of 10 of them, then 25 s of a clock
    // 10 s fast. Counted once, 25 of the drive's 45 s say 10 s fast; the event
    // recording's seconds counted again would make it 30 against 25.
    write(tree, QStringLiteral("alwa_20260314_081500_F.MP4"), 0, 20);
    write(tree, QStringLiteral("event_20260314_081505_F.MP4"), 5, 10);
    write(tree, QStringLiteral("alwa_20260314_081520_F.MP4"), 20, 25, -1, 10);
    const Scanned s = scanFolder(tree.root());
    ASSERT_TRUE(s.result);
    const RVXClockCheck& c = s.result->clock;
    EXPECT_EQ(c.units, 3);
    ASSERT_TRUE(c.offsetSeconds);
    EXPECT_NEAR(*c.offsetSeconds, 10, 0.5);
    EXPECT_EQ(c.state, RVXClockCheck::State::Fast);
}

TEST(RVXCardScanDrive, AFrontThatCannotBeReadIsScannedFromItsRear) {
    TempTree tree;
    write(tree, QStringLiteral("alwa_20260314_081500_F.MP4"), 0, 15);
    write(tree, QStringLiteral("alwa_20260314_081500_R.MP4"), 0, 15);
    write(tree, QStringLiteral("event_20260314_081515_R.MP4"), 15, 15, 6);
    write(tree, QStringLiteral("alwa_20260314_081530_R.MP4"), 130, 15);
    write(tree, QStringLiteral("alwa_20260314_081530_F.MP4"), 130, 15);
    write(tree, QStringLiteral("alwa_20260314_081545_R.MP4"), 145, 15, 5);
    ASSERT_FALSE(CameraRecordingWriter::writeSkeletonFile(
        tree.path(QStringLiteral("alwa_20260314_081545_F.MP4")), {}, 0));
    // The event's front cut short as a power loss leaves it (no index), the next front
    // nothing but noise, the last one's track empty.
    QFile whole(tree.path(QStringLiteral("alwa_20260314_081500_F.MP4")));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    tree.file(QStringLiteral("event_20260314_081515_F.MP4"), whole.read(whole.size() * 2 / 3));
    QByteArray noise(int(whole.size()), '\0');
    QRandomGenerator gen(38);
    for (char& c : noise)
        c = char(gen.bounded(256));
    tree.file(QStringLiteral("alwa_20260314_081530_F.MP4"), noise);

    const Scanned s = scanFolder(tree.root());
    ASSERT_TRUE(s.result);
    const RVXCardScan::Result& r = *s.result;
    EXPECT_EQ(r.units, 4);
    EXPECT_EQ(r.skipped, 0);
    const auto knocks = ofKind(r, Kind::Impact);
    ASSERT_EQ(knocks.size(), 2u);
    // The row stands for the pair, named by its front as everywhere.
    EXPECT_EQ(knocks[0]->media->fileName(), QStringLiteral("event_20260314_081515_F.MP4"));
    EXPECT_NEAR(knocks[0]->moment, at(8, 15, 21), 0.2);
    EXPECT_EQ(knocks[1]->media->fileName(), QStringLiteral("alwa_20260314_081545_F.MP4"));
    EXPECT_NEAR(knocks[1]->moment, at(8, 15, 50), 0.2);
    const auto stops = ofKind(r, Kind::Braking);
    ASSERT_EQ(stops.size(), 1u);
    EXPECT_EQ(stops[0]->media->fileName(), QStringLiteral("alwa_20260314_081530_F.MP4"));
    EXPECT_NEAR(stops[0]->offset, 7, 0.5);
    EXPECT_TRUE(r.quietEventRecordings.empty());
    EXPECT_EQ(r.clock.units, 4);
}
