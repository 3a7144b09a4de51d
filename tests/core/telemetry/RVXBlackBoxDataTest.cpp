// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/telemetry/RVXBlackBoxData.h"

#include "support/TempTree.h"
#include "testmedia/CameraRecordingWriter.h"
#include "testmedia/Mp4Box.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

TelemetryRecord record(uint32_t time, int32_t x, int32_t y, int32_t z, const QByteArray& nmea,
                       int32_t t = 0) {
    TelemetryRecord r;
    r.time = time;
    r.X = x;
    r.Y = y;
    r.Z = z;
    r.T = t;
    r.nmea = nmea;
    return r;
}

const QByteArray kRmc = "$GPRMC,083015.250,A,3731.5,N,12658.2,E,10.5,90.0,120315,,,A*5C";
const QByteArray kGga = "$GPGGA,083015.250,3731.5000,N,12658.2000,E,1,08,0.9,545.4,M,46.9,M,,*47";

class Extraction : public testing::Test {
protected:
    QString write(const QByteArray& bytes, const QString& name = QStringLiteral("rec_F.MP4")) {
        return tree.file(name, bytes);
    }
    bool extract(const QString& path) {
        return data.ExtractStreamInformation(QFile::encodeName(path).constData());
    }
    bool extractBytes(const QByteArray& bytes) { return extract(write(bytes)); }
    void expectEmpty() {
        EXPECT_TRUE(data.m_Times.empty());
        EXPECT_TRUE(data.m_vGSensorData.empty());
        EXPECT_TRUE(data.m_GSensors.empty());
        EXPECT_TRUE(data.m_vGpsData.empty());
        EXPECT_TRUE(data.m_NMEAs.empty());
    }
    void expectRecords(size_t n) {
        EXPECT_EQ(data.m_Times.size(), n);
        EXPECT_EQ(data.m_vGSensorData.size(), n);
        EXPECT_EQ(data.m_GSensors.size(), n);
        EXPECT_EQ(data.m_vGpsData.size(), n);
    }
    static qsizetype stcoAt(const QByteArray& file) { return file.lastIndexOf("stco") - 4; }

    TempTree tree;
    RVXBlackBoxData data;
};

TEST_F(Extraction, ReadsEveryRecordAndConvertsTheGValues) {
    const TelemetryRecords records = {
        record(7, 256, -128, 0, kRmc + "\r\n", 99), record(8, -1, 512, 2560, QByteArray()),
        record(0xFFFFFFFF, INT32_MIN, INT32_MAX, 1, kGga + "\r\n$GPRMC,1,A,,,,,10.5,1,1*00\r\n")};
    ASSERT_TRUE(extractBytes(CameraRecordingWriter::skeleton(records)));
    expectRecords(3);
    EXPECT_EQ(data.m_Times, (std::vector<uint32_t>{7, 8, 0xFFFFFFFF}));
    EXPECT_EQ(data.m_vGSensorData[0], (RVXAviGSensorData{256, -128, 0, 99}));
    EXPECT_EQ(data.m_GSensors[0], RVXGSensor(1.0f, -0.5f, 0.0f));
    EXPECT_EQ(data.m_GSensors[1], RVXGSensor(-0.00390625f, 2.0f, 10.0f));
    EXPECT_EQ(data.m_GSensors[2].x, float(INT32_MIN) / 256);
    // A NUL block adds a raw block but no fix; two sentences add two.
    ASSERT_EQ(data.m_NMEAs.size(), 3u);
    EXPECT_EQ(data.m_NMEAs[0].SpeedOverGround, 10.5);
    EXPECT_EQ(data.m_NMEAs[1].Latitude, 3731.5);
    EXPECT_EQ(data.m_NMEAs[1].SpeedOverGround, 10.5) << "a fix carries what earlier sentences said";
    EXPECT_EQ(data.m_NMEAs[2].Latitude, 3731.5);
    EXPECT_EQ(data.m_NMEAs[2].CourseOverGround, 1.0);
    // The stored block is the text after the scan: line ends are NUL.
    const RVXAviGpsData& gps = data.m_vGpsData[0];
    EXPECT_EQ(gps.unit(), '9');
    EXPECT_EQ(gps.gpsString().first(kRmc.size()), kRmc);
    EXPECT_EQ(gps.gpsString().sliced(kRmc.size()), QByteArray(128 - kRmc.size(), '\0'));
}

TEST_F(Extraction, SentenceScanRules) {
    const QByteArray unterminated = "$GPRMC,1,A,,,,,5,5,120315*00" + QByteArray(100, 'x');
    ASSERT_EQ(unterminated.size(), 128);
    const TelemetryRecords records = {
        record(0, 0, 0, 0, unterminated), // no terminator: dropped
        record(1, 0, 0, 0,
               "$GPRMC,1,A,,,,,7,7,120315*00$GPRMC,1,A,,,,,3,3,120315*00\n"), // second '$' restarts
        record(2, 0, 0, 0, "$PMTK001,604,3*32\r$GXXXX*00\r"), // "$P" skipped, "$G" always counted
    };
    ASSERT_TRUE(extractBytes(CameraRecordingWriter::skeleton(records)));
    expectRecords(3);
    ASSERT_EQ(data.m_NMEAs.size(), 2u);
    EXPECT_EQ(data.m_NMEAs[0].SpeedOverGround, 3.0);
    EXPECT_EQ(data.m_NMEAs[1], data.m_NMEAs[0])
        << "a refused $G sentence still adds the fix as it stands";
}

