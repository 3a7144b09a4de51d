// SPDX-License-Identifier: GPL-3.0-or-later
// The player window's rules that need no window: list cells, size steps, the
// telemetry read-out.
#include "core/playback/RVXMediaListCell.h"
#include "core/playback/RVXTelemetryReadout.h"
#include "core/playback/RVXWindowGeometry.h"
#include "core/telemetry/RVXBlackBoxData.h"
#include "support/CommaLocale.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QStringList>

namespace {
RVXMediaListCell cell(const QString& path, const char* column) {
    return RVXMediaListCell::cellForColumn(RVXMedia(path), QString::fromLatin1(column));
}

RVXGpsData fix(double lat, char ns, double lng, char ew, double knots, double hdop = 1.0,
               uint32_t used = 7) {
    RVXGpsData f;
    f.Latitude = lat;
    f.NS = ns;
    f.Longitude = lng;
    f.EW = ew;
    f.SpeedOverGround = knots;
    f.HDOP = hdop;
    f.SatelliteUsedCount = used;
    return f;
}

RVXAviGpsData block(char unit) {
    RVXAviGpsData b;
    b.data[0] = unit;
    return b;
}
} // namespace

TEST(RVXMediaListCell, KindTextAndIconFollowKindAndSide) {
    struct Case {
        const char* name;
        const char* text;
        const char* icon;
    } cases[] = {
        {"/c/alwa_20260314_081500_F.MP4", "media.always", "car_front_alwa"},
        {"/c/motion_20260314_081515_R.MP4", "media.motion", "car_rear_motion"},
        {"/c/event_20260314_081527_F.mp4", "media.event", "car_front_event"},
        {"/c/event_20260314_081527_R.MP4", "media.event", "car_rear_event"},
    };
    for (const Case& c : cases) {
        const RVXMediaListCell mode = cell(QString::fromLatin1(c.name), "saveMode");
        // Without the string table installed a lookup gives the key.
        EXPECT_EQ(mode.text, QString::fromLatin1(c.text)) << c.name;
        EXPECT_EQ(mode.iconName, QString::fromLatin1(c.icon)) << c.name;
    }
}

TEST(RVXMediaListCell, DateTimeAndFileColumns) {
    const QString path = QStringLiteral("/card/20260314/alwa_20260314_081500_F.MP4");
    EXPECT_EQ(cell(path, "date").text, QStringLiteral("2026-03-14"));
    EXPECT_EQ(cell(path, "time").text, QStringLiteral("08:15:00"));
    EXPECT_EQ(cell(path, "file").text, QStringLiteral("alwa_20260314_081500_F.MP4"));
    EXPECT_TRUE(cell(path, "other").text.isEmpty());
}

TEST(RVXMediaListCell, UnsetMomentGivesEmptyDateAndTime) {
    // A record whose name has no moment (the player's media item may be anything).
    const RVXMedia media(QStringLiteral("/card/alwa_00000000_000000_F.MP4"));
    ASSERT_EQ(media.year(), 0);
    EXPECT_TRUE(RVXMediaListCell::cellForColumn(media, u"date").text.isEmpty());
    EXPECT_TRUE(RVXMediaListCell::cellForColumn(media, u"time").text.isEmpty());
}

TEST(RVXMediaListCell, ColumnsInOrder) {
    QStringList ids;
    for (const auto& c : RVXMediaListCell::columns)
        ids << QString::fromLatin1(c.identifier);
    EXPECT_EQ(ids, QStringList({"saveMode", "date", "time", "file"}));
    EXPECT_FALSE(RVXMediaListCell::columns[3].centred);
}

TEST(RVXWindowGeometry, StartFrameIsCentredInTheVisibleArea) {
    EXPECT_EQ(RVXWindowGeometry::minWindowFrame(QRect(0, 27, 1920, 1053)),
              QRect(450, 27 + 206, 1020, 640));
}

TEST(RVXWindowGeometry, SizeStepsUpOnAFullHdScreen) {
    const QSize screen(1920, 1080);
    using A = RVXWindowGeometry::StepAction;
    auto step = RVXWindowGeometry::sizeStep(QSize(1020, 640), 1, screen, false);
    EXPECT_EQ(step.action, A::Resize);
    EXPECT_EQ(step.size, QSize(1224, 768));
    step = RVXWindowGeometry::sizeStep(step.size, 1, screen, false);
    EXPECT_EQ(step.size, QSize(1428, 896));
    // 1024 is more than 1080 - 100: full screen instead of 1632 x 1024.
    step = RVXWindowGeometry::sizeStep(step.size, 1, screen, false);
    EXPECT_EQ(step.action, A::EnterFullScreen);
    EXPECT_EQ(RVXWindowGeometry::sizeStep(QSize(1920, 1080), 1, screen, true).action, A::Nothing);
}

