// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "VLCAudio.h"
#include "VLCMedia.h"
#include "VLCTime.h"

#include <QObject>
#include <QPointer>
#include <QSize>

#include <memory>

struct libvlc_media_player_t;
struct libvlc_event_t;
#include "VLCVideoView.h"

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

// One libVLC player drawing into one video view. libVLC reports on its own threads;
// the reports are forwarded to this object's thread before anyone hears of them, so
// every signal arrives on the UI thread.
class VLCMediaPlayer : public QObject {
    Q_OBJECT
public:
    explicit VLCMediaPlayer(VLCVideoView* videoView, QObject* parent = nullptr);
    ~VLCMediaPlayer() override;

    VLCVideoView* videoView() const { return m_videoView; }

    const VLCMediaRef& media() const { return m_media; }
    // Stops what plays and loads media; nothing clears the player.
    void setMedia(VLCMediaRef media);

    void play();
    void pause();
    void stop();
    bool isPlaying() const;
    int state() const;

    // Fraction 0..1 of the length.
    float position() const;
    void setPosition(float position);
    VLCTime time() const;
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
    void attachWindow();

    libvlc_media_player_t* m_player = nullptr;
    QPointer<VLCVideoView> m_videoView;
    VLCMediaRef m_media;
    VLCAudio m_audio;
};
