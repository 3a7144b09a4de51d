// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/player/VLCMediaPlayer.h"

#include "gui/player/VLCLibrary.h"
#include "gui/player/VLCVideoFrames.h"
#include "gui/player/VLCVideoView.h"

#include <QFile>
#include <QTimer>

#include <cmath>

#include <vlc/vlc.h>

namespace {
constexpr libvlc_event_e kStateEvents[] = {
    libvlc_MediaPlayerOpening, libvlc_MediaPlayerPlaying,    libvlc_MediaPlayerPaused,
    libvlc_MediaPlayerStopped, libvlc_MediaPlayerEndReached, libvlc_MediaPlayerEncounteredError,
};
constexpr libvlc_event_e kOtherEvents[] = {libvlc_MediaPlayerTimeChanged,
                                           libvlc_MediaPlayerSnapshotTaken};
} // namespace

VLCMediaPlayer::VLCMediaPlayer(VLCVideoView* videoView, QObject* parent)
    : QObject(parent)
    , m_player(libvlc_media_player_new(VLCLibrary::sharedLibrary()->instance()))
    , m_videoView(videoView)
    , m_frames(new VLCVideoFrames(this))
    , m_audio(m_player) {
    if (!m_player)
        return;
    m_frames->attach(m_player);
    if (videoView)
        videoView->setFrames(m_frames);
    libvlc_event_manager_t* events = libvlc_media_player_event_manager(m_player);
    for (libvlc_event_e e : kStateEvents)
        libvlc_event_attach(events, e, &VLCMediaPlayer::handleEvent, this);
    for (libvlc_event_e e : kOtherEvents)
        libvlc_event_attach(events, e, &VLCMediaPlayer::handleEvent, this);
}

VLCMediaPlayer::~VLCMediaPlayer() {
    if (!m_player)
        return;
    libvlc_event_manager_t* events = libvlc_media_player_event_manager(m_player);
    for (libvlc_event_e e : kStateEvents)
        libvlc_event_detach(events, e, &VLCMediaPlayer::handleEvent, this);
    for (libvlc_event_e e : kOtherEvents)
        libvlc_event_detach(events, e, &VLCMediaPlayer::handleEvent, this);
    libvlc_media_player_stop(m_player);
    libvlc_media_player_release(m_player);
}

// On a libVLC thread: nothing here may touch the player (libVLC would deadlock) or
// any Qt object; the report is only queued to the player's own thread.
void VLCMediaPlayer::handleEvent(const libvlc_event_t* event, void* data) {
    auto* self = static_cast<VLCMediaPlayer*>(data);
    // A report reaches the UI thread a moment later; by then the player may hold another
    // recording, whose start must not take the old one's end or stop for its own.
    const uint64_t generation = self->m_mediaGeneration.load();
    const auto current = [self, generation] { return generation == self->m_mediaGeneration; };
    switch (event->type) {
    case libvlc_MediaPlayerTimeChanged:
        self->notePublishedTime(event->u.media_player_time_changed.new_time);
        QMetaObject::invokeMethod(
            self,
            [self, current] {
                if (current())
                    Q_EMIT self->mediaPlayerTimeChanged(self);
            },
            Qt::QueuedConnection);
        break;
    case libvlc_MediaPlayerSnapshotTaken: {
        const char* name = event->u.media_player_snapshot_taken.psz_filename;
        const QString path = name ? QFile::decodeName(name) : QString();
        QMetaObject::invokeMethod(
            self, [self, path] { Q_EMIT self->snapshotTaken(self, path); }, Qt::QueuedConnection);
        break;
    }
    case libvlc_MediaPlayerPlaying:
        QMetaObject::invokeMethod(
            self,
            [self, current] {
                // An audio output made for this playback starts with its own settings.
                self->m_audio.apply();
                if (current())
                    Q_EMIT self->mediaPlayerStateChanged(self);
            },
            Qt::QueuedConnection);
        break;
    default:
        QMetaObject::invokeMethod(
            self,
            [self, current] {
                if (current())
                    Q_EMIT self->mediaPlayerStateChanged(self);
            },
            Qt::QueuedConnection);
        break;
    }
}

