// SPDX-License-Identifier: GPL-3.0-or-later
// The transport controls over the two players: seeking and jumping (player2 follows
// through an alignment after each), swapping the pictures, the rate, the volume and
// which side is heard.
#include "gui/player/RVXAppDelegate.h"

#include "core/playback/RVXPlayInfo.h"
#include "core/support/RVXCFormat.h"
#include "core/support/RVXLog.h"
#include "gui/player/GraphView.h"
#include "gui/player/RVXScrollableVideoContainerView.h"
#include "gui/player/VLCMediaPlayer.h"
#include "gui/player/VLCVideoView.h"
#include "gui/trips/RVXTripController.h"
#include "widgets/TKImageButton.h"
#include "widgets/TKVideoBackgroundImageView.h"

#include <QLabel>
#include <QPropertyAnimation>
#include <QSlider>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cmath>

namespace {
bool hasMedia(const VLCMediaPlayer* player) {
    return player && player->media();
}
} // namespace

void RVXAppDelegate::syncVideoPositionDelay(double seconds) {
    if (!hasMedia(player1) || !hasMedia(player2)) {
        m_moving = false;
        return;
    }
    const uint64_t generation = m_sync.begin();
    QTimer::singleShot(int(seconds * 1000), this, [this, generation] {
        m_moving = false;
        alignSecondPlayer(generation);
    });
}

void RVXAppDelegate::alignSecondPlayer(uint64_t generation) {
    if (!m_sync.isCurrent(generation) || !hasMedia(player1) || !hasMedia(player2))
        return;
    const bool bothPlay = player1->state() == VLCMediaPlayerStatePlaying &&
                          player2->state() == VLCMediaPlayerStatePlaying;
    const RVXPlayerSync::Reading reading{player1->clockTime(), player2->clockTime(), bothPlay};
    const RVXPlayerSync::Step step = m_sync.next(reading);
    switch (step.move) {
    case RVXPlayerSync::Move::Nothing:
        if (const auto hold = RVXPlayerSync::holdWithinAFrame(reading))
            (hold->first ? player1 : player2)->holdFor(int(hold->ms));
        break;
    case RVXPlayerSync::Move::CopyPosition:
        player2->setPosition(player1->position());
        break;
    case RVXPlayerSync::Move::SeekSecond:
        player2->setTime(VLCTime(step.seekToMs));
        break;
    }
    if (step.checkAgain) {
        QTimer::singleShot(RVXPlayerSync::kCheckDelayMs, this,
                           [this, generation] { alignSecondPlayer(generation); });
    }
}

void RVXAppDelegate::videoPositionSliderMoved(double value) {
    RVXLog(
        RVXCFormat("[%s] position slider moved:%lf <=> %lf", "D ", m_playInfo->position(), value));
    m_playInfo->setIsPlaying(isPlaying(player1));
    if (m_moving)
        return;
    if (value >= 0.998) {
        seekToEnd();
        return;
    }
    m_moving = true;
    m_movingPosition = value;
    player1->setPosition(float(value));
    player2->setPosition(float(value));
    followPausedSeek(value);
    syncVideoPositionDelay(0.3);
}

void RVXAppDelegate::seekToEnd() {
    for (VLCMediaPlayer* p : {player1, player2}) {
        if (hasMedia(p))
            p->setTime(p->mediaLength());
    }
    followPausedSeek(1.0);
}

// A paused player reports no time after a seek, so nothing would follow it: the time,
// the knob, the graph's marker and the read-out take the seek's target instead.
void RVXAppDelegate::followPausedSeek(double position) {
    if (!hasMedia(player1) || player1->state() == VLCMediaPlayerStatePlaying)
        return;
    position = std::clamp(position, 0.0, 1.0);
    m_playInfo->setPosition(position);
    if (m_trips->playsTrip()) {
        timeField->setText(m_trips->timeText());
        return;
    }
    const VLCTime length = player1->mediaLength();
    timeField->setText(VLCTime(int64_t(position * length.intValue())).stringValue() +
                       QStringLiteral(" / ") + length.stringValue());
}