TEST(RVXWindowGeometry, AGrownWindowMovesUpAndLeftOnlyAsFarAsTheScreenNeeds) {
    const QRect visible(0, 27, 1920, 1053); // under a top panel
    const struct {
        QRect frame, kept;
    } cases[] = {
        {{450, 220, 1428, 896}, {450, 184, 1428, 896}}, // the bottom edge below the screen's
        {{800, 100, 1224, 768}, {696, 100, 1224, 768}}, // the right edge past it
        {{10, 40, 1020, 640}, {10, 40, 1020, 640}},     // inside: where it was
        {{-50, 0, 1020, 640}, {0, 27, 1020, 640}},      // never above or left of the area
        {{100, 100, 2000, 1200}, {0, 27, 2000, 1200}},  // too large: its top-left shows
    };
    for (const auto& c : cases)
        EXPECT_EQ(RVXWindowGeometry::keptInside(c.frame, visible), c.kept) << c.frame.x();
}

TEST(RVXWindowGeometry, SizeStepsDownStopAtTheMinimumAndLeaveFullScreen) {
    const QSize screen(1920, 1080);
    using A = RVXWindowGeometry::StepAction;
    auto step = RVXWindowGeometry::sizeStep(QSize(1020, 640), -1, screen, false);
    EXPECT_EQ(step.action, A::Resize);
    EXPECT_EQ(step.size, QSize(1020, 640));
    // Below the minimum in one axis only: both axes become the minimum.
    step = RVXWindowGeometry::sizeStep(QSize(1300, 700), -1, screen, false);
    EXPECT_EQ(step.size, QSize(1020, 640));
    EXPECT_EQ(RVXWindowGeometry::sizeStep(QSize(1224, 768), 0, screen, false).size,
              QSize(1224, 768));
    EXPECT_EQ(RVXWindowGeometry::sizeStep(QSize(1920, 1080), 0, screen, true).action,
              A::LeaveFullScreen);
    EXPECT_EQ(RVXWindowGeometry::sizeStep(QSize(1920, 1080), -1, screen, true).action,
              A::LeaveFullScreen);
}

TEST(RVXWindowGeometry, DraggingStopsAtTheTopOfTheVisibleArea) {
    const QRect visible(0, 27, 1920, 1053);
    EXPECT_EQ(RVXWindowGeometry::draggedOrigin(QPoint(500, 10), QPoint(100, 20), visible),
              QPoint(400, 27));
    EXPECT_EQ(RVXWindowGeometry::draggedOrigin(QPoint(500, 400), QPoint(100, 20), visible),
              QPoint(400, 380));
}

TEST(RVXTelemetryReadout, SampleIndexRule) {
    EXPECT_EQ(RVXTelemetryReadout::sampleIndex(1.0, 300), 299u);
    EXPECT_EQ(RVXTelemetryReadout::sampleIndex(0.5, 300), 150u);
    EXPECT_EQ(RVXTelemetryReadout::sampleIndex(0.0, 300), 0u);
    EXPECT_EQ(RVXTelemetryReadout::sampleIndex(0.999, 1), 0u);
    EXPECT_EQ(RVXTelemetryReadout::sampleIndex(-0.1, 10), 0u);
}

TEST(RVXTelemetryReadout, GValuesCarryTheSignOfTheValue) {
    EXPECT_EQ(RVXTelemetryReadout::gsensorText('X', 0), QStringLiteral("X=0.00"));
    EXPECT_EQ(RVXTelemetryReadout::gsensorText('X', 0.004), QStringLiteral("X=+0.00"));
    EXPECT_EQ(RVXTelemetryReadout::gsensorText('X', -0.004), QStringLiteral("X=-0.00"));
    EXPECT_EQ(RVXTelemetryReadout::gsensorText('Y', 0.5), QStringLiteral("Y=+0.50"));
    EXPECT_EQ(RVXTelemetryReadout::gsensorText('Z', -1.25), QStringLiteral("Z=-1.25"));
    EXPECT_EQ(RVXTelemetryReadout::gsensorText('Z', 0.125), QStringLiteral("Z=+0.12"));
}

TEST(RVXTelemetryReadout, PositionGoesToTheMapLongitudeFirst) {
    RVXBlackBoxData data;
    data.m_vGpsData = {block('9'), block('9')};
    data.m_NMEAs = {fix(3731.5, 'N', 12658.5, 'E', 10), fix(3731.5, 'S', 12658.5, 'W', 10)};
    auto gps = RVXTelemetryReadout::gps(data, 0.0);
    EXPECT_EQ(gps.script, QStringLiteral("setLatLag('126.975000','37.525000')"));
    EXPECT_EQ(gps.speed, QStringLiteral("18 Km/h"));
    gps = RVXTelemetryReadout::gps(data, 0.9);
    EXPECT_EQ(gps.script, QStringLiteral("setLatLag('-126.975000','-37.525000')"));
    // Back north and east: positive again.
    data.m_NMEAs.push_back(fix(3731.5, 'N', 12658.5, 'E', 10));
    data.m_vGpsData.push_back(block('9'));
    EXPECT_EQ(RVXTelemetryReadout::gps(data, 1.0).script,
              QStringLiteral("setLatLag('126.975000','37.525000')"));
}

