// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/Run.h"
#include "support/TempTree.h"

#include "core/drivelog/FlashDataRecord.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

const QString kCard = QStringLiteral(RUVEX_CARD_PATH);

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QJsonObject show(const QString& path) {
    const RunResult r = runProgram(kCard, {"config", "show", path, "--json"});
    EXPECT_EQ(r.exitCode, 0) << r.err.constData();
    return QJsonDocument::fromJson(r.out).object();
}

TEST(CardConfig, DefaultsShowSetAndSeal) {
    TempTree tree;
    const QString file = tree.path(QStringLiteral("config.bin"));
    ASSERT_EQ(runProgram(kCard, {"config", "defaults", "--out", file}).exitCode, 0);
    QJsonObject o = show(file);
    EXPECT_EQ(o.size(), 119);
    EXPECT_EQ(o.value(u"cfg_ver").toInt(), 22310);
    EXPECT_EQ(o.value(u"szPlateNumber").toString(), QStringLiteral("Zamo"));
    EXPECT_EQ(o.value(u"dummy00").toArray().size(), 8);
    EXPECT_FALSE(o.value(u"checksumValid").toBool()) << "a default file carries checksum 0";
    const QByteArray text = runProgram(kCard, {"config", "show", file, "--json"}).out;
    EXPECT_TRUE(text.contains("\"blackboxHeight\":1.35,")) << "floats in their shortest form";

    const QString other = tree.path(QStringLiteral("other.bin"));
    const QByteArray before = readAll(file);
    // --raw writes what a camera might hold, values the pages would refuse among them.
    RunResult r =
        runProgram(kCard, {"config", "set", file, "szPlateNumber=ABCDEFGH", "gsen_x_threshold=-20",
                           "ADAS_Ldws_Speed=255", "LDW_width_L=0.75", "--raw", "--out", other});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_EQ(readAll(file), before) << "--out leaves FILE alone";
    o = show(other);
    EXPECT_EQ(o.value(u"szPlateNumber").toString(), QStringLiteral("ABCDEFGH"));
    EXPECT_EQ(o.value(u"gsen_x_threshold").toInt(), -20);
    EXPECT_EQ(o.value(u"ADAS_Ldws_Speed").toInt(), 255);
    EXPECT_EQ(o.value(u"LDW_width_L").toDouble(), 0.75);
    EXPECT_EQ(o.value(u"osd_plate_flag").toInt(), 1);
    EXPECT_TRUE(o.value(u"checksumValid").toBool());

    for (const char* bad : {"nosuch=1", "ADAS_Ldws_Speed=256", "gsen_x_threshold=abc", "vid_hue=-1",
                            "dummy00=1", "time_gmt=3000000000", "cfg_ver"}) {
        r = runProgram(kCard, {"config", "set", file, "vid_hue=7", bad});
        EXPECT_EQ(r.exitCode, 2) << bad;
        EXPECT_FALSE(r.err.isEmpty());
        EXPECT_EQ(readAll(file), before) << "nothing written for " << bad;
    }
    const QString wrongSize = tree.file(QStringLiteral("short.bin"), QByteArray(499, '\0'));
    r = runProgram(kCard, {"config", "show", wrongSize});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("500 bytes"));
    EXPECT_EQ(runProgram(kCard, {"config", "set", wrongSize, "vid_hue=1"}).exitCode, 2);
    EXPECT_EQ(runProgram(kCard, {"config"}).exitCode, 2);
}

// A script never learns of a value changed behind its back, so what the editor would refuse
// or store otherwise is refused, by the editor's own rules.
TEST(CardConfig, AValueTheEditorWouldRefuseOrChangeIsNotStored) {
    TempTree tree;
    const QString file = tree.path(QStringLiteral("config.bin"));
    ASSERT_EQ(runProgram(kCard, {"config", "defaults", "--out", file}).exitCode, 0);
    const QByteArray before = readAll(file);
    const struct {
        const char* assignment;
        const char* said;
    } refused[] = {
        {"gsen_x_threshold=99999", "from 0.05 to 1.5"},
        {"summer_time=5", "store summer_time=5 as 1"},
        {"always_mode_timeout=45", "as 30"},
        {"ADAS_Ldws_Speed=255", "adas page"},
        {"szPlateNumber=ABCDEFGHIJ", "at most 8 bytes"},
    };
    for (const auto& c : refused) {
        const RunResult r = runProgram(kCard, {"config", "set", file, "vid_hue=7", c.assignment});
        EXPECT_EQ(r.exitCode, 1) << c.assignment;
        EXPECT_TRUE(r.err.contains(c.said)) << r.err.constData();
        EXPECT_EQ(readAll(file), before) << "nothing written for " << c.assignment;
    }
    ASSERT_EQ(runProgram(kCard, {"config", "set", file, "summer_time=1", "gsen_x_threshold=150"})
                  .exitCode,
              0);
    EXPECT_EQ(show(file).value(u"summer_time").toInt(), 1);

    // A file already off in one place can still be changed in another.
    ASSERT_EQ(runProgram(kCard, {"config", "set", file, "CableVoltCorr=0", "--raw"}).exitCode, 0);
    const RunResult elsewhere = runProgram(kCard, {"config", "set", file, "vid_hue=3"});
    EXPECT_EQ(elsewhere.exitCode, 0) << elsewhere.err.constData();
    EXPECT_EQ(show(file).value(u"CableVoltCorr").toInt(), 0);
}

