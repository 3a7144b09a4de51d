// SPDX-License-Identifier: GPL-3.0-or-later
// Cuts of the demo card's recordings, judged by ffprobe: the same streams, packets
// identical to the originals', from the keyframe at or before the start.
#include "core/media/RVXStreamCut.h"
#include "support/Run.h"
#include "support/TempTree.h"

#include <QDir>

#include <algorithm>
#include <cmath>

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

namespace {

// The video's frames in presentation order: pts and duration.
std::vector<std::pair<double, double>> frames(const QString& path) {
    std::vector<std::pair<double, double>> out;
    const RunResult r = runProgram(QStringLiteral("ffprobe"),
                                   {"-v", "error", "-select_streams", "v:0", "-show_entries",
                                    "packet=pts_time,duration_time", "-of", "csv=p=0", path});
    for (const QByteArray& line : r.out.trimmed().split('\n')) {
        const QList<QByteArray> f = line.split(',');
        if (f.size() >= 2)
            out.emplace_back(f[0].toDouble(), f[1].toDouble());
    }
    std::sort(out.begin(), out.end());
    return out;
}

// Whether every frame follows the one before by one frame: no gap, no moment twice.
bool oneAfterAnother(const std::vector<std::pair<double, double>>& f) {
    for (size_t i = 1; i < f.size(); ++i) {
        if (std::abs(f[i].first - f[i - 1].first - 1.0 / 30) > 0.001)
            return false;
    }
    return !f.empty();
}

} // namespace

TEST(RVXStreamCut, AJoinAddsNothingBetweenThePieces) {
    // Pictures out of order make the first decoded frame two frames before the first shown;
    // placed by it, each join would hold the picture for those two frames.
    TempTree tree;
    const QString out = tree.path(QStringLiteral("joined.mp4"));
    ASSERT_FALSE(RVXStreamCut::cut({{demo("20260314/alwa_20260314_081500_F.MP4"), 12.0, 15.0},
                                    {demo("20260314/motion_20260314_081515_F.MP4"), 0.0, 4.0},
                                    {demo("20260314/event_20260314_081527_F.MP4"), 0.0, 1.0}},
                                   out));
    const auto f = frames(out);
    ASSERT_EQ(f.size(), 8u * 30);
    EXPECT_TRUE(oneAfterAnother(f));
    EXPECT_NEAR(f.front().first, 0.0, 0.001);
    EXPECT_NEAR(probe(out, "stream=start_time").split('\n').first().toDouble(), 0.0, 0.001);
    EXPECT_NEAR(f.back().first + f.back().second, 8.0, 0.001);
}

TEST(RVXStreamCut, ACutEndsPastItsLastFrameShownAndALaterStartIsAnEmptyEdit) {
    TempTree tree;
    const QString source = demo("20260314/event_20260314_081527_F.MP4");
    // Ending between keyframes: every frame shown up to the end is there, one after another.
    RVXCutSpan span;
    ASSERT_FALSE(RVXStreamCut::span({source, 5.5, 6.55}, span));
    EXPECT_NEAR(span.keyframe, 5.0, 0.001);
    EXPECT_NEAR(span.frame, 1.0 / 30, 0.001);
    EXPECT_GE(span.end, 6.55 - 0.001);
    EXPECT_LE(span.end, 6.55 + 0.2);
    // On a clock where the recording starts at 100 s, a file whose second 0 is 97.5 s.
    const QString out = tree.path(QStringLiteral("late.mp4"));
    ASSERT_FALSE(RVXStreamCut::cut({{source, 5.5, 6.55, 100}}, out, nullptr, nullptr, 97.5));
    const auto f = frames(out);
    EXPECT_TRUE(oneAfterAnother(f));
    EXPECT_NEAR(f.front().first, 7.5, 0.001);
    EXPECT_NEAR(f.back().first + f.back().second - f.front().first, span.end - span.keyframe,
                0.001);
    const QList<QByteArray> starts = probe(out, "stream=codec_type,start_time").split('\n');
    ASSERT_GE(starts.size(), 2);
    EXPECT_EQ(starts[0], "video,7.500000");
    EXPECT_NEAR(starts[1].split(',').last().toDouble(), 7.5, 0.03) << "the sound with it";
}