void VLCMediaPlayer::forgetClock(bool seeking) {
    const std::lock_guard lock(m_clockMutex);
    m_clock.publications = 0;
    m_clock.echoPending = seeking;
    m_clock.afterEcho = false;
    m_clock.paused.reset();
}

void VLCMediaPlayer::notePublishedTime(int64_t time) {
    const std::lock_guard lock(m_clockMutex);
    if (m_clock.echoPending) {
        m_clock.echoPending = false;
        m_clock.afterEcho = true;
        return;
    }
    m_clock.previousTime = m_clock.time;
    m_clock.previousAt = m_clock.at;
    m_clock.time = time;
    m_clock.at = std::chrono::steady_clock::now();
    ++m_clock.publications;
}

namespace {
double millisecondsBetween(std::chrono::steady_clock::time_point from,
                           std::chrono::steady_clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}
} // namespace

std::optional<int64_t> VLCMediaPlayer::clockTime() const {
    if (!m_player || libvlc_media_player_get_state(m_player) != libvlc_Playing)
        return std::nullopt;
    Clock clock;
    {
        const std::lock_guard lock(m_clockMutex);
        clock = m_clock;
    }
    if (clock.publications < 1)
        return std::nullopt;
    const double rate = libvlc_media_player_get_rate(m_player);
    // Without a seek's echo to go by, the first publication may be a report from
    // before a pause or rate change: the last two must agree with the wall clock.
    if (!clock.afterEcho) {
        if (clock.publications < 2)
            return std::nullopt;
        const double advanced = double(clock.time - clock.previousTime);
        const double expected = millisecondsBetween(clock.previousAt, clock.at) * rate;
        if (std::abs(advanced - expected) > kClockToleranceMs)
            return std::nullopt;
    }
    const double elapsed = millisecondsBetween(clock.at, std::chrono::steady_clock::now());
    return clock.time + int64_t(elapsed * rate);
}

void VLCMediaPlayer::setMedia(VLCMediaRef media) {
    if (!m_player)
        return;
    ++m_holdGeneration;
    forgetClock();
    m_media = std::move(media);
    // Before and after: what libVLC reports while it changes over (the old recording's
    // stop) belongs to neither.
    ++m_mediaGeneration;
    libvlc_media_player_set_media(m_player, m_media ? m_media->media() : nullptr);
    ++m_mediaGeneration;
    // The old recording's last picture would stand for the new one until it decodes.
    m_frames->clear();
}

void VLCMediaPlayer::play() {
    ++m_holdGeneration;
    forgetClock();
    if (m_player && m_media)
        libvlc_media_player_play(m_player);
}

void VLCMediaPlayer::pause() {
    ++m_holdGeneration;
    const std::optional<int64_t> at = clockTime();
    forgetClock();
    {
        const std::lock_guard lock(m_clockMutex);
        m_clock.paused = at;
    }
    if (m_player)
        libvlc_media_player_set_pause(m_player, 1);
}

std::optional<int64_t> VLCMediaPlayer::pausedTime() const {
    const std::lock_guard lock(m_clockMutex);
    return m_clock.paused;
}

void VLCMediaPlayer::stop() {
    ++m_holdGeneration;
    forgetClock();
    if (m_player)
        libvlc_media_player_stop(m_player);
}

// The pause and the resume go through libVLC's input thread in turn, so the clock stands
// still for about as long as the timer, to a few ms.
void VLCMediaPlayer::holdFor(int ms) {
    if (!m_player || libvlc_media_player_get_state(m_player) != libvlc_Playing)
        return;
    const uint64_t hold = ++m_holdGeneration;
    {
        // The clock goes on from where it stands once the hold is over: its last
        // publication counts as made that much later.
        const std::lock_guard lock(m_clockMutex);
        const auto by = std::chrono::milliseconds(ms);
        m_clock.at += by;
        m_clock.previousAt += by;
    }
    libvlc_media_player_set_pause(m_player, 1);
    QTimer::singleShot(ms, Qt::PreciseTimer, this, [this, hold] {
        if (hold == m_holdGeneration && m_player)
            libvlc_media_player_set_pause(m_player, 0);
    });
}

