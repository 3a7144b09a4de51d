// SPDX-License-Identifier: GPL-3.0-or-later
// A trip's borders: the next segment's pair made ready under the views on screen, and
// the handover to it.
#include "gui/trips/RVXTripController.h"

#include "core/playback/RVXPlayInfo.h"
#include "core/support/RVXLog.h"
#include "gui/player/RVXAppDelegate.h"
#include "gui/player/RVXScrollableVideoContainerView.h"
#include "gui/player/VLCMediaPlayer.h"
#include "gui/player/VLCVideoView.h"
#include "gui/trips/RVXTripSparePair.h"
#include "widgets/TKImageButton.h"

#include <QCoreApplication>
#include <QThreadPool>
#include <QTimer>

#include <algorithm>
#include <cmath>

#include <vlc/vlc.h>

namespace {
// The handover runs this long before the border: the last picture of the old pair stays
// on screen until the new pair's first one replaces it.
constexpr double kHandoverLeadSeconds = 0.04;

bool hasMedia(const VLCMediaPlayer* player) {
    return player && player->media();
}
} // namespace

void RVXTripController::unitTimeChanged() {
    if (m_timeline && m_pausedStartSecond && !d->m_waitingForPlayStart && hasMedia(d->player1)) {
        holdPausedStart();
        return;
    }
    if (!m_timeline || d->m_moving || d->m_swapping || !hasMedia(d->player1))
        return;
    const std::optional<int64_t> clock = d->player1->clockTime();
    if (!clock)
        return;
    const double left = m_timeline->secondsToBorder(m_segment, double(*clock) / 1000);
    if (!m_timeline->hasNext(m_segment))
        return;
    // The trip's first picture is out: the next border's pair can be made now.
    makeSparePlayers();
    if (left <= 0) {
        // The border went by unnoticed (the spare pair was not ready in time).
        if (m_spare->segment)
            handOver();
        else
            startSegment(m_segment + 1, m_timeline->segment(m_segment + 1).unitStart);
        return;
    }
    if (!m_spare->segment && left <= RVXTripTimeline::kPrepareSeconds)
        prepareNext();
    if (m_spare->segment && !m_spare->handoverScheduled && left <= 1.0)
        scheduleHandover();
}

// The next segment's pair, loaded paused at its first picture under the views on
// screen, the sides as they are now (a swapped pair keeps the rear in the main view).
void RVXTripController::prepareNext() {
    RVXTripSparePair& s = *m_spare;
    const size_t next = m_segment + 1;
    const RVXTripSegment& segment = m_timeline->segment(next);
    const RVXTripUnit& unit = m_timeline->unitOf(next);
    // Swapped means the front in the small view: a rear alone in the main view (its front
    // could not be played, or there is none) is no swap to keep.
    const bool rearInMain =
        d->player1->media()->mediaDirection() == RVXMediaDirectionRear && hasMedia(d->player2);
    RVXMediaRef main = unit.media, partner = unit.partner;
    if (rearInMain && partner && partner->isRearMedia())
        std::swap(main, partner);
    // These players may still be stopping from the last border (a short unit).
    m_releases.waitForDone();
    const auto load = [&](VLCMediaPlayer* player, VLCVideoView* view, VLCVideoView* onScreen,
                          const RVXMediaRef& media) {
        player->stop();
        if (!media) {
            player->setMedia(nullptr);
            view->hide();
            return;
        }
        view->stackUnder(onScreen);
        view->show();
        VLCMediaRef m = VLCMedia::mediaWithPath(media->path());
        if (!m)
            return;
        if (segment.unitStart > 0)
            m->addOption(QStringLiteral(":start-time=%1").arg(segment.unitStart, 0, 'f', 3));
        player->setMedia(m);
        player->audio()->setMute(true);
        player->setRate(d->player1->rate());
        player->play();
    };
    load(s.player1, s.view1, d->video1View, main);
    load(s.player2, s.view2, d->video2View, partner);
    s.segment = next;
    s.warm.clear();
    const uint64_t generation = ++s.generation;
    s.data.reset();

    // The telemetry belongs to the pair's front recording; a lone recording has its own.
    QStringList paths;
    if (unit.partner && unit.partner->isFrontMedia())
        paths << unit.partner->path();
    paths << unit.media->path();
    QPointer<RVXTripController> self(this);
    QThreadPool::globalInstance()->start([self, generation, paths] {
        auto data = std::make_shared<RVXBlackBoxData>();
        data->extractFirstReadable(paths);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, generation, data] {
                if (self && self->m_spare->generation == generation)
                    self->m_spare->data = data;
            },
            Qt::QueuedConnection);
    });
}

// A player loaded paused has opened its file but decoded nothing, and resuming it takes
// a fifth of a second before its first picture. So the spare pair plays, muted, until its
// first picture has come, then waits paused at the segment's start with its decoders
// running; the resume at the border shows the next frame at once.
void RVXTripController::spareTimeChanged(VLCMediaPlayer* player) {
    RVXTripSparePair& s = *m_spare;
    if (!s.segment || (player != s.player1 && player != s.player2) ||
        std::find(s.warm.begin(), s.warm.end(), player) != s.warm.end())
        return;
    s.warm.push_back(player);
    player->pause();
    player->setTime(VLCTime(int64_t(m_timeline->segment(*s.segment).unitStart * 1000)));
}

