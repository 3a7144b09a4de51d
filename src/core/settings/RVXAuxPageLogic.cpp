// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/RVXAuxPageLogic.h"

#include "core/settings/RVXValidator.h"
#include "core/support/RVXLocalizedString.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace {

using Kind = RVXPageControl::Kind;

constexpr int kSliderMax = 100;
constexpr int kMinNameLength = 5;
constexpr int kMinPasswordLength = 8;

// Segments whose index is what the record holds.
constexpr RVXSettingPage::IndexBinding kBindings[] = {
    {"dayTimeAESeg", &_FILEDATA::DayTime},
    {"lcdAutoPowerOffSeg", &_FILEDATA::lcd_autopoweroff},
    {"gammaSeg", &_FILEDATA::Gamma},
    {"lcdBrightnessSeg", &_FILEDATA::lcd_brightness},
    {"lcdNightBrightnessSeg", &_FILEDATA::lcd_brightness_night},
    {"parkingAlarmSeg", &_FILEDATA::parking_alarm},
    {"recordingLengthSeg", &_FILEDATA::always_mode_recording_time},
    {"autoFormatAlarmSeg", &_FILEDATA::autoFormatAlarm},
};
constexpr RVXSettingPage::IndexBinding kWifiBindings[] = {
    {"wifiChannelCombo", &_FILEDATA::wifi_channel},
    {"wifiStartModeSeg", &_FILEDATA::wifiStartMode},
};

// Matrix cells row by row: top left, top right, bottom left, bottom right.
constexpr std::array<uint32_t, 4> kPipPositions = {2, 1, 3, 0};

// The screen saver's segments: "unuse", "default", "time".
constexpr std::array<uint32_t, 3> kScreenSaverValues = {1, 0, 2};

QString shareText(int percent) {
    return QStringLiteral("%1%").arg(percent);
}

QString fieldText(const char (&field)[16]) {
    const char* end = std::find(field, field + sizeof field, '\0');
    return QString::fromUtf8(field, end - field);
}

void storeField(char (&field)[16], const QString& text) {
    const QByteArray bytes = text.toUtf8().left(sizeof field);
    std::memset(field, 0, sizeof field);
    std::memcpy(field, bytes.constData(), size_t(bytes.size()));
}

} // namespace

