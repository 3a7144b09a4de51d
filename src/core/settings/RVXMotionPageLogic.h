// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/settings/RVXSettingPage.h"

// The motion and parking page: the parking recording mode, night vision, each camera's
// motion sensitivity and the twelve picture zones of each that take part in motion
// detection.
class RVXMotionPageLogic : public RVXSettingPage {
public:
    RVXMotionPageLogic();

    QString pageName() const override { return QStringLiteral("park"); }
    QString titleKey() const override { return QStringLiteral("setting.motion"); }
    void displayFileData() override;
    bool populate() override;

    // The mask bit of zone 1 to 12: a set bit leaves the zone out.
    static int bitOfZone(int zone);
};
