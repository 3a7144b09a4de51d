// SPDX-License-Identifier: GPL-3.0-or-later
#include "CameraLayout.h"

#include "core/drivelog/FlashDataRecord.h"
#include "core/telemetry/RVXBlackBoxData.h"
#include "support/Run.h"
#include "testmedia/DemoCard.h"
#include "testmedia/DemoDrive.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QThread>

#include <vlc/vlc.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int32_t le32(const QByteArray& b, int at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | uint8_t(b[at + i]);
    return int32_t(v);
}

bool checksumValid(const QByteArray& sentence) {
    const qsizetype star = sentence.indexOf('*');
    if (!sentence.startsWith('$') || star < 0)
        return false;
    uint8_t sum = 0;
    for (qsizetype i = 1; i < star; ++i)
        sum ^= uint8_t(sentence[i]);
    return sentence.mid(star + 1, 2).toUInt(nullptr, 16) == sum;
}

// Writing the card takes several seconds, so ctest writes it once for all these tests
// (the demo_card fixture) and hands its folder over in RUVEX_TEST_DEMO_CARD.
class DemoCardTest : public testing::Test {
protected:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("RUVEX_TEST_DEMO_CARD"))
            GTEST_SKIP() << "run through ctest, which writes the demo card first";
        ASSERT_TRUE(QFileInfo(card()).isDir()) << qPrintable(card());
    }
    static QString card() { return qEnvironmentVariable("RUVEX_TEST_DEMO_CARD"); }
    static QString recording(const QString& relative) { return QDir(card()).filePath(relative); }
};

