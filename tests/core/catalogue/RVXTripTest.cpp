// SPDX-License-Identifier: GPL-3.0-or-later
// Trips: grouping at the join border, the timeline where recordings overlap, the units
// a real catalogue gives, movie header lengths, and the distance of a known drive.
#include "core/catalogue/RVXTrip.h"
#include "core/catalogue/RVXMediaList.h"
#include "core/catalogue/RVXTripTelemetry.h"
#include "core/telemetry/RVXFileReader.h"
#include "core/telemetry/RVXMovieHeader.h"
#include "support/TempTree.h"

#include "testmedia/CameraRecordingWriter.h"
#include "testmedia/DemoDrive.h"
#include "testmedia/Mp4Box.h"

#include <gtest/gtest.h>

#include <QFile>

namespace {

RVXTripUnit unit(const char* name, double length) {
    RVXTripUnit u = RVXTrip::unitOf(RVXMedia::mediaWithPath(QStringLiteral("/card/") + name));
    u.length = length;
    return u;
}

std::vector<double> offsets(const RVXTrip& trip) {
    std::vector<double> out;
    for (const RVXTripUnit& u : trip.units())
        out.push_back(u.offset);
    return out;
}

struct Seg {
    size_t unit;
    double start, end, unitStart;
    bool operator==(const Seg&) const = default;
};
std::vector<Seg> segments(const RVXTrip& trip) {
    std::vector<Seg> out;
    for (const RVXTripSegment& s : trip.segments())
        out.push_back({s.unit, s.start, s.end, s.unitStart});
    return out;
}

} // namespace

TEST(RVXTrip, AUnitJoinsAtMostThreeSecondsAfterTheEndSoFar) {
    // 12 s from 08:15:00 ends at :12; :15 is 3.0 s later and joins. 11.999 s leaves
    // 3.001 s and opens a new trip.
    std::vector<RVXTrip> trips = RVXTrip::tripsFromUnits(
        {unit("alwa_20260314_081500_F.MP4", 12.0), unit("motion_20260314_081515_F.MP4", 12.0),
         unit("event_20260314_081530_F.MP4", 11.999), unit("alwa_20260314_081545_F.MP4", 60)});
    ASSERT_EQ(trips.size(), 2u);
    EXPECT_EQ(offsets(trips[0]), std::vector<double>({0, 15, 30}));
    EXPECT_DOUBLE_EQ(trips[0].seconds(), 41.999);
    EXPECT_EQ(trips[0].clockTime().toString(Qt::ISODate), QStringLiteral("2026-03-14T08:15:00Z"));
    EXPECT_EQ(trips[0].countOfKind(RVXMediaDivisionAlways), 1);
    EXPECT_EQ(trips[0].countOfKind(RVXMediaDivisionMotion), 1);
    EXPECT_EQ(trips[0].countOfKind(RVXMediaDivisionEvent), 1);
    EXPECT_EQ(trips[1].units().size(), 1u);
    EXPECT_DOUBLE_EQ(trips[1].seconds(), 60);

    // Across midnight and a month's end the moments still follow one another.
    trips = RVXTrip::tripsFromUnits(
        {unit("alwa_20260331_235950_F.MP4", 10), unit("alwa_20260401_000000_F.MP4", 10)});
    ASSERT_EQ(trips.size(), 1u);
    EXPECT_EQ(offsets(trips[0]), std::vector<double>({0, 10}));

    // Lengths that could not be read leave their units in the trip; the next unit is
    // judged from the start alone.
    trips = RVXTrip::tripsFromUnits({unit("alwa_20260314_081500_F.MP4", 0),
                                     unit("alwa_20260314_081503_F.MP4", 0),
                                     unit("alwa_20260314_081507_F.MP4", 10)});
    ASSERT_EQ(trips.size(), 2u);
    EXPECT_EQ(trips[0].units().size(), 2u);
    EXPECT_TRUE(trips[0].segments().empty());
    EXPECT_FALSE(trips[0].placeAt(0));
}

