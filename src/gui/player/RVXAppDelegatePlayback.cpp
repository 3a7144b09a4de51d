// SPDX-License-Identifier: GPL-3.0-or-later
// Two players side by side: player1 leads with the chosen recording, player2 follows
// with its partner and is moved to player1's position after every discontinuity.
#include "gui/player/RVXAppDelegate.h"

#include "core/playback/RVXPlayInfo.h"
#include "core/playback/RVXTelemetryReadout.h"
#include "core/support/RVXCFormat.h"
#include "core/support/RVXLocalizedString.h"
#include "core/support/RVXLog.h"
#include "gui/player/CustomWindow.h"
#include "gui/player/GraphView.h"
#include "gui/player/RVXMediaListTableModel.h"
#include "gui/player/RVXScrollableVideoContainerView.h"
#include "gui/player/VLCMediaPlayer.h"
#include "gui/player/VLCVideoView.h"
#include "widgets/TKImageButton.h"
#include "widgets/TKVideoBackgroundImageView.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPointer>
#include <QPropertyAnimation>
#include <QSlider>
#include <QTableView>
#include <QThreadPool>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {
bool hasMedia(const VLCMediaPlayer* player) {
    return player && player->media();
}
bool isPaused(const VLCMediaPlayer* player) {
    return player->state() == VLCMediaPlayerStatePaused;
}
} // namespace

void RVXAppDelegate::observePlayInfo() {
    connect(m_playInfo, &RVXPlayInfo::speedChanged, this,
            [this](double speed) { speedTextButton->setText(RVXCFormat("%.1fx", speed)); });
    connect(m_playInfo, &RVXPlayInfo::scaleChanged, this,
            [this](double scale) { sizeTextButton->setText(RVXCFormat("%.2fx", scale)); });
    connect(m_playInfo, &RVXPlayInfo::isPlayingChanged, this, [this](bool playing) {
        setPlayButtonsImage(playing ? QStringLiteral("icon_pause_n")
                                    : QStringLiteral("icon_play_n"));
    });
    connect(m_playInfo, &RVXPlayInfo::positionChanged, this, [this](double position) {
        setPositionSliders(position >= 1.0 ? 1.0 : position);
        updateGsensorUIByPlayPositon();
        updateGpsUIByPlayPosition();
    });
    connect(m_playInfo, &RVXPlayInfo::audioMediaDirectionChanged, this,
            &RVXAppDelegate::updateAudioUI);
    connect(this, &RVXAppDelegate::volumeChanged, this, &RVXAppDelegate::updateAudioUI);
    connect(window, &CustomWindow::isFullScreenChanged, this, &RVXAppDelegate::layoutWindow);
}

// A view shows only while its player has a picture to show.
void RVXAppDelegate::updateVideoViewsVisibility() {
    for (auto [player, view] : {std::pair{player1, video1View}, std::pair{player2, video2View}}) {
        const int state = player->state();
        view->setVisible(hasMedia(player) && (state == VLCMediaPlayerStatePlaying ||
                                              state == VLCMediaPlayerStatePaused));
    }
}

void RVXAppDelegate::clearPlayers() {
    for (VLCMediaPlayer* p : {player1, player2}) {
        p->stop();
        p->setMedia(nullptr);
    }
}

void RVXAppDelegate::setPlayButtonsImage(const QString& name) {
    playButton->setImageName(name);
    playButtonForFullScreen->setImageName(name);
}

void RVXAppDelegate::setPositionSliders(double value) {
    m_updatingSliders = true;
    for (QSlider* slider : {videoPositionSlider, videoPositionSliderForFullScreen}) {
        // The handle under the user's pointer stays where the user holds it; the
        // release seeks there.
        if (!slider->isSliderDown())
            slider->setValue(int(value * slider->maximum() + 0.5));
    }
    m_updatingSliders = false;
}

double RVXAppDelegate::positionSliderValue() const {
    return videoPositionSlider->value() / double(videoPositionSlider->maximum());
}

