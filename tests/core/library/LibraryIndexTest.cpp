// SPDX-License-Identifier: GPL-3.0-or-later
// The SQLite index as a file on disk, and what the queries of both indexes (SQLite, and
// PostgreSQL on a server of the test's own) find: by day, kind and event, and by place
// against distances worked out by hand.
#include "LibraryTestSupport.h"

#include "core/library/RVXLibraryImport.h"
#include "core/library/RVXSqliteLibraryIndex.h"
#include "support/TempTree.h"
#include "testmedia/CameraRecordingWriter.h"
#include "testmedia/NmeaSentenceWriter.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <gtest/gtest.h>

namespace {

// Runs one statement on the file as another program would, outside the index.
QVariant sql(const QString& db, const QString& statement) {
    QVariant out;
    {
        QSqlDatabase d = QSqlDatabase::addDatabase("QSQLITE", "outside");
        d.setDatabaseName(db);
        EXPECT_TRUE(d.open());
        QSqlQuery q(d);
        EXPECT_TRUE(q.exec(statement)) << qPrintable(statement);
        if (q.next())
            out = q.value(0);
    }
    QSqlDatabase::removeDatabase("outside");
    return out;
}

// A recording whose fix stands at points[k] through second k, 10 records a second: a
// position (GGA, where the camera's parser takes it from) and then the fix (RMC) in turn.
void writeRecording(const QString& path, const QDateTime& startUtc,
                    const std::vector<std::pair<double, double>>& points) {
    TelemetryRecords records;
    for (size_t k = 0; k < points.size() * 10; ++k) {
        TelemetryRecord r;
        r.time = uint32_t(k * 100);
        r.Z = 256;
        DemoFix fix;
        fix.utc = startUtc.addMSecs(qint64(k) * 100);
        fix.latitude = points[k / 10].first;
        fix.longitude = points[k / 10].second;
        fix.speedKnots = 20;
        fix.satellites = 8;
        fix.hdop = 0.9;
        r.nmea = (k % 2 ? NmeaSentenceWriter::rmc(fix) : NmeaSentenceWriter::gga(fix)) + "\r\n";
        records.push_back(r);
    }
    QDir().mkpath(QFileInfo(path).path());
    ASSERT_EQ(CameraRecordingWriter::writeSkeletonFile(path, records, 0), std::nullopt);
}

// The same queries on each implementation of the index: the same answers.
class LibraryIndexQueries : public LibraryOnEachIndex {};

} // namespace

RUVEX_ON_EACH_INDEX(LibraryIndexQueries);

TEST(LibraryIndex, TheFileIsVersionedWalAndANewerOneIsRefused) {
    TempTree tree;
    const QString db = tree.path("library.db");
    {
        auto opened = RVXSqliteLibraryIndex::open(db);
        ASSERT_TRUE(std::holds_alternative<std::unique_ptr<RVXSqliteLibraryIndex>>(opened));
        auto& index = std::get<0>(opened);
        EXPECT_EQ(index->schemaVersion(), RVXSqliteLibraryIndex::kSchemaVersion);
        RVXLibraryRecording r;
        r.path = "2026/2026-03-14/alwa_20260314_081500_F.MP4";
        r.name = "alwa_20260314_081500_F.MP4";
        r.sha256 = "00";
        ASSERT_EQ(index->addRecording(r), std::nullopt);
        // Its name is held once.
        RVXLibraryRecording twice = r;
        EXPECT_TRUE(index->addRecording(twice));
        EXPECT_TRUE(QFile::exists(db + "-wal"));
    }
    EXPECT_EQ(sql(db, "PRAGMA journal_mode").toString(), QStringLiteral("wal"));
    EXPECT_EQ(sql(db, "SELECT count(*) FROM recordings").toInt(), 1);
    EXPECT_EQ(sql(db, "SELECT version FROM schema_version").toInt(),
              RVXSqliteLibraryIndex::kSchemaVersion);

    sql(db, "UPDATE schema_version SET version = 7");
    auto newer = RVXSqliteLibraryIndex::open(db);
    ASSERT_TRUE(std::holds_alternative<QString>(newer));
    EXPECT_EQ(std::get<QString>(newer),
              "library.db: written by a newer RUVEX Viewer (index version 7; this one reads up "
              "to 2): open it with that version, or move it away and run 'ruvex-card library "
              "rebuild'");
    // Refused, not changed.
    EXPECT_EQ(sql(db, "SELECT version FROM schema_version").toInt(), 7);
    EXPECT_EQ(sql(db, "SELECT count(*) FROM recordings").toInt(), 1);

    tree.file("other.db", "not a database at all, just text that is long enough to look at");
    auto other = RVXSqliteLibraryIndex::open(tree.path("other.db"));
    EXPECT_TRUE(std::holds_alternative<QString>(other));
}

