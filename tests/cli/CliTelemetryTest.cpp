// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/Run.h"
#include "support/TempTree.h"
#include "testmedia/CameraRecordingWriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

const QString kCard = QStringLiteral(RUVEX_CARD_PATH);

TelemetryRecord record(uint32_t time, int32_t x, const QByteArray& nmea) {
    TelemetryRecord r;
    r.time = time;
    r.X = x;
    r.Y = -x;
    r.Z = 256;
    r.T = 4;
    r.nmea = nmea;
    return r;
}

// Three records: a fix in the north-east, one in the south-west, and a block of NULs.
class CardTelemetry : public testing::Test {
protected:
    void SetUp() override {
        path = tree.file(
            QStringLiteral("event_20150312_081502_F.MP4"),
            CameraRecordingWriter::skeleton(
                {record(100, 256,
                        "$GPRMC,083015.250,A,,,,,10.0,90.0,120315,,,A*00\r\n"
                        "$GPGGA,083015.250,3731.5,N,12658.5,E,1,08,0.9,0,M,0,M,,*00\r\n"),
                 record(200, -1, "$GPGGA,083016.000,3300.0,S,07030.0,W,1,05,1.5,0,M,0,M,,*00\r\n"),
                 record(300, 0, {})}));
    }
    QStringList keysOf(const QByteArray& object) {
        QStringList keys;
        for (const auto& m : QRegularExpression(QStringLiteral("\"(\\w+)\":"))
                                 .globalMatch(QString::fromUtf8(object)))
            keys << m.captured(1);
        return keys;
    }
    TempTree tree;
    QString path;
};

TEST_F(CardTelemetry, JsonHoldsRecordsAndFixes) {
    const RunResult r = runProgram(kCard, {"telemetry", path});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QJsonObject doc = QJsonDocument::fromJson(r.out).object();
    const QJsonArray records = doc.value(u"records").toArray();
    ASSERT_EQ(records.size(), 3);
    const QJsonObject first = records[0].toObject();
    EXPECT_EQ(first.value(u"time").toInt(), 100);
    EXPECT_EQ(first.value(u"X").toInt(), 256);
    EXPECT_EQ(first.value(u"x").toDouble(), 1.0);
    EXPECT_EQ(records[1].toObject().value(u"x").toDouble(), -0.00390625);
    EXPECT_EQ(first.value(u"T").toInt(), 4);
    EXPECT_EQ(first.value(u"unit").toString(), QStringLiteral("9"));
    const QByteArray text = QByteArray::fromBase64(first.value(u"gpsString").toString().toLatin1());
    ASSERT_EQ(text.size(), 128);
    EXPECT_TRUE(text.startsWith("$GPRMC,083015.250,A,,,,,10.0,90.0,120315,,,A*00\0$GPGGA"))
        << "line ends became NUL";
    const QJsonArray nmeas = doc.value(u"nmeas").toArray();
    ASSERT_EQ(nmeas.size(), 3);
    const QJsonObject fix = nmeas[1].toObject();
    EXPECT_EQ(fix.value(u"Latitude").toDouble(), 3731.5);
    EXPECT_EQ(fix.value(u"Longitude").toDouble(), 12658.5);
    EXPECT_EQ(fix.value(u"HDOP").toDouble(), double(0.9f)) << "read back to the same double";
    EXPECT_EQ(fix.value(u"NS").toString(), QStringLiteral("N"));
    EXPECT_EQ(fix.value(u"SVonChannel").toArray().size(), 12);
    EXPECT_EQ(fix.value(u"SVonChannel").toArray()[0].toArray().size(), 2);
    EXPECT_EQ(fix.value(u"Now").toObject().value(u"wMilliseconds").toInt(), 250);
    // Key order is part of the shape, read off the text.
    const qsizetype recordStart = r.out.indexOf("{\"time\"");
    EXPECT_EQ(
        keysOf(r.out.mid(recordStart, r.out.indexOf('}', recordStart) - recordStart)).join(u','),
        QStringLiteral("time,X,Y,Z,T,x,y,z,unit,gpsString"));
    const qsizetype fixStart = r.out.indexOf("{\"SVonChannel\"");
    EXPECT_EQ(
        keysOf(r.out.mid(fixStart, r.out.indexOf("\"Now\"", fixStart) - fixStart)).join(u','),
        QStringLiteral(
            "SVonChannel,SatelliteUsed,NS,EW,Enable_GNGNS,Enable_GNGSA,Cnt_GNGSA,gpsValid,"
            "SatelliteCount,SatelliteUsedCount,SatelliteUsedCount_GPS,SatelliteUsedCount_GLONASS,"
            "PDOP,HDOP,VDOP,Latitude,Longitude,SpeedOverGround,CourseOverGround"));
}

