// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/RVXGpsPageLogic.h"

#include "core/support/RVXLocalizedString.h"

namespace {

using Kind = RVXPageControl::Kind;

// The segments and the fields they store their index in.
constexpr RVXSettingPage::IndexBinding kBindings[] = {
    {"drivingDaySeg", &_FILEDATA::nodriving_day},
    {"speedDisplayUnitSeg", &_FILEDATA::speed_disp_unit},
    {"saveDurationSeg", &_FILEDATA::SaveDuration},
    {"nightTimeSeg", &_FILEDATA::NightTime},
};

} // namespace

QStringList RVXGpsPageLogic::timeZoneTexts() {
    return {"-12:00", "-11:00", "-10:00", "-09:00", "-08:00", "-07:00", "-06:00",
            "-05:00", "-04:30", "-04:00", "-03:30", "-03:00", "-02:00", "-01:00",
            "00:00",  "+01:00", "+02:00", "+03:00", "+03:30", "+04:00", "+04:30",
            "+05:00", "+05:30", "+05:45", "+06:00", "+06:30", "+07:00", "+08:00",
            "+09:00", "+09:30", "+10:00", "+11:00", "+12:00", "+13:00"};
}

RVXGpsPageLogic::RVXGpsPageLogic() {
    add("drivingDaySeg", Kind::Segmented, "setting.gps.weekly_alarm",
        localisedLabels({"none", "mon", "tue", "wed", "thu", "fri", "sat", "sun"}));
    add("speedDisplayUnitSeg", Kind::Segmented, "setting.gps.speed_display",
        {QStringLiteral("Km/h"), QStringLiteral("Mi/h")});
    add("timeGmtCombo", Kind::Combo, "setting.gps.timezone_setting", timeZoneTexts());
    add("summerTimeChk", Kind::Check, "setting.gps.timezone_setting",
        {RVXLocalizedString("summerTime")});
    add("osdSpeedDisplaySeg", Kind::Segmented, "setting.gps.osd_speed_display",
        localisedLabels({"off", "on"}));
    QStringList intervals = {RVXLocalizedString("none")};
    for (int seconds : {1, 3, 5, 10, 15, 30, 60})
        intervals << RVXLocalizedString("nSecond_fmt").arg(seconds);
    add("saveDurationSeg", Kind::Segmented, "setting.gps.driving_route_info_saving_interval",
        intervals);
    add("nightTimeSeg", Kind::Segmented, "setting.gps.gps_on_parking_mode",
        localisedLabels({"off", "on"}));
}

void RVXGpsPageLogic::displayFileData() {
    const _FILEDATA& r = *m_fileData;
    showIndexes(kBindings);
    RVXPageControl& osd = at("osdSpeedDisplaySeg");
    osd.index = r.osd_speed_flag == 0 || r.osd_speed_flag == 1 ? r.osd_speed_flag : -1;
    RVXPageControl& zone = at("timeGmtCombo");
    // -1: the computer's zone is none of the camera's; the list shows no entry.
    zone.index = r.time_gmt >= 0 && r.time_gmt < zone.labels.size() ? r.time_gmt : -1;
    at("summerTimeChk").checked = r.summer_time != 0;
}

bool RVXGpsPageLogic::populate() {
    if (!m_fileData)
        return false;
    _FILEDATA& r = *m_fileData;
    storeIndexes(kBindings);
    if (at("osdSpeedDisplaySeg").index >= 0)
        r.osd_speed_flag = at("osdSpeedDisplaySeg").index;
    // No entry chosen stores -1, which the camera knows: no zone of its own.
    r.time_gmt = at("timeGmtCombo").index;
    r.summer_time = at("summerTimeChk").checked ? 1 : 0;
    return true;
}
