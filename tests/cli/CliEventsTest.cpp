// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/Run.h"
#include "support/TempTree.h"
#include "testmedia/CameraRecordingWriter.h"
#include "testmedia/DemoDrive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <functional>

namespace {

const QString kCard = QStringLiteral(RUVEX_CARD_PATH);

// The demo card under tree's "card", its files linked, but the one named replaced by
// bytes (the demo card's own when nothing is given).
QString demoCopy(const TempTree& tree, const QString& replaced = {},
                 const std::function<QByteArray(const QByteArray&)>& bytes = {}) {
    const QString demo = qEnvironmentVariable("RUVEX_TEST_DEMO_CARD");
    for (const QString& folder : {QStringLiteral("20260314"), QStringLiteral("20260315")}) {
        QDir().mkpath(tree.path(QStringLiteral("card/") + folder));
        for (const QFileInfo& f : QDir(demo + u'/' + folder).entryInfoList(QDir::Files)) {
            const QString to = tree.path(QStringLiteral("card/%1/%2").arg(folder, f.fileName()));
            if (f.fileName() != replaced) {
                EXPECT_TRUE(QFile::link(f.absoluteFilePath(), to));
                continue;
            }
            QFile in(f.absoluteFilePath());
            EXPECT_TRUE(in.open(QIODevice::ReadOnly));
            QFile out(to);
            EXPECT_TRUE(out.open(QIODevice::WriteOnly));
            out.write(bytes(in.readAll()));
        }
    }
    EXPECT_TRUE(QFile::copy(demo + QStringLiteral("/config.bin"),
                            tree.path(QStringLiteral("card/config.bin"))));
    return tree.path(QStringLiteral("card"));
}

// The lines of events --json; what it said on stderr into err.
std::vector<QJsonObject> eventsOf(const QString& card, QByteArray* err = nullptr) {
    const RunResult r = runProgram(kCard, {"events", card, "--json"});
    EXPECT_EQ(r.exitCode, 0) << r.err.constData();
    if (err)
        *err = r.err;
    std::vector<QJsonObject> out;
    for (const QByteArray& line : r.out.trimmed().split('\n')) {
        if (!line.isEmpty())
            out.push_back(QJsonDocument::fromJson(line).object());
    }
    return out;
}

} // namespace

