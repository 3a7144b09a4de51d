// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/playback/RVXPlayInfo.h"

namespace {
template <typename T, typename Signal>
void assign(RVXPlayInfo* info, T& field, T value, Signal signal) {
    if (field == value)
        return;
    field = value;
    Q_EMIT(info->*signal)(value);
}
} // namespace

void RVXPlayInfo::setIsPlaying(bool v) {
    assign(this, m_isPlaying, v, &RVXPlayInfo::isPlayingChanged);
}
void RVXPlayInfo::setPosition(double v) {
    assign(this, m_position, v, &RVXPlayInfo::positionChanged);
}
void RVXPlayInfo::setSpeed(double v) {
    assign(this, m_speed, v, &RVXPlayInfo::speedChanged);
}
void RVXPlayInfo::setScale(double v) {
    assign(this, m_scale, v, &RVXPlayInfo::scaleChanged);
}
void RVXPlayInfo::setVolume(double v) {
    assign(this, m_volume, v, &RVXPlayInfo::volumeChanged);
}
void RVXPlayInfo::setX(double v) {
    assign(this, m_x, v, &RVXPlayInfo::xChanged);
}
void RVXPlayInfo::setY(double v) {
    assign(this, m_y, v, &RVXPlayInfo::yChanged);
}
void RVXPlayInfo::setZ(double v) {
    assign(this, m_z, v, &RVXPlayInfo::zChanged);
}
void RVXPlayInfo::setAudioMediaDirection(uint32_t v) {
    assign(this, m_audioMediaDirection, v, &RVXPlayInfo::audioMediaDirectionChanged);
}
