// SPDX-License-Identifier: GPL-3.0-or-later
// The settings pages' logic on a record, driven as a user drives the controls.
#include "core/settings/RVXAdasPageLogic.h"
#include "core/settings/RVXAudioPageLogic.h"
#include "core/settings/RVXAuxPageLogic.h"
#include "core/settings/RVXBasicPageLogic.h"
#include "core/settings/RVXGpsPageLogic.h"
#include "core/settings/RVXMotionPageLogic.h"
#include "core/settings/RVXSettingFile.h"
#include "core/settings/RVXVideoPageLogic.h"
#include "core/support/RVXLocalizedString.h"
#include "support/StringTableApp.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

namespace {

class SettingPages : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(startStringTableApp()); }
    void SetUp() override {
        record = _FILEDATA{};
        makeDefaultSetting(record);
    }
    // Shows the record on the page, sets the controls in order, leaves the page.
    bool edit(RVXSettingPage& page,
              std::initializer_list<std::pair<const char*, const char*>> set) {
        page.setFileData(&record);
        for (const auto& [name, value] : set) {
            const auto error = page.userSet(QLatin1String(name), QLatin1String(value));
            EXPECT_EQ(error, std::nullopt) << name;
        }
        return page.populate();
    }
    const RVXPageControl& c(const RVXSettingPage& page, const char* name) {
        const RVXPageControl* found = page.control(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        static RVXPageControl none;
        return found ? *found : none;
    }
    _FILEDATA record;
};

TEST_F(SettingPages, ThresholdsShowALevelOrTheCustomFields) {
    RVXBasicPageLogic page;
    record.gsen_x_threshold = record.gsen_y_threshold = 45;
    record.gsen_z_threshold = 40;
    page.setFileData(&record);
    EXPECT_EQ(c(page, "gsensorSensitivityDrivingSeg").index, 5) << "customise";
    EXPECT_EQ(c(page, "gsensorSensitivityThresholdZDrivingField").text, QStringLiteral("0.40"));
    EXPECT_TRUE(c(page, "gsensorSensitivityThresholdXDrivingField").enabled);
    EXPECT_EQ(c(page, "gsensorSensitivityParkingSeg").index, 4);
    EXPECT_FALSE(c(page, "gsensorSensitivityThresholdXParkingField").enabled);

    // Typed values are stored in hundredths.
    ASSERT_TRUE(edit(page, {{"gsensorSensitivityThresholdXDrivingField", "0.29"},
                            {"gsensorSensitivityThresholdYDrivingField", "1.5"},
                            {"gsensorSensitivityThresholdZDrivingField", "0.5g"}}));
    EXPECT_EQ(record.gsen_x_threshold, 29);
    EXPECT_EQ(record.gsen_y_threshold, 150);
    EXPECT_EQ(record.gsen_z_threshold, 50);

    // A level writes its threshold into the fields and locks them.
    ASSERT_TRUE(edit(page, {{"gsensorSensitivityDrivingSeg", "0"}}));
    EXPECT_FALSE(c(page, "gsensorSensitivityThresholdXDrivingField").enabled);
    EXPECT_EQ(record.gsen_x_threshold, 65);
    EXPECT_EQ(record.gsen_z_threshold, 65);
    EXPECT_EQ(RVXBasicPageLogic::findParkingGsensorThresholdIndexByX(12, 12, 12), 3);
    EXPECT_EQ(RVXBasicPageLogic::findDrivingGsensorThresholdIndexByX(45, 45, 40), 5);
}

TEST_F(SettingPages, ABadThresholdKeepsThePageAndItsRecord) {
    RVXBasicPageLogic page;
    page.setFileData(&record);
    const _FILEDATA before = record;
    for (const char* bad : {"1.51", "nan", "0.04", "abc"}) {
        ASSERT_EQ(page.userSet("gsensorSensitivityParkingSeg", "5"), std::nullopt);
        ASSERT_EQ(page.userSet("gsensorSensitivityThresholdYParkingField", QLatin1String(bad)),
                  std::nullopt);
        const auto failure = page.validateUserInput();
        ASSERT_TRUE(failure) << bad;
        EXPECT_EQ(failure->control, QStringLiteral("gsensorSensitivityThresholdYParkingField"));
        EXPECT_FALSE(failure->message.isEmpty());
        EXPECT_FALSE(page.populate()) << bad;
        EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0) << bad;
    }
    // A bad text in a field the level has locked does not count.
    ASSERT_EQ(page.userSet("gsensorSensitivityParkingSeg", "1"), std::nullopt);
    EXPECT_EQ(page.validateUserInput(), std::nullopt);
}

