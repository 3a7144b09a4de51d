// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

struct libvlc_media_player_t;

// The sound of one player.
class VLCAudio {
public:
    explicit VLCAudio(libvlc_media_player_t* player)
        : m_player(player) {}

    // Kept here as well as in the library: a player without an audio output yet
    // forgets what it is told, so both are handed on again when playback starts.
    void setMute(bool mute);
    bool isMuted() const { return m_muted; }
    // 0 to 200.
    void setVolume(int volume);
    int volume() const { return m_volume; }
    void apply();

private:
    libvlc_media_player_t* m_player;
    bool m_muted = false;
    int m_volume = 100;
};
