// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/Run.h"
#include "support/TempTree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {
const QString kCard = QStringLiteral(RUVEX_CARD_PATH);
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