TEST_F(SettingPages, StoredValuesOffTheListsShowTheFallbackAndAreReplaced) {
    RVXBasicPageLogic page;
    record.always_mode_timeout = 45;
    record.sd_mem_always_reserved = 12050;
    record.sd_mem_motion_reserved = 5;
    record.CableVoltCorr = 0;
    page.setFileData(&record);
    EXPECT_EQ(record.CableVoltCorr, 4u) << "corrected as soon as it is shown";
    EXPECT_EQ(c(page, "alwaysModeTimeoutSeg").index, 2);
    EXPECT_EQ(c(page, "powerVoltageCombo").selectedLabel(), QStringLiteral("12.0v / 24.0v"));
    EXPECT_EQ(c(page, "powerTimeCombo").index, 0);
    EXPECT_EQ(c(page, "cableVoltageLossSeg").selectedLabel(), QStringLiteral("0.3v"));
    ASSERT_TRUE(page.populate());
    EXPECT_EQ(record.always_mode_timeout, 30u);
    EXPECT_EQ(record.sd_mem_always_reserved, 12000u);
    EXPECT_EQ(record.sd_mem_motion_reserved, 0u);
    EXPECT_EQ(record.CableVoltCorr, 4u);
}

TEST_F(SettingPages, ExternalPowerIsStoredAtOnceAndLocksTheLists) {
    RVXBasicPageLogic page;
    page.setFileData(&record);
    ASSERT_EQ(page.userSet("useExternalPowerChk", "1"), std::nullopt);
    EXPECT_EQ(record.sd_mem_event_reserved, 1u) << "before the page is left";
    EXPECT_FALSE(c(page, "powerVoltageCombo").enabled);
    EXPECT_FALSE(c(page, "powerTimeCombo").enabled);
    EXPECT_TRUE(page.userSet("powerVoltageCombo", "3")) << "a locked list takes nothing";
    ASSERT_EQ(page.userSet("useExternalPowerChk", "0"), std::nullopt);
    EXPECT_EQ(record.sd_mem_event_reserved, 0u);
    // The external battery's entry warns and stays chosen.
    ASSERT_EQ(page.userSet("powerVoltageCombo", "2"), std::nullopt);
    EXPECT_EQ(page.takeWarnings(), QStringList{RVXLocalizedString("msg.use_external_power_10v")});
    EXPECT_TRUE(page.takeWarnings().isEmpty());
    ASSERT_TRUE(page.populate());
    EXPECT_EQ(record.sd_mem_always_reserved, 10000u);
}

TEST_F(SettingPages, OneChannelTurnsTheRearLedOff) {
    RVXVideoPageLogic video;
    record.ledoff_rear = 1;
    ASSERT_TRUE(edit(video, {{"channel", "1"}}));
    EXPECT_EQ(record.recordChannel, 1u);
    EXPECT_EQ(record.ledoff_rear, 0u);
    RVXBasicPageLogic basic;
    record.ledoff_rear = 1;
    basic.setFileData(&record);
    EXPECT_EQ(record.ledoff_rear, 0u);
    EXPECT_EQ(c(basic, "rearLEDSeg").index, 0);
    EXPECT_FALSE(c(basic, "rearLEDSeg").enabled);
    EXPECT_TRUE(basic.userSet("rearLEDSeg", "1"));
}

TEST_F(SettingPages, ThePlateIsFilteredAndAForeignOneIsKept) {
    RVXBasicPageLogic page;
    ASSERT_TRUE(edit(page, {{"carNumberField", "AB-12"}}));
    EXPECT_EQ(c(page, "carNumberField").text, QStringLiteral("AB12"));
    EXPECT_EQ(QByteArray(record.szPlateNumber, 8), QByteArray("AB12\0\0\0\0", 8));
    // A plate in a local encoding (not UTF-8) shows nothing and goes back unchanged.
    const char foreign[8] = {'\xb0', '\xa1', '1', '2', '3', '4', '\0', '\0'};
    std::memcpy(record.szPlateNumber, foreign, 8);
    page.setFileData(&record);
    EXPECT_EQ(c(page, "carNumberField").text, QString());
    ASSERT_TRUE(page.populate());
    EXPECT_EQ(QByteArray(record.szPlateNumber, 8), QByteArray(foreign, 8));
    // Typing a plate replaces it.
    ASSERT_TRUE(edit(page, {{"carNumberField", "XY 99"}}));
    EXPECT_EQ(QByteArray(record.szPlateNumber, 8), QByteArray("XY99\0\0\0\0", 8));
}

