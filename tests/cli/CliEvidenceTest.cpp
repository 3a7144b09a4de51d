// SPDX-License-Identifier: GPL-3.0-or-later
// ruvex-card evidence on the demo card, judged by the tools an insurer would use:
// sha256sum -c, ffprobe, pdftotext.
#include "core/evidence/RVXPackFolder.h"
#include "support/DemoCardCopy.h"
#include "support/Run.h"
#include "support/TempTree.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include <csignal>

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
    EXPECT_TRUE(text.out.contains("UTC: 2026-03-14T07:15:33.500 (from the GPS"));
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

namespace {

QJsonObject manifestOf(const QString& pack) {
    QFile f(pack + QStringLiteral("/manifest.json"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(f.readAll()).object();
}

// The sheet's text with its lines run together, as a reader takes it in.
QByteArray sheetText(const QString& pack) {
    const RunResult text = runProgram(QStringLiteral("pdftotext"), {pack + "/sheet.pdf", "-"});
    // (pdftotext writes the "fi" of "file" as one ligature.)
    return text.out.simplified().replace("\xef\xac\x81", "fi");
}

// The hidden entries of folder, by name.
std::string hiddenIn(const QString& folder) {
    return QDir(folder)
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
        .filter(QRegularExpression(QStringLiteral("^\\.")))
        .join(u' ')
        .toStdString();
}

} // namespace

TEST(CardEvidence, TheSheetGivesEachFilesSpanAndNamesTheGaps) {
    struct Case {
        const char* name;
        DemoCardCopy copy;
        QList<QByteArray> said;
    };
    DemoCardCopy midRear, cutFront;
    midRear.without = {QStringLiteral("motion_20260314_081515_R.MP4")};
    cutFront.cutTo = {{QStringLiteral("alwa_20260314_081500_F.MP4"), 600000}};
    const std::vector<Case> cases = {
        {"the middle rear missing",
         midRear,
         {"rear-1.mp4: 2026-03-14T08:15:12.000 to 2026-03-14T08:15:15.000",
          "rear-2.mp4: 2026-03-14T08:15:27.000 to",
          "rear: no recording from 08:15:15.0 to 08:15:27.0"}},
        {"the first front cut short",
         cutFront,
         {"front.mp4: 2026-03-14T08:15:15.000 to 2026-03-14T08:15:30.500", "from second 3.000",
          "front: no cut from 08:15:12.5 to 08:15:15.0: alwa_20260314_081500_F.MP4 is cut short"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempTree tree;
        const QString pack = tree.path(QStringLiteral("pack"));
        const RunResult r =
            runProgram(kCard, {"evidence", c.copy.make(tree), "--at", "2026-03-14T08:15:20.500",
                               "--before", "8", "--after", "10", "--out", pack});
        ASSERT_EQ(r.exitCode, 0) << r.err.constData();
        const QByteArray text = sheetText(pack);
        for (const QByteArray& s : c.said)
            EXPECT_TRUE(text.contains(s)) << s.constData() << "\n" << text.constData();
        EXPECT_FALSE(text.contains(": none"));
        EXPECT_TRUE(text.contains("telemetry track was left out of them; it is in telemetry.csv, "
                                  "telemetry.gpx and the originals"));
        EXPECT_TRUE(text.contains("cannot list the sheet itself, manifest.json or SHA256SUMS"));

        // The manifest says which clock its times are on, and its UTC has its zone.
        const QJsonObject manifest = manifestOf(pack);
        EXPECT_TRUE(manifest.value(u"cameraTime").toString().contains(u"no time zone"));
        EXPECT_EQ(manifest.value(u"moment").toString(), QStringLiteral("2026-03-14T08:15:20.500"));
        EXPECT_EQ(manifest.value(u"momentUtc").toString(),
                  QStringLiteral("2026-03-14T07:15:20.500Z"));
        EXPECT_EQ(manifest.value(u"gaps").toArray().size(), 1);
    }
}

TEST(CardEvidence, AtIsTheCamerasOwnTimeWhateverTheComputersZone) {
    // 02:30 on 29 March does not exist in Berlin: the clocks go from 02:00 to 03:00. The
    // camera's clock knows nothing of it.
    TempTree tree;
    DemoCardCopy copy;
    copy.renamed = {{"alwa_20260314_081500_F.MP4", "alwa_20260329_023000_F.MP4"},
                    {"alwa_20260314_081500_R.MP4", "alwa_20260329_023000_R.MP4"}};
    const QString card = copy.make(tree);
    const QStringList berlin{QStringLiteral("TZ=Europe/Berlin")};
    const QString pack = tree.path(QStringLiteral("pack"));
    RunResult r = runProgram(kCard,
                             {"evidence", card, "--at", "2026-03-29T02:30:05", "--before", "2",
                              "--after", "2", "--out", pack},
                             {}, berlin);
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QJsonObject manifest = manifestOf(pack);
    EXPECT_EQ(manifest.value(u"moment").toString(), QStringLiteral("2026-03-29T02:30:05.000"));
    EXPECT_EQ(manifest.value(u"windowCut").toObject().value(u"from").toString(),
              QStringLiteral("2026-03-29T02:30:03.000"));

    // A time with a zone is not the camera's: refused, and nothing written.
    for (const char* at :
         {"2026-03-29T02:30:05Z", "2026-03-29T02:30:05+01:00", "2026-03-29T02:30:05.250-0500"}) {
        r = runProgram(kCard, {"evidence", card, "--at", at, "--out", tree.path("x")}, {}, berlin);
        EXPECT_EQ(r.exitCode, 2) << at;
        EXPECT_TRUE(r.err.contains("has a time zone")) << at << ": " << r.err.constData();
    }
    EXPECT_FALSE(QFile::exists(tree.path("x")));
}

TEST(CardEvidence, AKilledExportIsClearedByTheNextAndCtrlCLeavesNothing) {
    TempTree tree;
    const QString packs = tree.folder(QStringLiteral("packs"));
    // Runs an export into packs and stops it with the signal once its hidden folder holds
    // a cut; returns the hidden folder's name.
    const auto stopped = [&](const char* name, int signal) {
        QProcess p;
        p.start(kCard, {"evidence", card(), "--at", "2026-03-14T08:15:33", "--out",
                        packs + u'/' + QLatin1String(name)});
        EXPECT_TRUE(p.waitForStarted());
        QString hidden;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 30000 && p.state() == QProcess::Running) {
            for (const QString& h : QDir(packs).entryList(QDir::Dirs | QDir::Hidden)) {
                if (h.startsWith(u'.' + QLatin1String(name)) &&
                    QFile::exists(packs + u'/' + h + QStringLiteral("/front.mp4")))
                    hidden = h;
            }
            if (!hidden.isEmpty())
                break;
            QThread::msleep(2);
        }
        EXPECT_FALSE(hidden.isEmpty()) << "the export ended before it could be stopped";
        ::kill(pid_t(p.processId()), signal);
        EXPECT_TRUE(p.waitForFinished(30000));
        EXPECT_NE(p.exitCode(), 0);
        return hidden;
    };

    // Someone else's hidden folder, and one a live export (this test) is writing.
    tree.file(QStringLiteral("packs/.someone-else/file"), "theirs");
    tree.folder(QStringLiteral("packs/.live-pack-abcdef"));
    QLockFile live(packs + QStringLiteral("/.live-pack-abcdef/") + RVXPackFolder::markerName());
    ASSERT_TRUE(live.tryLock(0));

    const QString killed = stopped("killed", SIGKILL);
    EXPECT_NE(hiddenIn(packs).find(killed.toStdString()), std::string::npos)
        << "a kill leaves the folder";
    const RunResult r = runProgram(
        kCard, {"evidence", card(), "--at", "2026-03-14T08:15:33", "--out", packs + "/next"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_EQ(hiddenIn(packs), ".live-pack-abcdef .someone-else");
    EXPECT_TRUE(QFile::exists(packs + QStringLiteral("/.someone-else/file")));

    // Ctrl-C is a cancel: the export's own folder goes with it.
    stopped("interrupted", SIGINT);
    EXPECT_EQ(hiddenIn(packs), ".live-pack-abcdef .someone-else");
    EXPECT_FALSE(QFile::exists(packs + QStringLiteral("/interrupted")));
}

namespace {

// The sheet's lines as pdftotext gives them, ligatures undone.
QList<QByteArray> sheetLines(const QString& pack) {
    const RunResult text = runProgram(QStringLiteral("pdftotext"), {pack + "/sheet.pdf", "-"});
    return QByteArray(text.out).replace("\xef\xac\x81", "fi").split('\n');
}

// words stand alone in text, not inside a longer number or word.
bool hasWords(const QByteArray& text, const QByteArray& words) {
    return (' ' + text + ' ').contains(' ' + words + ' ');
}

} // namespace

TEST(CardEvidence, TheSheetOfTheKnockNamesItAndReadsAsPlainEnglish) {
    TempTree tree;
    const QString pack = tree.path(QStringLiteral("knock"));
    // The knock as `events` gives it: its recording's name, 6.0 s into it.
    RunResult r = runProgram(kCard, {"evidence", card(), "--file", "event_20260314_081527_F.MP4",
                                     "--offset", "6", "--out", pack});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QByteArray text = sheetText(pack);
    EXPECT_TRUE(text.contains("Event: Impact, 3.69 g")) << text.constData();
    // The speed at the moment is the one `events` gives for the knock.
    EXPECT_TRUE(text.contains("Speed: 32.2 km/h")) << text.constData();
    // Values on the axes: G in g (up to 4 g, the knock's x is over 3), speed in km/h, seconds
    // from the moment; a scale on the map.
    // (Read in the page's own order: pdftotext's layout runs "0" and "g" together, though
    // its own word boxes keep them apart.)
    const QByteArray raw =
        runProgram(QStringLiteral("pdftotext"), {"-raw", pack + "/sheet.pdf", "-"})
            .out.simplified();
    const QByteArray minus = "\xe2\x88\x92";
    for (const QByteArray& words :
         {minus + "2 g", QByteArray("0 g"), QByteArray("+2 g"), QByteArray("+4 g"),
          QByteArray("0 km/h"), QByteArray("20 km/h"), minus + "20 s", minus + "10 s",
          QByteArray("0 s"), QByteArray("+10 s"), QByteArray("+20 s")})
        EXPECT_TRUE(hasWords(raw, words)) << words.constData() << "\n" << raw.constData();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("(^| )[125]0* k?m( |$)"))
                    .match(QString::fromUtf8(text))
                    .hasMatch())
        << "no scale on the map\n"
        << text.constData();
    EXPECT_TRUE(text.contains("median of 4 recordings)")) << text.constData();

    // Plain English on every sheet: one UTC to a time, no word twice in a row, a count's
    // noun agreeing with it. Five seconds of one pair give its clock from one recording,
    // and name no event.
    const QString quiet = tree.path(QStringLiteral("quiet"));
    r = runProgram(kCard, {"evidence", card(), "--at", "2026-03-14T08:15:05", "--before", "2",
                           "--after", "2", "--out", quiet});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QByteArray quietText = sheetText(quiet);
    EXPECT_TRUE(quietText.contains("from 1 recording)")) << quietText.constData();
    EXPECT_FALSE(quietText.contains("Event:")) << quietText.constData();
    // (Case matters: the axis's "+2 g" stands before the title "G force".)
    const QRegularExpression twice(QStringLiteral("\\b([A-Za-z]+) \\1\\b"));
    for (const QString& p : {pack, quiet}) {
        SCOPED_TRACE(p.toStdString());
        const QByteArray all = sheetText(p);
        const QRegularExpressionMatch m = twice.match(QString::fromUtf8(all));
        EXPECT_FALSE(m.hasMatch()) << m.captured(0).toStdString() << "\n" << all.constData();
        EXPECT_FALSE(QRegularExpression(QStringLiteral("(^| )1 [a-z]+s[ .,)]"))
                         .match(QString::fromUtf8(all))
                         .hasMatch())
            << all.constData();
        for (const QByteArray& line : sheetLines(p))
            EXPECT_LE(line.count("UTC"), 1) << line.constData();
    }
}

TEST(CardEvidence, FileTakesARecordingsNameAndBadArgumentsSaySo) {
    TempTree tree;
    // The same name twice on a card: a copy kept in a folder of its own.
    const QString copy = DemoCardCopy().make(tree);
    const QString kept = tree.folder(QStringLiteral("card/kept"));
    ASSERT_TRUE(QFile::copy(DemoCardCopy::demo(QStringLiteral("alwa_20260314_081541_F.MP4")),
                            kept + QStringLiteral("/alwa_20260314_081541_F.MP4")));
    // (The copy's recordings are links to the demo card's: a file of another folder must be
    // a file of its own.)
    const QString elsewhere =
        tree.folder(QStringLiteral("elsewhere")) + QStringLiteral("/alwa_20260314_081500_F.MP4");
    ASSERT_TRUE(
        QFile::copy(DemoCardCopy::demo(QStringLiteral("alwa_20260314_081500_F.MP4")), elsewhere));
    const QString out = tree.path(QStringLiteral("x"));
    struct Case {
        const char* name;
        QStringList args;
        int exitCode;
        QList<QByteArray> said;
    };
    const std::vector<Case> cases = {
        {"a time that cannot be read", {"--at", "garbage"}, 2, {"--at garbage", "not a time"}},
        {"a recording's name the card does not hold",
         {"--file", "alwa_20260314_090000_F.MP4", "--offset", "1"},
         2,
         {"alwa_20260314_090000_F.MP4", "No such file"}},
        {"a path to nothing",
         {"--file", tree.path(QStringLiteral("gone/alwa_20260314_081500_F.MP4")), "--offset", "1"},
         2,
         {"No such file"}},
        {"a file of another folder",
         {"--file", elsewhere, "--offset", "1"},
         2,
         {"is not a recording of"}},
        {"a name two recordings have",
         {"--file", "alwa_20260314_081541_F.MP4", "--offset", "1"},
         2,
         {"kept/alwa_20260314_081541_F.MP4", "20260314/alwa_20260314_081541_F.MP4",
          "give its path"}},
        {"an offset past the recording's end",
         {"--file", "alwa_20260314_081500_F.MP4", "--offset", "600"},
         2,
         {"plays at 2026-03-14T08:25:00.000"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const RunResult r =
            runProgram(kCard, QStringList{"evidence", copy} << c.args << QStringList{"--out", out});
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err.constData();
        for (const QByteArray& s : c.said)
            EXPECT_TRUE(r.err.contains(s)) << s.constData() << ": " << r.err.constData();
        EXPECT_FALSE(QFile::exists(out));
    }
    // A path keeps working beside the name, and the kept copy is one of the card's.
    const RunResult r =
        runProgram(kCard, {"evidence", copy, "--file", kept + "/alwa_20260314_081541_F.MP4",
                           "--offset", "2", "--before", "1", "--after", "1", "--out", out});
    EXPECT_EQ(r.exitCode, 0) << r.err.constData();
}
