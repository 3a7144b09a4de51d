// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/settings/RVXSettingPage.h"

#include <cstdint>

// The basic page: the wait before parking mode, the G-sensor and its driving and
// parking thresholds, the LEDs, the licence plate, the power cut-off and the cable's
// voltage loss.
class RVXBasicPageLogic : public RVXSettingPage {
public:
    RVXBasicPageLogic();

    QString pageName() const override { return QStringLiteral("basic"); }
    QString titleKey() const override { return QStringLiteral("setting.basic"); }
    void displayFileData() override;
    std::optional<RVXPageFailure> validateUserInput() override;
    bool populate() override;
    QString textRule(const QString& name) const override;

    static int findAlwaysModeTimeoutIndexByValue(uint32_t seconds);
    static int findPowerVoltageIndexByValue(uint32_t millivolts);
    static int findPowerTimeIndexByValue(uint32_t hours);
    // Levels 0 to 4 when all three thresholds (hundredths of g) are the level's, else 5.
    static int findDrivingGsensorThresholdIndexByX(int32_t x, int32_t y, int32_t z);
    static int findParkingGsensorThresholdIndexByX(int32_t x, int32_t y, int32_t z);

    void changeGsensorEnable();
    void updateGsensorThreshold();
    void updatePowerUI();
    void clickUseExternalPowerChk();
    void powerVoltageSelected();

protected:
    void controlChanged(const QString& name) override;

private:
    // The plate as the record held it; stored back unless the user typed another.
    bool m_plateEdited = false;
};
