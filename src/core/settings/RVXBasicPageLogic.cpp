// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/RVXBasicPageLogic.h"

#include "core/settings/RVXCarNumber.h"
#include "core/settings/RVXChoiceList.h"
#include "core/settings/RVXValidator.h"
#include "core/support/RVXCFormat.h"
#include "core/support/RVXLocalizedString.h"

#include <QStringDecoder>

#include <array>
#include <cmath>
#include <cstring>

namespace {

using Kind = RVXPageControl::Kind;

constexpr std::array<uint32_t, 9> kTimeouts = {0, 10, 30, 60, 120, 180, 300, 420, 600};
constexpr std::array<uint32_t, 13> kVoltages = {0,     1,     10000, 11500, 11600, 11700, 11800,
                                                11900, 12000, 12100, 12200, 12300, 12400};
constexpr std::array<uint32_t, 8> kHours = {0, 3, 6, 9, 12, 24, 36, 48};
constexpr std::array<int32_t, 5> kDriving = {65, 55, 45, 35, 25};
constexpr std::array<int32_t, 5> kParking = {25, 20, 15, 12, 8};
constexpr int kCustomise = 5;
constexpr int kVoltageFallback = 8;
constexpr int kExternPower = 2;

const char* const kDrivingFields[] = {"gsensorSensitivityThresholdXDrivingField",
                                      "gsensorSensitivityThresholdYDrivingField",
                                      "gsensorSensitivityThresholdZDrivingField"};
const char* const kParkingFields[] = {"gsensorSensitivityThresholdXParkingField",
                                      "gsensorSensitivityThresholdYParkingField",
                                      "gsensorSensitivityThresholdZParkingField"};

QString formatted(const char* key, int number) {
    return RVXLocalizedString(key).arg(number);
}

QStringList sensitivities() {
    return {QStringLiteral("1(%1)").arg(RVXLocalizedString("insensitive")),
            QStringLiteral("2"),
            QStringLiteral("3"),
            QStringLiteral("4"),
            QStringLiteral("5(%1)").arg(RVXLocalizedString("sensitive")),
            RVXLocalizedString("setting.basic.customize")};
}

int findLevel(const std::array<int32_t, 5>& levels, int32_t x, int32_t y, int32_t z) {
    for (size_t i = 0; i < levels.size(); ++i) {
        if (levels[i] == x && levels[i] == y && levels[i] == z)
            return int(i);
    }
    return kCustomise;
}

QString thresholdText(int32_t hundredths) {
    return RVXCFormat("%.2f", hundredths / 100.0);
}

// A field's number in hundredths of g; an empty or unreadable field counts as 0.
int32_t hundredthsOf(const QString& text) {
    const auto value = RVXValidator::leadingDecimal(text);
    return value ? int32_t(std::lround(*value * 100)) : 0;
}

// The plate's bytes up to the first zero, or nothing when they are no UTF-8.
std::optional<QString> plateText(const char (&bytes)[8]) {
    const QByteArray raw(bytes, qsizetype(strnlen(bytes, sizeof bytes)));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(raw);
    if (utf8.hasError())
        return std::nullopt;
    return text;
}

} // namespace

