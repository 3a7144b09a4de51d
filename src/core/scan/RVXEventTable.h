// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/catalogue/RVXTrip.h"
#include "core/scan/RVXCardScan.h"

#include <QString>

#include <optional>
#include <vector>

// One line of the Events view: a found event, or an event recording in which none was
// found (the camera thought something happened; the user may want to look).
struct RVXEventRow {
    double moment = 0; // camera local seconds, as trips count them
    // The unit's standing recording, and where a double-click starts it: a second before
    // the moment, so the moment itself is seen coming.
    RVXMediaRef media;
    double playSecond = 0;
    // None for an event recording with nothing found.
    std::optional<RVXScanEvent::Kind> kind;
    QString timeText, fullTimeText, kindText, peakText, speedText, placeText;
    std::optional<double> latitude, longitude;
};

// What the Events view, the map and the marks on the graph and slider show of a scan.
class RVXEventTable {
public:
    static constexpr double kLeadSeconds = 1.0;

    RVXEventTable() = default;
    // units are the ones scanned: they give the quiet event recordings their start.
    RVXEventTable(const RVXCardScan::Result& result, const std::vector<RVXTripUnit>& units);

    const std::vector<RVXEventRow>& rows() const { return m_rows; }
    const std::vector<RVXScanEvent>& events() const { return m_events; }

    // setEvents([[longitude, latitude, kind, label], ...]) for the map page: the events
    // with a place.
    QString mapScript() const;
    // The impacts of the unit whose standing recording is media, 0 to 1 along length.
    std::vector<double> impactPositions(const RVXMediaRef& media, double length) const;
    // The impacts of a trip's units, 0 to 1 along the trip.
    std::vector<double> impactPositions(const RVXTrip& trip) const;

private:
    std::vector<RVXScanEvent> m_events;
    std::vector<RVXEventRow> m_rows;
};