void RVXAppDelegate::updateVideoUI() {
    const RVXMediaRef media = m_mediaList->mediaAtIndex(m_mediaIndex);
    if (!media)
        return;
    const RVXMediaPairRef pair = m_mediaList->findMediaPairWithFileName(media->mediaName());
    RVXMediaRef main = media;
    RVXMediaRef partner =
        pair ? (media->isRearMedia() ? pair->frontMedia() : pair->rearMedia()) : nullptr;
    // The chosen recording could not be played: its partner plays alone in the main view
    // and leads the time, the slider and the read-out; the small view says why.
    const bool partnerLeads = partner && media->path() == m_unplayablePath;
    if (partnerLeads) {
        main = partner;
        partner = nullptr;
    }
    subVideoContainerView->setMessage(
        partnerLeads
            ? RVXLocalizedString("player.cannot_play_fmt").arg(QFileInfo(media->path()).fileName())
            : QString());
    player1->setMedia(VLCMedia::mediaWithPath(main->path()));
    if (main->isRearMedia()) {
        player1BackgroundView->setLogoImage(TKImageNamed(QStringLiteral("v1_rear_logo")));
        player2BackgroundView->setLogoImage(TKImageNamed(QStringLiteral("v2_front_logo")));
    } else {
        player1BackgroundView->setLogoImage(TKImageNamed(QStringLiteral("v1_front_logo")));
        player2BackgroundView->setLogoImage(TKImageNamed(QStringLiteral("v2_rear_logo")));
    }
    if (partner) {
        player2->setMedia(VLCMedia::mediaWithPath(partner->path()));
    } else {
        player2->stop();
        player2->setMedia(nullptr);
    }
    const bool alone = !hasMedia(player2);
    video2View->setVisible(!alone && video2View->isVisible());
    audioToggleButton->setVisible(!alone);
}

bool RVXAppDelegate::playAtIndex(int64_t index) {
    const qsizetype count = m_mediaList->count();
    if (m_died || count == 0 || m_waitingForPlayStart)
        return false;
    index = std::clamp<int64_t>(index, 0, count - 1);
    m_waitingForPlayStart = true;
    if (index != m_mediaIndex)
        m_unplayablePath.clear();

    clearPlayers();
    m_mediaIndex = index;
    mediaListTableView->selectionModel()->select(m_tableModel->index(int(index), 0),
                                                 QItemSelectionModel::ClearAndSelect |
                                                     QItemSelectionModel::Rows);
    mediaListTableView->scrollTo(m_tableModel->index(int(index), 0));

    m_preparingPlayNext = false;
    videoContainerView->setMessage(QString());
    startTimerPlayNext();
    updateVideoUI();
    showLoading(QStringLiteral("Loading..."));

    // The telemetry belongs to the pair's front recording; a lone recording, front or
    // rear, carries its own, and so does a rear whose front holds none (empty, cut short).
    QStringList telemetryPaths;
    const bool rearInMain =
        hasMedia(player1) && player1->media()->mediaDirection() == RVXMediaDirectionRear;
    if (rearInMain && hasMedia(player2))
        telemetryPaths << player2->media()->path();
    if (hasMedia(player1))
        telemetryPaths << player1->media()->path();

    const uint64_t generation = ++m_startGeneration;
    QPointer<RVXAppDelegate> self(this);
    QThreadPool::globalInstance()->start([self, generation, telemetryPaths] {
        // Read into a record of its own: the UI keeps reading the previous one until
        // the new one is handed over.
        auto data = std::make_shared<RVXBlackBoxData>();
        for (const QString& path : telemetryPaths) {
            if (data->ExtractStreamInformation(QFile::encodeName(path).constData()))
                break;
        }
        // The controller may be going away on the UI thread meanwhile, so the result
        // goes to the application, which outlives this pool's work, and only there,
        // on the UI thread, is the controller looked for.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, generation, data] {
                if (self)
                    self->didReadTelemetry(generation, std::move(*data));
            },
            Qt::QueuedConnection);
    });
    return true;
}

void RVXAppDelegate::didReadTelemetry(uint64_t generation, RVXBlackBoxData data) {
    // A stop or a newer start since: this read is for nobody.
    if (m_died || generation != m_startGeneration)
        return;
    *m_blackBoxData = std::move(data);
    graphView->setGraphData(m_blackBoxData->m_GSensors);
    evaluateMapScript(RVXTelemetryReadout::trackScript(*m_blackBoxData));
    initMediaControlView();
    player1->play();
    if (hasMedia(player2))
        player2->play();
}

