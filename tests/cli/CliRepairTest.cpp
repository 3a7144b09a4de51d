// SPDX-License-Identifier: GPL-3.0-or-later
// ruvex-card repair on a demo recording cut in half, and list --json telling it apart.
#include "support/Run.h"
#include "support/TempTree.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

const QString kCard = QStringLiteral(RUVEX_CARD_PATH);

QByteArray demo(const char* name) {
    QFile f(QDir(qEnvironmentVariable("RUVEX_TEST_DEMO_CARD"))
                .filePath(QStringLiteral("20260314/") + QLatin1String(name)));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QList<QByteArray> videoTimes(const QString& path) {
    return runProgram(QStringLiteral("ffprobe"),
                      {"-v", "error", "-select_streams", "v:0", "-show_entries", "packet=pts,dts",
                       "-of", "csv=p=0", path})
        .out.trimmed()
        .split('\n');
}

} // namespace

TEST(CardRepair, AHalfRecordingComesBackInOrderAndTheListTellsItApart) {
    TempTree tree;
    const QByteArray whole = demo("event_20260314_081527_F.MP4");
    const QString original = tree.file(QStringLiteral("whole/event_20260314_081527_F.MP4"), whole);
    const QString broken =
        tree.file(QStringLiteral("card/event_20260314_081527_F.MP4"), whole.left(whole.size() / 2));
    tree.file(QStringLiteral("card/alwa_20260314_081500_F.MP4"),
              demo("alwa_20260314_081500_F.MP4"));
    const QString copy = tree.path(QStringLiteral("card/event_20260314_081527_F_repaired.MP4"));

    const RunResult r = runProgram(kCard, {"repair", broken, "--out", copy});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_TRUE(r.out.startsWith("video      7.00 s (210 frames)")) << r.out.constData();
    EXPECT_TRUE(r.err.contains("alwa_20260314_081500_F.MP4 as the reference")) << r.err.constData();
    // Where the walk stopped: what the camera was writing when the power went.
    const QRegularExpressionMatch stop =
        QRegularExpression(QStringLiteral("\nstopped    after 7.00 s: a partial chunk at byte "
                                          "(\\d+); (\\d+) bytes left out\n"))
            .match(QString::fromUtf8(r.out));
    ASSERT_TRUE(stop.hasMatch()) << r.out.constData();
    EXPECT_EQ(stop.captured(1).toLongLong() + stop.captured(2).toLongLong(), whole.size() / 2);
    EXPECT_GT(stop.captured(1).toLongLong(), whole.size() / 2 - 10000);
    // Decoding and display times as the camera wrote them, B-frames and all.
    const QList<QByteArray> repaired = videoTimes(copy);
    ASSERT_EQ(repaired.size(), 210);
    EXPECT_EQ(repaired, videoTimes(original).mid(0, 210));

    // A copy made before is whole and nearer, but the camera did not write it.
    const RunResult again = runProgram(kCard, {"repair", broken, "--out", tree.path("again.MP4")});
    ASSERT_EQ(again.exitCode, 0) << again.err.constData();
    EXPECT_TRUE(again.err.contains("alwa_20260314_081500_F.MP4 as the reference"))
        << again.err.constData();

    const RunResult list = runProgram(kCard, {"list", tree.path(QStringLiteral("card")), "--json"});
    QMap<QString, QString> states;
    for (const QByteArray& line : list.out.trimmed().split('\n')) {
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        states[o.value(u"fileName").toString()] = o.value(u"state").toString();
    }
    EXPECT_EQ(states.value(QStringLiteral("event_20260314_081527_F.MP4")), QStringLiteral("cut"));
    EXPECT_EQ(states.value(QStringLiteral("alwa_20260314_081500_F.MP4")), QStringLiteral("ok"));
}

TEST(CardRepair, NothingIsWrittenUnlessItExitsZero) {
    TempTree tree;
    const QByteArray whole = demo("event_20260314_081527_F.MP4");
    const QString lone =
        tree.file(QStringLiteral("lone/event_20260314_081527_F.MP4"), whole.left(whole.size() / 3));
    const QString random =
        tree.file(QStringLiteral("alwa_20260314_090000_F.MP4"), QByteArray(9000, 'q'));
    const QString copy = tree.path(QStringLiteral("copy.MP4"));
    // No healthy recording beside it to learn from.
    EXPECT_EQ(runProgram(kCard, {"repair", lone, "--out", copy}).exitCode, 1);
    EXPECT_EQ(runProgram(kCard, {"repair", random, "--out", copy}).exitCode, 2);
    EXPECT_EQ(runProgram(kCard, {"repair", lone}).exitCode, 2);
    EXPECT_EQ(runProgram(kCard, {"repair", "--out", copy}).exitCode, 2);
    EXPECT_FALSE(QFile::exists(copy));
}

// A name mistyped or a card pulled out: the file is not there, which is neither a usage
// error nor a file of some other camera.
TEST(CardRepair, AMissingFileIsNamedAsMissing) {
    TempTree tree;
    const QString copy = tree.path(QStringLiteral("copy.MP4"));
    const auto noSuchFile = [](const QString& path) {
        return QStringLiteral("ruvex-card repair: %1: No such file\n").arg(path).toStdString();
    };
    for (const QString& missing : {tree.path(QStringLiteral("event_20260314_081527_F.MP4")),
                                   tree.path(QStringLiteral("gone/alwa_20260314_081500_R.MP4"))}) {
        const RunResult r = runProgram(kCard, {"repair", missing, "--out", copy});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err.toStdString(), noSuchFile(missing));
        EXPECT_TRUE(r.out.isEmpty()) << r.out.constData();
    }
    // The reference named is missing: the same words, and the broken one is not at fault.
    const QByteArray whole = demo("event_20260314_081527_F.MP4");
    const QString broken =
        tree.file(QStringLiteral("card/event_20260314_081527_F.MP4"), whole.left(whole.size() / 2));
    const QString reference = tree.path(QStringLiteral("card/alwa_20260314_081500_F.MP4"));
    const RunResult r =
        runProgram(kCard, {"repair", broken, "--reference", reference, "--out", copy});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.toStdString(), noSuchFile(reference));
    EXPECT_FALSE(QFile::exists(copy));
}
