// SPDX-License-Identifier: GPL-3.0-or-later
// Cuts of the demo card's recordings, judged by ffprobe: the same streams, packets
// identical to the originals', from the keyframe at or before the start.
#include "core/media/RVXStreamCut.h"
#include "support/Run.h"
#include "support/TempTree.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

QString demo(const char* relative) {
    return QDir(qEnvironmentVariable("RUVEX_TEST_DEMO_CARD")).filePath(QLatin1String(relative));
}

// The packets' SHA-256 in file order, of the first video or audio stream.
QList<QByteArray> packets(const QString& path, const char* stream) {
    const RunResult r =
        runProgram(QStringLiteral("ffprobe"),
                   {"-v", "error", "-select_streams", QLatin1String(stream), "-show_data_hash",
                    "sha256", "-show_entries", "packet=data_hash", "-of", "csv=p=0", path});
    return r.out.trimmed().split('\n');
}

QByteArray probe(const QString& path, const char* entries) {
    return runProgram(QStringLiteral("ffprobe"), {"-v", "error", "-show_entries",
                                                  QLatin1String(entries), "-of", "csv=p=0", path})
        .out;
}

double duration(const QString& path) {
    return probe(path, "format=duration").trimmed().toDouble();
}

// Whether part is a run of whole's packets, in order.
bool isRunOf(const QList<QByteArray>& part, const QList<QByteArray>& whole) {
    for (qsizetype start = 0; start + part.size() <= whole.size(); ++start) {
        if (whole.mid(start, part.size()) == part)
            return true;
    }
    return false;
}

} // namespace

TEST(RVXStreamCut, APieceIsTheOriginalsPacketsFromTheKeyframeBefore) {
    TempTree tree;
    const QString source = demo("20260314/event_20260314_081527_F.MP4");
    const QString out = tree.path(QStringLiteral("cut.mp4"));
    RVXCutReport report;
    ASSERT_FALSE(RVXStreamCut::cut({{source, 5.5, 9.0}}, out, &report));
    // Keyframes each second: the cut starts at 5 s.
    ASSERT_EQ(report.pieces.size(), 1u);
    EXPECT_NEAR(report.pieces[0].keyframe, 5.0, 0.05);
    // The video and the sound, as they were; the telemetry track goes to the pack's own files.
    const char* streams = "stream=codec_type,codec_name,width,height,sample_rate";
    EXPECT_EQ(probe(out, streams), probe(source, streams).replace("unknown,data\n", ""));
    const double seconds = duration(out);
    EXPECT_GE(seconds, 3.5 - 0.05);
    EXPECT_LE(seconds, 3.5 + 1.0 + 0.1);
    for (const char* stream : {"v:0", "a:0"}) {
        const QList<QByteArray> cut = packets(out, stream);
        EXPECT_GT(cut.size(), 20) << stream;
        EXPECT_TRUE(isRunOf(cut, packets(source, stream))) << stream;
    }
}

TEST(RVXStreamCut, PiecesOfTwoRecordingsJoinIntoOneFile) {
    TempTree tree;
    const QString a = demo("20260314/alwa_20260314_081500_F.MP4");
    const QString b = demo("20260314/motion_20260314_081515_F.MP4");
    ASSERT_TRUE(RVXStreamCut::compatible(a, b));
    EXPECT_FALSE(RVXStreamCut::compatible(a, demo("config.bin")));
    const QString out = tree.path(QStringLiteral("joined.mp4"));
    ASSERT_FALSE(RVXStreamCut::cut({{a, 12.0, 15.0}, {b, 0.0, 4.0}}, out));
    EXPECT_GE(duration(out), 7.0 - 0.05);
    EXPECT_LE(duration(out), 7.0 + 1.0);
    const QList<QByteArray> joined = packets(out, "v:0");
    const QList<QByteArray> first = packets(a, "v:0"), second = packets(b, "v:0");
    // The end of the first recording, then the start of the second, packet for packet.
    const qsizetype fromFirst = 3 * 30;
    ASSERT_GT(joined.size(), fromFirst);
    EXPECT_EQ(joined.mid(0, fromFirst), first.mid(first.size() - fromFirst));
    EXPECT_EQ(joined.mid(fromFirst, 4 * 30), second.mid(0, 4 * 30));
}

TEST(RVXStreamCut, AFailedCutLeavesNoFile) {
    TempTree tree;
    const QString out = tree.path(QStringLiteral("cut.mp4"));
    EXPECT_TRUE(RVXStreamCut::cut({{demo("config.bin"), 0, 1}}, out));
    EXPECT_FALSE(QFile::exists(out));
    std::atomic<bool> cancel{true};
    EXPECT_TRUE(RVXStreamCut::cut({{demo("20260314/alwa_20260314_081500_F.MP4"), 0, 5}}, out,
                                  nullptr, &cancel));
    EXPECT_FALSE(QFile::exists(out));
}