RVXBasicPageLogic::RVXBasicPageLogic() {
    add("alwaysModeTimeoutSeg", Kind::Segmented, "setting.basic.auto_parking_waiting_time",
        {RVXLocalizedString("unuse"), formatted("nSecond_fmt", 10), formatted("nSecond_fmt", 30),
         formatted("nMinute_fmt", 1), formatted("nMinute_fmt", 2), formatted("nMinute_fmt", 3),
         formatted("nMinute_fmt", 5), formatted("nMinute_fmt", 7), formatted("nMinute_fmt", 10)});
    add("gsensorEnableChk", Kind::Check, "setting.basic.driving_impact_sensitivity",
        {RVXLocalizedString("setting.basic.enable_gsensor")});
    add("gsensorSensitivityDrivingSeg", Kind::Segmented, "setting.basic.driving_impact_sensitivity",
        sensitivities());
    for (const char* field : kDrivingFields)
        add(QLatin1String(field), Kind::Text, "setting.basic.driving_impact_sensitivity");
    add("gsensorSensitivityParkingSeg", Kind::Segmented, "setting.basic.parking_impact_sensitivity",
        sensitivities());
    for (const char* field : kParkingFields)
        add(QLatin1String(field), Kind::Text, "setting.basic.parking_impact_sensitivity");
    const QStringList leds = {RVXLocalizedString("setting.basic.LED_use"),
                              RVXLocalizedString("setting.basic.LED_notuse")};
    add("frontLEDSeg", Kind::Segmented, "setting.basic.front_LED_settings", leds);
    add("rearLEDSeg", Kind::Segmented, "setting.basic.rear_LED_settings", leds);
    add("carNumberField", Kind::Text, "setting.basic.car_number_input");
    QStringList voltages = {RVXLocalizedString("unuse"), RVXLocalizedString("auto"),
                            RVXLocalizedString("externpower")};
    for (int tenths = 115; tenths <= 124; ++tenths)
        voltages << RVXCFormat("%d.%dv / %d.%dv", tenths / 10, tenths % 10, tenths * 2 / 10,
                               tenths * 2 % 10);
    add("powerVoltageCombo", Kind::Combo, "setting.basic.cutoff_voltage_setting", voltages);
    QStringList hours = {RVXLocalizedString("unuse")};
    for (size_t i = 1; i < kHours.size(); ++i)
        hours << formatted("nHour_fmt", int(kHours[i]));
    add("powerTimeCombo", Kind::Combo, "setting.basic.cutoff_voltage_setting", hours);
    add("useExternalPowerChk", Kind::Check, "setting.basic.cutoff_voltage_setting",
        {RVXLocalizedString("setting.basic.use_external_power")});
    add("cableVoltageLossSeg", Kind::Segmented, "setting.basic.cable_voltage_loss",
        {RVXLocalizedString("none"), QStringLiteral("0.1v"), QStringLiteral("0.2v"),
         QStringLiteral("0.3v"), QStringLiteral("0.4v"), QStringLiteral("0.5v"),
         QStringLiteral("0.6v")});
}

int RVXBasicPageLogic::findAlwaysModeTimeoutIndexByValue(uint32_t seconds) {
    return RVXEntryForStoredValue<uint32_t>(kTimeouts, seconds, 2);
}

int RVXBasicPageLogic::findPowerVoltageIndexByValue(uint32_t millivolts) {
    return RVXEntryForStoredValue<uint32_t>(kVoltages, millivolts, kVoltageFallback);
}

int RVXBasicPageLogic::findPowerTimeIndexByValue(uint32_t hours) {
    return RVXEntryForStoredValue<uint32_t>(kHours, hours, 0);
}

int RVXBasicPageLogic::findDrivingGsensorThresholdIndexByX(int32_t x, int32_t y, int32_t z) {
    return findLevel(kDriving, x, y, z);
}

int RVXBasicPageLogic::findParkingGsensorThresholdIndexByX(int32_t x, int32_t y, int32_t z) {
    return findLevel(kParking, x, y, z);
}

