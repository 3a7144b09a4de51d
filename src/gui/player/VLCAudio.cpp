// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/player/VLCAudio.h"

#include <vlc/vlc.h>

#include <algorithm>

void VLCAudio::setMute(bool mute) {
    m_muted = mute;
    libvlc_audio_set_mute(m_player, mute ? 1 : 0);
}

void VLCAudio::setVolume(int volume) {
    m_volume = std::clamp(volume, 0, 200);
    libvlc_audio_set_volume(m_player, m_volume);
}

void VLCAudio::apply() {
    libvlc_audio_set_mute(m_player, m_muted ? 1 : 0);
    libvlc_audio_set_volume(m_player, m_volume);
}