TEST_F(SettingPages, VideoSegmentsStoreTheirIndexesAndUnknownValuesStay) {
    RVXVideoPageLogic page;
    record.vid_brightness = 9;
    record.rear_fps = 2;
    record.Gamma = 1;
    page.setFileData(&record);
    EXPECT_EQ(c(page, "videoBrightness").index, -1) << "a brightness of 9 is no entry";
    EXPECT_EQ(c(page, "rearfpsSeg").index, 0);
    EXPECT_EQ(c(page, "rearfpsSeg").labels,
              QStringList({RVXLocalizedString("25fps"), RVXLocalizedString("15fps")}));
    ASSERT_TRUE(edit(page, {{"videoBrightnessRear", "4"}, {"frontTinting", "3"}}));
    EXPECT_EQ(record.vid_brightness, 9u) << "kept, not 4294967295";
    EXPECT_EQ(record.rear_fps, 0u);
    EXPECT_EQ(record.vid_brightness_R, 4u);
    EXPECT_EQ(record.front_cpl_use, 3u);
    EXPECT_TRUE(page.takeWarnings().isEmpty());
    EXPECT_TRUE(page.userSet("frontTinting", "4"));
    EXPECT_TRUE(page.userSet("noSuchControl", "0"));
}

TEST_F(SettingPages, AChangedQualityWarnsWhenThePageIsLeft) {
    RVXVideoPageLogic page;
    ASSERT_TRUE(edit(page, {{"videoEncodingBitrate", "2"}}));
    EXPECT_EQ(page.takeWarnings(), QStringList{RVXLocalizedString("msg.video_quality_warning")});
    EXPECT_EQ(record.vid_enc_bitrate, 2u);
    // The page made anew when its segment is chosen again: nothing changed, no warning.
    RVXVideoPageLogic again;
    ASSERT_TRUE(edit(again, {}));
    EXPECT_TRUE(again.takeWarnings().isEmpty());
}

TEST_F(SettingPages, TheVoiceLanguageIsOneChoiceStoredAtOnce) {
    RVXAudioPageLogic page;
    record.Brightness1 = 20;
    page.setFileData(&record);
    EXPECT_TRUE(c(page, "malaysiaRadio").checked);
    EXPECT_EQ(c(page, "voiceLangRadio").index, -1);
    EXPECT_EQ(c(page, "micSeg").index, 3);
    EXPECT_EQ(c(page, "speakerSeg").selectedLabel(), QStringLiteral("2"));
    ASSERT_TRUE(page.populate());
    EXPECT_EQ(record.Brightness1, 20u) << "Malaysia is kept";
    // A cell after Malaysia: stored the moment it is chosen, Malaysia off.
    ASSERT_EQ(page.userSet("voiceLangRadio", "13"), std::nullopt);
    EXPECT_EQ(record.Brightness1, 13u);
    EXPECT_FALSE(c(page, "malaysiaRadio").checked);
    EXPECT_EQ(c(page, "voiceLangRadio").selectedLabel(), RVXLocalizedString("German"));
    ASSERT_EQ(page.userSet("malaysiaRadio", "1"), std::nullopt);
    EXPECT_EQ(record.Brightness1, 20u);
    EXPECT_EQ(c(page, "voiceLangRadio").index, -1);
    // Reset keeps the language: the defaults leave it.
    makeDefaultSetting(record);
    EXPECT_EQ(record.Brightness1, 20u);
    // A value beyond the matrix chooses no cell and stays.
    record.Brightness1 = 42;
    ASSERT_TRUE(edit(page, {{"micSeg", "0"}, {"useEveryHourNoticeChk", "0"}}));
    EXPECT_EQ(record.Brightness1, 42u);
    EXPECT_EQ(record.aud_input_vol, 0u);
    EXPECT_EQ(record.alarm_ontime_flag, 0u);
}