RVXAuxPageLogic::RVXAuxPageLogic() {
    const char* const shares = "setting.aux.sdcard_capacity";
    add("ratioLoValue", Kind::Value, shares);
    add("ratioHiValue", Kind::Value, shares);
    add("alwaysField", Kind::Text, shares).editable = false;
    add("motionField", Kind::Text, shares).editable = false;
    add("eventField", Kind::Text, shares).editable = false;
    add("dayTimeAESeg", Kind::Segmented, "setting.aux.motion_sense_setting",
        localisedLabels({"setting.aux.low", "setting.aux.medium_sedan", "setting.aux.high_suv"}));
    QStringList powerOff = {RVXLocalizedString("none")};
    for (int seconds : {15, 30, 60})
        powerOff << RVXLocalizedString("nSecond_fmt").arg(seconds);
    add("lcdAutoPowerOffSeg", Kind::Segmented, "setting.aux.lcd_auto_off", powerOff);
    add("gammaSeg", Kind::Segmented, "setting.aux.country_ac_power_setting",
        {QStringLiteral("60Hz"), QStringLiteral("50Hz")});
    add("lcdBrightnessSeg", Kind::Segmented, "setting.aux.lcd_brightness",
        {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")});
    add("lcdNightBrightnessSeg", Kind::Segmented, "setting.aux.lcd_brightness_night",
        localisedLabels({"unuse", "use"}));
    add("parkingRearOffSeg", Kind::Segmented, "setting.aux.parking_rear_setting",
        localisedLabels({"unuse", "use"}));
    add("lcdScreenSaverSeg", Kind::Segmented, "setting.aux.lcd_screensaver",
        localisedLabels({"unuse", "default", "time"}));
    add("parkingAlarmSeg", Kind::Segmented, "setting.aux.parking_monitor_notice",
        localisedLabels({"unuse", "use"}));
    add("recordingLengthSeg", Kind::Segmented, "setting.aux.recording_length",
        localisedLabels({"5min", "3min"}));
    add("pipPositionRadio", Kind::Matrix, "setting.aux.pip_position",
        localisedLabels({"setting.aux.pip.top_left", "setting.aux.pip.top_right",
                         "setting.aux.pip.bottom_left", "setting.aux.pip.bottom_right"}));
    add("autoFormatAlarmSeg", Kind::Segmented, "setting.aux.auto_format_alarm",
        localisedLabels({"setting.aux.auto_format_notuse", "setting.aux.auto_format_4week",
                         "setting.aux.auto_format_8week", "setting.aux.auto_format_16week",
                         "setting.aux.auto_format_32week"}));
    add("ssidLabel", Kind::Text, "setting.aux.wifi");
    add("passwordLabel", Kind::Text, "setting.aux.wifi");
    QStringList channels = {QStringLiteral("   0(Auto)")};
    for (int channel = 1; channel <= 13; ++channel)
        channels << QStringLiteral("%1").arg(channel, 4);
    add("wifiChannelCombo", Kind::Combo, "setting.aux.wifi", channels);
    add("wifiStartModeSeg", Kind::Segmented, "setting.aux.wifi_start",
        localisedLabels({"setting.aux.wifi_start_off", "setting.aux.wifi_start_on"}));
    updateRatio();
}

double RVXAuxPageLogic::ratioLoValue() const {
    return control(QStringLiteral("ratioLoValue"))->value;
}

double RVXAuxPageLogic::ratioHiValue() const {
    return control(QStringLiteral("ratioHiValue"))->value;
}

void RVXAuxPageLogic::setRatioLoValue(double value) {
    at("ratioLoValue").value = value;
    updateRatio();
}

void RVXAuxPageLogic::setRatioHiValue(double value) {
    at("ratioHiValue").value = value;
    updateRatio();
}

void RVXAuxPageLogic::updateRatio() {
    // The knobs rest on whole percents inside the slider, as the texts beside them say; a
    // record holding anything else (a damaged card) cannot push them off it.
    const auto onSlider = [](double value) {
        return int(std::isfinite(value) ? std::clamp(value, 0.0, double(kSliderMax)) : 0.0);
    };
    const int lo = onSlider(ratioLoValue());
    const int hi = onSlider(ratioHiValue());
    at("ratioLoValue").value = lo;
    at("ratioHiValue").value = hi;
    at("alwaysField").text = shareText(lo);
    at("motionField").text = shareText(hi - lo);
    at("eventField").text = shareText(kSliderMax - hi);
}

void RVXAuxPageLogic::controlChanged(const QString& name) {
    if (name == u"ratioLoValue" || name == u"ratioHiValue")
        updateRatio();
}

bool RVXAuxPageLogic::validString(const QString& text) {
    return std::all_of(text.begin(), text.end(),
                       [](QChar c) { return c.unicode() >= 0x21 && c.unicode() <= 0x7e; });
}

int RVXAuxPageLogic::pipCellOf(uint32_t stored) {
    const auto found = std::find(kPipPositions.begin(), kPipPositions.end(), stored);
    // Anything the camera does not know shows the bottom-right corner, its own default.
    return found == kPipPositions.end() ? 3 : int(found - kPipPositions.begin());
}

uint32_t RVXAuxPageLogic::pipPositionOf(int cell) {
    return kPipPositions[size_t(cell)];
}

void RVXAuxPageLogic::displayFileData() {
    const _FILEDATA& r = *m_fileData;
    at("ratioLoValue").value = r.sd_mem_always_ratio;
    at("ratioHiValue").value = double(r.sd_mem_always_ratio) + r.sd_mem_motion_ratio;
    updateRatio();
    showIndexes(kBindings);
    showIndexes(kWifiBindings);
    at("parkingRearOffSeg").index =
        r.parking_rear_off == 0 ? 1 : (r.parking_rear_off == 1 ? 0 : -1);
    if (r.lcd_screensaver <= 1)
        at("lcdScreenSaverSeg").index = r.lcd_screensaver == 0 ? 1 : 0;
    else
        showIndex("lcdScreenSaverSeg", r.lcd_screensaver);
    at("pipPositionRadio").index = pipCellOf(r.pip_position);
    at("ssidLabel").text = fieldText(r.wifi_ssid);
    at("passwordLabel").text = fieldText(r.wifi_password);
}

std::optional<RVXPageFailure> RVXAuxPageLogic::validateUserInput() {
    const int lo = int(ratioLoValue());
    const int hi = int(ratioHiValue());
    for (int share : {lo, hi - lo, kSliderMax - hi}) {
        if (auto message = RVXValidator::validateSDCardSizeRatio(share))
            return RVXPageFailure{*message, QStringLiteral("sdRatioSlider")};
    }
    return std::nullopt;
}

bool RVXAuxPageLogic::storeWifi() {
    const QString name = at("ssidLabel").text;
    const QString password = at("passwordLabel").text;
    const char* problem = nullptr;
    if (name.size() < kMinNameLength)
        problem = "setting.aux.ssid_length";
    else if (!validString(name))
        problem = "setting.aux.ssid_invalid";
    else if (password.size() < kMinPasswordLength)
        problem = "setting.aux.password_length";
    else if (!validString(password))
        problem = "setting.aux.password_invalid";
    if (problem) {
        warn(RVXLocalizedString(problem));
        return false;
    }
    storeField(m_fileData->wifi_ssid, name);
    storeField(m_fileData->wifi_password, password);
    return true;
}

bool RVXAuxPageLogic::populate() {
    if (!m_fileData || validateUserInput())
        return false;
    _FILEDATA& r = *m_fileData;
    const int lo = int(ratioLoValue());
    const int hi = int(ratioHiValue());
    r.sd_mem_always_ratio = uint32_t(lo);
    r.sd_mem_motion_ratio = uint32_t(hi - lo);
    r.sd_mem_event_ratio = uint32_t(kSliderMax - lo - (hi - lo));
    storeIndexes(kBindings);
    if (const int i = at("parkingRearOffSeg").index; i >= 0)
        r.parking_rear_off = i == 0 ? 1 : 0;
    if (const int i = at("lcdScreenSaverSeg").index; i >= 0)
        r.lcd_screensaver = kScreenSaverValues[size_t(i)];
    if (const int i = at("pipPositionRadio").index; i >= 0)
        r.pip_position = pipPositionOf(i);
    if (!storeWifi())
        return false;
    storeIndexes(kWifiBindings);
    return true;
}
