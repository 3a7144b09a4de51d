// SPDX-License-Identifier: GPL-3.0-or-later
// `ruvex-card library` as a script runs it: a real child process over a real library,
// killed with SIGKILL in the middle of an import and started again.
#include "support/Mounts.h"
#include "support/Run.h"
#include "support/TempTree.h"
#include "testmedia/CameraRecordingWriter.h"
#include "testmedia/DemoDrive.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

const QString kCard = QStringLiteral(RUVEX_CARD_PATH);

QString demoCard() {
    return qEnvironmentVariable("RUVEX_TEST_DEMO_CARD");
}

RunResult library(const QString& folder, QStringList args) {
    args.prepend(QStringLiteral("library"));
    args << QStringLiteral("--library") << folder;
    return runProgram(kCard, args);
}

std::vector<QJsonObject> jsonLines(const QByteArray& out) {
    std::vector<QJsonObject> lines;
    for (const QByteArray& line : out.split('\n')) {
        if (!line.isEmpty())
            lines.push_back(QJsonDocument::fromJson(line).object());
    }
    return lines;
}

QString sha256Of(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash sha(QCryptographicHash::Sha256);
    sha.addData(&f);
    return QString::fromLatin1(sha.result().toHex());
}

QStringList filesUnder(const QString& folder, const QString& pattern) {
    QStringList out;
    QDirIterator it(folder, {pattern}, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(folder).relativeFilePath(it.next());
    out.sort();
    return out;
}

} // namespace