TEST(RVXTrip, WhereUnitsOverlapTheOneThatStartedLastPlays) {
    // An event recording cut from the loop it belongs to, and one that runs past it.
    const std::vector<RVXTrip> trips = RVXTrip::tripsFromUnits(
        {unit("alwa_20260314_080000_F.MP4", 60), unit("event_20260314_080020_F.MP4", 20),
         unit("event_20260314_080050_F.MP4", 20), unit("alwa_20260314_080112_F.MP4", 10)});
    ASSERT_EQ(trips.size(), 1u);
    const RVXTrip& trip = trips[0];
    EXPECT_EQ(
        segments(trip),
        std::vector<Seg>(
            {{0, 0, 20, 0}, {1, 20, 40, 0}, {0, 40, 50, 40}, {2, 50, 70, 0}, {3, 72, 82, 0}}));
    EXPECT_DOUBLE_EQ(trip.seconds(), 82);
    const auto at = [&](double t) {
        const auto place = trip.placeAt(t);
        return place ? std::pair(trip.segments()[place->segment].unit, place->unitSecond)
                     : std::pair(size_t(99), -1.0);
    };
    EXPECT_EQ(at(0), std::pair(size_t(0), 0.0));
    EXPECT_EQ(at(30), std::pair(size_t(1), 10.0));
    EXPECT_EQ(at(45), std::pair(size_t(0), 45.0));
    EXPECT_EQ(at(69.5), std::pair(size_t(2), 19.5));
    // In the gap the next unit plays from its start; before the start the first, past the
    // end the last at its end.
    EXPECT_EQ(at(71), std::pair(size_t(3), 0.0));
    EXPECT_EQ(at(-5), std::pair(size_t(0), 0.0));
    EXPECT_EQ(at(500), std::pair(size_t(3), 10.0));

    // Two that start together: the first in the catalogue (the event) plays.
    const std::vector<RVXTrip> together = RVXTrip::tripsFromUnits(
        {unit("event_20260314_090000_F.MP4", 10), unit("alwa_20260314_090000_F.MP4", 60)});
    EXPECT_EQ(segments(together[0]), std::vector<Seg>({{0, 0, 10, 0}, {1, 10, 60, 10}}));
}

TEST(RVXTrip, ACatalogueGivesOneUnitAPairAndLoneRecordingsOfEitherSide) {
    TempTree tree;
    tree.files(QStringLiteral("20260314"),
               {"alwa_20260314_081500_F.MP4", "alwa_20260314_081500_R.MP4",
                "alwa_20260314_081510_R.MP4", "event_20260314_081520_F.MP4",
                "alwa_20260314_081530_F.MP4", "alwa_20260314_081530_R.MP4"});
    // A damaged recording (a header that lies about its size) among empty ones.
    tree.file(QStringLiteral("20260314/alwa_20260314_081500_F.MP4"),
              QByteArray("\xff\xff\xff\xf0moov", 8));
    RVXMediaList list;
    list.setDirectoryPath(tree.root());
    list.waitForWalks();
    std::vector<RVXTripUnit> units = RVXTrip::unitsOfList(list);
    ASSERT_EQ(units.size(), 4u);
    EXPECT_EQ(units[0].media->fileName(), QStringLiteral("alwa_20260314_081500_F.MP4"));
    EXPECT_EQ(units[0].partner->fileName(), QStringLiteral("alwa_20260314_081500_R.MP4"));
    EXPECT_EQ(units[1].media->fileName(), QStringLiteral("alwa_20260314_081510_R.MP4"));
    EXPECT_FALSE(units[1].partner);
    EXPECT_EQ(units[2].media->fileName(), QStringLiteral("event_20260314_081520_F.MP4"));
    EXPECT_FALSE(units[2].partner);
    EXPECT_EQ(units[3].partner->fileName(), QStringLiteral("alwa_20260314_081530_R.MP4"));
    // Every length unreadable: each start is more than 3 s after the one before.
    const std::vector<RVXTrip> trips = RVXTrip::tripsOfList(list);
    EXPECT_EQ(trips.size(), 4u);
    for (const RVXTrip& trip : trips)
        EXPECT_EQ(trip.units()[0].length, 0);
}