TEST(LibraryIndex, AFirstVersionIndexIsBroughtUpToDate) {
    TempTree tree;
    const QString db = tree.path("library.db");
    {
        auto first = RVXSqliteLibraryIndex::open(db, true, 1);
        ASSERT_TRUE(std::holds_alternative<std::unique_ptr<RVXSqliteLibraryIndex>>(first));
        EXPECT_EQ(std::get<0>(first)->schemaVersion(), 1);
    }
    // A trip as the first version wrote it: its track under ids of the table's own count,
    // after another trip's that is gone.
    for (const char* statement :
         {"INSERT INTO recordings (id, path, name, kind, side, moment, length, size, sha256, "
          "state, drives_done) VALUES (1, '2026/2026-04-01/alwa_20260401_100000_F.MP4', "
          "'alwa_20260401_100000_F.MP4', 0, 0, 1775037600, 40, 1, '00', 'ok', 1)",
          "INSERT INTO trips (id, start, seconds, distance_km) VALUES (3, 1775037600, 40, 4.4)",
          "INSERT INTO trip_units VALUES (3, 0, 1, NULL, 0, 40)",
          "INSERT INTO track (id, trip_id, recording_id, moment, latitude, longitude, speed_kmh) "
          "VALUES (500, 3, 1, 1775037600, 48.2, 16.37, 40)"})
        sql(db, statement);
    for (int k = 1; k < 40; ++k)
        sql(db, QStringLiteral("INSERT INTO track (trip_id, recording_id, moment, latitude, "
                               "longitude, speed_kmh) VALUES (3, 1, %1, %2, 16.37, 40)")
                    .arg(1775037600 + k)
                    .arg(48.2 + 0.001 * k, 0, 'f', 3));
    ASSERT_EQ(sql(db, "SELECT count(*) FROM track_places").toInt(), 40);

    auto opened = RVXSqliteLibraryIndex::open(db);
    ASSERT_TRUE(std::holds_alternative<std::unique_ptr<RVXSqliteLibraryIndex>>(opened));
    auto& index = std::get<0>(opened);
    EXPECT_EQ(index->schemaVersion(), 2);
    const std::vector<RVXLibraryTrackPoint> track = index->track(3);
    ASSERT_EQ(track.size(), 40u);
    EXPECT_DOUBLE_EQ(track[25].latitude, 48.225);
    // 48.2245 lies 55.6 m from points 24 and 25; 23 and 26 are 166.8 m off.
    RVXLibraryQuery q;
    q.place = RVXLibraryPlace::circle(48.2245, 16.37, 100);
    const std::vector<RVXLibraryTrip> found = index->trips(q);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_DOUBLE_EQ(*found[0].placeMoment, 1775037600 + 24);
    EXPECT_EQ(index->recordings(q).size(), 1u);
    ASSERT_EQ(index->removeRecording(1), std::nullopt);
    index.reset();
    EXPECT_EQ(sql(db, "SELECT count(*) FROM track_segments").toInt(), 0);
    EXPECT_EQ(sql(db, "SELECT count(*) FROM track").toInt(), 0);
}