TEST(CardEvents, TheDemoCardsKnockHardStopAndRightClock) {
    const QString card = qEnvironmentVariable("RUVEX_TEST_DEMO_CARD");
    ASSERT_FALSE(card.isEmpty());
    const RunResult r = runProgram(kCard, {"events", card, "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QList<QByteArray> out = r.out.trimmed().split('\n');
    ASSERT_GE(out.size(), 1);
    QStringList keys;
    for (const auto& m :
         QRegularExpression(QStringLiteral("\"(\\w+)\":")).globalMatch(QString::fromUtf8(out[0])))
        keys << m.captured(1);
    EXPECT_EQ(keys.join(u','), QStringLiteral("kind,moment,file,offset,peak,x,y,z,magnitude,axes,"
                                              "speedKmh,lat,lon"));
    // The event recording's knock, 6 s into it.
    const QJsonObject knock = QJsonDocument::fromJson(out[0]).object();
    EXPECT_EQ(knock.value(u"kind").toString(), QStringLiteral("impact"));
    EXPECT_EQ(knock.value(u"file").toString(), QStringLiteral("event_20260314_081527_F.MP4"));
    EXPECT_NEAR(knock.value(u"offset").toDouble(), 6.0, 0.2);
    EXPECT_TRUE(knock.value(u"moment").toString().startsWith(QStringLiteral("2026-03-14T08:15:3")));
    EXPECT_GT(knock.value(u"peak").toObject().value(u"magnitude").toDouble(), 1.0);
    EXPECT_NEAR(knock.value(u"lat").toDouble(), 48.2, 0.1);
    // The next day's hard stop, one event however many fixes it spans.
    ASSERT_EQ(out.size(), 2);
    const QJsonObject stop = QJsonDocument::fromJson(out[1]).object();
    EXPECT_EQ(stop.value(u"kind").toString(), QStringLiteral("braking"));
    EXPECT_EQ(stop.value(u"file").toString(), QStringLiteral("alwa_20260315_174200_R.MP4"));
    EXPECT_NEAR(stop.value(u"offset").toDouble(), 7.0, 0.5);
    EXPECT_GE(stop.value(u"peak").toDouble(), 3.1);
    EXPECT_FALSE(stop.contains(u"axes"));

    const RunResult clock = runProgram(kCard, {"clock", card, "--json"});
    ASSERT_EQ(clock.exitCode, 0);
    const QJsonObject c = QJsonDocument::fromJson(clock.out).object();
    EXPECT_EQ(c.value(u"state").toString(), QStringLiteral("ok"));
    EXPECT_GE(c.value(u"units").toInt(), 4);
    EXPECT_NEAR(c.value(u"offsetSeconds").toDouble(), 0, 1.0);
    EXPECT_EQ(c.value(u"zoneMinutesOff").toInt(), 0);
    const RunResult plain = runProgram(kCard, {"clock", card});
    EXPECT_TRUE(plain.out.contains("The camera's clock is right")) << plain.out.constData();
}

TEST(CardEvents, NothingToCheckAndBadArguments) {
    TempTree tree;
    tree.files(QStringLiteral("x"), {"alwa_20150101_120000_F.MP4"});
    const RunResult events = runProgram(kCard, {"events", tree.root(), "--json"});
    EXPECT_EQ(events.exitCode, 0);
    EXPECT_TRUE(events.out.isEmpty());
    EXPECT_TRUE(events.err.contains("1 of 1 recordings had no readable telemetry"));
    const RunResult clock = runProgram(kCard, {"clock", tree.root(), "--json"});
    EXPECT_EQ(QJsonDocument::fromJson(clock.out).object().value(u"state").toString(),
              QStringLiteral("unknown"));
    EXPECT_TRUE(QJsonDocument::fromJson(clock.out).object().value(u"offsetSeconds").isNull());
    EXPECT_EQ(runProgram(kCard, {"events"}).exitCode, 2);

    // The demo card's recordings without its config.bin: their fixes are there, the zone is
    // not, so the clock is not judged against the defaults' zone.
    TempTree bare;
    QDir().mkpath(bare.path(QStringLiteral("20260314")));
    const QDir demo(qEnvironmentVariable("RUVEX_TEST_DEMO_CARD") + QStringLiteral("/20260314"));
    for (const QFileInfo& f : demo.entryInfoList(QDir::Files))
        ASSERT_TRUE(QFile::link(f.absoluteFilePath(),
                                bare.path(QStringLiteral("20260314/") + f.fileName())));
    const RunResult noZone = runProgram(kCard, {"clock", bare.root()});
    EXPECT_TRUE(noZone.out.contains("no config.bin to tell its time zone"))
        << noZone.out.constData();
    EXPECT_TRUE(noZone.out.contains("unknown")) << noZone.out.constData();
    EXPECT_EQ(runProgram(kCard, {"clock", tree.path(QStringLiteral("none"))}).exitCode, 2);
}

TEST(CardEvents, RecordingsOverlappingTheirLoopAreScannedOnce) {
    TempTree tree;
    const QString card = demoCopy(tree);
    // A loop recording on through the event recording with the knock, and an event
    // recording cut from the next day's loop over its hard stop: the camera's habit.
    const DemoDrive drive;
    const QDateTime day1(QDate(2026, 3, 14), QTime(7, 15, 20), Qt::UTC);
    ASSERT_FALSE(CameraRecordingWriter::writeSkeletonFile(
        card + QStringLiteral("/20260314/alwa_20260314_081520_F.MP4"),
        drive.recordsFor(20, 30, day1, 13), 0));
    const QDateTime day2(QDate(2026, 3, 15), QTime(16, 42, 5), Qt::UTC);
    ASSERT_FALSE(CameraRecordingWriter::writeSkeletonFile(
        card + QStringLiteral("/20260315/event_20260315_174205_R.MP4"),
        drive.recordsFor(135, 5, day2), 0));
    const std::vector<QJsonObject> events = eventsOf(card);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].value(u"kind").toString(), QStringLiteral("impact"));
    EXPECT_TRUE(
        events[0].value(u"moment").toString().startsWith(QStringLiteral("2026-03-14T08:15:33")));
    EXPECT_EQ(events[0].value(u"file").toString(), QStringLiteral("event_20260314_081527_F.MP4"));
    EXPECT_EQ(events[1].value(u"kind").toString(), QStringLiteral("braking"));
    EXPECT_EQ(events[1].value(u"file").toString(), QStringLiteral("event_20260315_174205_R.MP4"));
    EXPECT_NEAR(events[1].value(u"offset").toDouble(), 2.0, 0.5);
    const RunResult clock = runProgram(kCard, {"clock", card, "--json"});
    const QJsonObject c = QJsonDocument::fromJson(clock.out).object();
    EXPECT_EQ(c.value(u"units").toInt(), 7);
    EXPECT_EQ(c.value(u"state").toString(), QStringLiteral("ok"));
}

TEST(CardEvents, AFrontCutShortOrUnreadableIsScannedFromItsRear) {
    const std::vector<std::pair<const char*, std::function<QByteArray(const QByteArray&)>>>
        damages = {
            {"cut short", [](const QByteArray& b) { return b.left(600000); }},
            {"random bytes",
             [](const QByteArray& b) {
                 QByteArray noise(b.size(), '\0');
                 QRandomGenerator gen(19);
                 for (char& c : noise)
                     c = char(gen.bounded(256));
                 return noise;
             }},
        };
    for (const auto& [what, damage] : damages) {
        SCOPED_TRACE(what);
        TempTree tree;
        const QString card = demoCopy(tree, QStringLiteral("event_20260314_081527_F.MP4"), damage);
        QByteArray err;
        const std::vector<QJsonObject> events = eventsOf(card, &err);
        EXPECT_FALSE(err.contains("no readable telemetry")) << err.constData();
        EXPECT_EQ(events.size(), 2u);
        if (events.size() == 2) {
            EXPECT_EQ(events[0].value(u"kind").toString(), QStringLiteral("impact"));
            EXPECT_TRUE(events[0].value(u"moment").toString().startsWith(
                QStringLiteral("2026-03-14T08:15:33")));
            EXPECT_GT(events[0].value(u"peak").toObject().value(u"magnitude").toDouble(), 1.0);
            EXPECT_EQ(events[1].value(u"kind").toString(), QStringLiteral("braking"));
        }
        const QJsonObject c =
            QJsonDocument::fromJson(runProgram(kCard, {"clock", card, "--json"}).out).object();
        EXPECT_EQ(c.value(u"units").toInt(), 5);
    }
}