void RVXAppDelegate::initMediaControlView() {
    m_waitingForPlayStart = true;
    setPositionSliders(0);
    setVideoScaleIndex(0);
    updateSideViewButton();
    m_playInfo->setSpeed(1.0);
    player1->setRate(1.0f);
    player2->setRate(1.0f);
    m_playInfo->setPosition(0);
    gsensorXField->setText(QStringLiteral("X=+0.00"));
    gsensorYField->setText(QStringLiteral("Y=+0.00"));
    gsensorZField->setText(QStringLiteral("Z=+0.00"));
    speedField->clear();
    hdopField->clear();
    sateliteField->clear();
}

void RVXAppDelegate::changeAndPlay() {
    const QModelIndexList rows = mediaListTableView->selectionModel()->selectedRows();
    const int64_t selectedRow = rows.isEmpty() ? -1 : rows.first().row();
    RVXLog(RVXCFormat("selectedRow=%ld,mediaIndex=%ld,isPlaying=%d,count=%ld", long(selectedRow),
                      long(m_mediaIndex), int(player1->isPlaying()), long(m_mediaList->count())));
    if (selectedRow < 0)
        return;
    // A row whose start failed has nothing loaded: a double-click tries it again.
    if (selectedRow != m_mediaIndex || !hasMedia(player1)) {
        playAtIndex(selectedRow);
        return;
    }
    if (isPaused(player1)) {
        player1->setPosition(0);
        player2->setPosition(0);
    }
    player1->play();
    if (hasMedia(player2)) {
        player2->play();
        syncVideoPositionDelay(0.1);
    }
}

void RVXAppDelegate::mediaPlayerStateChanged(VLCMediaPlayer*) {
    updateVideoViewsVisibility();
    updateCaptureActions();
    if (handleFailedStart())
        return;
    const bool p1 = hasMedia(player1) && player1->isPlaying();
    const bool p2 = hasMedia(player2) && player2->isPlaying();
    if (hasMedia(player1) && hasMedia(player2)) {
        if (isPaused(player1) && isPaused(player2)) {
            didFinishPlay();
            return;
        }
        if (!(p1 && p2))
            return;
    } else if (hasMedia(player1)) {
        if (isPaused(player1)) {
            didFinishPlay();
            return;
        }
        if (!p1)
            return;
    } else {
        return;
    }
    if (m_waitingForPlayStart) {
        m_waitingForPlayStart = false;
        didStartPlayer();
    } else {
        updateAudioUI();
    }
}

void RVXAppDelegate::didStartPlayer() {
    if (!hasMedia(player1))
        return;
    m_playInfo->setSpeed(player1->rate());
    m_playInfo->setIsPlaying(isPlaying(player1));
    chooseAudioAuto();
    // The heard side may be the one the last recording had, so choosing it notifies
    // nobody; the mute states still belong to the last recording's players (a swap
    // left the front in player2).
    updateAudioUI();
    if (m_playInfo->scale() == 0 && player1->hasVideoOut() && player1->videoSize().width() > 0)
        updatePlayInfoScale();
}

void RVXAppDelegate::didFinishPlay() {
    m_playInfo->setPosition(player1->position());
    m_playInfo->setIsPlaying(isPlaying(player1));
}

bool RVXAppDelegate::isPlaying(const VLCMediaPlayer* player) const {
    return hasMedia(player) && player->isPlaying() &&
           player->remainingTime().stringValue() != QLatin1String("00:00");
}

bool RVXAppDelegate::hasAudio(const VLCMediaPlayer* player) const {
    return hasMedia(player);
}

void RVXAppDelegate::mediaPlayerTimeChanged(VLCMediaPlayer* player) {
    updateVideoViewsVisibility();
    m_preparingPlayNext = false;
    if (!m_stopVideoLoadingView) {
        hideLoading();
        chooseAudioAuto();
    }
    // The video output often appears only after the first playing state.
    if (m_playInfo->scale() == 0)
        updatePlayInfoScale();
    m_playInfo->setIsPlaying(isPlaying(player1));
    const VLCTime time = player1->time();
    timeField->setText(time.stringValue() + QStringLiteral(" / ") +
                       player1->mediaLength().stringValue());
    if (m_moving) {
        m_positionPublicationCounter = -1;
        if (m_movingPosition > 0)
            m_playInfo->setPosition(m_movingPosition);
        return;
    }
    if (player != player1)
        return;
    m_positionPublicationCounter = (m_positionPublicationCounter + 1) % 3;
    if (m_positionPublicationCounter == 0)
        m_playInfo->setPosition(player1->position());
}