TEST_F(CardTelemetry, CsvPairsEachRecordWithTheFixOfItsIndex) {
    const RunResult r = runProgram(kCard, {"telemetry", path, "--format", "csv"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QList<QByteArray> lines = r.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], "index,time,x,y,z,unit,latitude,longitude,speed_kmh,hdop,satellites");
    // Fix 0 is the RMC before any position; fix 1 has the north-east position.
    EXPECT_EQ(lines[1], "0,100,1,-1,1,9,0,0,18.52,0,0");
    EXPECT_EQ(lines[2],
              "1,200,-0.00390625,0.00390625,1,9,37.525,126.975,18.52,0.8999999761581421,8");
    EXPECT_EQ(lines[3].left(lines[3].indexOf(",9,") + 3), "2,300,0,0,1,9,");
}

TEST_F(CardTelemetry, GpxIsReadBackByGpsbabel) {
    if (!programExists(QStringLiteral("gpsbabel")))
        GTEST_SKIP() << "gpsbabel is not installed";
    const QString gpx = tree.path(QStringLiteral("track.gpx"));
    RunResult r = runProgram(kCard, {"telemetry", path, "--format=gpx"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    QFile out(gpx);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(r.out);
    out.close();
    r = runProgram(QStringLiteral("gpsbabel"),
                   {"-t", "-i", "gpx", "-f", gpx, "-o", "unicsv,utc=0", "-F", "-"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QList<QByteArray> lines = r.out.replace("\r", "").trimmed().split('\n');
    ASSERT_EQ(lines.size(), 3) << r.out.constData();
    EXPECT_EQ(lines[0], "No,Latitude,Longitude,Date,Time");
    // The hemisphere letters become signs; the time is the last RMC's.
    EXPECT_EQ(lines[1], "1,37.525000,126.975000,2015/03/12,08:30:15.250");
    EXPECT_EQ(lines[2], "2,-33.000000,-70.500000,2015/03/12,08:30:15.250");
}

TEST_F(CardTelemetry, StatusAndLogLines) {
    RunResult r = runProgram(kCard, {"telemetry", path}, {}, {"RUVEX_LOG_STDERR=1"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err,
              "#############################   START\n#############################  FINISH\n");
    const QString other = tree.file(QStringLiteral("other.MP4"), "not a recording");
    r = runProgram(kCard, {"telemetry", other}, {}, {"RUVEX_LOG_STDERR=1"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.startsWith("#############################   START\nruvex-card telemetry: "))
        << r.err.constData();
    EXPECT_FALSE(r.err.contains("FINISH"));
    EXPECT_EQ(runProgram(kCard, {"telemetry", tree.path(QStringLiteral("missing.MP4"))}).exitCode,
              1);
    EXPECT_EQ(runProgram(kCard, {"telemetry"}).exitCode, 2);
    EXPECT_EQ(runProgram(kCard, {"telemetry", path, "--format", "kml"}).exitCode, 2);
    EXPECT_EQ(runProgram(kCard, {"telemetry", path, "--fast"}).exitCode, 2);
}

TEST(CardNmea, OneLinePerSentenceWithTheRunningFix) {
    const QByteArray input = "$GPGGA,1,3731.5,N,12658.2,E,1,08,0.9,0,M,0,M,,*00\r\n"
                             "$GPGSV,1,1,00*00\n"
                             "\n"
                             "$GPRMC,083015.250,A,,,,,10.5,90.0,120315,,,A*00";
    const RunResult r = runProgram(kCard, {"nmea"}, input, {});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QList<QByteArray> lines = r.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 4);
    const bool expected[] = {true, false, false, true};
    for (int i = 0; i < 4; ++i) {
        const QJsonObject o = QJsonDocument::fromJson(lines[i]).object();
        EXPECT_EQ(o.value(u"line").toInt(), i + 1);
        EXPECT_EQ(o.value(u"accepted").toBool(), expected[i]) << i;
        EXPECT_EQ(o.value(u"fix").toObject().value(u"Latitude").toDouble(), 3731.5);
    }
    EXPECT_EQ(QJsonDocument::fromJson(lines[3])
                  .object()
                  .value(u"fix")
                  .toObject()
                  .value(u"SpeedOverGround")
                  .toDouble(),
              10.5);
    TempTree tree;
    const QString file = tree.file(QStringLiteral("log.nmea"), input);
    EXPECT_EQ(runProgram(kCard, {"nmea", file}).out, r.out);
    EXPECT_EQ(runProgram(kCard, {"nmea", "-"}, input, {}).out, r.out);
    EXPECT_EQ(runProgram(kCard, {"nmea", tree.path(QStringLiteral("missing"))}).exitCode, 1);
    EXPECT_EQ(runProgram(kCard, {"nmea", "a", "b"}).exitCode, 2);
}

} // namespace
