// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "gui/player/VLCAudio.h"
#include "gui/player/VLCMedia.h"
#include "gui/player/VLCTime.h"

#include <QObject>
#include <QPointer>
#include <QSize>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>

struct libvlc_media_player_t;
struct libvlc_event_t;
#include "gui/player/VLCVideoView.h"

class VLCVideoFrames;

// The player's states in the numbering the rest of the program uses (libVLC's own
// numbers differ: its paused state is 4, here it is 6).
enum VLCMediaPlayerState : int {
    VLCMediaPlayerStateStopped = 0,
    VLCMediaPlayerStateOpening = 1,
    VLCMediaPlayerStateBuffering = 2,
    VLCMediaPlayerStateEnded = 3,
    VLCMediaPlayerStateError = 4,
    VLCMediaPlayerStatePlaying = 5,
    VLCMediaPlayerStatePaused = 6,
};

// One libVLC player whose pictures one video view paints. libVLC reports on its own threads;
// the reports are forwarded to this object's thread before anyone hears of them, so
// every signal arrives on the UI thread.
class VLCMediaPlayer : public QObject {
    Q_OBJECT
public:
    explicit VLCMediaPlayer(VLCVideoView* videoView, QObject* parent = nullptr);
    ~VLCMediaPlayer() override;

    VLCVideoView* videoView() const { return m_videoView; }
    VLCVideoFrames* frames() const { return m_frames; }

    const VLCMediaRef& media() const { return m_media; }
    // Stops what plays and loads media; nothing clears the player.
    void setMedia(VLCMediaRef media);

    void play();
    void pause();
    // Stands still for ms and plays on, unless told otherwise meanwhile.
    void holdFor(int ms);
    void stop();
    bool isPlaying() const;
    int state() const;

    // Fraction 0..1 of the length.
    float position() const;
    void setPosition(float position);
    VLCTime time() const;
    // libVLC publishes the time about four times a second, each publication exact for
    // its moment; this runs the last one on to now, to the millisecond. Empty unless
    // the player plays and has published since it last sought (twice, in step with
    // the wall clock, since it last started or paused).
    std::optional<int64_t> clockTime() const;
    // The clock's time when pause() was last asked, while nothing has moved the player
    // since: libVLC's own time stays at its last publication, up to 250 ms before the
    // picture that stands on screen.
    std::optional<int64_t> pausedTime() const;
    void setTime(VLCTime time);
    // time - length: negative while something remains.
    VLCTime remainingTime() const;
    // The media's length, or the player's once it knows it better.
    VLCTime mediaLength() const;
    void jumpForward(int seconds);
    void jumpBackward(int seconds);

    float rate() const;
    void setRate(float rate);

    VLCAudio* audio() { return &m_audio; }

    bool hasVideoOut() const;
    QSize videoSize() const;

    // Asynchronous in libVLC; snapshotTaken tells when the file is complete.
    bool saveVideoSnapshotAt(const QString& path, int width = 0, int height = 0);

    libvlc_media_player_t* player() const { return m_player; }

Q_SIGNALS:
    void mediaPlayerStateChanged(VLCMediaPlayer* player);
    void mediaPlayerTimeChanged(VLCMediaPlayer* player);
    void snapshotTaken(VLCMediaPlayer* player, const QString& path);

private:
    static void handleEvent(const libvlc_event_t* event, void* data);
    // A seek publishes its target at once, before the pictures move again; that
    // publication is passed over.
    void forgetClock(bool seeking = false);
    void notePublishedTime(int64_t time);

    // Written on libVLC's thread, read on the UI thread.
    struct Clock {
        int64_t time = 0;
        std::chrono::steady_clock::time_point at;
        int64_t previousTime = 0;
        std::chrono::steady_clock::time_point previousAt;
        int publications = 0;
        bool echoPending = false;
        bool afterEcho = false;
        std::optional<int64_t> paused;
    };
    // Publications jitter by a few milliseconds; a seek's target misses by the
    // time the pictures took to move again, typically 60 ms or more.
    static constexpr double kClockToleranceMs = 20;
    mutable std::mutex m_clockMutex;
    Clock m_clock;

    // Counts the media set, so that reports queued for an earlier one are dropped.
    std::atomic<uint64_t> m_mediaGeneration{0};
    uint64_t m_holdGeneration = 0;
    libvlc_media_player_t* m_player = nullptr;
    QPointer<VLCVideoView> m_videoView;
    VLCVideoFrames* m_frames = nullptr;
    VLCMediaRef m_media;
    VLCAudio m_audio;
};