void RVXAppDelegate::clickPlayButton() {
    if (!hasMedia(player1))
        return;
    if (m_playInfo->isPlaying()) {
        for (VLCMediaPlayer* p : {player1, player2}) {
            if (isPlaying(p))
                p->pause();
        }
        // At once, not when libVLC's report comes: a second press before it (Space
        // twice) must resume, not pause again and leave the recording stopped short of
        // its end, where nothing moves on to the next one.
        m_playInfo->setIsPlaying(false);
        return;
    }
    if (player1->position() >= 0.998f) {
        const double slider = positionSliderValue();
        if (slider >= 0.998) {
            const int64_t index = m_mediaIndex;
            clearPlayers();
            playAtIndex(index);
            return;
        }
        const VLCTime time(int64_t(slider * double(player1->mediaLength().intValue())));
        player1->setTime(time);
        player2->setTime(time);
        QTimer::singleShot(100, this, [this] {
            if (m_died)
                return;
            player1->play();
            if (hasMedia(player2))
                player2->play();
        });
        return;
    }
    player1->play();
    if (hasMedia(player2)) {
        player2->play();
        syncVideoPositionDelay(0.3);
    }
}

void RVXAppDelegate::syncVideoPositionDelay(double seconds) {
    if (!hasMedia(player1) || !hasMedia(player2)) {
        m_moving = false;
        return;
    }
    const uint64_t generation = ++m_syncGeneration;
    QTimer::singleShot(int(seconds * 1000), this, [this, generation] {
        m_moving = false;
        alignSecondPlayer(generation, 0, 0);
    });
}

namespace {
constexpr int64_t kFrameMs = 33;
constexpr int kClockWaitMs = 50;
constexpr int kMaxClockWaits = 30;
constexpr int kMaxCorrections = 3;
} // namespace

// Copying player1's position, as published, leaves player2 behind by up to a quarter
// of a second (libVLC publishes the time four times a second) plus the time its seek
// takes. So player2 is moved only when the two running clocks differ by more than a
// frame, to where player1 will be once player2's seek has taken effect, and checked
// again once player2's clock runs; each check also corrects the seek's expected delay.
void RVXAppDelegate::alignSecondPlayer(uint64_t generation, int waits, int corrections) {
    if (generation != m_syncGeneration || !hasMedia(player1) || !hasMedia(player2))
        return;
    const bool bothPlay = player1->state() == VLCMediaPlayerStatePlaying &&
                          player2->state() == VLCMediaPlayerStatePlaying;
    const std::optional<int64_t> first = player1->clockTime();
    const std::optional<int64_t> second = player2->clockTime();
    if (!first || !second) {
        // Paused players show where they stand, so the published position is exact.
        if (!bothPlay || waits >= kMaxClockWaits) {
            if (corrections == 0)
                player2->setPosition(player1->position());
            return;
        }
        QTimer::singleShot(kClockWaitMs, this, [this, generation, waits, corrections] {
            alignSecondPlayer(generation, waits + 1, corrections);
        });
        return;
    }
    const int64_t lag = *first - *second;
    if (corrections > 0)
        m_seekLatencyMs = std::clamp<int64_t>(m_seekLatencyMs + lag, 0, 1000);
    if (std::abs(lag) <= kFrameMs || corrections >= kMaxCorrections)
        return;
    player2->setTime(VLCTime(*first + m_seekLatencyMs));
    QTimer::singleShot(kClockWaitMs, this, [this, generation, corrections] {
        alignSecondPlayer(generation, 0, corrections + 1);
    });
}

