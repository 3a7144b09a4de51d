// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/Run.h"
#include "support/TempTree.h"
#include "testmedia/DemoDrive.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

const QString kCard = QStringLiteral(RUVEX_CARD_PATH);

QStringList keysOf(const QByteArray& line) {
    QStringList keys;
    for (const auto& m :
         QRegularExpression(QStringLiteral("\"(\\w+)\":")).globalMatch(QString::fromUtf8(line)))
        keys << m.captured(1);
    return keys;
}

} // namespace

TEST(CardTrips, TheDemoCardsDriveIsOneTripOfFourUnits) {
    const QString card = qEnvironmentVariable("RUVEX_TEST_DEMO_CARD");
    ASSERT_FALSE(card.isEmpty());
    const RunResult r = runProgram(kCard, {"trips", card, "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QList<QByteArray> out = r.out.trimmed().split('\n');
    ASSERT_EQ(out.size(), 2);
    EXPECT_EQ(keysOf(out[0]).join(u','),
              QStringLiteral("index,start,end,seconds,units,file,offset,length,kind,partner,file,"
                             "offset,length,kind,partner,file,offset,length,kind,partner,file,"
                             "offset,length,kind,partner,distanceKm,maxSpeedKmh"));
    const QJsonObject drive = QJsonDocument::fromJson(out[0]).object();
    EXPECT_EQ(drive.value(u"index").toInt(), 0);
    EXPECT_EQ(drive.value(u"start").toString(), QStringLiteral("2026-03-14T08:15:00"));
    EXPECT_EQ(drive.value(u"end").toString(), QStringLiteral("2026-03-14T08:15:56"));
    EXPECT_DOUBLE_EQ(drive.value(u"seconds").toDouble(), 56);
    const QJsonArray units = drive.value(u"units").toArray();
    ASSERT_EQ(units.size(), 4);
    const char* files[] = {"alwa_20260314_081500_F.MP4", "motion_20260314_081515_F.MP4",
                           "event_20260314_081527_F.MP4", "alwa_20260314_081541_F.MP4"};
    const double offsets[] = {0, 15, 27, 41}, lengths[] = {15, 12, 14, 15};
    const char* kinds[] = {"alwa", "motion", "event", "alwa"};
    for (int i = 0; i < 4; ++i) {
        const QJsonObject u = units[i].toObject();
        EXPECT_EQ(u.value(u"file").toString(), QLatin1String(files[i])) << i;
        EXPECT_DOUBLE_EQ(u.value(u"offset").toDouble(), offsets[i]) << i;
        EXPECT_NEAR(u.value(u"length").toDouble(), lengths[i], 0.05) << i;
        EXPECT_EQ(u.value(u"kind").toString(), QLatin1String(kinds[i])) << i;
    }
    EXPECT_EQ(units[0].toObject().value(u"partner").toString(),
              QStringLiteral("alwa_20260314_081500_R.MP4"));
    EXPECT_TRUE(units[3].toObject().value(u"partner").isNull());
    const DemoDrive road;
    const double km = (road.distanceAt(56) - road.distanceAt(0)) / 1000;
    EXPECT_NEAR(drive.value(u"distanceKm").toDouble(), km, km * 0.03);
    EXPECT_GT(drive.value(u"maxSpeedKmh").toDouble(), 20);

    const QJsonObject lone = QJsonDocument::fromJson(out[1]).object();
    EXPECT_EQ(lone.value(u"start").toString(), QStringLiteral("2026-03-15T17:42:00"));
    EXPECT_EQ(lone.value(u"units").toArray()[0].toObject().value(u"file").toString(),
              QStringLiteral("alwa_20260315_174200_R.MP4"));

    // The table: a header and a row a trip, in columns.
    const RunResult table = runProgram(kCard, {"trips", card});
    ASSERT_EQ(table.exitCode, 0);
    const QList<QByteArray> rows = table.out.trimmed().split('\n');
    ASSERT_EQ(rows.size(), 3);
    EXPECT_TRUE(rows[1].startsWith("2026-03-14T08:15:00  2026-03-14T08:15:56  0:00:56  4  "))
        << rows[1].constData();
    EXPECT_EQ(rows[0].indexOf("KM "),
              rows[1].indexOf(QByteArray::number(drive.value(u"distanceKm").toDouble(), 'f', 3)));
}

TEST(CardTrips, WithoutRecordingsWithoutFixesAndBadArguments) {
    TempTree tree;
    // Recordings with nothing readable: one trip each, no distance, no top speed.
    tree.files(QStringLiteral("x"), {"alwa_20150101_120000_F.MP4", "alwa_20150101_130000_F.MP4"});
    const RunResult r = runProgram(kCard, {"trips", tree.root(), "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QList<QByteArray> out = r.out.trimmed().split('\n');
    ASSERT_EQ(out.size(), 2);
    const QJsonObject first = QJsonDocument::fromJson(out[0]).object();
    EXPECT_EQ(first.value(u"distanceKm").toDouble(), 0);
    EXPECT_TRUE(first.value(u"maxSpeedKmh").isNull());
    EXPECT_EQ(first.value(u"units").toArray()[0].toObject().value(u"length").toDouble(), 0);

    TempTree empty;
    const RunResult none = runProgram(kCard, {"trips", empty.root()});
    EXPECT_EQ(none.exitCode, 0);
    EXPECT_TRUE(none.out.isEmpty());
    EXPECT_EQ(runProgram(kCard, {"trips", tree.path(QStringLiteral("missing"))}).exitCode, 2);
    EXPECT_EQ(runProgram(kCard, {"trips"}).exitCode, 2);
    EXPECT_EQ(runProgram(kCard, {"trips", tree.root(), "--csv"}).exitCode, 2);
}
