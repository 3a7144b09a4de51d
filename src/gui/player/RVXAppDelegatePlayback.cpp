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
#include "gui/repair/RVXRepairController.h"
#include "gui/scan/RVXEventsController.h"
#include "gui/trips/RVXTripController.h"
#include "widgets/TKImageButton.h"
#include "widgets/TKVideoBackgroundImageView.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPointer>
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

// No picture, no scale: "0.00x" before anything plays would read as a setting.
QString RVXAppDelegate::scaleText(double scale) {
    return scale > 0 ? RVXCFormat("%.2fx", scale) : QStringLiteral("\u2013");
}

void RVXAppDelegate::observePlayInfo() {
    connect(m_playInfo, &RVXPlayInfo::speedChanged, this,
            [this](double speed) { speedTextButton->setText(RVXCFormat("%.1fx", speed)); });
    connect(m_playInfo, &RVXPlayInfo::scaleChanged, this,
            [this](double scale) { sizeTextButton->setText(scaleText(scale)); });
    connect(m_playInfo, &RVXPlayInfo::isPlayingChanged, this, [this](bool playing) {
        setPlayButtonsImage(playing ? QStringLiteral("icon_pause_n")
                                    : QStringLiteral("icon_play_n"));
    });
    connect(m_playInfo, &RVXPlayInfo::positionChanged, this, [this](double position) {
        const double shown = m_trips->playsTrip() ? m_trips->sliderPosition(position) : position;
        setPositionSliders(shown >= 1.0 ? 1.0 : shown);
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

void RVXAppDelegate::updatePlayerLogos() {
    const bool rearInMain =
        hasMedia(player1) && player1->media()->mediaDirection() == RVXMediaDirectionRear;
    player1BackgroundView->setLogoImage(TKImageNamed(rearInMain ? QStringLiteral("v1_rear_logo")
                                                                : QStringLiteral("v1_front_logo")));
    player2BackgroundView->setLogoImage(TKImageNamed(rearInMain ? QStringLiteral("v2_front_logo")
                                                                : QStringLiteral("v2_rear_logo")));
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
    if (partnerLeads)
        m_repairs->offerRepair(subVideoContainerView, media->path());
    const auto load = [start = std::exchange(m_startSecond, 0.0)](const QString& path) {
        VLCMediaRef m = VLCMedia::mediaWithPath(path);
        if (m && start > 0)
            m->addOption(QStringLiteral(":start-time=%1").arg(start, 0, 'f', 3));
        return m;
    };
    player1->setMedia(load(main->path()));
    updatePlayerLogos();
    if (partner) {
        player2->setMedia(load(partner->path()));
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

    // The pictures do not wait for the telemetry: both players start now, and the track,
    // read meanwhile on a worker, reaches the graph and the map when it is there (within
    // milliseconds, long before the first position is published). Until then the
    // read-out has no samples rather than the last recording's.
    m_blackBoxData->clear();
    // A trip's graph and map show the whole drive's curve and track, whichever of its
    // recordings starts; only the read-out takes the recording's own samples.
    if (!m_trips->playingTelemetry())
        graphView->setGraphData(m_blackBoxData->m_GSensors);
    initMediaControlView();
    player1->play();
    if (hasMedia(player2))
        player2->play();

    const uint64_t generation = ++m_startGeneration;
    QPointer<RVXAppDelegate> self(this);
    QThreadPool::globalInstance()->start([self, generation, telemetryPaths] {
        // Read into a record of its own: the UI keeps reading the previous one until
        // the new one is handed over.
        auto data = std::make_shared<RVXBlackBoxData>();
        data->extractFirstReadable(telemetryPaths);
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
    // The read often comes after the players started and the trip's curve was shown.
    if (m_trips->playingTelemetry())
        return;
    graphView->setGraphData(m_blackBoxData->m_GSensors);
    m_events->showImpactMarks();
    evaluateMapScript(RVXTelemetryReadout::trackScript(*m_blackBoxData));
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
    clearReadout();
}

void RVXAppDelegate::clearReadout() {
    gsensorXField->setText(QStringLiteral("X=+0.00"));
    gsensorYField->setText(QStringLiteral("Y=+0.00"));
    gsensorZField->setText(QStringLiteral("Z=+0.00"));
    speedField->clear();
    hdopField->clear();
    sateliteField->clear();
}

void RVXAppDelegate::changeAndPlay() {
    // A row of the Files list is a single recording again.
    m_trips->leaveTrip();
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
    m_trips->unitStarted();
}

void RVXAppDelegate::didFinishPlay() {
    if (player1->pausedTime())
        showPausedTime();
    else
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
    // Paused, the picture on screen is where the clock stood at the pause.
    const std::optional<int64_t> paused =
        player1->state() == VLCMediaPlayerStatePaused ? player1->pausedTime() : std::nullopt;
    // While the pair moves (a seek, the swap's reload of both players) the time is where
    // it goes, not the reloaded recording's first second.
    const int64_t length = player1->mediaLength().intValue();
    const VLCTime time = m_moving && m_movingPosition > 0 && length > 0
                             ? VLCTime(int64_t(m_movingPosition * double(length)))
                         : paused ? VLCTime(*paused)
                                  : player1->time();
    timeField->setText(m_trips->playsTrip() ? m_trips->timeText()
                                            : time.stringValue() + QStringLiteral(" / ") +
                                                  player1->mediaLength().stringValue());
    if (player == player1)
        m_trips->unitTimeChanged();
    if (m_moving) {
        m_positionPublicationCounter = -1;
        if (m_movingPosition > 0)
            m_playInfo->setPosition(m_movingPosition);
        return;
    }
    if (player != player1)
        return;
    if (paused) {
        // libVLC's last word of the position is the stale one; the pause stands.
        showPausedTime();
        return;
    }
    m_positionPublicationCounter = (m_positionPublicationCounter + 1) % 3;
    if (m_positionPublicationCounter == 0)
        m_playInfo->setPosition(player1->position());
}

// The time field, the knob, the graph's marker and the read-out at the picture the pause
// left on screen, not at libVLC's last publication up to a quarter second before it.
void RVXAppDelegate::showPausedTime() {
    const std::optional<int64_t> paused = player1->pausedTime();
    const int64_t length = player1->mediaLength().intValue();
    if (!paused || length <= 0)
        return;
    // libVLC may not have paused yet, so this is not a paused seek's to follow.
    m_playInfo->setPosition(std::clamp(double(*paused) / double(length), 0.0, 1.0));
    timeField->setText(m_trips->playsTrip()
                           ? m_trips->timeText()
                           : VLCTime(*paused).stringValue() + QStringLiteral(" / ") +
                                 player1->mediaLength().stringValue());
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
        showPausedTime();
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
    // A trip goes on at its next unit, not at the list's next row, and ends at its end.
    if (m_trips->playsTrip())
        return m_trips->unitEnded();
    const RVXMediaRef media = m_mediaList->mediaAtIndex(m_mediaIndex);
    if (!media)
        return false;
    const RVXMediaPairRef pair = m_mediaList->findMediaPairWithFileName(media->mediaName());
    // The two sides of a pair are adjacent, front first: from the front the next
    // recording is two rows on, from the rear one row. A repaired copy sorts right after
    // the camera's recording it was made from, and the two count as one row here.
    const bool pairFromFront =
        pair && pair->frontMedia() && pair->rearMedia() && media->isFrontMedia();
    const auto sameRecording = [](const RVXMedia& a, const RVXMedia& b) {
        return a.isRepairedCopy() != b.isRepairedCopy() &&
               a.mediaDirection() == b.mediaDirection() &&
               a.mediaGroupNameView() == b.mediaGroupNameView();
    };
    int64_t next = m_mediaIndex;
    RVXMediaRef passed = media;
    for (int rows = pairFromFront ? 2 : 1; rows > 0;) {
        const RVXMediaRef row = m_mediaList->mediaAtIndex(++next);
        if (!row)
            return false;
        if (!sameRecording(*row, *passed))
            --rows;
        passed = row;
    }
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