void RVXAppDelegate::videoPositionSliderMoved(double value) {
    RVXLog(
        RVXCFormat("[%s] position slider moved:%lf <=> %lf", "D ", m_playInfo->position(), value));
    m_playInfo->setIsPlaying(isPlaying(player1));
    if (m_moving)
        return;
    if (value >= 0.998) {
        for (VLCMediaPlayer* p : {player1, player2}) {
            if (hasMedia(p))
                p->setTime(p->mediaLength());
        }
        followPausedSeek(1.0);
        return;
    }
    m_moving = true;
    m_movingPosition = value;
    player1->setPosition(float(value));
    player2->setPosition(float(value));
    followPausedSeek(value);
    syncVideoPositionDelay(0.3);
}

// A paused player reports no time after a seek, so nothing would follow it: the time,
// the knob, the graph's marker and the read-out take the seek's target instead.
void RVXAppDelegate::followPausedSeek(double position) {
    if (!hasMedia(player1) || player1->state() == VLCMediaPlayerStatePlaying)
        return;
    position = std::clamp(position, 0.0, 1.0);
    m_playInfo->setPosition(position);
    const VLCTime length = player1->mediaLength();
    timeField->setText(VLCTime(int64_t(position * length.intValue())).stringValue() +
                       QStringLiteral(" / ") + length.stringValue());
}

void RVXAppDelegate::jumpForward() {
    RVXLog(QStringLiteral("[D ] _player1.time=%1,remainingTime.stringValue=%2")
               .arg(player1->time().stringValue(), player1->remainingTime().stringValue()));
    if (m_moving || !hasMedia(player1))
        return;
    if (player1->remainingTime().intValue() / 1000.0 > -10) {
        for (VLCMediaPlayer* p : {player1, player2}) {
            if (hasMedia(p))
                p->setTime(p->mediaLength());
        }
        followPausedSeek(1.0);
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
    m_movingPosition = player1->position();
    animateSwap();
    player1->audio()->setMute(true);
    player2->audio()->setMute(true);

    const uint64_t generation = ++m_syncGeneration;
    QTimer::singleShot(800, this, [this, p, generation] {
        if (m_died)
            return;
        m_moving = false;
        player1->setPosition(p);
        player2->setPosition(p);
        alignSecondPlayer(generation, 0, 0);
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

void RVXAppDelegate::startTimerPlayNext() {
    if (m_playStopTimer)
        m_playStopTimer->stop();
    else
        m_playStopTimer = new QTimer(this);
    m_playStopTimer->setInterval(1000);
    m_playStopTimer->disconnect();
    connect(m_playStopTimer, &QTimer::timeout, this, &RVXAppDelegate::timerPlayNext);
    m_playStopTimer->start();
}

void RVXAppDelegate::timerPlayNext() {
    if (m_died || m_preparingPlayNext || !isPaused(player1) || player1->position() < 0.95f)
        return;
    m_preparingPlayNext = true;
    // Cancelled when playback moved on meanwhile (a time event or a new start clears
    // the flag): a replay or seek in that second must not be followed by a jump to
    // the next recording.
    QTimer::singleShot(1000, this, [this] {
        if (m_preparingPlayNext && !m_died)
            playNext();
    });
}

bool RVXAppDelegate::playNext() {
    const RVXMediaRef media = m_mediaList->mediaAtIndex(m_mediaIndex);
    if (!media)
        return false;
    const RVXMediaPairRef pair = m_mediaList->findMediaPairWithFileName(media->mediaName());
    // The two sides of a pair are adjacent, front first: from the front the next
    // recording is two rows on, from the rear one row.
    const bool pairFromFront =
        pair && pair->frontMedia() && pair->rearMedia() && media->isFrontMedia();
    const int64_t next = m_mediaIndex + (pairFromFront ? 2 : 1);
    if (next >= m_mediaList->count())
        return false;
    return playAtIndex(next);
}

void RVXAppDelegate::stopPlay() {
    // A telemetry read still running is for a recording that is no longer wanted.
    ++m_startGeneration;
    m_waitingForPlayStart = false;
    for (VLCMediaPlayer* p : {player1, player2}) {
        if (!p)
            continue;
        p->pause();
        p->stop();
        p->setMedia(nullptr);
    }
    if (m_playInfo)
        m_playInfo->setIsPlaying(false);
    updateCaptureActions();
}