// 1.25 and 0.125 lie exactly between two texts: the C library's half-to-even rule holds.
// 1.25 and 0.125 lie exactly between two texts: the C library's half-to-even rule holds.
TEST(RVXTelemetryReadout, NumbersKeepTheirPointInAnyLocale) {
    const CommaLocale german;
    ASSERT_EQ(german.error(), "");
    EXPECT_EQ(RVXTelemetryReadout::setLatLagScript(126.97, 37.525),
              QStringLiteral("setLatLag('126.970000','37.525000')"));
    EXPECT_EQ(RVXTelemetryReadout::gsensorText('X', 0.5), QStringLiteral("X=+0.50"));
    EXPECT_EQ(RVXTelemetryReadout::gsensorText('Y', -1.125), QStringLiteral("Y=-1.12"));
}

TEST(RVXTelemetryReadout, SpeedUnitFollowsTheRawBlock) {
    RVXBlackBoxData data;
    data.m_vGpsData = {block('8')};
    data.m_NMEAs = {fix(3731.5, 'N', 12658.5, 'E', 10, 1.25, 9)};
    const auto gps = RVXTelemetryReadout::gps(data, 0.3);
    EXPECT_EQ(gps.speed, QStringLiteral("11 Mi/h"));
    EXPECT_EQ(gps.hdop, QStringLiteral("1.2"));
    EXPECT_EQ(gps.satellites, QStringLiteral("9"));
}

TEST(RVXTelemetryReadout, WithoutFixesOrBlocks) {
    RVXBlackBoxData data;
    auto gps = RVXTelemetryReadout::gps(data, 0.5);
    EXPECT_EQ(gps.script, QStringLiteral("RVXDebug('GPS Data Count=Zero')"));
    EXPECT_EQ(gps.speed, QStringLiteral("- Km/h"));
    EXPECT_EQ(gps.hdop, QStringLiteral("-.-"));
    EXPECT_EQ(gps.satellites, QStringLiteral("-"));
    // Blocks without decoded fixes: the same dashes and nothing for the map.
    data.m_vGpsData = {block('9'), block('9')};
    gps = RVXTelemetryReadout::gps(data, 0.5);
    EXPECT_FALSE(gps.script);
    EXPECT_EQ(gps.speed, QStringLiteral("- Km/h"));
    EXPECT_EQ(gps.hdop, QStringLiteral("-.-"));
}

TEST(RVXTelemetryReadout, MoreFixesThanBlocksIndexSeparately) {
    RVXBlackBoxData data;
    for (int i = 0; i < 100; ++i)
        data.m_vGpsData.push_back(block('9'));
    for (int i = 0; i < 200; ++i)
        data.m_NMEAs.push_back(fix(4800 + i, 'N', 1600, 'E', i, i / 10.0, uint32_t(i)));
    const auto gps = RVXTelemetryReadout::gps(data, 0.5);
    // Position and speed from fix 50 (the block index), HDOP and satellites from 100.
    EXPECT_EQ(gps.speed, QString::asprintf("%d Km/h", int(50 * 1.852)));
    EXPECT_EQ(gps.script, RVXTelemetryReadout::setLatLagScript(16.0, 48 + 50 / 60.0));
    EXPECT_EQ(gps.hdop, QStringLiteral("10.0"));
    EXPECT_EQ(gps.satellites, QStringLiteral("100"));
    // More blocks than fixes: an index past the fixes moves nothing and sets no speed.
    data.m_NMEAs.resize(40);
    const auto past = RVXTelemetryReadout::gps(data, 0.9);
    EXPECT_FALSE(past.script);
    EXPECT_FALSE(past.speed);
    EXPECT_EQ(past.satellites, QStringLiteral("36"));
}

TEST(RVXTelemetryReadout, TrackHoldsEveryPositionOnceInOrder) {
    RVXBlackBoxData data;
    EXPECT_EQ(RVXTelemetryReadout::trackScript(data), QStringLiteral("setTrack([])"));
    data.m_NMEAs = {fix(0, 'N', 0, 'E', 0),            // no position yet
                    fix(3731.5, 'N', 12658.5, 'E', 1), // RMC
                    fix(3731.5, 'N', 12658.5, 'E', 1), // GGA of the same moment
                    fix(3731.5, 'S', 12658.5, 'W', 1), fix(4812.0, 'N', 1622.2, 'E', 1)};
    EXPECT_EQ(RVXTelemetryReadout::trackScript(data),
              QStringLiteral("setTrack([[126.975000,37.525000],[-126.975000,-37.525000],"
                             "[16.370000,48.200000]])"));
    const CommaLocale german;
    ASSERT_EQ(german.error(), "");
    EXPECT_TRUE(RVXTelemetryReadout::trackScript(data).contains(QStringLiteral("[16.370000,48.")));
}