TEST(CardLibrary, ImportListProtectPruneAndCheck) {
    TempTree tree;
    const QString lib = tree.path("lib");
    const RunResult imported = library(lib, {"import", demoCard(), "--json"});
    ASSERT_EQ(imported.exitCode, 0) << imported.err.constData();
    const QJsonObject summary = QJsonDocument::fromJson(imported.out).object();
    EXPECT_EQ(summary.value(u"added").toInt(), 8);
    EXPECT_TRUE(summary.value(u"error").isNull());
    const RunResult again = library(lib, {"import", demoCard(), "--json"});
    EXPECT_EQ(QJsonDocument::fromJson(again.out).object().value(u"skipped").toInt(), 8);

    const std::vector<QJsonObject> all = jsonLines(library(lib, {"list", "--json"}).out);
    ASSERT_EQ(all.size(), 8u);
    const QJsonObject first = all.front();
    for (const char* key : {"file", "path", "kind", "moment", "sha256"})
        EXPECT_TRUE(first.contains(QLatin1String(key))) << key;
    EXPECT_EQ(first.value(u"file").toString(), "alwa_20260314_081500_F.MP4");
    EXPECT_EQ(first.value(u"kind").toString(), "loop");
    EXPECT_EQ(first.value(u"moment").toString(), "2026-03-14T08:15:00");
    EXPECT_EQ(first.value(u"path").toString(), lib + "/2026/2026-03-14/alwa_20260314_081500_F.MP4");
    EXPECT_EQ(first.value(u"sha256").toString(),
              sha256Of(demoCard() + "/20260314/alwa_20260314_081500_F.MP4"));

    EXPECT_EQ(jsonLines(library(lib, {"list", "--json", "--from", "2026-03-15"}).out).size(), 1u);
    EXPECT_EQ(jsonLines(library(lib, {"list", "--json", "--kind", "event"}).out).size(), 2u);
    EXPECT_EQ(jsonLines(library(lib, {"list", "--json", "--events"}).out).size(), 3u);
    const std::vector<QJsonObject> trips =
        jsonLines(library(lib, {"list", "--trips", "--json"}).out);
    ASSERT_EQ(trips.size(), 2u);
    EXPECT_EQ(trips[0].value(u"start").toString(), "2026-03-14T08:15:00");
    // The knock: 48.202474 N 16.369216 E, on the first drive only.
    const std::vector<QJsonObject> there =
        jsonLines(library(lib, {"list", "--trips", "--json", "--near", "48.202474,16.369216",
                                "--radius", "30"})
                      .out);
    ASSERT_EQ(there.size(), 1u);
    EXPECT_EQ(there[0].value(u"start").toString(), "2026-03-14T08:15:00");
    EXPECT_TRUE(there[0].value(u"placeMoment").toString().startsWith("2026-03-14T08:15:3"));
    EXPECT_EQ(
        jsonLines(library(lib, {"list", "--json", "--box", "48.19,16.35,48.22,16.38"}).out).size(),
        8u);

    const RunResult protect = library(lib, {"protect", "alwa_20260314_081500_F.MP4"});
    ASSERT_EQ(protect.exitCode, 0) << protect.err.constData();
    EXPECT_EQ(protect.out, "protected 2026/2026-03-14/alwa_20260314_081500_F.MP4\n");
    EXPECT_TRUE(jsonLines(library(lib, {"list", "--json"}).out)[0].value(u"protected").toBool());
    EXPECT_EQ(library(lib, {"protect", "alwa_20990101_000000_F.MP4"}).exitCode, 1);

    // Only the rear of the first pair may go (its front is protected now: the pair stays
    // whole), and the last loop recording of the first day.
    const RunResult dry = library(lib, {"prune", "--keep-days", "0", "--dry-run"});
    ASSERT_EQ(dry.exitCode, 0) << dry.err.constData();
    EXPECT_EQ(dry.out, "would delete 2026/2026-03-14/alwa_20260314_081541_F.MP4 (1.7 MB)\n");
    EXPECT_TRUE(QFile::exists(lib + "/2026/2026-03-14/alwa_20260314_081541_F.MP4"));
    const RunResult pruned = library(lib, {"prune", "--keep-days", "0"});
    ASSERT_EQ(pruned.exitCode, 0) << pruned.err.constData();
    EXPECT_FALSE(QFile::exists(lib + "/2026/2026-03-14/alwa_20260314_081541_F.MP4"));
    EXPECT_EQ(jsonLines(library(lib, {"list", "--json"}).out).size(), 7u);

    EXPECT_EQ(library(lib, {"check"}).exitCode, 0);
    ASSERT_TRUE(QFile::remove(lib + "/2026/2026-03-14/motion_20260314_081515_R.MP4"));
    const RunResult check = library(lib, {"check"});
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_EQ(check.out, "missing 2026/2026-03-14/motion_20260314_081515_R.MP4\n");
    // The files are the truth: rebuilt from them, the index no longer holds it.
    ASSERT_EQ(library(lib, {"rebuild"}).exitCode, 0);
    EXPECT_EQ(library(lib, {"check"}).exitCode, 0);
    EXPECT_EQ(jsonLines(library(lib, {"list", "--json"}).out).size(), 6u);
}

