// SPDX-License-Identifier: GPL-3.0-or-later
// Starts that fail: which recording could not be played, and what plays instead.
#include "gui/player/RVXAppDelegate.h"

#include "core/support/RVXLocalizedString.h"
#include "core/support/RVXLog.h"
#include "gui/player/RVXScrollableVideoContainerView.h"
#include "gui/player/VLCMediaPlayer.h"
#include "gui/player/VLCVideoView.h"
#include "gui/repair/RVXRepairController.h"
#include "widgets/TKImageButton.h"

#include <QFileInfo>
#include <QLabel>
#include <QTimer>
#include <QToolButton>

namespace {
bool hasMedia(const VLCMediaPlayer* player) {
    return player && player->media();
}
} // namespace

bool RVXAppDelegate::hasFailed(const VLCMediaPlayer* player) const {
    if (!hasMedia(player))
        return false;
    // By the time the queued report arrives, libVLC has often moved on from the error
    // to the ended state; a recording with :play-and-pause never ends on its own.
    const int state = player->state();
    return state == VLCMediaPlayerStateError || state == VLCMediaPlayerStateEnded ||
           isEmptyPause(player);
}

// A recording cut short of its index (no "moov") opens, finds no stream to play and,
// with :play-and-pause, pauses at once: no length, not a single frame. A recording
// really paused always has its length.
bool RVXAppDelegate::isEmptyPause(const VLCMediaPlayer* player) const {
    return hasMedia(player) && player->state() == VLCMediaPlayerStatePaused &&
           player->mediaLength().intValue() <= 0 && player->time().intValue() <= 0;
}

// A recording that cannot be played (empty, damaged, gone since the walk) must not
// hold every later start back. Without its partner the chosen recording plays on
// alone; without the chosen one its partner plays alone in its place; with neither,
// nothing plays, and the window says so.
bool RVXAppDelegate::handleFailedStart() {
    // A start may look done (both reported playing for a moment) before either recording
    // turns out to hold nothing to play: a partner cut short pauses a moment after it.
    if (!m_waitingForPlayStart && !isEmptyPause(player1) && !isEmptyPause(player2))
        return false;
    if (hasFailed(player1)) {
        const QString path = player1->media()->path();
        RVXLog(QStringLiteral("error=%1 cannot be played").arg(path));
        const bool partnerCanLead = hasMedia(player2) && !hasFailed(player2);
        stopPlay();
        if (partnerCanLead) {
            m_unplayablePath = path;
            // Started again once this report of the old players is done with.
            QTimer::singleShot(0, this, [this, index = m_mediaIndex] {
                if (!m_died && !m_waitingForPlayStart)
                    playAtIndex(index);
            });
            return true;
        }
        hideLoading();
        // Nothing plays: the time of the recording played before is no one's now.
        timeField->setText(QStringLiteral("00:00 / 00:00"));
        videoContainerView->setMessage(
            RVXLocalizedString("player.cannot_play_fmt").arg(QFileInfo(path).fileName()));
        // Cut short by power loss: a copy can be made whole.
        m_repairs->offerRepair(videoContainerView, path);
        updateVideoViewsVisibility();
        return true;
    }
    if (hasFailed(player2)) {
        const QString path = player2->media()->path();
        RVXLog(QStringLiteral("error=%1 cannot be played").arg(path));
        subVideoContainerView->setMessage(
            RVXLocalizedString("player.cannot_play_fmt").arg(QFileInfo(path).fileName()));
        m_repairs->offerRepair(subVideoContainerView, path);
        player2->stop();
        player2->setMedia(nullptr);
        video2View->hide();
        audioToggleButton->hide();
        updateVideoViewsVisibility();
    }
    return false;
}