TEST_F(SettingPages, MotionZonesAreTheMasksClearBits) {
    RVXMotionPageLogic page;
    page.setFileData(&record);
    for (int zone = 1; zone <= 12; ++zone) {
        const QString name =
            QStringLiteral("frontMotionBlock%1Chk").arg(zone, 2, 10, QLatin1Char('0'));
        EXPECT_EQ(c(page, name.toLatin1().constData()).checked, zone != 6 && zone != 7) << zone;
    }
    EXPECT_EQ(c(page, "frontSensitivitySeg").selectedLabel(), QStringLiteral("3"));
    // One unticked zone each: its bit alone.
    ASSERT_TRUE(edit(page, {{"frontMotionBlock06Chk", "1"},
                            {"frontMotionBlock07Chk", "1"},
                            {"frontMotionBlock01Chk", "0"},
                            {"rearMotionBlock06Chk", "1"},
                            {"rearMotionBlock07Chk", "1"},
                            {"rearMotionBlock09Chk", "0"}}));
    EXPECT_EQ(record.motionBlock, 256u);
    EXPECT_EQ(record.motionBlock_Rear, 1u);
    // Bits the camera does not use show every zone left out and go.
    record.motionBlock = 65535;
    page.setFileData(&record);
    EXPECT_FALSE(c(page, "frontMotionBlock12Chk").checked);
    ASSERT_TRUE(page.populate());
    EXPECT_EQ(record.motionBlock, 4095u);
    // The front sensitivity lives in the 720p field; the rear one stays.
    record.motion1080pCValue = 4;
    ASSERT_TRUE(edit(page, {{"frontSensitivitySeg", "0"}}));
    EXPECT_EQ(record.motion720pCValue, 0u);
    EXPECT_EQ(record.motion1080pCValue, 4u);
    EXPECT_EQ(RVXMotionPageLogic::bitOfZone(5), 4);
    EXPECT_EQ(RVXMotionPageLogic::bitOfZone(4), 11);
}

TEST_F(SettingPages, GpsZonesAndIntervalsByIndex) {
    RVXGpsPageLogic page;
    page.setFileData(&record);
    EXPECT_EQ(c(page, "speedDisplayUnitSeg").selectedLabel(), QStringLiteral("Mi/h"));
    EXPECT_EQ(c(page, "saveDurationSeg").index, 1);
    record.time_gmt = 23;
    record.SaveDuration = 4;
    page.setFileData(&record);
    EXPECT_EQ(c(page, "timeGmtCombo").selectedLabel(), QStringLiteral("+05:45"));
    EXPECT_EQ(c(page, "saveDurationSeg").selectedLabel(),
              RVXLocalizedString("nSecond_fmt").arg(10));
    ASSERT_TRUE(
        edit(page, {{"timeGmtCombo", "14"}, {"summerTimeChk", "1"}, {"drivingDaySeg", "7"}}));
    EXPECT_EQ(record.time_gmt, 14);
    EXPECT_EQ(record.summer_time, 1u);
    EXPECT_EQ(record.nodriving_day, 7u);
    // No zone of the camera's: nothing chosen, and so it is saved.
    record.time_gmt = -1;
    page.setFileData(&record);
    EXPECT_EQ(c(page, "timeGmtCombo").index, -1);
    ASSERT_TRUE(page.populate());
    EXPECT_EQ(record.time_gmt, -1);
    // A computer at +9:30 without a card gets the zone of index 29.
    EXPECT_EQ(RVXGpsPageLogic::timeZoneTexts().value(findTimeZoneIndexForOffset(9 * 3600 + 1800)),
              QStringLiteral("+09:30"));
    EXPECT_EQ(RVXGpsPageLogic::timeZoneTexts().size(), 34);
}