void RVXAppDelegate::jumpForward() {
    if (m_trips->playsTrip() && !m_moving) {
        m_trips->jump(10);
        return;
    }
    RVXLog(QStringLiteral("[D ] _player1.time=%1,remainingTime.stringValue=%2")
               .arg(player1->time().stringValue(), player1->remainingTime().stringValue()));
    if (m_moving || !hasMedia(player1))
        return;
    if (player1->remainingTime().intValue() / 1000.0 > -10) {
        seekToEnd();
        return;
    }
    m_moving = true;
    const double lengthSeconds = player1->mediaLength().intValue() / 1000.0;
    m_movingPosition = player1->position() + (lengthSeconds > 0 ? 10 / lengthSeconds : 0);
    setPositionSliders(m_movingPosition);
    player1->jumpForward(10);
    followPausedSeek(m_movingPosition);
    syncVideoPositionDelay(0.3);
}

void RVXAppDelegate::jumpBackward() {
    if (m_trips->playsTrip() && !m_moving) {
        m_trips->jump(-10);
        return;
    }
    if (m_moving || !hasMedia(player1))
        return;
    if (player1->time().intValue() < 10000) {
        for (VLCMediaPlayer* p : {player1, player2}) {
            if (hasMedia(p))
                p->setTime(VLCTime::nullTime());
        }
        followPausedSeek(0.0);
    } else {
        m_moving = true;
        m_movingPosition = positionSliderValue();
        const double lengthMs = player1->mediaLength().intValue();
        const double target = lengthMs > 0 ? (player1->time().intValue() - 10000) / lengthMs : 0.0;
        player1->jumpBackward(10);
        followPausedSeek(target);
        syncVideoPositionDelay(0.3);
    }
    updateAudioUI();
}

void RVXAppDelegate::swapPlayer() {
    if (!isPlaying(player1) || !isPlaying(player2) || m_swapping)
        return;
    m_swapping = true;
    const float p = player1->position();
    player1->pause();
    player2->pause();
    VLCMediaRef first = player1->media();
    VLCMediaRef second = player2->media();
    player1->setMedia(second);
    player2->setMedia(first);
    player1->play();
    player2->play();

    const bool rearInMain = player1->media()->mediaDirection() == RVXMediaDirectionRear;
    player1BackgroundView->setLogoImage(TKImageNamed(rearInMain ? QStringLiteral("v1_rear_logo")
                                                                : QStringLiteral("v1_front_logo")));
    const bool frontInSecond = player2->media()->mediaDirection() == RVXMediaDirectionFront;
    player2BackgroundView->setLogoImage(TKImageNamed(
        frontInSecond ? QStringLiteral("v2_front_logo") : QStringLiteral("v2_rear_logo")));

    m_moving = true;
    // The reloaded player stands at its start; the pair goes back to where it was.
    m_movingPosition = p;
    animateSwap();
    player1->audio()->setMute(true);
    player2->audio()->setMute(true);

    const uint64_t generation = m_sync.begin();
    QTimer::singleShot(800, this, [this, p, generation] {
        if (m_died)
            return;
        m_moving = false;
        player1->setPosition(p);
        player2->setPosition(p);
        alignSecondPlayer(generation);
    });
    QTimer::singleShot(1700, this, [this] {
        if (m_died)
            return;
        m_swapping = false;
        updateAudioUI();
    });
}

