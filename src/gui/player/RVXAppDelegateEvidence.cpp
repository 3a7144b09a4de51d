// SPDX-License-Identifier: GPL-3.0-or-later
// The evidence pack from the window: the moment on screen, or an event's.
#include "gui/player/RVXAppDelegate.h"

#include "core/catalogue/RVXMediaList.h"
#include "core/evidence/RVXEvidencePack.h"
#include "core/playback/RVXPlayInfo.h"
#include "gui/evidence/RVXEvidenceController.h"
#include "gui/player/VLCMediaPlayer.h"
#include "gui/scan/RVXEventsController.h"
#include "gui/trips/RVXTripController.h"

std::optional<double> RVXAppDelegate::playingMoment() const {
    if (!player1 || !player1->media())
        return std::nullopt;
    if (const std::optional<size_t> trip = m_trips->playingTrip())
        return double(m_trips->trips()[*trip].start()) + m_trips->tripSecond();
    const RVXMediaRef media = m_mediaList->mediaAtIndex(m_mediaIndex);
    if (!media)
        return std::nullopt;
    const std::optional<int64_t> clock = player1->clockTime();
    const double second = clock ? double(*clock) / 1000 : double(player1->time().intValue()) / 1000;
    return double(RVXTrip::unitOf(media).start) + std::max(0.0, second);
}

void RVXAppDelegate::exportEvidence() {
    const std::optional<double> moment = playingMoment();
    if (!moment)
        return;
    // The picture paused on a knock names it, as its row in the Events view would.
    const std::optional<RVXCardScan::Result>& scan = m_events->result();
    exportEvidenceAt(*moment,
                     scan ? RVXEvidencePack::eventAt(scan->events, *moment) : std::nullopt);
}

void RVXAppDelegate::exportEvidenceAt(double moment, std::optional<RVXScanEvent> event) {
    auto controller = std::make_unique<RVXEvidenceController>(openFolder(), m_trips->trips(),
                                                              moment, std::move(event));
    controller->showWindow();
    setLastDialogController(std::move(controller));
}
