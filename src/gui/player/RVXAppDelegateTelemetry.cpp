// SPDX-License-Identifier: GPL-3.0-or-later
// The telemetry read-out in step with the published play position.
#include "gui/player/RVXAppDelegate.h"

#include "core/playback/RVXPlayInfo.h"
#include "core/playback/RVXTelemetryReadout.h"
#include "gui/player/GraphView.h"
#include "gui/player/VLCMediaPlayer.h"
#include "gui/trips/RVXTripController.h"

#include <QLabel>

void RVXAppDelegate::updateGsensorUIByPlayPositon() {
    // The published position: a paused seek publishes its target before the player reports it.
    graphView->updateTimePosition(m_trips->sliderPosition(m_playInfo->position()));
    const std::vector<RVXGSensor>& samples = m_blackBoxData->m_GSensors;
    if (samples.empty())
        return;
    const RVXGSensor& s =
        samples[RVXTelemetryReadout::sampleIndex(m_playInfo->position(), samples.size())];
    gsensorXField->setText(RVXTelemetryReadout::gsensorText('X', s.x));
    gsensorYField->setText(RVXTelemetryReadout::gsensorText('Y', s.y));
    gsensorZField->setText(RVXTelemetryReadout::gsensorText('Z', s.z));
}

void RVXAppDelegate::updateGpsUIByPlayPosition() {
    const RVXTelemetryReadout::Gps gps =
        RVXTelemetryReadout::gps(*m_blackBoxData, m_playInfo->position());
    if (gps.script)
        evaluateMapScript(*gps.script);
    if (gps.speed)
        speedField->setText(*gps.speed);
    if (gps.hdop)
        hdopField->setText(*gps.hdop);
    if (gps.satellites)
        sateliteField->setText(*gps.satellites);
}