// The pair on screen paused itself at its recording's end (it plays and pauses) at the
// border: the spare pair takes over now rather than when the timer says.
void RVXTripController::playerStateChanged(VLCMediaPlayer* player) {
    if (!m_timeline || !m_spare->segment || player != d->player1 ||
        player->state() != VLCMediaPlayerStatePaused)
        return;
    // At its end, not paused by the user a moment before it.
    const bool atEnd = player->remainingTime().intValue() > -100;
    const double left = m_timeline->secondsToBorder(m_segment, player->time().intValue() / 1000.0);
    if (atEnd && left < 0.5)
        handOver();
}

void RVXTripController::scheduleHandover() {
    const std::optional<int64_t> clock = d->player1->clockTime();
    if (!clock)
        return;
    const double rate = std::max(0.1f, d->player1->rate());
    const double left = m_timeline->secondsToBorder(m_segment, double(*clock) / 1000);
    const int ms = std::max(0, int(std::lround((left - kHandoverLeadSeconds) / rate * 1000)));
    m_spare->handoverScheduled = true;
    const uint64_t generation = m_spare->generation;
    QTimer::singleShot(ms, Qt::PreciseTimer, this, [this, generation] {
        if (m_spare->generation == generation && m_spare->segment && !d->m_died)
            handOver();
    });
}

// The spare pair runs on from its first picture and takes the views' places; the pair
// that played lets go. The heard side, rate, volume and swap state stay as they were.
void RVXTripController::handOver() {
    RVXTripSparePair& s = *m_spare;
    if (!m_timeline || !s.segment)
        return;
    if (d->m_swapping) {
        QTimer::singleShot(100, this, [this] { handOver(); });
        return;
    }
    const size_t next = *s.segment;
    // The rate may have changed since the pair was loaded.
    for (VLCMediaPlayer* p : {s.player1, s.player2}) {
        if (hasMedia(p)) {
            p->setRate(d->player1->rate());
            p->play();
        }
    }
    std::swap(d->player1, s.player1);
    std::swap(d->player2, s.player2);
    std::swap(d->video1View, s.view1);
    std::swap(d->video2View, s.view2);
    d->videoContainerView->setVideoView(d->video1View);
    d->videoContainerView->setSpareView(s.view1);
    d->subVideoContainerView->setVideoView(d->video2View);
    d->subVideoContainerView->setSpareView(s.view2);
    // libVLC's stop waits for the decoders and the picture to go; on the UI thread it
    // would hold back the raise of the new views, and the old pictures would stand.
    for (VLCMediaPlayer* old : {s.player1, s.player2})
        releaseAsync(old);
    s.view1->hide();
    s.view2->hide();
    s.segment.reset();
    s.handoverScheduled = false;
    ++s.generation;
    if (s.data)
        *d->m_blackBoxData = std::move(*s.data);
    else
        d->m_blackBoxData->clear();
    s.data.reset();

    m_segment = next;
    // The new pair publishes its clock a few tenths of a second from now. Until then the
    // time field, the knob and the read-out stand at the border, not at the old
    // recording's fraction (near 1) taken on the new one, which is the new one's end.
    if (const double length = unitLength(); length > 0)
        d->m_playInfo->setPosition(
            std::clamp(m_timeline->segment(next).unitStart / length, 0.0, 1.0));
    d->m_mediaIndex = mediaIndexOf(m_timeline->unitOf(next));
    markPlayingUnit();
    d->updatePlayerLogos();
    d->audioToggleButton->setVisible(hasMedia(d->player2));
    d->updateVideoViewsVisibility();
    d->updateAudioUI();
    d->syncVideoPositionDelay(0.3);
    ++m_handovers;
    RVXLog(QStringLiteral("[D ] trip border: segment %1").arg(next));
    Q_EMIT handedOver(next);
}

void RVXTripController::releaseAsync(VLCMediaPlayer* player) {
    if (!hasMedia(player))
        return;
    player->pause();
    QPointer<RVXTripController> self(this);
    QPointer<VLCMediaPlayer> target(player);
    libvlc_media_player_t* raw = player->player();
    m_releases.start([self, target, raw] {
        libvlc_media_player_stop(raw);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, target] {
                // Prepared again meanwhile (a border soon after the last): it is in use.
                if (self && target && !self->isSpareInUse(target))
                    target->setMedia(nullptr);
            },
            Qt::QueuedConnection);
    });
}

bool RVXTripController::isSpareInUse(const VLCMediaPlayer* player) const {
    return player == d->player1 || player == d->player2 || m_spare->segment.has_value();
}

void RVXTripController::releaseSpare() {
    RVXTripSparePair& s = *m_spare;
    ++s.generation;
    s.segment.reset();
    s.handoverScheduled = false;
    s.data.reset();
    for (VLCMediaPlayer* p : {s.player1, s.player2}) {
        if (hasMedia(p)) {
            p->stop();
            p->setMedia(nullptr);
        }
    }
    for (VLCVideoView* v : {s.view1, s.view2}) {
        if (v)
            v->hide();
    }
}

bool RVXTripController::unitEnded() {
    if (!m_timeline || !m_timeline->hasNext(m_segment))
        return false;
    if (m_spare->segment)
        handOver();
    else
        startSegment(m_segment + 1, m_timeline->segment(m_segment + 1).unitStart);
    return true;
}