void RVXBasicPageLogic::displayFileData() {
    _FILEDATA& r = *m_fileData;
    at("alwaysModeTimeoutSeg").index = findAlwaysModeTimeoutIndexByValue(r.always_mode_timeout);
    at("gsensorEnableChk").checked = r.g_sensor_enable != 0;
    changeGsensorEnable();

    at("gsensorSensitivityDrivingSeg").index = findDrivingGsensorThresholdIndexByX(
        r.gsen_x_threshold, r.gsen_y_threshold, r.gsen_z_threshold);
    const int32_t parking[] = {r.parkmode_x_threshold, r.parkmode_y_threshold,
                               r.parkmode_z_threshold};
    const int32_t driving[] = {int32_t(r.gsen_x_threshold), int32_t(r.gsen_y_threshold),
                               int32_t(r.gsen_z_threshold)};
    for (int i = 0; i < 3; ++i)
        at(QLatin1String(kParkingFields[i])).text = thresholdText(parking[i]);
    at("gsensorSensitivityParkingSeg").index =
        findParkingGsensorThresholdIndexByX(parking[0], parking[1], parking[2]);
    for (int i = 0; i < 3; ++i)
        at(QLatin1String(kDrivingFields[i])).text = thresholdText(driving[i]);
    updateGsensorThreshold();

    at("frontLEDSeg").index = r.ledoff < 2 ? int(r.ledoff) : -1;
    RVXPageControl& rear = at("rearLEDSeg");
    if (r.recordChannel == 1) {
        // One channel: there is no rear camera whose LED could be on.
        r.ledoff_rear = 0;
        rear.index = 0;
        rear.enabled = false;
    } else {
        rear.enabled = true;
        rear.index = r.ledoff_rear < 2 ? int(r.ledoff_rear) : -1;
    }

    at("carNumberField").text = plateText(r.szPlateNumber).value_or(QString());
    m_plateEdited = false;

    at("powerVoltageCombo").index = findPowerVoltageIndexByValue(r.sd_mem_always_reserved);
    at("powerTimeCombo").index = findPowerTimeIndexByValue(r.sd_mem_motion_reserved);
    updatePowerUI();

    if (r.CableVoltCorr == 0)
        r.CableVoltCorr = 4;
    const uint32_t loss = r.CableVoltCorr - 1;
    at("cableVoltageLossSeg").index = loss < 7 ? int(loss) : -1;
}

void RVXBasicPageLogic::changeGsensorEnable() {
    const bool enabled = at("gsensorEnableChk").checked;
    at("gsensorSensitivityDrivingSeg").enabled = enabled;
    at("gsensorSensitivityParkingSeg").enabled = enabled;
    for (const char* field : kDrivingFields)
        at(QLatin1String(field)).enabled = enabled;
    for (const char* field : kParkingFields)
        at(QLatin1String(field)).enabled = enabled;
}

void RVXBasicPageLogic::updateGsensorThreshold() {
    const struct {
        const char* segment;
        const char* const* fields;
        const std::array<int32_t, 5>& levels;
    } groups[] = {{"gsensorSensitivityDrivingSeg", kDrivingFields, kDriving},
                  {"gsensorSensitivityParkingSeg", kParkingFields, kParking}};
    for (const auto& g : groups) {
        const int level = at(QLatin1String(g.segment)).index;
        for (int i = 0; i < 3; ++i) {
            RVXPageControl& field = at(QLatin1String(g.fields[i]));
            if (level >= 0 && level < kCustomise) {
                field.text = thresholdText(g.levels[size_t(level)]);
                field.enabled = false;
            } else {
                field.enabled = true;
            }
        }
    }
}

void RVXBasicPageLogic::updatePowerUI() {
    const bool external = m_fileData && m_fileData->sd_mem_event_reserved == 1;
    at("useExternalPowerChk").checked = external;
    at("powerVoltageCombo").enabled = !external;
    at("powerTimeCombo").enabled = !external;
}

void RVXBasicPageLogic::clickUseExternalPowerChk() {
    // Stored at once, not only when the page is left.
    if (m_fileData)
        m_fileData->sd_mem_event_reserved = at("useExternalPowerChk").checked ? 1 : 0;
    updatePowerUI();
}

void RVXBasicPageLogic::powerVoltageSelected() {
    if (at("powerVoltageCombo").index == kExternPower)
        warn(RVXLocalizedString("msg.use_external_power_10v"));
}