TEST_F(SettingPages, AdasSpeedsFollowTheUnitWithoutConversion) {
    RVXAdasPageLogic page;
    record.speed_disp_unit = 1;
    record.ADAS_Ldws_Speed = 45;
    record.ADAS_FCWS_Speed = 0;
    page.setFileData(&record);
    EXPECT_EQ(c(page, "adasLDWSSpeedCombo").selectedLabel(), QStringLiteral("45Mi/h"));
    EXPECT_EQ(c(page, "adasFCWSSpeedCombo").index, 0) << "not used";
    ASSERT_TRUE(edit(page, {}));
    EXPECT_EQ(record.ADAS_Ldws_Speed, 45);
    ASSERT_TRUE(edit(page, {{"adasFCWSSpeedCombo", "10"}}));
    EXPECT_EQ(record.ADAS_FCWS_Speed, 60);

    // In km/h the same 45 is on no entry: the list falls back to its third, and so it is
    // saved.
    record.speed_disp_unit = 0;
    page.setFileData(&record);
    EXPECT_EQ(c(page, "adasLDWSSpeedCombo").selectedLabel(), QStringLiteral("20Km/h"));
    EXPECT_EQ(c(page, "adasFCWSSpeedCombo").labels.last(), QStringLiteral("100Km/h"));
    ASSERT_TRUE(edit(page, {{"adasFCWSSpeedCombo", "10"}}));
    EXPECT_EQ(record.ADAS_Ldws_Speed, 20);
    EXPECT_EQ(record.ADAS_FCWS_Speed, 100);
    EXPECT_EQ(RVXAdasPageLogic::FindFcwsSpeedMile(15), 2);
    EXPECT_EQ(RVXAdasPageLogic::FindLdwsSpeed(100), 10);
}

TEST_F(SettingPages, AdasHeadwayInSinglePrecisionAndOffTheListKept) {
    RVXAdasPageLogic page;
    page.setFileData(&record);
    EXPECT_EQ(c(page, "adasHeadwayZoneCombo").index, 6);
    EXPECT_EQ(c(page, "adasHeadwayZoneCombo").selectedLabel(), QStringLiteral("1.2"));
    EXPECT_EQ(c(page, "adasHeadwaySensCombo").selectedLabel(), QStringLiteral("1.5"));
    EXPECT_EQ(c(page, "adasFCWSSenseCombo").selectedLabel(), QStringLiteral("2.6"));
    EXPECT_EQ(c(page, "adasFcmdSensSeg").labels.first(),
              QStringLiteral("0(%1)").arg(RVXLocalizedString("insensitive")));
    // The camera's own 1.25 between two entries: a visit keeps it, a pick changes it.
    ASSERT_TRUE(page.populate());
    EXPECT_EQ(record.ADAS_SafeDistacne, 1.25f);
    EXPECT_EQ(record.ADAS_HeadWayFactor, 1.5f);
    ASSERT_TRUE(edit(page, {{"adasHeadwayZoneCombo", "7"}}));
    EXPECT_EQ(record.ADAS_SafeDistacne, 1.3f);
    record.ADAS_SafeDistacne = 1.25f;
    EXPECT_EQ(RVXAdasPageLogic::headwayZoneIndex(0.6f), 0);
    EXPECT_EQ(RVXAdasPageLogic::headwayZoneIndex(0.7f), 1);
    EXPECT_EQ(RVXAdasPageLogic::headwayZoneIndex(3.0f), 24);

    // A distance or factor on no entry shows none and is saved unchanged, until one is
    // picked.
    for (float distance : {0.55f, 3.05f, -1.0f, std::numeric_limits<float>::quiet_NaN()})
        EXPECT_EQ(RVXAdasPageLogic::headwayZoneIndex(distance), -1) << distance;
    record.ADAS_SafeDistacne = 3.5f;
    record.ADAS_HeadWayFactor = 1.17f;
    page.setFileData(&record);
    EXPECT_EQ(c(page, "adasHeadwayZoneCombo").index, -1);
    EXPECT_EQ(c(page, "adasHeadwaySensCombo").index, -1);
    EXPECT_EQ(RVXAdasPageLogic::FindHeadwayFactor(1.17f), 9);
    ASSERT_TRUE(page.populate());
    EXPECT_EQ(record.ADAS_SafeDistacne, 3.5f);
    EXPECT_EQ(record.ADAS_HeadWayFactor, 1.17f);
    ASSERT_TRUE(edit(page, {{"adasHeadwayZoneCombo", "24"}, {"adasHeadwaySensCombo", "1"}}));
    EXPECT_EQ(record.ADAS_SafeDistacne, 3.0f);
    EXPECT_EQ(record.ADAS_HeadWayFactor, 1.15f);
}