TEST(CardDrivelog, TableAndCsv) {
    TempTree tree;
    FlashDataRecord r;
    r.sequence = 3;
    r.year = 126;
    r.month = 3;
    r.day = 14;
    r.battery = 124;
    const QString log = tree.file(QStringLiteral("zamo_000.drv"), flashDataFileBytes({r, r}));
    RunResult run = runProgram(kCard, {"drivelog", log});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    const QList<QByteArray> lines = run.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[1].contains("2026/03/14"));
    EXPECT_TRUE(lines[2].simplified().startsWith("2 3 2026/03/14"));
    const QString csv = tree.path(QStringLiteral("out.csv"));
    ASSERT_EQ(runProgram(kCard, {"drivelog", log, "--csv", csv}).exitCode, 0);
    const QList<QByteArray> csvLines = readAll(csv).trimmed().split('\n');
    ASSERT_EQ(csvLines.size(), 3);
    EXPECT_EQ(csvLines[1].split(',').size(), 17);
    EXPECT_EQ(csvLines[1].split(',')[14], "12.4");
    EXPECT_EQ(runProgram(kCard, {"drivelog", tree.path(QStringLiteral("missing.drv"))}).exitCode,
              1);

    // What is no drive log is said so, not shown as rows of impossible dates.
    QByteArray noise(12 + 44 * 20, '\0');
    for (qsizetype i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 7919 + 13) % 251);
    const QString config = tree.path(QStringLiteral("config.bin"));
    ASSERT_EQ(runProgram(kCard, {"config", "defaults", "--out", config}).exitCode, 0);
    for (const QString& other : {tree.file(QStringLiteral("noise.drv"), noise), config,
                                 tree.file(QStringLiteral("empty.drv"), QByteArray())}) {
        run = runProgram(kCard, {"drivelog", other});
        EXPECT_EQ(run.exitCode, 1) << other.toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << run.out.constData();
        EXPECT_FALSE(run.err.isEmpty());
    }
    EXPECT_TRUE(run.err.contains("too short")) << run.err.constData();
    const QString none = tree.file(QStringLiteral("none.drv"), flashDataFileBytes({}));
    EXPECT_EQ(runProgram(kCard, {"drivelog", none}).exitCode, 0) << "a log with no records is one";
}

TEST(CardTimeset, WritesTheClockFile) {
    TempTree tree;
    const QString file = tree.path(QStringLiteral("timeset.cfg"));
    ASSERT_EQ(
        runProgram(kCard, {"timeset", "--date", "2026-12-06", "--time", "13:45:00", "--out", file})
            .exitCode,
        0);
    EXPECT_EQ(readAll(file), "2026/12/06 13:45:00");
    ASSERT_EQ(runProgram(kCard, {"timeset", "--out", file}).exitCode, 0);
    EXPECT_EQ(readAll(file).size(), 19);
    // A date or time of no calendar is named, not a bare usage line.
    for (const QStringList& bad :
         {QStringList{"--date", "2026-13-01"}, QStringList{"--date", "2026-02-30"},
          QStringList{"--date", "30.02.2026"}, QStringList{"--time", "25:00:00"}}) {
        const RunResult r = runProgram(kCard, QStringList{"timeset"} << bad << "--out" << file);
        EXPECT_EQ(r.exitCode, 2) << qPrintable(bad.join(u' '));
        EXPECT_TRUE(r.err.contains((bad[0] + u' ' + bad[1]).toUtf8())) << r.err.constData();
    }
    EXPECT_EQ(readAll(file).size(), 19);
    EXPECT_EQ(runProgram(kCard, {"timeset"}).exitCode, 2);
}

// A slip of --out to config.bin must not cost the camera its settings.
TEST(CardTimeset, WritesOnlyOverAClockFileUnlessForced) {
    TempTree tree;
    const QString config = tree.path(QStringLiteral("config.bin"));
    ASSERT_EQ(runProgram(kCard, {"config", "defaults", "--out", config}).exitCode, 0);
    const QByteArray settings = readAll(config);
    ASSERT_EQ(settings.size(), 500);
    const QStringList args = {"timeset", "--date", "2026-12-06", "--time", "13:45:00", "--out"};
    const RunResult refused = runProgram(kCard, args + QStringList{config});
    EXPECT_NE(refused.exitCode, 0);
    EXPECT_TRUE(refused.err.contains("not a clock file")) << refused.err.constData();
    EXPECT_TRUE(refused.err.contains("--force")) << refused.err.constData();
    EXPECT_EQ(readAll(config), settings);

    // Forced, it is written over from its first byte as any clock file is.
    ASSERT_EQ(runProgram(kCard, args + QStringList{config, "--force"}).exitCode, 0);
    const QByteArray forced = readAll(config);
    EXPECT_EQ(forced.left(19), "2026/12/06 13:45:00");
    EXPECT_EQ(forced.mid(19), settings.mid(19));

    // A clock file keeps what follows its 19 bytes; an empty file has nothing to lose.
    const QString clock = tree.file(QStringLiteral("timeset.cfg"), "1999/01/01 00:00:00\n");
    const QString empty = tree.file(QStringLiteral("empty.cfg"));
    for (const QString& file : {clock, empty})
        ASSERT_EQ(runProgram(kCard, args + QStringList{file}).exitCode, 0) << qPrintable(file);
    EXPECT_EQ(readAll(clock), "2026/12/06 13:45:00\n");
    EXPECT_EQ(readAll(empty), "2026/12/06 13:45:00");
    // Written beside and renamed into place: a new file, nothing left over beside it.
    const auto inode = [](const QString& path) {
        struct stat st {};
        ::stat(QFile::encodeName(path).constData(), &st);
        return st.st_ino;
    };
    const ino_t old = inode(clock);
    ASSERT_EQ(runProgram(kCard, args + QStringList{clock}).exitCode, 0);
    EXPECT_NE(inode(clock), old);
    EXPECT_EQ(QDir(tree.root()).entryList(QDir::Files | QDir::Hidden).size(), 3);
}

} // namespace
