// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/RVXAdasPageLogic.h"

#include "core/support/RVXCFormat.h"
#include "core/support/RVXLocalizedString.h"

#include <array>
#include <cmath>
#include <cstdlib>

namespace {

using Kind = RVXPageControl::Kind;

constexpr std::array<uint32_t, 11> kKmSpeeds = {0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100};
constexpr std::array<uint32_t, 11> kMileSpeeds = {0, 10, 15, 20, 25, 30, 40, 45, 50, 55, 60};
constexpr std::array<float, 9> kHeadwayFactors = {1.1f,  1.15f, 1.2f,  1.25f, 1.3f,
                                                  1.35f, 1.4f,  1.45f, 1.5f};
constexpr int kHeadwayZones = 25; // 0.6 to 3.0 metres
constexpr int kSpeedFallback = 2;

int findSpeed(const std::array<uint32_t, 11>& table, uint32_t value) {
    for (size_t i = 0; i < table.size(); ++i) {
        if (table[i] == value)
            return int(i);
    }
    return kSpeedFallback;
}

QStringList speedLabels(const std::array<uint32_t, 11>& table, const char* unit) {
    QStringList labels = {RVXLocalizedString("setting.aux.auto_format_notuse")};
    for (size_t i = 1; i < table.size(); ++i)
        labels << QStringLiteral("%1%2").arg(table[i]).arg(QLatin1String(unit));
    return labels;
}

QStringList numberedLabels(int count, double first, double step, const char* format) {
    QStringList labels;
    for (int i = 0; i < count; ++i)
        labels << RVXCFormat(format, first + i * step);
    return labels;
}

constexpr RVXSettingPage::IndexBinding kBindings[] = {
    {"adasLaneWidthCombo", &_FILEDATA::LaneWidth},
    {"adasUFCWSSensSeg", &_FILEDATA::ADAS_uFCWS_Sens},
    {"adasVibratorSeg", &_FILEDATA::vibrator},
};

} // namespace

RVXAdasPageLogic::RVXAdasPageLogic() {
    add("adasLDWSSenseCombo", Kind::Combo, "setting.adas.ldws_sensitivity",
        numberedLabels(21, 1, 1, "%.0f"));
    add("adasLDWSSpeedCombo", Kind::Combo, "setting.adas.ldws_speed");
    add("adasFCWSSenseCombo", Kind::Combo, "setting.adas.fcws_sensitivity",
        numberedLabels(21, 2.0, 0.1, "%.1f"));
    add("adasFCWSSpeedCombo", Kind::Combo, "setting.adas.fcws_speed");
    add("adasHeadwayZoneCombo", Kind::Combo, "setting.adas.HwadwaySensitivity",
        numberedLabels(kHeadwayZones, 0.6, 0.1, "%.1f"));
    QStringList factors;
    for (float factor : kHeadwayFactors)
        factors << RVXCFormat("%g", double(factor));
    add("adasHeadwaySensCombo", Kind::Combo, "setting.adas.HwadwayZone", factors);
    add("heightInput", Kind::Text, "setting.adas.Height").editable = false;
    add("heightStepper", Kind::Stepper, "setting.adas.Height");
    add("leftWidthInput", Kind::Text, "setting.adas.LeftWidth").editable = false;
    add("leftWidthStepper", Kind::Stepper, "setting.adas.LeftWidth");
    add("rightWidthInput", Kind::Text, "setting.adas.RightHeight").editable = false;
    add("rightWidthStepper", Kind::Stepper, "setting.adas.RightHeight");
    QStringList laneWidths = numberedLabels(11, 3.0, 0.1, "%.1f");
    for (QString& width : laneWidths)
        width += u'm';
    add("adasLaneWidthCombo", Kind::Combo, "setting.adas.LaneWidth", laneWidths);
    add("adasUFCWSSensSeg", Kind::Segmented, "setting.adas.UFCW",
        {QStringLiteral("0(%1)").arg(RVXLocalizedString("insensitive")), QStringLiteral("1"),
         QStringLiteral("2"), QStringLiteral("3"),
         QStringLiteral("4(%1)").arg(RVXLocalizedString("sensitive"))});
    add("adasFcmdEnableSeg", Kind::Segmented, "setting.adas.fcmd_enable",
        localisedLabels({"setting.aux.auto_format_notuse", "use"}));
    add("adasFcmdSensSeg", Kind::Segmented, "setting.adas.fcmd_enable_sensitivity",
        {QStringLiteral("0(%1)").arg(RVXLocalizedString("insensitive")), QStringLiteral("1"),
         QStringLiteral("2(%1)").arg(RVXLocalizedString("sensitive"))});
    add("adasVibratorSeg", Kind::Segmented, "setting.adas.vibrator",
        localisedLabels({"setting.adas.vibrator.notuse", "setting.adas.vibrator.all",
                         "setting.adas.vibrator.level", "setting.adas.vibrator.speed"}));
    changeSpeed(0);
}