TEST_F(SettingPages, AdasSteppersAddHundredthsAtOnce) {
    RVXAdasPageLogic page;
    page.setFileData(&record);
    EXPECT_EQ(c(page, "heightInput").text, QStringLiteral("135cm"));
    EXPECT_NE(page.userSet("heightInput", "150cm"), std::nullopt) << "not editable";
    ASSERT_EQ(page.userSet("heightStepper", "1"), std::nullopt);
    ASSERT_EQ(page.userSet("heightStepper", "1"), std::nullopt);
    EXPECT_EQ(c(page, "heightInput").text, QStringLiteral("137cm"));
    EXPECT_EQ(record.blackboxHeight, 1.37f) << "stored before the page is left";
    EXPECT_EQ(c(page, "heightStepper").value, 0);
    ASSERT_TRUE(page.populate());
    EXPECT_EQ(record.blackboxHeight, 1.37f);
    // Unbounded: below zero and back.
    ASSERT_EQ(page.userSet("leftWidthStepper", "-101"), std::nullopt);
    EXPECT_EQ(c(page, "leftWidthInput").text, QStringLiteral("-1cm"));
    ASSERT_EQ(page.userSet("rightWidthStepper", "-1"), std::nullopt);
    ASSERT_TRUE(page.populate());
    EXPECT_EQ(record.LDW_width_L, -0.01f);
    EXPECT_EQ(record.LDW_width_R, 0.99f);
    // A value no text can hold stays as it is.
    record.blackboxHeight = std::numeric_limits<float>::infinity();
    page.setFileData(&record);
    EXPECT_EQ(c(page, "heightInput").text, QString());
    ASSERT_TRUE(page.populate());
    EXPECT_EQ(record.blackboxHeight, std::numeric_limits<float>::infinity());
}

TEST_F(SettingPages, AdasCentimetresShowAsStoredAndAVisitChangesNoByte) {
    RVXAdasPageLogic page;
    for (int cm = 0; cm <= 400; ++cm) {
        record.blackboxHeight = float(cm / 100.0);
        record.LDW_width_L = float(cm) / 100.0f;
        record.LDW_width_R = float(cm / 100.0);
        page.setFileData(&record);
        const QString shown = QStringLiteral("%1cm").arg(cm);
        ASSERT_EQ(c(page, "heightInput").text, shown);
        ASSERT_EQ(c(page, "leftWidthInput").text, shown);
        const QByteArray before = RVXSettingBytes(record);
        ASSERT_TRUE(page.populate());
        ASSERT_EQ(RVXSettingBytes(record), before) << cm;
        // A click moves the centimetre shown by one, and stores that.
        ASSERT_EQ(page.userSet("heightStepper", "1"), std::nullopt);
        ASSERT_EQ(c(page, "heightInput").text, QStringLiteral("%1cm").arg(cm + 1));
        ASSERT_EQ(record.blackboxHeight, float((cm + 1) / 100.0)) << cm;
    }
}

TEST_F(SettingPages, AuxSharesFromTheKnobsAndTheirCheck) {
    RVXAuxPageLogic page;
    page.setFileData(&record);
    EXPECT_EQ(page.ratioLoValue(), 70);
    EXPECT_EQ(page.ratioHiValue(), 90);
    EXPECT_EQ(c(page, "eventField").text, QStringLiteral("10%"));
    const QString tooLow = RVXLocalizedString("msg.sdcard_ratio_too_low");
    for (auto [lo, hi] : {std::pair{9, 50}, {10, 19}, {10, 91}, {60, 40}}) {
        page.setRatioLoValue(lo);
        page.setRatioHiValue(hi);
        const auto failure = page.validateUserInput();
        ASSERT_TRUE(failure.has_value()) << lo << "/" << hi;
        EXPECT_EQ(failure->message, tooLow);
        EXPECT_FALSE(page.populate());
    }
    EXPECT_EQ(record.sd_mem_always_ratio, 70u) << "a refused page stores nothing";
    // Knobs on fractions rest on whole percents.
    ASSERT_TRUE(edit(page, {{"ratioLoValue", "10.7"}, {"ratioHiValue", "90"}}));
    EXPECT_EQ(c(page, "motionField").text, QStringLiteral("80%"));
    EXPECT_EQ(record.sd_mem_always_ratio, 10u);
    EXPECT_EQ(record.sd_mem_motion_ratio, 80u);
    EXPECT_EQ(record.sd_mem_event_ratio, 10u);
    // A damaged record's shares stay on the slider, and the check refuses them.
    record.sd_mem_always_ratio = 0xfffffff0u;
    page.setFileData(&record);
    EXPECT_EQ(page.ratioLoValue(), 100);
    EXPECT_EQ(c(page, "alwaysField").text, QStringLiteral("100%"));
    EXPECT_TRUE(page.validateUserInput().has_value());
}