TEST_F(DemoCardTest, HoldsPairsOfEveryKindAndTwoLoneRecordings) {
    const RunResult r = runProgram(QStringLiteral(RUVEX_CARD_PATH), {"list", card(), "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    int paired[3] = {}, loneFront = 0, loneRear = 0;
    QSet<QString> folders;
    for (const QByteArray& line : r.out.split('\n')) {
        if (line.isEmpty())
            continue;
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        folders.insert(QFileInfo(o.value(u"dir").toString()).fileName());
        if (o.value(u"partner").isNull())
            (o.value(u"mediaDirection").toInt() == 0 ? loneFront : loneRear)++;
        else
            paired[o.value(u"mediaDivision").toInt()]++;
    }
    EXPECT_EQ(paired[0], 2);
    EXPECT_EQ(paired[1], 2);
    EXPECT_EQ(paired[2], 2);
    EXPECT_EQ(loneFront, 1);
    EXPECT_EQ(loneRear, 1);
    EXPECT_EQ(folders, QSet<QString>({"20260314", "20260315"}));
}

TEST_F(DemoCardTest, TelemetryTellsAPlausibleDrive) {
    double maxSpeed = 0, minSpeed = 1e9;
    int sentences[3] = {};
    for (const DemoCard::Recording& plan : DemoCard::plan()) {
        const QString path = recording(plan.folder + u'/' + plan.name + QStringLiteral(".MP4"));
        const std::vector<QByteArray> records = cameraRecords(readAll(path));
        ASSERT_EQ(records.size(), size_t(plan.duration * 10)) << qPrintable(path);
        double peak = 0;
        for (const QByteArray& r : records) {
            peak = std::max(peak, std::fabs(le32(r, 8) / 256.0));
            EXPECT_NEAR(le32(r, 16) / 256.0, 1.0, plan.impactAt >= 0 ? 1.0 : 0.2);
            EXPECT_EQ(r[24], '9');
            const QByteArray text = r.mid(25).split('\0').first();
            ASSERT_TRUE(text.endsWith("\r\n")) << text.constData();
            const QByteArray sentence = text.chopped(2);
            EXPECT_TRUE(checksumValid(sentence)) << sentence.constData();
            const QList<QByteArray> f = sentence.split(',');
            if (sentence.startsWith("$GPRMC")) {
                ++sentences[0];
                const double lat = f[3].left(2).toDouble() + f[3].mid(2).toDouble() / 60;
                const double lon = f[5].left(3).toDouble() + f[5].mid(3).toDouble() / 60;
                EXPECT_NEAR(lat, 48.208, 0.02);
                EXPECT_NEAR(lon, 16.37, 0.03);
                maxSpeed = std::max(maxSpeed, f[7].toDouble() * 1.852);
                minSpeed = std::min(minSpeed, f[7].toDouble() * 1.852);
            } else if (sentence.startsWith("$GPGGA")) {
                ++sentences[1];
            } else if (sentence.startsWith("$GNGSA")) {
                ++sentences[2];
            }
        }
        // Only the event recording holds the knock.
        if (plan.impactAt >= 0)
            EXPECT_GT(peak, 2.5) << qPrintable(path);
        else
            EXPECT_LT(peak, 0.8) << qPrintable(path);
    }
    // One sentence a record, RMC, GGA and GSA in turn.
    for (int n : sentences)
        EXPECT_GE(n, 340);
    EXPECT_GT(maxSpeed, 40);
    EXPECT_LT(minSpeed, 5);
}

TEST_F(DemoCardTest, EveryRecordingExtractsWithTheRecordsWritten) {
    const DemoDrive drive;
    for (const DemoCard::Recording& plan : DemoCard::plan()) {
        const QString path = recording(plan.folder + u'/' + plan.name + QStringLiteral(".MP4"));
        const TelemetryRecords written =
            drive.recordsFor(plan.driveOffset, plan.duration, plan.startUtc, plan.impactAt);
        RVXBlackBoxData data;
        ASSERT_TRUE(data.ExtractStreamInformation(QFile::encodeName(path).constData()))
            << qPrintable(path);
        ASSERT_EQ(data.m_Times.size(), written.size()) << qPrintable(path);
        // One sentence a record, so one fix a record.
        EXPECT_EQ(data.m_NMEAs.size(), written.size());
        for (size_t i = 0; i < written.size(); ++i) {
            const TelemetryRecord& w = written[i];
            EXPECT_EQ(data.m_Times[i], w.time);
            EXPECT_EQ(data.m_vGSensorData[i], (RVXAviGSensorData{w.X, w.Y, w.Z, w.T}));
            EXPECT_EQ(data.m_vGpsData[i].unit(), w.unit);
            QByteArray text = w.nmea;
            text.replace('\r', '\0').replace('\n', '\0');
            EXPECT_EQ(data.m_vGpsData[i].gpsString(), text + QByteArray(128 - text.size(), '\0'))
                << i;
        }
        EXPECT_GT(data.m_NMEAs.back().Latitude, 4800);
        EXPECT_EQ(data.m_NMEAs.back().Now.wYear, 2026);
        EXPECT_GE(data.m_NMEAs.back().SatelliteUsedCount, 9u) << "GPS and GLONASS added up";
    }
}

TEST_F(DemoCardTest, CardFilesAreValidAndReadable) {
    const RunResult config = runProgram(QStringLiteral(RUVEX_CARD_PATH),
                                        {"config", "show", recording("config.bin"), "--json"});
    ASSERT_EQ(config.exitCode, 0) << config.err.constData();
    const QJsonObject o = QJsonDocument::fromJson(config.out).object();
    EXPECT_TRUE(o.value(u"checksumValid").toBool());
    EXPECT_EQ(o.value(u"szPlateNumber").toString(), DemoCard::plateNumber());
    EXPECT_EQ(o.value(u"osd_plate_flag").toInt(), 1);
    EXPECT_EQ(o.value(u"time_gmt").toInt(), 15) << "UTC+1";

    const auto log = readFlashDataFile(recording("DrvInfo/zamo_000.drv"));
    ASSERT_TRUE(log);
    ASSERT_GE(log->size(), 10u);
    for (const FlashDataRecord& r : *log) {
        EXPECT_NEAR(r.latitudeWhole / 100 +
                        (r.latitudeWhole % 100 + r.latitudeFraction / 10000.0) / 60,
                    48.208, 0.02);
        EXPECT_NEAR(r.longitudeWhole / 100 +
                        (r.longitudeWhole % 100 + r.longitudeFraction / 10000.0) / 60,
                    16.37, 0.03);
        EXPECT_EQ(r.year, 126);
    }
    EXPECT_GT(log->back().maximumSpeed, 40);
    EXPECT_EQ(
        runProgram(QStringLiteral(RUVEX_CARD_PATH), {"drivelog", recording("DrvInfo/zamo_000.drv")})
            .exitCode,
        0);

    QFile clock(recording("timeset.cfg"));
    ASSERT_TRUE(clock.open(QIODevice::ReadOnly));
    EXPECT_EQ(clock.readAll(), "2026/03/14 08:15:00");
}

// libVLC plays each kind of recording to its end, in this process: the card may lie
// where no other user can enter, and VLC's programs refuse to run as root.
TEST_F(DemoCardTest, RecordingsPlayInVlc) {
    const char* const args[] = {"--vout=dummy", "--aout=adummy", "--no-video-title-show",
                                "--no-stats"};
    libvlc_instance_t* vlc = libvlc_new(int(std::size(args)), args);
    ASSERT_NE(vlc, nullptr);
    struct Errors {
        std::mutex lock;
        std::vector<std::string> lines;
    } errors;
    libvlc_log_set(
        vlc,
        [](void* data, int level, const libvlc_log_t*, const char* format, va_list ap) {
            if (level < LIBVLC_ERROR)
                return;
            char text[512];
            std::vsnprintf(text, sizeof text, format, ap);
            auto* e = static_cast<Errors*>(data);
            const std::lock_guard guard(e->lock);
            e->lines.emplace_back(text);
        },
        &errors);
    for (const char* name :
         {"20260314/event_20260314_081527_F.MP4", "20260314/event_20260314_081527_R.MP4",
          "20260315/alwa_20260315_174200_R.MP4"}) {
        const QByteArray path = QFile::encodeName(recording(QLatin1String(name)));
        libvlc_media_t* media = libvlc_media_new_path(vlc, path.constData());
        libvlc_media_player_t* player = libvlc_media_player_new_from_media(media);
        libvlc_media_release(media);
        libvlc_media_player_set_rate(player, 4);
        ASSERT_EQ(libvlc_media_player_play(player), 0) << name;
        QDeadlineTimer deadline(60000);
        libvlc_time_t furthest = 0;
        libvlc_state_t state = libvlc_media_player_get_state(player);
        while (state != libvlc_Ended && state != libvlc_Error && !deadline.hasExpired()) {
            QThread::msleep(20);
            furthest = std::max(furthest, libvlc_media_player_get_time(player));
            state = libvlc_media_player_get_state(player);
        }
        EXPECT_EQ(state, libvlc_Ended) << name;
        EXPECT_GT(libvlc_media_player_get_length(player), 10000) << name;
        EXPECT_GT(furthest, 9000) << name << ": the pictures went on to the end";
        libvlc_media_player_stop(player);
        libvlc_media_player_release(player);
    }
    libvlc_log_unset(vlc);
    libvlc_release(vlc);
    // Whatever libVLC calls an error concerns the files: no desktop is involved.
    for (const std::string& line : errors.lines)
        ADD_FAILURE() << line;
}

} // namespace