TEST_F(Extraction, EmptyTableAndRepeatedExtraction) {
    ASSERT_TRUE(extractBytes(CameraRecordingWriter::skeleton({})));
    expectEmpty();
    const QString path =
        write(CameraRecordingWriter::skeleton({record(1, 1, 2, 3, kGga + "\r\n")}), "two_F.MP4");
    ASSERT_TRUE(extract(path));
    const auto first = data.m_NMEAs;
    const auto firstG = data.m_GSensors;
    ASSERT_TRUE(extract(path));
    EXPECT_EQ(data.m_NMEAs, first);
    EXPECT_EQ(data.m_GSensors, firstG);
    expectRecords(1);
}

TEST_F(Extraction, FilesOffTheCameraPathGiveFalseAndNothing) {
    const QByteArray good = CameraRecordingWriter::skeleton({record(1, 1, 2, 3, kGga + "\r\n")});
    ASSERT_TRUE(extractBytes(good));
    QByteArray isom = good;
    isom.replace(8, 4, "isom");
    EXPECT_FALSE(extractBytes(isom));
    expectEmpty();

    QString error;
    auto boxes = Mp4Box::parseList(good, &error);
    ASSERT_TRUE(boxes) << qPrintable(error);
    std::swap((*boxes)[1], (*boxes)[2]); // moov before mdat, as a "fast start" file has it
    QByteArray moovFirst;
    for (const Mp4Box& b : *boxes)
        b.serializeInto(moovFirst);
    EXPECT_FALSE(extractBytes(moovFirst));
    EXPECT_FALSE(extract(tree.path(QStringLiteral("missing.MP4"))));
    EXPECT_FALSE(extract(tree.folder(QStringLiteral("a_folder.MP4"))));
    EXPECT_FALSE(data.ExtractStreamInformation(nullptr));
    EXPECT_FALSE(extractBytes(QByteArray()));
    expectEmpty();
}

TEST_F(Extraction, DamagedChunksAreSkippedAndTheRestRead) {
    QByteArray file =
        CameraRecordingWriter::skeleton({record(1, 0, 0, 0, kGga + "\r\n"), record(2, 0, 0, 0, {}),
                                         record(3, 0, 0, 0, kRmc + "\r\n")});
    const qsizetype entries = stcoAt(file) + 16;
    writeU32(file, entries + 4, 0xFFFFFF00); // the second chunk lies past the end of the file
    ASSERT_TRUE(extractBytes(file));
    EXPECT_EQ(data.m_Times, (std::vector<uint32_t>{1, 3}));
    EXPECT_EQ(data.m_NMEAs.size(), 2u);

    // The last chunk cut short: the table ends the file, so point it at the last bytes.
    writeU32(file, entries + 8, uint32_t(file.size() - 100));
    ASSERT_TRUE(extractBytes(file));
    EXPECT_EQ(data.m_Times, (std::vector<uint32_t>{1}));
}

TEST_F(Extraction, CountBeyondTheBoxIsCutToTheBox) {
    QByteArray file =
        CameraRecordingWriter::skeleton({record(1, 0, 0, 0, {}), record(2, 0, 0, 0, {})});
    writeU32(file, stcoAt(file) + 12, 0xFFFFFFFF);
    file += QByteArray(64, '\0'); // bytes after the box that are not table entries
    ASSERT_TRUE(extractBytes(file));
    EXPECT_EQ(data.m_Times, (std::vector<uint32_t>{1, 2}));
}

TEST_F(Extraction, SizesThatWouldWrapEndTheSearch) {
    QByteArray file = CameraRecordingWriter::skeleton({record(1, 0, 0, 0, {})});
    const qsizetype moov = file.indexOf("moov") - 4;
    writeU32(file, moov + 8, 0xFFFFFFF0); // the first child of moov
    EXPECT_FALSE(extractBytes(file));
    expectEmpty();
}

TEST_F(Extraction, EveryTruncationEndsCleanly) {
    const QByteArray file = CameraRecordingWriter::skeleton({record(1, 5, 5, 5, kGga + "\r\n"),
                                                             record(2, 6, 6, 6, kRmc + "\r\n"),
                                                             record(3, 7, 7, 7, {})});
    // The table ends the file: cut before its first entry the search fails, cut within
    // it the entries that are left are read.
    const qsizetype entries = stcoAt(file) + 16;
    for (qsizetype length = 0; length < file.size(); ++length) {
        const bool found = extractBytes(file.first(length));
        EXPECT_EQ(found, length >= entries) << length;
        expectRecords(found ? size_t(std::min<qsizetype>(3, (length - entries) / 4)) : 0);
    }
}

} // namespace
