// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/settings/RVXSettingPage.h"

// The video page: recording quality and brightness of both cameras, the rear picture's
// flip and frame rate, tinting, night vision, view angle and recording channels. Every
// control is a row of segments storing its index.
class RVXVideoPageLogic : public RVXSettingPage {
public:
    RVXVideoPageLogic();

    QString pageName() const override { return QStringLiteral("video"); }
    QString titleKey() const override { return QStringLiteral("setting.video"); }
    void displayFileData() override;
    bool populate() override;

    // The qualities as the page last showed them: leaving with another one warns.
    uint32_t forntVideoQuality = 0;
    uint32_t rearVideoQuality = 0;
};
