// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/settings/RVXSettingPage.h"

// The driver-assistance page: lane-departure and forward-collision warnings, front-car
// moving detection, headway warning, the vibration alert and the camera's mounting
// geometry. The speeds shown follow the record's speed unit; the mounting height and the
// lane widths change only through their steppers, which reach the record at once.
class RVXAdasPageLogic : public RVXSettingPage {
public:
    RVXAdasPageLogic();

    QString pageName() const override { return QStringLiteral("adas"); }
    QString titleKey() const override { return QStringLiteral("setting.adas"); }
    void displayFileData() override;
    bool populate() override;

    // Both speed lists in the unit: 1 is miles per hour, anything else kilometres.
    void changeSpeed(uint32_t unit);

    // The entry of the speed table holding the value, or 2 when none does.
    static int FindLdwsSpeed(uint32_t value);
    static int FindFcwsSpeed(uint32_t value);
    static int FindLdwsSpeedMile(uint32_t value);
    static int FindFcwsSpeedMile(uint32_t value);
    // The entry equal to the factor, or 9 (past the list) when none is.
    static int FindHeadwayFactor(float factor);
    // The zone list's entry for a safe distance in metres; -1 when it is off the list.
    static int headwayZoneIndex(float safeDistance);
    // "135cm" for 1.35 metres, to the nearest centimetre.
    static QString centimetreText(float metres);

    void changeHeightValue(int d);
    void changeLeftWidthValue(int d);
    void changeRightWidthValue(int d);

protected:
    void controlChanged(const QString& name) override;

private:
    void changeLengthValue(float _FILEDATA::*field, const char* input, int d);
    bool milesPerHour() const;

    // The zone entry shown for the stored distance; only another pick rewrites it.
    int m_shownZone = -1;
};
