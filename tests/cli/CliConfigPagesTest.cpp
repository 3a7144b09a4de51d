// SPDX-License-Identifier: GPL-3.0-or-later
// ruvex-card config pages and config edit: the editor's pages without a window.
#include "support/Run.h"
#include "support/TempTree.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

const QString kCard = QStringLiteral(RUVEX_CARD_PATH);

class ConfigPages : public testing::Test {
protected:
    void SetUp() override {
        file = tree.path(QStringLiteral("config.bin"));
        ASSERT_EQ(runProgram(kCard, {"config", "defaults", "--out", file}).exitCode, 0);
    }
    QJsonObject pages(const QString& path) {
        const RunResult r = runProgram(kCard, {"config", "pages", path, "--json"});
        EXPECT_EQ(r.exitCode, 0) << r.err.constData();
        return QJsonDocument::fromJson(r.out).object();
    }
    QJsonObject fields(const QString& path) {
        const RunResult r = runProgram(kCard, {"config", "show", path, "--json"});
        EXPECT_EQ(r.exitCode, 0) << r.err.constData();
        return QJsonDocument::fromJson(r.out).object();
    }
    RunResult edit(const QStringList& args) {
        return runProgram(kCard, QStringList{"config", "edit", file} + args);
    }
    QByteArray bytes() {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    TempTree tree;
    QString file;
};

TEST_F(ConfigPages, EveryBuiltPageShowsItsControls) {
    const QJsonObject all = pages(file);
    EXPECT_EQ(all.keys(), QStringList({"adas", "audio", "aux", "basic", "gps", "park", "video"}));
    EXPECT_EQ(all.value(u"adas").toObject().value(u"heightInput").toObject(),
              QJsonObject({{"text", "135cm"}, {"editable", false}, {"enabled", true}}));
    EXPECT_EQ(all.value(u"aux").toObject().value(u"ratioHiValue").toObject(),
              QJsonObject({{"value", 90}}));
    EXPECT_FALSE(all.value(u"park")
                     .toObject()
                     .value(u"frontMotionBlock06Chk")
                     .toObject()
                     .value(u"checked")
                     .toBool())
        << "the default mask 96 leaves zones 06 and 07 out";
    EXPECT_EQ(all.value(u"audio").toObject().value(u"malaysiaRadio").toObject(),
              QJsonObject({{"checked", false}, {"enabled", true}}));
    const QJsonObject basic = all.value(u"basic").toObject();
    EXPECT_EQ(basic.value(u"alwaysModeTimeoutSeg").toObject(),
              QJsonObject({{"index", 1}, {"label", "10 s"}, {"enabled", true}}));
    EXPECT_EQ(basic.value(u"gsensorEnableChk").toObject(),
              QJsonObject({{"checked", true}, {"enabled", true}}));
    EXPECT_EQ(basic.value(u"carNumberField").toObject(),
              QJsonObject({{"text", "Zamo"}, {"enabled", true}}));
    EXPECT_EQ(basic.value(u"gsensorSensitivityThresholdXParkingField").toObject(),
              QJsonObject({{"text", "0.08"}, {"enabled", false}}));
    EXPECT_EQ(basic.value(u"powerVoltageCombo").toObject().value(u"label").toString(),
              QStringLiteral("12.1v / 24.2v"));
    EXPECT_EQ(all.value(u"video").toObject().value(u"channel").toObject().value(u"index"), 0);

    const RunResult one = runProgram(kCard, {"config", "pages", file, "--page", "video"});
    EXPECT_EQ(one.exitCode, 0);
    EXPECT_TRUE(one.out.contains("Night vision / wdr: Off (0)")) << one.out.constData();
    EXPECT_FALSE(one.out.contains("basic"));
    EXPECT_EQ(runProgram(kCard, {"config", "pages", file, "--page", "nope"}).exitCode, 2);
    tree.file(QStringLiteral("short.bin"), QByteArray(499, '\0'));
    EXPECT_EQ(
        runProgram(kCard, {"config", "pages", tree.path(QStringLiteral("short.bin"))}).exitCode, 1);
}

TEST_F(ConfigPages, EditsStoreAsThePageDoesAndSeal) {
    const RunResult r = edit({"--page", "basic", "gsensorSensitivityDrivingSeg=5",
                              "gsensorSensitivityThresholdXDrivingField=0.29",
                              "carNumberField=ab12", "cableVoltageLossSeg=0"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QJsonObject o = fields(file);
    EXPECT_EQ(o.value(u"gsen_x_threshold").toInt(), 29);
    EXPECT_EQ(o.value(u"gsen_y_threshold").toInt(), 45);
    EXPECT_EQ(o.value(u"szPlateNumber").toString(), QStringLiteral("ab12"));
    EXPECT_EQ(o.value(u"CableVoltCorr").toInt(), 1);
    EXPECT_TRUE(o.value(u"checksumValid").toBool());

    // The quality warning goes to stderr and does not stop the save.
    const RunResult quality = edit({"--page", "video", "videoEncodingBitrateRear=0"});
    ASSERT_EQ(quality.exitCode, 0);
    EXPECT_TRUE(quality.err.startsWith("Warning: ")) << quality.err.constData();
    EXPECT_EQ(fields(file).value(u"vid_enc_bitrate_R").toInt(), 0);

    // Into another file, this one untouched.
    const QByteArray before = bytes();
    const QString other = tree.path(QStringLiteral("other.bin"));
    ASSERT_EQ(edit({"--page", "video", "channel=1", "--out", other}).exitCode, 0);
    EXPECT_EQ(bytes(), before);
    EXPECT_EQ(fields(other).value(u"recordChannel").toInt(), 1);
    EXPECT_EQ(fields(other).value(u"ledoff_rear").toInt(), 0);
}

TEST_F(ConfigPages, RefusedEditsWriteNothing) {
    const QByteArray before = bytes();
    const RunResult bad = edit({"--page", "basic", "gsensorSensitivityParkingSeg=5",
                                "gsensorSensitivityThresholdZParkingField=1.51"});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.err.contains("gsensorSensitivityThresholdZParkingField"))
        << bad.err.constData();
    EXPECT_TRUE(bad.err.contains("0.05")) << "the English message";
    const RunResult empty = edit({"--page", "basic", "gsensorSensitivityDrivingSeg=5",
                                  "gsensorSensitivityThresholdXDrivingField="});
    EXPECT_EQ(empty.exitCode, 1) << "an empty threshold is no 0 g";
    EXPECT_TRUE(empty.err.contains("Enter a value from 0.05 to 1.5.")) << empty.err.constData();
    // The window's field filters as the user types; a script's plate is never altered.
    for (const char* plate :
         {"carNumberField=\u00d61234", "carNumberField=ABCDEFGHIJKL", "carNumberField=ab-12"}) {
        const RunResult altered = edit({"--page", "basic", QString::fromUtf8(plate)});
        EXPECT_EQ(altered.exitCode, 1) << plate;
        EXPECT_TRUE(altered.err.contains("ASCII letters and digits, 8 at most"))
            << altered.err.constData();
    }
    EXPECT_TRUE(edit({"--page", "basic", "carNumberField=\u00d61234"}).err.contains("'1234'"));
    for (const QStringList& args : {QStringList{"--page", "adas", "heightInput=150cm"},
                                    QStringList{"--page", "basic", "noSuch=1"},
                                    QStringList{"--page", "adas", "heightStepper=1.5"},
                                    QStringList{"--page", "adas", "heightStepper=1e12"},
                                    QStringList{"--page", "aux", "ratioLoValue=nan"},
                                    QStringList{"--page", "basic", "gsensorEnableChk=yes"},
                                    QStringList{"--page", "video", "wdr=2"},
                                    QStringList{"--page", "basic", "powerTimeCombo=x"}})
        EXPECT_EQ(edit(args).exitCode, 2) << args.join(u' ').toStdString();
    EXPECT_EQ(bytes(), before);

    // Without changes it writes what the page stores back: the fallbacks and corrections.
    ASSERT_EQ(runProgram(kCard, {"config", "set", file, "always_mode_timeout=45", "CableVoltCorr=0",
                                 "sd_mem_always_reserved=12050", "--raw"})
                  .exitCode,
              0);
    ASSERT_EQ(edit({"--page", "basic"}).exitCode, 0);
    EXPECT_EQ(fields(file).value(u"always_mode_timeout").toInt(), 30);
    EXPECT_EQ(fields(file).value(u"CableVoltCorr").toInt(), 4);
    EXPECT_EQ(fields(file).value(u"sd_mem_always_reserved").toInt(), 12000);
    // The external battery's entry warns; the box is stored and locks both lists.
    const RunResult external = edit({"--page", "basic", "powerVoltageCombo=2"});
    EXPECT_EQ(external.exitCode, 0);
    EXPECT_TRUE(external.err.contains("10 V")) << external.err.constData();
    ASSERT_EQ(edit({"--page", "basic", "useExternalPowerChk=1"}).exitCode, 0);
    EXPECT_EQ(fields(file).value(u"sd_mem_event_reserved").toInt(), 1);
    EXPECT_EQ(edit({"--page", "basic", "powerTimeCombo=2"}).exitCode, 2) << "locked by the box";
}

TEST_F(ConfigPages, PassingThroughTheAssistancePageKeepsTheCamerasOwnValues) {
    ASSERT_EQ(runProgram(kCard, {"config", "set", file, "ADAS_SafeDistacne=1.25",
                                 "blackboxHeight=1.05", "LDW_width_L=2.09", "LDW_width_R=0.53"})
                  .exitCode,
              0);
    const QByteArray before = bytes();
    ASSERT_EQ(edit({"--page", "adas"}).exitCode, 0);
    EXPECT_EQ(bytes().mid(432, 28), before.mid(432, 28));
    EXPECT_EQ(pages(file).value(u"adas").toObject().value(u"heightInput").toObject().value(u"text"),
              QStringLiteral("105cm"));
}

TEST_F(ConfigPages, KnobsAndSteppersFromTheCommandLine) {
    ASSERT_EQ(edit({"--page", "aux", "ratioLoValue=10", "ratioHiValue=90"}).exitCode, 0);
    ASSERT_EQ(edit({"--page", "adas", "heightStepper=2", "leftWidthStepper=-5"}).exitCode, 0);
    const QJsonObject o = fields(file);
    EXPECT_EQ(o.value(u"sd_mem_always_ratio").toInt(), 10);
    EXPECT_EQ(o.value(u"sd_mem_motion_ratio").toInt(), 80);
    EXPECT_EQ(o.value(u"sd_mem_event_ratio").toInt(), 10);
    EXPECT_NEAR(o.value(u"blackboxHeight").toDouble(), 1.37, 1e-6);
    EXPECT_NEAR(o.value(u"LDW_width_L").toDouble(), 0.95, 1e-6);
    EXPECT_TRUE(o.value(u"checksumValid").toBool());

    // A high knob below the low one, or a short Wi-Fi name: said, nothing written.
    const QByteArray before = bytes();
    const RunResult crossed = edit({"--page", "aux", "ratioLoValue=50", "ratioHiValue=40"});
    EXPECT_EQ(crossed.exitCode, 1);
    EXPECT_TRUE(crossed.err.contains("10 %")) << crossed.err.constData();
    const RunResult wifi = edit({"--page", "aux", "ssidLabel=Zamo"});
    EXPECT_EQ(wifi.exitCode, 1);
    EXPECT_TRUE(wifi.err.startsWith("Warning: ")) << wifi.err.constData();
    EXPECT_EQ(bytes(), before);
}

} // namespace
