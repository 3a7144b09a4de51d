// SPDX-License-Identifier: GPL-3.0-or-later
// ruvex-card evidence on the demo card, judged by the tools an insurer would use:
// sha256sum -c, ffprobe, pdftotext.
#include "support/Run.h"
#include "support/TempTree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

const QString kCard = QStringLiteral(RUVEX_CARD_PATH);

QString card() {
    return qEnvironmentVariable("RUVEX_TEST_DEMO_CARD");
}

RunResult sha256Check(const QString& pack) {
    return runProgram(
        QStringLiteral("sh"),
        {"-c", QStringLiteral("cd '%1' && sha256sum -c --strict SHA256SUMS").arg(pack)});
}

} // namespace

TEST(CardEvidence, ThePackOfTheKnockChecksOutAndItsSheetReadsRight) {
    TempTree tree;
    const QString pack = tree.path(QStringLiteral("pack"));
    // Half a second after a keyframe, so the cut starts before what was asked.
    const RunResult r = runProgram(kCard, {"evidence", card(), "--at", "2026-03-14T08:15:33.500",
                                           "--before", "10", "--after", "5", "--out", pack});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const RunResult sums = sha256Check(pack);
    EXPECT_EQ(sums.exitCode, 0) << sums.out.constData() << sums.err.constData();
    // Every file of the pack but the sums themselves: 2 cuts, the 4 originals of the two
    // pairs the window spans, 2 telemetry files, the sheet and the manifest.
    EXPECT_EQ(sums.out.count(": OK"), 10) << sums.out.constData();

    const QJsonObject manifest = QJsonDocument::fromJson([&] {
                                     QFile f(pack + "/manifest.json");
                                     f.open(QIODevice::ReadOnly);
                                     return f.readAll();
                                 }())
                                     .object();
    EXPECT_EQ(manifest.value(u"moment").toString(), QStringLiteral("2026-03-14T08:15:33.500"));
    EXPECT_EQ(manifest.value(u"windowAsked").toObject().value(u"from").toString(),
              QStringLiteral("2026-03-14T08:15:23.500"));
    EXPECT_EQ(manifest.value(u"windowCut").toObject().value(u"from").toString(),
              QStringLiteral("2026-03-14T08:15:23.000"));
    EXPECT_TRUE(QFile::exists(pack + "/originals/motion_20260314_081515_R.MP4"));

    // 15 s across the border of two pairs, from the keyframe, both cameras in one file each.
    for (const char* side : {"front.mp4", "rear.mp4"}) {
        const RunResult probe = runProgram(QStringLiteral("ffprobe"),
                                           {"-v", "error", "-show_entries", "format=duration",
                                            "-of", "csv=p=0", pack + '/' + side});
        const double seconds = probe.out.trimmed().toDouble();
        EXPECT_GE(seconds, 15.0 - 0.05) << side;
        EXPECT_LE(seconds, 15.5 + 1.0) << side;
    }

    const RunResult text = runProgram(QStringLiteral("pdftotext"), {pack + "/sheet.pdf", "-"});
    ASSERT_EQ(text.exitCode, 0);
    EXPECT_TRUE(text.out.contains("2026-03-14T08:15:33.500")) << text.out.constData();
    EXPECT_TRUE(text.out.contains("W1234AB"));
    EXPECT_TRUE(text.out.contains("07:15:33.500 UTC"));
    // Every file but the sheet itself, the manifest and the sums is on the sheet.
    int hashes = 0;
    for (const QByteArray& line : r.out.trimmed().split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        const QByteArray name = parts.last();
        if (name == "sheet.pdf" || name == "manifest.json")
            continue;
        EXPECT_TRUE(text.out.contains(parts.first())) << name.constData();
        ++hashes;
    }
    EXPECT_EQ(hashes, 2 + 4 + 2); // cuts, originals, telemetry
}