void RVXAppDelegate::animateSwap() {
    // The main picture shrinks into the container's right edge and the small one into
    // its box's bottom-left corner; both grow back to their places.
    const struct {
        RVXScrollableVideoContainerView* container;
        VLCVideoView* view;
        QRect collapsed;
    } moves[] = {
        {videoContainerView, video1View, QRect(videoContainerView->width(), 0, 0, 0)},
        {subVideoContainerView, video2View, QRect(0, subVideoContainerView->height(), 0, 0)},
    };
    for (const auto& m : moves) {
        m.container->setAnimating(true);
        m.view->setGeometry(m.collapsed);
        auto* animation = new QPropertyAnimation(m.view, "geometry", m.view);
        animation->setDuration(1500);
        animation->setEasingCurve(QEasingCurve::OutCubic);
        animation->setStartValue(m.collapsed);
        animation->setEndValue(m.container->rect());
        RVXScrollableVideoContainerView* container = m.container;
        connect(animation, &QAbstractAnimation::finished, container,
                [container] { container->setAnimating(false); });
        animation->start(QAbstractAnimation::DeleteWhenStopped);
    }
}

void RVXAppDelegate::increaseSpeed() {
    if (m_playInfo->speed() + 1.0 > 2.0)
        return;
    for (VLCMediaPlayer* p : {player1, player2})
        p->setRate(p->rate() + 1.0f);
    m_playInfo->setSpeed(m_playInfo->speed() + 1.0);
}

void RVXAppDelegate::decreaseSpeed() {
    if (m_playInfo->speed() <= 1.0)
        return;
    for (VLCMediaPlayer* p : {player1, player2})
        p->setRate(p->rate() - 1.0f);
    m_playInfo->setSpeed(m_playInfo->speed() - 1.0);
}

void RVXAppDelegate::updatePlayInfoScale() {
    // Paused pictures are resized too, so a paused player still knows its size.
    if (!hasMedia(player1) || !player1->hasVideoOut())
        return;
    const QSize video = player1->videoSize();
    if (video.height() > 0)
        m_playInfo->setScale(double(videoContainerView->height()) / video.height());
}

void RVXAppDelegate::volumeSliderMoved(int value) {
    setVolume(unsigned(std::clamp(value, 0, 200)));
}

void RVXAppDelegate::volumeUp() {
    setVolume(std::min(m_volume + 10, 200u));
}

void RVXAppDelegate::volumeDown() {
    setVolume(m_volume >= 10 ? m_volume - 10 : 0);
}

void RVXAppDelegate::chooseAudioAuto() {
    for (VLCMediaPlayer* p : {player1, player2}) {
        if (hasAudio(p)) {
            m_playInfo->setAudioMediaDirection(uint32_t(p->media()->mediaDirection()));
            return;
        }
    }
    m_playInfo->setAudioMediaDirection(RVXMediaDirectionNone);
}

void RVXAppDelegate::toggleAudioChoice() {
    m_playInfo->setAudioMediaDirection(audioToggleButton->isChecked() ? 1 : 0);
}

void RVXAppDelegate::clickAudioToggle() {
    if (!audioToggleButton->isVisible())
        return;
    audioToggleButton->toggle();
    toggleAudioChoice();
}

void RVXAppDelegate::updateAudioUI() {
    const uint32_t direction = m_playInfo->audioMediaDirection();
    const auto hearSide = [this](int32_t side) {
        VLCMediaPlayer* heard = nullptr;
        for (VLCMediaPlayer* p : {player1, player2}) {
            if (!heard && hasMedia(p) && p->media()->mediaDirection() == side)
                heard = p;
        }
        for (VLCMediaPlayer* p : {player1, player2}) {
            if (p == heard) {
                p->audio()->setMute(false);
                p->audio()->setVolume(int(m_volume));
            } else {
                p->audio()->setMute(true);
            }
        }
    };
    if (player1 && player2) {
        if (direction == 0 || direction == 1) {
            audioToggleButton->setVisible(hasMedia(player2));
            audioToggleButton->setChecked(direction == 1);
            hearSide(int32_t(direction));
        } else {
            if (direction == 2)
                audioToggleButton->hide();
            player1->audio()->setMute(true);
            player2->audio()->setMute(true);
        }
    }
    m_updatingSliders = true;
    volumeSlider->setValue(int(m_volume));
    m_updatingSliders = false;
}