int RVXAdasPageLogic::FindLdwsSpeed(uint32_t value) {
    return findSpeed(kKmSpeeds, value);
}
int RVXAdasPageLogic::FindFcwsSpeed(uint32_t value) {
    return findSpeed(kKmSpeeds, value);
}
int RVXAdasPageLogic::FindLdwsSpeedMile(uint32_t value) {
    return findSpeed(kMileSpeeds, value);
}
int RVXAdasPageLogic::FindFcwsSpeedMile(uint32_t value) {
    return findSpeed(kMileSpeeds, value);
}

int RVXAdasPageLogic::FindHeadwayFactor(float factor) {
    for (size_t i = 0; i < kHeadwayFactors.size(); ++i) {
        if (kHeadwayFactors[i] == factor)
            return int(i);
    }
    return int(kHeadwayFactors.size());
}

int RVXAdasPageLogic::headwayZoneIndex(float safeDistance) {
    if (!(safeDistance >= 0.6f && safeDistance <= 3.0f))
        return -1;
    // In single precision, as the camera stores it: 1.25 gives 6.5 and so entry 6.
    return int(safeDistance * 10.0f - 6.0f);
}

QString RVXAdasPageLogic::centimetreText(float metres) {
    const float centimetres = metres * 100.0f;
    // A value far off any real mounting shows nothing rather than an overflowed number.
    if (!(std::fabs(centimetres) < 1e9f))
        return {};
    // To the nearest: 1.05 is 1.0499999 in single precision, and is 105 cm.
    return QStringLiteral("%1cm").arg(std::lround(centimetres));
}

bool RVXAdasPageLogic::milesPerHour() const {
    return m_fileData && m_fileData->speed_disp_unit == 1;
}

void RVXAdasPageLogic::changeSpeed(uint32_t unit) {
    const QStringList labels =
        unit == 1 ? speedLabels(kMileSpeeds, "Mi/h") : speedLabels(kKmSpeeds, "Km/h");
    at("adasLDWSSpeedCombo").labels = labels;
    at("adasFCWSSpeedCombo").labels = labels;
}

void RVXAdasPageLogic::displayFileData() {
    const _FILEDATA& r = *m_fileData;
    changeSpeed(r.speed_disp_unit);
    showIndex("adasLDWSSenseCombo", r.ADAS_LDWS_Sens);
    showIndex("adasFCWSSenseCombo", r.ADAS_FCWS_Sens);
    if (milesPerHour()) {
        at("adasLDWSSpeedCombo").index = FindLdwsSpeedMile(r.ADAS_Ldws_Speed);
        at("adasFCWSSpeedCombo").index = FindFcwsSpeedMile(r.ADAS_FCWS_Speed);
    } else {
        at("adasLDWSSpeedCombo").index = FindLdwsSpeed(r.ADAS_Ldws_Speed);
        at("adasFCWSSpeedCombo").index = FindFcwsSpeed(r.ADAS_FCWS_Speed);
    }
    at("adasHeadwayZoneCombo").index = headwayZoneIndex(r.ADAS_SafeDistacne);
    m_shownZone = at("adasHeadwayZoneCombo").index;
    const int factor = FindHeadwayFactor(r.ADAS_HeadWayFactor);
    at("adasHeadwaySensCombo").index = factor < int(kHeadwayFactors.size()) ? factor : -1;
    at("heightInput").text = centimetreText(r.blackboxHeight);
    at("leftWidthInput").text = centimetreText(r.LDW_width_L);
    at("rightWidthInput").text = centimetreText(r.LDW_width_R);
    showIndexes(kBindings);
    showIndex("adasFcmdEnableSeg", r.ADAS_FCMD_Enable);
    showIndex("adasFcmdSensSeg", r.ADAS_FCMD_Sens);
}

