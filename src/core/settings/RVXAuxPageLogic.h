// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/settings/RVXSettingPage.h"

// The auxiliary page: how the card is shared between continuous, motion and event
// recordings (two knobs on one range), the camera's screen, the mains frequency,
// parking behaviour, recording length, the picture-in-picture corner, the auto-format
// reminder and the Wi-Fi access point.
class RVXAuxPageLogic : public RVXSettingPage {
public:
    RVXAuxPageLogic();

    QString pageName() const override { return QStringLiteral("aux"); }
    QString titleKey() const override { return QStringLiteral("setting.aux"); }
    void displayFileData() override;
    std::optional<RVXPageFailure> validateUserInput() override;
    bool populate() override;

    // The knobs of the card-share slider, in percent.
    double ratioLoValue() const;
    double ratioHiValue() const;
    void setRatioLoValue(double value);
    void setRatioHiValue(double value);

    // Whether a Wi-Fi name or password uses only the characters the camera accepts.
    static bool validString(const QString& text);

    // The matrix cell (row by row) that shows a stored picture-in-picture corner, and back.
    static int pipCellOf(uint32_t stored);
    static uint32_t pipPositionOf(int cell);

protected:
    void controlChanged(const QString& name) override;

private:
    void updateRatio();
    bool storeWifi();
};