TEST(CardLibrary, UsageAndAMissingLibrary) {
    TempTree tree;
    const QString lib = tree.path("lib");
    for (const QStringList& args :
         {QStringList{"library"},
          {"library", "import"},
          {"library", "frobnicate"},
          {"library", "import", demoCard(), "--only", "motion"},
          {"library", "import", demoCard(), "--only", "events", "--since-last"},
          {"library", "list", "--near", "48.2,16.3"},
          {"library", "list", "--radius", "5"},
          {"library", "list", "--box", "48.2,16.3"},
          {"library", "list", "--from", "14.3.2026"},
          {"library", "list", "--kind", "parking"},
          {"library", "prune"},
          {"library", "prune", "--keep-days", "3", "--max-gb", "2"},
          {"library", "protect"},
          {"library", "check", "--deep"}}) {
        const RunResult r = runProgram(kCard, args + QStringList{"--library", lib});
        EXPECT_EQ(r.exitCode, 2) << qPrintable(args.join(u' '));
        EXPECT_TRUE(r.err.contains("usage")) << qPrintable(args.join(u' '));
    }
    const RunResult none = library(lib, {"list"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_TRUE(none.err.contains("holds no library")) << none.err.constData();
    EXPECT_FALSE(QFileInfo::exists(lib));
}

TEST(CardLibrary, AFullDiskIsSaidBeforeTheFirstFile) {
    TempTree tree;
    const QString small = tree.path("small");
    const TestMount disk = TestMount::tmpfs(small, 3 << 20);
    if (!disk.ok())
        GTEST_SKIP() << "no tmpfs: " << qPrintable(disk.error());
    const RunResult r = library(small + "/lib", {"import", demoCard()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(QRegularExpression("^ruvex-card library import: 8 recordings need 12\\.\\d MB; the "
                                   "library's disk has [23]\\.\\d MB free\n$")
                    .match(QString::fromUtf8(r.err))
                    .hasMatch())
        << r.err.constData();
    EXPECT_TRUE(filesUnder(small + "/lib", "*.MP4").isEmpty());
}

TEST(CardLibrary, KilledInTheMiddleOfAnImportThenImportedAgain) {
    // Recordings large enough for the import to take a while: their media data is left as
    // holes on the card, read as zeros and written out whole into the library.
    TempTree tree;
    const QString card = tree.folder("card/DCIM/100");
    const DemoDrive drive;
    QStringList names;
    for (int i = 0; i < 12; ++i) {
        const QDateTime utc(QDate(2026, 5, 1), QTime(9, i, 0), Qt::UTC);
        const QString name = QStringLiteral("alwa_20260501_10%1").arg(i, 2, 10, QChar('0')) +
                             (i % 2 ? "00_R.MP4" : "00_F.MP4");
        names << name;
        ASSERT_EQ(CameraRecordingWriter::writeSkeletonFile(
                      card + u'/' + name, drive.recordsFor(i * 60, 30, utc), 56000),
                  std::nullopt);
    }
    const QString lib = tree.path("lib");
    const QString day = lib + "/2026/2026-05-01";

    QProcess child;
    child.start(kCard, {"library", "import", tree.path("card"), "--library", lib});
    ASSERT_TRUE(child.waitForStarted());
    // Killed with a file half-written and others already in place.
    bool caught = false;
    QDeadlineTimer deadline(60000);
    // waitForFinished, not state(): without an event loop only a wait learns of the end.
    while (!deadline.hasExpired() && !child.waitForFinished(1)) {
        const QStringList placed = QDir(day).entryList({"*.MP4"}, QDir::Files);
        const QStringList half = QDir(day).entryList({".*.part"}, QDir::Files | QDir::Hidden);
        if (placed.size() >= 3 && !half.isEmpty()) {
            child.kill();
            caught = true;
            break;
        }
    }
    child.waitForFinished();
    ASSERT_TRUE(caught) << "the import ended before it could be killed";
    EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);
    EXPECT_FALSE(filesUnder(lib, ".*.part").isEmpty());
    // What is under its own name is whole already.
    for (const QString& placed : QDir(day).entryList({"*.MP4"}, QDir::Files))
        EXPECT_EQ(sha256Of(day + u'/' + placed), sha256Of(card + u'/' + placed))
            << qPrintable(placed);

    const RunResult again = library(lib, {"import", tree.path("card"), "--json"});
    ASSERT_EQ(again.exitCode, 0) << again.err.constData();
    EXPECT_EQ(QJsonDocument::fromJson(again.out).object().value(u"beside").toInt(), 0);
    EXPECT_TRUE(filesUnder(lib, ".*.part").isEmpty());
    QStringList expected;
    for (const QString& n : names)
        expected << "2026/2026-05-01/" + n;
    EXPECT_EQ(filesUnder(lib, "*.MP4"), expected);
    const std::vector<QJsonObject> rows = jsonLines(library(lib, {"list", "--json"}).out);
    ASSERT_EQ(rows.size(), 12u);
    for (const QJsonObject& row : rows) {
        const QString name = row.value(u"file").toString();
        EXPECT_EQ(row.value(u"sha256").toString(), sha256Of(card + u'/' + name))
            << qPrintable(name);
        EXPECT_EQ(sha256Of(row.value(u"path").toString()), sha256Of(card + u'/' + name));
    }
    const RunResult check = library(lib, {"check"});
    EXPECT_EQ(check.exitCode, 0) << check.out.constData();
    EXPECT_EQ(jsonLines(library(lib, {"list", "--trips", "--json"}).out).size(), 12u);
}