void RVXAdasPageLogic::changeLengthValue(float _FILEDATA::*field, const char* input, int d) {
    if (!m_fileData)
        return;
    float& metres = m_fileData->*field;
    // From the centimetre shown, so that a click moves what the user sees by one.
    const double shown =
        std::fabs(metres) < 1e7f ? double(std::lround(metres * 100.0f)) : metres * 100.0;
    metres = float((shown + d) / 100.0);
    at(QLatin1String(input)).text = centimetreText(metres);
}

void RVXAdasPageLogic::changeHeightValue(int d) {
    changeLengthValue(&_FILEDATA::blackboxHeight, "heightInput", d);
}
void RVXAdasPageLogic::changeLeftWidthValue(int d) {
    changeLengthValue(&_FILEDATA::LDW_width_L, "leftWidthInput", d);
}
void RVXAdasPageLogic::changeRightWidthValue(int d) {
    changeLengthValue(&_FILEDATA::LDW_width_R, "rightWidthInput", d);
}

void RVXAdasPageLogic::controlChanged(const QString& name) {
    if (at(name).kind != Kind::Stepper)
        return;
    RVXPageControl& stepper = at(name);
    const int d = int(stepper.value);
    // The stepper is back at rest after each click; only the record keeps the sum.
    stepper.value = 0;
    if (name == u"heightStepper")
        changeHeightValue(d);
    else if (name == u"leftWidthStepper")
        changeLeftWidthValue(d);
    else if (name == u"rightWidthStepper")
        changeRightWidthValue(d);
}

bool RVXAdasPageLogic::populate() {
    if (!m_fileData || validateUserInput())
        return false;
    _FILEDATA& r = *m_fileData;
    const auto storeByte = [this](const char* control, uint8_t& field) {
        if (const int index = at(QLatin1String(control)).index; index >= 0)
            field = uint8_t(index);
    };
    storeByte("adasLDWSSenseCombo", r.ADAS_LDWS_Sens);
    storeByte("adasFCWSSenseCombo", r.ADAS_FCWS_Sens);
    storeByte("adasFcmdEnableSeg", r.ADAS_FCMD_Enable);
    storeByte("adasFcmdSensSeg", r.ADAS_FCMD_Sens);
    const auto& speeds = milesPerHour() ? kMileSpeeds : kKmSpeeds;
    if (const int i = at("adasLDWSSpeedCombo").index; i >= 0)
        r.ADAS_Ldws_Speed = uint8_t(speeds[size_t(i)]);
    if (const int i = at("adasFCWSSpeedCombo").index; i >= 0)
        r.ADAS_FCWS_Speed = uint8_t(speeds[size_t(i)]);
    // A distance stays as stored until the user picks another entry: the list is in
    // tenths, and the camera's own 1.25 would become 1.2 by a mere visit.
    if (const int i = at("adasHeadwayZoneCombo").index; i >= 0 && i != m_shownZone)
        r.ADAS_SafeDistacne = float(i + 6) / 10.0f;
    if (const int i = at("adasHeadwaySensCombo").index; i >= 0)
        r.ADAS_HeadWayFactor = kHeadwayFactors[size_t(i)];
    // The height and widths are in the record already: their steppers store each click,
    // and a field nobody clicked keeps its bytes.
    storeIndexes(kBindings);
    return true;
}