namespace {
Mp4Box mvhd(int version, uint32_t timescale, uint64_t duration) {
    QByteArray p;
    appendU8(p, uint8_t(version));
    p.append(3, '\0');
    if (version == 1) {
        appendU64(p, 0);
        appendU64(p, 0);
        appendU32(p, timescale);
        appendU64(p, duration);
    } else {
        appendU32(p, 0);
        appendU32(p, 0);
        appendU32(p, timescale);
        appendU32(p, uint32_t(duration));
    }
    p.append(80, '\0');
    return Mp4Box::leaf("mvhd", p);
}

std::optional<double> lengthOf(const TempTree& tree, const QByteArray& bytes) {
    const QString path = const_cast<TempTree&>(tree).file(QStringLiteral("x.MP4"), bytes);
    return RVXMovieHeader::durationSeconds(QFile::encodeName(path).constData());
}

QByteArray file(std::vector<Mp4Box> moovChildren, bool moovLast = true) {
    QByteArray ftyp = "avc1";
    appendU32(ftyp, 0);
    QByteArray out = Mp4Box::leaf("ftyp", ftyp).serialize();
    const QByteArray mdat = Mp4Box::leaf("mdat", QByteArray(1000, 'x')).serialize();
    const QByteArray moov = Mp4Box::node("moov", std::move(moovChildren)).serialize();
    return moovLast ? out + mdat + moov : out + moov + mdat;
}
} // namespace

TEST(RVXMovieHeader, DurationOverTimescaleWhereverMoovLiesAndNothingFromDamage) {
    TempTree tree;
    EXPECT_EQ(lengthOf(tree, file({mvhd(0, 1000, 15000)})), 15.0);
    EXPECT_EQ(
        lengthOf(tree,
                 file({Mp4Box::leaf("free", "ab"), mvhd(1, 90000, 90000ull * 3600 * 30)}, false)),
        30.0 * 3600);
    // A 64-bit size on the mdat before moov.
    QByteArray wide = file({mvhd(0, 600, 7200)});
    const QByteArray head = wide.left(16);
    QByteArray mdat;
    appendU32(mdat, 1);
    mdat += "mdat";
    appendU64(mdat, 16 + 1000);
    mdat += QByteArray(1000, 'x');
    wide = head + mdat + wide.mid(16 + 1008);
    EXPECT_EQ(lengthOf(tree, wide), 12.0);

    EXPECT_FALSE(lengthOf(tree, file({mvhd(0, 0, 15000)})));
    EXPECT_FALSE(lengthOf(tree, file({mvhd(0, 1000, 0xffffffffu)})));
    EXPECT_FALSE(lengthOf(tree, file({mvhd(2, 1000, 15000)})));
    EXPECT_FALSE(lengthOf(tree, file({Mp4Box::leaf("trak", "")})));
    // Cut inside mvhd; a moov that claims more than the file holds.
    const QByteArray whole = file({mvhd(0, 1000, 15000)});
    EXPECT_FALSE(lengthOf(tree, whole.left(whole.size() - 90)));
    QByteArray lying = whole;
    writeU32(lying, lying.size() - 108 - 8, 0x7fffffff);
    EXPECT_FALSE(lengthOf(tree, lying));
    EXPECT_FALSE(lengthOf(tree, QByteArray()));
}