TEST(CardEvidence, ALoneRecordingGivesItsSideAndBadRequestsLeaveNothing) {
    TempTree tree;
    const QString pack = tree.path(QStringLiteral("lone"));
    const QString lone =
        QDir(card()).filePath(QStringLiteral("20260314/alwa_20260314_081541_F.MP4"));
    // 2 s into the lone front, the window reaches back into the event pair before it.
    RunResult r = runProgram(kCard, {"evidence", card(), "--file", lone, "--offset", "10",
                                     "--before", "4", "--out", pack});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_TRUE(QFile::exists(pack + "/front.mp4"));
    EXPECT_FALSE(QFile::exists(pack + "/rear.mp4"));
    EXPECT_EQ(sha256Check(pack).exitCode, 0);

    EXPECT_EQ(runProgram(kCard, {"evidence", card(), "--out", tree.path("x")}).exitCode, 2);
    EXPECT_EQ(runProgram(kCard, {"evidence", card(), "--at", "2026-03-14T09:00:00", "--out",
                                 tree.path("x")})
                  .exitCode,
              2);
    // A pack that exists is not written over; one on the card is refused.
    EXPECT_EQ(
        runProgram(kCard, {"evidence", card(), "--file", lone, "--offset", "1", "--out", pack})
            .exitCode,
        1);
    r = runProgram(kCard, {"evidence", card(), "--at", "2026-03-14T08:15:33", "--out",
                           QDir(card()).filePath(QStringLiteral("pack"))});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("never written onto the card")) << r.err.constData();
    EXPECT_EQ(QDir(tree.root()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("lone")});
}

TEST(CardEvidence, ARecordingCutShortInTheWindowIsKeptWholeAndTheCutGoesOnAfterIt) {
    TempTree tree;
    const QDir demo(card() + QStringLiteral("/20260314"));
    for (const QFileInfo& f : demo.entryInfoList(QDir::Files)) {
        const QString to = tree.path(QStringLiteral("card/20260314/") + f.fileName());
        if (f.fileName() == QStringLiteral("motion_20260314_081515_F.MP4")) {
            QFile in(f.absoluteFilePath());
            ASSERT_TRUE(in.open(QIODevice::ReadOnly));
            tree.file(QStringLiteral("card/20260314/") + f.fileName(), in.read(600000));
        } else {
            QDir().mkpath(QFileInfo(to).absolutePath());
            ASSERT_TRUE(QFile::link(f.absoluteFilePath(), to));
        }
    }
    const QString pack = tree.path(QStringLiteral("pack"));
    const RunResult r =
        runProgram(kCard, {"evidence", tree.path(QStringLiteral("card")), "--at",
                           "2026-03-14T08:15:20", "--before", "8", "--after", "10", "--out", pack});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    // The front before and after the cut recording in files of their own; the rear whole.
    EXPECT_TRUE(QFile::exists(pack + "/front-1.mp4"));
    EXPECT_TRUE(QFile::exists(pack + "/front-2.mp4"));
    EXPECT_FALSE(QFile::exists(pack + "/front.mp4"));
    EXPECT_TRUE(QFile::exists(pack + "/rear.mp4"));
    EXPECT_EQ(QFileInfo(pack + "/originals/motion_20260314_081515_F.MP4").size(), 600000);
    EXPECT_EQ(sha256Check(pack).exitCode, 0);
    // The cut front's seconds come from its rear's telemetry: ten records a second throughout.
    QFile csv(pack + "/telemetry.csv");
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_GE(csv.readAll().count('\n'), 18 * 10);
    // This card has no config.bin: its clock is not judged against the defaults' zone.
    const RunResult text = runProgram(QStringLiteral("pdftotext"), {pack + "/sheet.pdf", "-"});
    // (pdftotext writes the "fi" of "config" as one ligature.)
    EXPECT_TRUE(text.out.contains("to tell its time zone")) << text.out.constData();
}
