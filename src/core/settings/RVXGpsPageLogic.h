// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/settings/RVXSettingPage.h"

// The GPS page: the weekly no-driving alarm, the speed unit, the time zone and summer
// time, the speed in the video overlay, the route-saving interval and GPS while parked.
// Every control stores its entry's index.
class RVXGpsPageLogic : public RVXSettingPage {
public:
    RVXGpsPageLogic();

    QString pageName() const override { return QStringLiteral("gps"); }
    QString titleKey() const override { return QStringLiteral("setting.gps"); }
    void displayFileData() override;
    bool populate() override;

    // The 34 zones' texts, in the order of the record's time-zone index.
    static QStringList timeZoneTexts();
};
