// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/scan/RVXEventTable.h"

#include "core/catalogue/RVXMedia.h"
#include "core/support/RVXCFormat.h"
#include "core/support/RVXLocalizedString.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>

namespace {

QDateTime clockTime(double moment) {
    return RVXTrip::clockTimeOf(0).addMSecs(std::llround(moment * 1000));
}

// The year is left to the row's tooltip: the view is narrow and a card holds weeks.
QString timeText(double moment) {
    return clockTime(moment).toString(QStringLiteral("MM-dd HH:mm:ss"));
}

QString fullTimeText(double moment) {
    return clockTime(moment).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

const char* kindKey(RVXScanEvent::Kind kind) {
    switch (kind) {
    case RVXScanEvent::Kind::Impact:
        return "events.impact";
    case RVXScanEvent::Kind::Braking:
        return "events.braking";
    case RVXScanEvent::Kind::Acceleration:
        return "events.acceleration";
    }
    return "events.impact";
}

RVXEventRow rowOf(const RVXScanEvent& e) {
    RVXEventRow row;
    row.moment = e.moment;
    row.media = e.media;
    row.playSecond = std::max(0.0, e.offset - RVXEventTable::kLeadSeconds);
    row.kind = e.kind;
    row.timeText = timeText(e.moment);
    row.fullTimeText = fullTimeText(e.moment);
    row.kindText = RVXLocalizedString(kindKey(e.kind));
    row.peakText = e.kind == RVXScanEvent::Kind::Impact
                       ? RVXCFormat("%.2f g (%s)", e.magnitude, qPrintable(e.axes))
                       : RVXCFormat("%.1f", e.acceleration) + QStringLiteral(" m/s\u00b2");
    row.speedText = e.speedKmh ? RVXCFormat("%.0f km/h", *e.speedKmh) : QString();
    if (e.latitude && e.longitude)
        row.placeText = RVXCFormat("%.6f, %.6f", *e.latitude, *e.longitude);
    row.latitude = e.latitude;
    row.longitude = e.longitude;
    return row;
}

} // namespace

RVXEventTable::RVXEventTable(const RVXCardScan::Result& result,
                             const std::vector<RVXTripUnit>& units)
    : m_events(result.events) {
    for (const RVXScanEvent& e : m_events)
        m_rows.push_back(rowOf(e));
    for (const RVXMediaRef& media : result.quietEventRecordings) {
        const auto unit = std::find_if(units.begin(), units.end(),
                                       [&](const RVXTripUnit& u) { return u.media == media; });
        if (unit == units.end())
            continue;
        RVXEventRow row;
        row.moment = double(unit->start);
        row.media = media;
        row.timeText = timeText(row.moment);
        row.fullTimeText = fullTimeText(row.moment);
        row.kindText = RVXLocalizedString("events.quiet_recording");
        m_rows.push_back(row);
    }
    std::stable_sort(m_rows.begin(), m_rows.end(), [](const RVXEventRow& a, const RVXEventRow& b) {
        return a.moment < b.moment;
    });
}

QString RVXEventTable::mapScript() const {
    QStringList items;
    for (const RVXEventRow& row : m_rows) {
        if (!row.kind || !row.latitude || !row.longitude)
            continue;
        QString label = row.kindText + QStringLiteral(", ") + row.fullTimeText.left(19);
        label.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
        items << RVXCFormat("[%.6f,%.6f,\"%s\",\"%s\"]", *row.longitude, *row.latitude,
                            RVXScanEvent::kindName(*row.kind), qPrintable(label));
    }
    return QStringLiteral("setEvents([") + items.join(u',') + QStringLiteral("])");
}

std::vector<double> RVXEventTable::impactPositions(const RVXMediaRef& media, double length) const {
    std::vector<double> out;
    if (!media || length <= 0)
        return out;
    for (const RVXScanEvent& e : m_events) {
        if (e.kind == RVXScanEvent::Kind::Impact && e.media == media)
            out.push_back(std::clamp(e.offset / length, 0.0, 1.0));
    }
    return out;
}

std::vector<double> RVXEventTable::impactPositions(const RVXTrip& trip) const {
    std::vector<double> out;
    const double seconds = trip.seconds();
    if (seconds <= 0)
        return out;
    for (const RVXTripUnit& unit : trip.units()) {
        for (const RVXScanEvent& e : m_events) {
            if (e.kind == RVXScanEvent::Kind::Impact && e.media == unit.media)
                out.push_back(std::clamp((unit.offset + e.offset) / seconds, 0.0, 1.0));
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}
