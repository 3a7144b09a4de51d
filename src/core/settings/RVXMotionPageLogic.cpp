// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/RVXMotionPageLogic.h"

#include "core/support/RVXLocalizedString.h"

namespace {

using Kind = RVXPageControl::Kind;

// The front camera's sensitivity lives in the 720p field and the rear's in the 1080p
// one, as the camera reads them.
constexpr RVXSettingPage::IndexBinding kBindings[] = {
    {"frontSensitivitySeg", &_FILEDATA::motion720pCValue},
    {"rearSensitivitySeg", &_FILEDATA::motion1080pCValue},
    {"parkingModeSeg", &_FILEDATA::ParkingMode},
    {"nightVisionSeg", &_FILEDATA::En_SuperNightVision},
};

QString zoneControl(const char* side, int zone) {
    return QStringLiteral("%1MotionBlock%2Chk")
        .arg(QLatin1String(side))
        .arg(zone, 2, 10, QLatin1Char('0'));
}

QStringList sensitivities() {
    return {
        RVXLocalizedString("unuse"), QStringLiteral("1(%1)").arg(RVXLocalizedString("insensitive")),
        QStringLiteral("2"),         QStringLiteral("3"),
        QStringLiteral("4"),         QStringLiteral("5(%1)").arg(RVXLocalizedString("sensitive"))};
}

const struct {
    const char* side;
    const char* groupKey;
    uint32_t _FILEDATA::*mask;
} kSides[] = {{"front", "setting.motion.block_front", &_FILEDATA::motionBlock},
              {"rear", "setting.motion.block_rear", &_FILEDATA::motionBlock_Rear}};

} // namespace

int RVXMotionPageLogic::bitOfZone(int zone) {
    // Zones 1-4 are bits 8-11, 5-8 bits 4-7, 9-12 bits 0-3: each row of the picture is
    // one group of four, the leftmost zone in the group's lowest bit.
    const int row = (zone - 1) / 4;
    const int column = (zone - 1) % 4;
    return (2 - row) * 4 + column;
}

RVXMotionPageLogic::RVXMotionPageLogic() {
    add("parkingModeSeg", Kind::Segmented, "setting.motion.paking_mode",
        localisedLabels(
            {"setting.motion.paking_mode_motion", "setting.motion.paking_mode_timelapse"}));
    add("nightVisionSeg", Kind::Segmented, "setting.motion.night_vision",
        localisedLabels({"setting.motion.night_vision_notuse", "setting.motion.night_vision_use"}));
    add("frontSensitivitySeg", Kind::Segmented, "setting.motion.sensitivity", sensitivities());
    add("rearSensitivitySeg", Kind::Segmented, "setting.motion.sensitivity", sensitivities());
    for (const auto& side : kSides) {
        for (int zone = 1; zone <= 12; ++zone)
            add(zoneControl(side.side, zone), Kind::Check, side.groupKey,
                {QStringLiteral("%1").arg(zone, 2, 10, QLatin1Char('0'))});
    }
}

void RVXMotionPageLogic::displayFileData() {
    showIndexes(kBindings);
    for (const auto& side : kSides) {
        const uint32_t mask = m_fileData->*side.mask;
        for (int zone = 1; zone <= 12; ++zone)
            at(zoneControl(side.side, zone)).checked = ((mask >> bitOfZone(zone)) & 1) == 0;
    }
}

bool RVXMotionPageLogic::populate() {
    if (!m_fileData)
        return false;
    storeIndexes(kBindings);
    // Rebuilt from nothing: bits the camera does not use do not survive.
    for (const auto& side : kSides) {
        uint32_t mask = 0;
        for (int zone = 1; zone <= 12; ++zone) {
            if (!at(zoneControl(side.side, zone)).checked)
                mask |= 1u << bitOfZone(zone);
        }
        m_fileData->*side.mask = mask;
    }
    return true;
}