TEST_P(LibraryIndexQueries, ByDayKindAndEvent) {
    TempTree tree;
    auto library = open(tree.path("lib"));
    ASSERT_TRUE(library);
    ASSERT_EQ(RVXLibraryImport::run(*library, demoCard()).error, std::nullopt);
    RVXLibraryIndex& index = library->index();
    const auto count = [&](RVXLibraryQuery q) { return index.recordings(q).size(); };
    RVXLibraryQuery day;
    day.from = day.to = QDate(2026, 3, 14);
    EXPECT_EQ(count(day), 7u);
    day.from = day.to = QDate(2026, 3, 15);
    EXPECT_EQ(count(day), 1u);
    day.from = QDate(2026, 3, 16);
    day.to.reset();
    EXPECT_EQ(count(day), 0u);

    RVXLibraryQuery kind;
    kind.kind = RVXMediaDivisionMotion;
    EXPECT_EQ(count(kind), 2u);
    kind.kind = RVXMediaDivisionAlways;
    EXPECT_EQ(count(kind), 4u);
    // The event pair, and the loop recording the hard stop was found in.
    RVXLibraryQuery events;
    events.eventsOnly = true;
    QStringList names;
    for (const RVXLibraryRecording& r : index.recordings(events))
        names << r.name;
    EXPECT_EQ(names, QStringList({"event_20260314_081527_F.MP4", "event_20260314_081527_R.MP4",
                                  "alwa_20260315_174200_R.MP4"}));
    EXPECT_EQ(index.trips(events).size(), 2u);
    kind.kind = RVXMediaDivisionMotion;
    EXPECT_EQ(index.trips(kind).size(), 1u);
    RVXLibraryQuery sunday;
    sunday.from = sunday.to = QDate(2026, 3, 15);
    ASSERT_EQ(index.trips(sunday).size(), 1u);
    EXPECT_EQ(index.events(sunday).size(), 1u);
}

