// SPDX-License-Identifier: GPL-3.0-or-later
#include "CameraLayout.h"

#include "support/Run.h"
#include "support/TempTree.h"
#include "testmedia/DemoCard.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TelemetryRecords someRecords(int n) {
    TelemetryRecords records;
    for (int i = 0; i < n; ++i) {
        TelemetryRecord r;
        r.time = uint32_t(i * 100);
        r.X = i;
        r.Y = -i;
        r.Z = 256;
        r.nmea = "$GPRMC,record " + QByteArray::number(i) + "\r\n";
        records.push_back(r);
    }
    return records;
}

// The first chunk offset of each media track, and the bytes found there.
std::vector<QByteArray> firstMediaChunks(const QByteArray& file) {
    QString error;
    std::vector<QByteArray> chunks;
    auto top = Mp4Box::parseList(file, &error);
    EXPECT_TRUE(top) << qPrintable(error);
    for (Mp4Box& b : top.value_or(std::vector<Mp4Box>{})) {
        if (b.type != "moov")
            continue;
        for (Mp4Box& trak : b.children) {
            Mp4Box* stbl = trak.type == "trak" ? trak.descend({"mdia", "minf", "stbl"}) : nullptr;
            const Mp4Box* stco = stbl ? stbl->child("stco") : nullptr;
            if (stco && readU32(stco->payload, 4) > 0)
                chunks.push_back(file.mid(qsizetype(readU32(stco->payload, 8)), 64));
        }
    }
    return chunks;
}

class CameraRecordingWriterTest : public testing::Test {
protected:
    void SetUp() override {
        if (!programExists(QStringLiteral("ffmpeg")))
            GTEST_SKIP() << "ffmpeg is not installed";
        source = tree.path(QStringLiteral("in.mp4"));
        ASSERT_EQ(DemoCard::encodeVideo(QStringLiteral("ffmpeg"), 2, false, source), std::nullopt);
    }
    TempTree tree;
    QString source;
};

TEST_F(CameraRecordingWriterTest, TelemetryIsFoundByTheCameraPath) {
    const TelemetryRecords records = someRecords(20);
    const QString out = tree.path(QStringLiteral("out.MP4"));
    ASSERT_EQ(CameraRecordingWriter::writeFile(source, records, out), std::nullopt);
    const QByteArray file = readAll(out);
    const std::vector<QByteArray> found = cameraRecords(file);
    ASSERT_EQ(found.size(), records.size());
    for (size_t i = 0; i < found.size(); ++i)
        EXPECT_EQ(found[i], records[i].toBytes()) << i;
    // The two bytes before each record hold its length.
    const uint32_t first = cameraChunkOffsets(file)->front();
    EXPECT_EQ(uint8_t(file[first]), 0);
    EXPECT_EQ(uint8_t(file[first + 1]), 153);
}

TEST_F(CameraRecordingWriterTest, MediaChunksStillPointAtTheSameBytes) {
    QByteArray converted;
    const QByteArray original = readAll(source);
    ASSERT_EQ(CameraRecordingWriter::convert(original, someRecords(3), converted), std::nullopt);
    const auto before = firstMediaChunks(original);
    const auto after = firstMediaChunks(converted);
    ASSERT_EQ(before.size(), 2u); // video and audio
    // The telemetry track joins the list after the media tracks.
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(after[0], before[0]);
    EXPECT_EQ(after[1], before[1]);
}

TEST_F(CameraRecordingWriterTest, OutputDecodesCleanly) {
    const QString out = tree.path(QStringLiteral("out.MP4"));
    ASSERT_EQ(CameraRecordingWriter::writeFile(source, someRecords(20), out), std::nullopt);
    const RunResult r =
        runProgram(QStringLiteral("ffmpeg"), {"-v", "error", "-nostdin", "-i", out, "-map", "0:v",
                                              "-map", "0:a", "-f", "null", "-"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.err.isEmpty()) << r.err.constData();
}

TEST_F(CameraRecordingWriterTest, EmptyTelemetryStillHasTheTrack) {
    QByteArray converted;
    ASSERT_EQ(CameraRecordingWriter::convert(readAll(source), {}, converted), std::nullopt);
    const auto offsets = cameraChunkOffsets(converted);
    ASSERT_TRUE(offsets);
    EXPECT_TRUE(offsets->empty());
}

TEST_F(CameraRecordingWriterTest, CommandLineTakesJsonAndCsv) {
    const QString json =
        tree.file(QStringLiteral("t.json"),
                  R"([{"time":5,"X":256,"Y":-128,"Z":0,"T":7,"unit":"9","nmea":"$GPGGA,x\r\n"}])");
    const QString csv = tree.file(QStringLiteral("t.csv"), "5,256,-128,0,7,9,$GPGGA,x\\r\\n\n");
    const QString tool = QStringLiteral(RUVEX_MAKE_RECORDING_PATH);
    for (const QString& input : {json, csv}) {
        const QString out = input + QStringLiteral(".MP4");
        const RunResult r =
            runProgram(tool, {"--video", source, "--telemetry", input, "--out", out});
        ASSERT_EQ(r.exitCode, 0) << r.err.constData();
        const auto found = cameraRecords(readAll(out));
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0].mid(24, 11), QByteArray("9$GPGGA,x\r\n"));
    }
    const QString bad = tree.file(QStringLiteral("bad.json"), "[{\"time\":\"soon\"}]");
    const RunResult r =
        runProgram(tool, {"--video", source, "--telemetry", bad, "--out", tree.path("x.MP4")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("time"));
    EXPECT_FALSE(QFile::exists(tree.path("x.MP4")));
    EXPECT_EQ(runProgram(tool, {"--video", source}).exitCode, 2);
    // Without a video the tool writes the telemetry alone in the camera's layout.
    const QString bare = tree.path(QStringLiteral("bare.MP4"));
    ASSERT_EQ(runProgram(tool, {"--telemetry", json, "--out", bare}).exitCode, 0);
    EXPECT_EQ(cameraRecords(readAll(bare)).size(), 1u);
}

TEST(CameraRecordingWriter, SkeletonFileMatchesTheSkeletonInMemory) {
    TempTree tree;
    const TelemetryRecords records = someRecords(4);
    const QString path = tree.path(QStringLiteral("bare.MP4"));
    ASSERT_EQ(CameraRecordingWriter::writeSkeletonFile(path, records, 1000), std::nullopt);
    const QByteArray file = readAll(path);
    EXPECT_EQ(file, CameraRecordingWriter::skeleton(records, 1000));
    const auto found = cameraRecords(file);
    ASSERT_EQ(found.size(), 4u);
    EXPECT_EQ(found[3], records[3].toBytes());
    EXPECT_EQ(cameraChunkOffsets(file)->at(1) - cameraChunkOffsets(file)->at(0), 1000u + 155u);
}

TEST(CameraRecordingWriter, RefusesInputWithoutTheBoxesItNeeds) {
    QByteArray out;
    EXPECT_TRUE(CameraRecordingWriter::convert(QByteArray(), {}, out));
    QByteArray onlyFtyp;
    appendU32(onlyFtyp, 16);
    onlyFtyp += QByteArray("ftypisom\0\0\0\0", 12);
    EXPECT_TRUE(CameraRecordingWriter::convert(onlyFtyp, {}, out));
    EXPECT_TRUE(CameraRecordingWriter::writeFile(QStringLiteral("/nonexistent/in.mp4"), {},
                                                 QStringLiteral("/tmp/x")));
}

} // namespace