bool VLCMediaPlayer::isPlaying() const {
    return m_player && libvlc_media_player_is_playing(m_player);
}

int VLCMediaPlayer::state() const {
    if (!m_player)
        return VLCMediaPlayerStateStopped;
    switch (libvlc_media_player_get_state(m_player)) {
    case libvlc_Opening:
        return VLCMediaPlayerStateOpening;
    case libvlc_Buffering:
        return VLCMediaPlayerStateBuffering;
    case libvlc_Playing:
        return VLCMediaPlayerStatePlaying;
    case libvlc_Paused:
        return VLCMediaPlayerStatePaused;
    case libvlc_Ended:
        return VLCMediaPlayerStateEnded;
    case libvlc_Error:
        return VLCMediaPlayerStateError;
    case libvlc_NothingSpecial:
    case libvlc_Stopped:
    default:
        return VLCMediaPlayerStateStopped;
    }
}

float VLCMediaPlayer::position() const {
    if (!m_player)
        return 0;
    const float p = libvlc_media_player_get_position(m_player);
    return p < 0 ? 0 : p;
}

void VLCMediaPlayer::setPosition(float position) {
    forgetClock(true);
    if (m_player)
        libvlc_media_player_set_position(m_player, position);
}

VLCTime VLCMediaPlayer::time() const {
    if (!m_player)
        return VLCTime::nullTime();
    const libvlc_time_t t = libvlc_media_player_get_time(m_player);
    return VLCTime(t > 0 ? t : 0);
}

void VLCMediaPlayer::setTime(VLCTime time) {
    forgetClock(true);
    if (m_player)
        libvlc_media_player_set_time(m_player, time.intValue());
}

VLCTime VLCMediaPlayer::mediaLength() const {
    if (!m_player || !m_media)
        return VLCTime::nullTime();
    const libvlc_time_t playerLength = libvlc_media_player_get_length(m_player);
    if (playerLength > 0)
        return VLCTime(playerLength);
    return m_media->length();
}

VLCTime VLCMediaPlayer::remainingTime() const {
    return VLCTime(time().intValue() - mediaLength().intValue());
}

void VLCMediaPlayer::jumpForward(int seconds) {
    forgetClock(true);
    if (m_player && m_media)
        libvlc_media_player_set_time(m_player, time().intValue() + int64_t(seconds) * 1000);
}

void VLCMediaPlayer::jumpBackward(int seconds) {
    forgetClock(true);
    if (!m_player || !m_media)
        return;
    const int64_t target = time().intValue() - int64_t(seconds) * 1000;
    libvlc_media_player_set_time(m_player, target > 0 ? target : 0);
}

float VLCMediaPlayer::rate() const {
    return m_player ? libvlc_media_player_get_rate(m_player) : 1.0f;
}

void VLCMediaPlayer::setRate(float rate) {
    if (m_player)
        libvlc_media_player_set_rate(m_player, rate);
}

bool VLCMediaPlayer::hasVideoOut() const {
    return m_player && libvlc_media_player_has_vout(m_player) > 0;
}

QSize VLCMediaPlayer::videoSize() const {
    unsigned width = 0, height = 0;
    if (!m_player || libvlc_video_get_size(m_player, 0, &width, &height) != 0)
        return QSize();
    return QSize(int(width), int(height));
}

bool VLCMediaPlayer::saveVideoSnapshotAt(const QString& path, int width, int height) {
    return m_player && libvlc_video_take_snapshot(m_player, 0, QFile::encodeName(path).constData(),
                                                  unsigned(width), unsigned(height)) == 0;
}