TEST_F(SettingPages, AuxWifiChecksInOrderAndSixteenBytes) {
    RVXAuxPageLogic page;
    page.setFileData(&record);
    EXPECT_EQ(c(page, "ssidLabel").text, QStringLiteral("ZamoA"));
    const struct {
        const char* name;
        const char* password;
        const char* warning;
    } refused[] = {
        {"Zamo", "12345678", "setting.aux.ssid_length"},
        {"Zamo A", "1", "setting.aux.ssid_invalid"},
        {"Zamö1", "12345678", "setting.aux.ssid_invalid"},
        {"ZamoB", "1234567", "setting.aux.password_length"},
        {"ZamoB", "1234 5678", "setting.aux.password_invalid"},
    };
    for (const auto& r : refused) {
        record.parking_rear_off = 0;
        EXPECT_FALSE(edit(page, {{"ssidLabel", r.name},
                                 {"passwordLabel", r.password},
                                 {"parkingRearOffSeg", "0"},
                                 {"wifiChannelCombo", "5"}}))
            << r.name;
        EXPECT_EQ(page.takeWarnings(), QStringList{RVXLocalizedString(r.warning)}) << r.name;
        EXPECT_EQ(record.parking_rear_off, 1u) << "segments before the Wi-Fi are stored";
        EXPECT_EQ(record.wifi_channel, 0u) << "the channel after it is not";
        EXPECT_EQ(QByteArray(record.wifi_ssid), QByteArray("ZamoA"));
    }
    ASSERT_TRUE(edit(page, {{"ssidLabel", "ABCDEFGHIJKLMNOPQRST"}, {"passwordLabel", "~!#$%^&*"}}));
    EXPECT_EQ(QByteArray(record.wifi_ssid, 16), QByteArray("ABCDEFGHIJKLMNOP"));
    EXPECT_EQ(QByteArray(record.wifi_password, 16), QByteArray("~!#$%^&*\0\0\0\0\0\0\0\0", 16));
    page.setFileData(&record);
    EXPECT_EQ(c(page, "ssidLabel").text, QStringLiteral("ABCDEFGHIJKLMNOP"));
}

TEST_F(SettingPages, AuxRemappedAndInvertedSegments) {
    RVXAuxPageLogic page;
    // Cells row by row: top left, top right, bottom left, bottom right.
    const int cellOf[] = {3, 1, 0, 2};
    const char* const cellText[] = {"3", "1", "0", "2"};
    for (uint32_t pip = 0; pip < 4; ++pip) {
        record.pip_position = pip;
        page.setFileData(&record);
        EXPECT_EQ(c(page, "pipPositionRadio").index, cellOf[pip]) << pip;
        record.pip_position = 99;
        ASSERT_TRUE(edit(page, {{"pipPositionRadio", cellText[pip]}}));
        EXPECT_EQ(record.pip_position, pip);
    }
    record.pip_position = 7;
    page.setFileData(&record);
    EXPECT_EQ(c(page, "pipPositionRadio").index, 3);

    const char* saverLabel[] = {"default", "unuse", "time"};
    for (uint32_t saver = 0; saver < 3; ++saver) {
        record.lcd_screensaver = saver;
        page.setFileData(&record);
        EXPECT_EQ(c(page, "lcdScreenSaverSeg").selectedLabel(),
                  RVXLocalizedString(saverLabel[saver]));
        ASSERT_TRUE(page.populate());
        EXPECT_EQ(record.lcd_screensaver, saver);
    }
    ASSERT_TRUE(edit(page, {{"lcdScreenSaverSeg", "0"}}));
    EXPECT_EQ(record.lcd_screensaver, 1u);

    record.parking_rear_off = 0;
    page.setFileData(&record);
    EXPECT_EQ(c(page, "parkingRearOffSeg").selectedLabel(), RVXLocalizedString("use"));
    ASSERT_TRUE(edit(page, {{"parkingRearOffSeg", "0"}}));
    EXPECT_EQ(record.parking_rear_off, 1u);
    ASSERT_TRUE(edit(page, {{"parkingRearOffSeg", "1"}}));
    EXPECT_EQ(record.parking_rear_off, 0u);
    EXPECT_EQ(c(page, "wifiChannelCombo").labels.value(10), QStringLiteral("  10"));
}

} // namespace