TEST(RVXTripTelemetry, DistanceAndTopSpeedOfAKnownDriveCountAnOverlapOnce) {
    TempTree tree;
    tree.folder(QStringLiteral("d"));
    const DemoDrive drive;
    const QDateTime utc(QDate(2026, 3, 14), QTime(7, 15), Qt::UTC);
    const auto write = [&](const char* name, double from, double seconds) {
        ASSERT_FALSE(CameraRecordingWriter::writeSkeletonFile(
            tree.path(QStringLiteral("d/") + name),
            drive.recordsFor(from, seconds, utc.addMSecs(int64_t(from * 1000))), 0));
    };
    write("alwa_20260314_081500_F.MP4", 0, 20);
    write("alwa_20260314_081520_F.MP4", 20, 20);
    RVXMediaList list;
    list.setDirectoryPath(tree.root());
    list.waitForWalks();
    std::vector<RVXTrip> trips = RVXTrip::tripsOfList(list);
    ASSERT_EQ(trips.size(), 1u);
    ASSERT_DOUBLE_EQ(trips[0].seconds(), 40);
    const std::optional<RVXTripTelemetry> t = RVXTripTelemetry::read(trips[0]);
    ASSERT_TRUE(t);
    const double driven = (drive.distanceAt(40) - drive.distanceAt(0)) / 1000;
    ASSERT_GT(driven, 0.1);
    EXPECT_NEAR(t->distanceKm, driven, driven * 0.03);
    double top = 0;
    for (double s = 0; s < 40; s += 0.1)
        top = std::max(top, drive.stateAt(s).speedKmh);
    ASSERT_TRUE(t->maxSpeedKmh);
    EXPECT_NEAR(*t->maxSpeedKmh, top, 1.0);
    EXPECT_GT(t->track.size(), 20u);
    EXPECT_EQ(t->gsensors.size(), 400u);

    // An event recording cut from the first loop adds no road.
    write("event_20260314_081505_F.MP4", 5, 10);
    list.setDirectoryPath(tree.root());
    list.waitForWalks();
    trips = RVXTrip::tripsOfList(list);
    ASSERT_EQ(trips.size(), 1u);
    ASSERT_EQ(trips[0].units().size(), 3u);
    const std::optional<RVXTripTelemetry> again = RVXTripTelemetry::read(trips[0]);
    ASSERT_TRUE(again);
    EXPECT_NEAR(again->distanceKm, t->distanceKm, t->distanceKm * 0.01);
    EXPECT_NEAR(double(again->gsensors.size()), 400.0, 3.0);

    // A read cancelled before it starts gives nothing.
    const std::atomic<bool> cancel{true};
    EXPECT_FALSE(RVXTripTelemetry::read(trips[0], &cancel));
}

TEST(RVXTripTelemetry, GreatCircleStepsOnTheMeanRadius) {
    // A degree of latitude is 2 pi R / 360.
    EXPECT_NEAR(RVXTripTelemetry::greatCircleKm(48, 16, 49, 16), 111.195, 0.001);
    EXPECT_NEAR(RVXTripTelemetry::greatCircleKm(0, 0, 0, 180), 20015.115, 0.01);
    EXPECT_EQ(RVXTripTelemetry::greatCircleKm(48.2, 16.37, 48.2, 16.37), 0);
}

TEST(RVXTrip, APairWhoseFrontWasCutShortKeepsItsRearsSecondsInTheDrive) {
    TempTree tree;
    const QByteArray healthy = file({mvhd(0, 1000, 10000)});
    // 10 s recordings back to back; the middle pair's front lost its index.
    tree.file(QStringLiteral("alwa_20260314_081500_F.MP4"), healthy);
    tree.file(QStringLiteral("alwa_20260314_081510_F.MP4"), healthy.left(healthy.size() / 2));
    tree.file(QStringLiteral("alwa_20260314_081510_R.MP4"), healthy);
    tree.file(QStringLiteral("alwa_20260314_081520_F.MP4"), healthy);
    RVXMediaList list;
    list.setDirectoryPath(tree.root());
    list.waitForWalks();
    const std::vector<RVXTrip> trips = RVXTrip::tripsOfList(list);
    ASSERT_EQ(trips.size(), 1u) << "the drive must not break at the cut recording";
    ASSERT_EQ(trips[0].units().size(), 3u);
    EXPECT_EQ(trips[0].units()[1].length, 10.0);
    EXPECT_EQ(trips[0].seconds(), 30.0);
}
