// SPDX-License-Identifier: GPL-3.0-or-later
#include "RVXVideoPageLogic.h"

#include "RVXLocalizedString.h"

namespace {

using Kind = RVXPageControl::Kind;

QStringList localised(std::initializer_list<const char*> keys) {
    QStringList labels;
    for (const char* key : keys)
        labels << RVXLocalizedString(key);
    return labels;
}

QStringList qualities() {
    return localised({"setting.video.quality_normal", "setting.video.quality_high",
                      "setting.video.quality_highest"});
}

QStringList brightnesses() {
    return {QStringLiteral("1"), QStringLiteral("2"),
            QStringLiteral("3(%1)").arg(RVXLocalizedString("default")), QStringLiteral("4"),
            QStringLiteral("5")};
}

// Each control and the field it stores its index in, in the order they are stored.
struct Binding {
    const char* control;
    uint32_t _FILEDATA::*field;
};
constexpr Binding kBindings[] = {
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
        localised({"unuse", "use"}));
    add("rearfpsSeg", Kind::Segmented, "setting.video.rear_fps", localised({"30fps", "15fps"}));
    add("frontTinting", Kind::Segmented, "setting.video.front_tinting",
        localised({"cpl_unuse", "cpl_use", "light_tinting", "dark_tinting"}));
    add("rearTinting", Kind::Segmented, "setting.video.rear_tinting",
        localised({"unuse", "light_tinting", "dark_tinting"}));
    add("wdr", Kind::Segmented, "setting.motion.night_vision",
        localised({"setting.motion.night_vision_notuse", "setting.motion.night_vision_use"}));
    add("viewAngle", Kind::Segmented, "setting.video.viewangle",
        localised({"setting.video.viewangle_standard", "setting.video.viewangle_adas"}));
    add("channel", Kind::Segmented, "setting.video.channel",
        localised({"setting.video.channel_2", "setting.video.channel_1"}));
}

void RVXVideoPageLogic::displayFileData() {
    const _FILEDATA& r = *m_fileData;
    for (const Binding& b : kBindings) {
        RVXPageControl& c = at(QLatin1String(b.control));
        const uint32_t stored = r.*b.field;
        // A value the camera never writes shows no segment and is kept as it is.
        c.index = stored < uint32_t(c.labels.size()) ? int(stored) : -1;
    }
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
    for (const Binding& b : kBindings) {
        const RVXPageControl& c = at(QLatin1String(b.control));
        if (c.index >= 0)
            r.*b.field = uint32_t(c.index);
    }
    if (r.vid_enc_bitrate != forntVideoQuality || r.vid_enc_bitrate_R != rearVideoQuality)
        warn(RVXLocalizedString("msg.video_quality_warning"));
    // One channel records no rear picture: its LED stays off.
    if (r.recordChannel == 1)
        r.ledoff_rear = 0;
    return true;
}
