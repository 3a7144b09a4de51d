// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/RVXVideoPageLogic.h"

#include "core/support/RVXLocalizedString.h"

namespace {

using Kind = RVXPageControl::Kind;

QStringList qualities() {
    return RVXSettingPage::localisedLabels({"setting.video.quality_normal",
                                            "setting.video.quality_high",
                                            "setting.video.quality_highest"});
}

QStringList brightnesses() {
    return {QStringLiteral("1"), QStringLiteral("2"),
            QStringLiteral("3(%1)").arg(RVXLocalizedString("default")), QStringLiteral("4"),
            QStringLiteral("5")};
}

// Each control and the field it stores its index in, in the order they are stored.
constexpr RVXSettingPage::IndexBinding kBindings[] = {
    {"videoEncodingBitrate", &_FILEDATA::vid_enc_bitrate},
    {"videoBrightness", &_FILEDATA::vid_brightness},
    {"videoEncodingBitrateRear", &_FILEDATA::vid_enc_bitrate_R},
    {"videoBrightnessRear", &_FILEDATA::vid_brightness_R},
    {"flipVideoRealSeg", &_FILEDATA::flip_video},
    {"rearfpsSeg", &_FILEDATA::rear_fps},
    {"frontTinting", &_FILEDATA::front_cpl_use},
    {"rearTinting", &_FILEDATA::rear_cpl_use},
    {"wdr", &_FILEDATA::En_SuperNightVision},
    {"viewAngle", &_FILEDATA::viewAngle},
    {"channel", &_FILEDATA::recordChannel},
};

} // namespace

RVXVideoPageLogic::RVXVideoPageLogic() {
    add("videoEncodingBitrate", Kind::Segmented, "setting.video.front_quality", qualities());
    add("videoBrightness", Kind::Segmented, "setting.video.front_setting", brightnesses());
    add("videoEncodingBitrateRear", Kind::Segmented, "setting.video.rear_quality", qualities());
    add("videoBrightnessRear", Kind::Segmented, "setting.video.rear_setting", brightnesses());
    add("flipVideoRealSeg", Kind::Segmented, "setting.video.rear_reversal",
        localisedLabels({"unuse", "use"}));
    add("rearfpsSeg", Kind::Segmented, "setting.video.rear_fps",
        localisedLabels({"30fps", "15fps"}));
    add("frontTinting", Kind::Segmented, "setting.video.front_tinting",
        localisedLabels({"cpl_unuse", "cpl_use", "light_tinting", "dark_tinting"}));
    add("rearTinting", Kind::Segmented, "setting.video.rear_tinting",
        localisedLabels({"unuse", "light_tinting", "dark_tinting"}));
    add("wdr", Kind::Segmented, "setting.motion.night_vision",
        localisedLabels({"setting.motion.night_vision_notuse", "setting.motion.night_vision_use"}));
    add("viewAngle", Kind::Segmented, "setting.video.viewangle",
        localisedLabels({"setting.video.viewangle_standard", "setting.video.viewangle_adas"}));
    add("channel", Kind::Segmented, "setting.video.channel",
        localisedLabels({"setting.video.channel_2", "setting.video.channel_1"}));
}

void RVXVideoPageLogic::displayFileData() {
    const _FILEDATA& r = *m_fileData;
    showIndexes(kBindings);
    // These two show segment 0 for anything but 1, and so store 0 for it.
    at("flipVideoRealSeg").index = r.flip_video == 1 ? 1 : 0;
    at("rearfpsSeg").index = r.rear_fps == 1 ? 1 : 0;
    // 50 Hz mains: the rear camera records 25 frames a second instead of 30.
    at("rearfpsSeg").labels = QStringList{RVXLocalizedString(r.Gamma != 0 ? "25fps" : "30fps"),
                                          RVXLocalizedString("15fps")};
    forntVideoQuality = r.vid_enc_bitrate;
    rearVideoQuality = r.vid_enc_bitrate_R;
}

bool RVXVideoPageLogic::populate() {
    if (!m_fileData)
        return false;
    _FILEDATA& r = *m_fileData;
    storeIndexes(kBindings);
    if (r.vid_enc_bitrate != forntVideoQuality || r.vid_enc_bitrate_R != rearVideoQuality)
        warn(RVXLocalizedString("msg.video_quality_warning"));
    // One channel records no rear picture: its LED stays off.
    if (r.recordChannel == 1)
        r.ledoff_rear = 0;
    return true;
}