TEST_P(LibraryIndexQueries, PlacesAgainstDistancesWorkedOutByHand) {
    // One degree of latitude on the trips' sphere: 6371008.8 m x pi / 180 = 111195.08 m;
    // one of longitude at 48.21 degrees: that x cos(48.21) = 74100.4 m.
    TempTree tree;
    const QString card = tree.folder("card/DCIM");
    // North along 16.37 E from 48.200 N, 0.001 degree (111.2 m) a second.
    std::vector<std::pair<double, double>> north, east;
    for (int k = 0; k < 30; ++k) {
        north.emplace_back(48.200 + 0.001 * k, 16.370);
        east.emplace_back(48.210, 16.370 + 0.001 * k);
    }
    const QDateTime day1(QDate(2026, 4, 1), QTime(9, 0, 0), Qt::UTC);
    const QDateTime day2(QDate(2026, 4, 2), QTime(9, 0, 0), Qt::UTC);
    // Named an hour on (the camera's clock in Vienna); the rear beside the front.
    writeRecording(card + "/alwa_20260401_100000_F.MP4", day1, north);
    writeRecording(card + "/alwa_20260401_100000_R.MP4", day1, north);
    // East along 48.21 N from 16.370 E, 74.1 m a second.
    writeRecording(card + "/alwa_20260402_100000_F.MP4", day2, east);
    auto library = open(tree.path("lib"));
    ASSERT_TRUE(library);
    ASSERT_EQ(RVXLibraryImport::run(*library, tree.path("card")).error, std::nullopt);
    RVXLibraryIndex& index = library->index();
    const std::vector<RVXLibraryTrip> all = index.trips({});
    ASSERT_EQ(all.size(), 2u);
    ASSERT_EQ(index.track(all[0].id).size(), 30u);
    const int64_t start1 = all[0].start, start2 = all[1].start;

    struct Case {
        const char* what;
        RVXLibraryPlace place;
        std::vector<int64_t> trips;
        // The first second of each trip inside.
        std::vector<int> second;
    };
    const Case cases[] = {
        // Points 3..7 lie 0, 111.2 or 222.4 m from 48.205; 2 and 8 are 333.6 m off. The
        // east drive's nearest point is 0.005 degree of latitude (556 m) away.
        {"circle on the north drive", RVXLibraryPlace::circle(48.205, 16.370, 250), {start1}, {3}},
        // 16.373 and 16.374 lie 37.1 m from 16.3735, 16.372 and 16.375 111.2 m; the north
        // drive's 48.210 N is 0.0035 degree of longitude (259.4 m) away.
        {"circle on the east drive", RVXLibraryPlace::circle(48.210, 16.3735, 100), {start2}, {3}},
        // Both pass 48.210 N 16.370 E: the north drive at its 10th second, the east at its 0th.
        {"box over the crossing",
         RVXLibraryPlace::corners(48.2095, 16.3695, 48.2105, 16.3705),
         {start1, start2},
         {10, 0}},
        {"circle over the crossing",
         RVXLibraryPlace::circle(48.210, 16.370, 60),
         {start1, start2},
         {10, 0}},
        // 48.2155 N 16.3755 E: 411 m from the north drive (55.6 m north, 407.5 m east of its
        // nearest point), 612 m from the east drive.
        {"circle between them", RVXLibraryPlace::circle(48.2155, 16.3755, 300), {}, {}},
    };
    for (const Case& c : cases) {
        RVXLibraryQuery q;
        q.place = c.place;
        const std::vector<RVXLibraryTrip> found = index.trips(q);
        std::vector<int64_t> starts;
        for (const RVXLibraryTrip& t : found)
            starts.push_back(t.start);
        EXPECT_EQ(starts, c.trips) << c.what;
        for (size_t i = 0; i < found.size() && i < c.second.size(); ++i) {
            ASSERT_TRUE(found[i].placeMoment) << c.what;
            EXPECT_NEAR(*found[i].placeMoment - double(found[i].start), c.second[i], 1e-6)
                << c.what;
        }
    }

    // The recordings there: the front that gave the track and the rear beside it.
    RVXLibraryQuery q;
    q.place = RVXLibraryPlace::circle(48.205, 16.370, 250);
    QStringList names;
    for (const RVXLibraryRecording& r : index.recordings(q)) {
        names << r.name;
        ASSERT_TRUE(r.placeMoment);
        EXPECT_NEAR(*r.placeMoment - double(start1), 3, 1e-6);
    }
    EXPECT_EQ(names, QStringList({"alwa_20260401_100000_F.MP4", "alwa_20260401_100000_R.MP4"}));
    q.from = q.to = QDate(2026, 4, 2);
    EXPECT_TRUE(index.recordings(q).empty());

    // The east drive deleted: its boxes (or its points and line) go with it, and the
    // crossing has the north one only.
    const char* const places =
        onServer() ? "SELECT count(*) FROM track" : "SELECT count(*) FROM track_segments";
    EXPECT_EQ(indexSql(places).toInt(), onServer() ? 60 : 4);
    if (onServer())
        EXPECT_EQ(
            indexSql("SELECT count(*) FROM trips WHERE ST_NPoints(route::geometry) = 30").toInt(),
            2);
    ASSERT_EQ(
        library->deleteRecordings({index.recordingsNamed("alwa_20260402_100000_F.MP4")[0].id}),
        std::nullopt);
    EXPECT_EQ(indexSql(places).toInt(), onServer() ? 30 : 2);
    RVXLibraryQuery crossing;
    crossing.place = RVXLibraryPlace::circle(48.210, 16.370, 60);
    ASSERT_EQ(index.trips(crossing).size(), 1u);
    EXPECT_EQ(index.trips(crossing)[0].start, start1);
}