void RVXBasicPageLogic::controlChanged(const QString& name) {
    if (name == u"gsensorEnableChk")
        changeGsensorEnable();
    else if (name == u"gsensorSensitivityDrivingSeg" || name == u"gsensorSensitivityParkingSeg")
        updateGsensorThreshold();
    else if (name == u"useExternalPowerChk")
        clickUseExternalPowerChk();
    else if (name == u"powerVoltageCombo")
        powerVoltageSelected();
    else if (name == u"carNumberField") {
        // The field keeps ASCII letters and digits when the user finishes editing.
        RVXPageControl& plate = at("carNumberField");
        plate.text = RVXFilterCarNumber(plate.text);
        m_plateEdited = true;
    }
}

QString RVXBasicPageLogic::textRule(const QString& name) const {
    if (name == u"carNumberField")
        return QStringLiteral("the plate takes ASCII letters and digits, 8 at most");
    return {};
}

std::optional<RVXPageFailure> RVXBasicPageLogic::validateUserInput() {
    const struct {
        const char* segment;
        const char* const* fields;
    } groups[] = {{"gsensorSensitivityDrivingSeg", kDrivingFields},
                  {"gsensorSensitivityParkingSeg", kParkingFields}};
    for (const auto& g : groups) {
        if (at(QLatin1String(g.segment)).index != kCustomise)
            continue;
        for (int i = 0; i < 3; ++i) {
            const QString name = QLatin1String(g.fields[i]);
            if (auto error = RVXValidator::validateGsensorThreshold(at(name).text))
                return RVXPageFailure{*error, name};
        }
    }
    return std::nullopt;
}

bool RVXBasicPageLogic::populate() {
    if (!m_fileData || validateUserInput())
        return false;
    _FILEDATA& r = *m_fileData;
    const int timeout = at("alwaysModeTimeoutSeg").index;
    if (timeout >= 0)
        r.always_mode_timeout = kTimeouts[size_t(timeout)];
    r.g_sensor_enable = at("gsensorEnableChk").checked ? 1 : 0;
    r.gsen_x_threshold = hundredthsOf(at(QLatin1String(kDrivingFields[0])).text);
    r.gsen_y_threshold = hundredthsOf(at(QLatin1String(kDrivingFields[1])).text);
    r.gsen_z_threshold = hundredthsOf(at(QLatin1String(kDrivingFields[2])).text);
    r.parkmode_x_threshold = hundredthsOf(at(QLatin1String(kParkingFields[0])).text);
    r.parkmode_y_threshold = hundredthsOf(at(QLatin1String(kParkingFields[1])).text);
    r.parkmode_z_threshold = hundredthsOf(at(QLatin1String(kParkingFields[2])).text);
    if (at("frontLEDSeg").index >= 0)
        r.ledoff = uint32_t(at("frontLEDSeg").index);
    if (r.recordChannel == 1)
        r.ledoff_rear = 0;
    else if (at("rearLEDSeg").index >= 0)
        r.ledoff_rear = uint32_t(at("rearLEDSeg").index);
    // A plate the camera keeps in a local encoding shows no text; unless the user typed
    // another, it goes back as it came.
    if (m_plateEdited) {
        const QByteArray plate = at("carNumberField").text.toUtf8().left(8);
        std::memset(r.szPlateNumber, 0, sizeof r.szPlateNumber);
        std::memcpy(r.szPlateNumber, plate.constData(), size_t(plate.size()));
    }
    const int voltage = at("powerVoltageCombo").index;
    if (voltage >= 0)
        r.sd_mem_always_reserved = kVoltages[size_t(voltage)];
    const int hours = at("powerTimeCombo").index;
    if (hours >= 0)
        r.sd_mem_motion_reserved = kHours[size_t(hours)];
    r.sd_mem_event_reserved = at("useExternalPowerChk").checked ? 1 : 0;
    if (at("cableVoltageLossSeg").index >= 0)
        r.CableVoltCorr = uint32_t(at("cableVoltageLossSeg").index + 1);
    return true;
}
