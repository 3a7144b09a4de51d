// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/evidence/RVXEvidenceTelemetry.h"

#include "core/catalogue/RVXMedia.h"
#include "core/evidence/RVXCameraTime.h"
#include "core/support/RVXCFormat.h"
#include "core/telemetry/RVXBlackBoxData.h"
#include "core/telemetry/RVXNmeaToDegrees.h"
#include "core/telemetry/RVXTelemetryExport.h"

#include <QDateTime>
#include <QFile>
#include <QStringList>

#include <cmath>

namespace {

constexpr double kKmhPerKnot = 1.852;

QDateTime clockTime(double camera) {
    return RVXTrip::clockTimeOf(0).addMSecs(std::llround(camera * 1000));
}

std::optional<QDateTime> utcOf(const RVXGpsData& fix) {
    const _SYSTEMTIME& t = fix.Now;
    const QDate date(t.wYear, t.wMonth, t.wDay);
    const QTime time(t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
    if (!fix.gpsValid || t.wYear == 0 || !date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time, Qt::UTC);
}

std::pair<double, double> positionOf(const RVXGpsData& fix) {
    double longitude = 0, latitude = 0;
    RVXFixToDegrees(fix, &longitude, &latitude);
    return {longitude, latitude};
}

bool hasPosition(const RVXGpsData& fix) {
    return fix.gpsValid && !(fix.Latitude == 0 && fix.Longitude == 0);
}

} // namespace

RVXEvidenceTelemetry::RVXEvidenceTelemetry(const RVXEvidencePlan& plan, double cutFrom,
                                           const RVXScanSettings& settings) {
    m_csv = RVXTelemetryExport::csvHeader(true);
    m_gpx = RVXTelemetryExport::gpxStart(
        QStringLiteral("evidence %1").arg(RVXCameraTime::text(plan.moment)));
    std::vector<double> offsets;
    size_t index = 0;
    // The last fix with a position at or before the moment, and its camera time.
    std::optional<std::pair<RVXGpsData, double>> atMoment;
    for (size_t p = 0; p < plan.parts.size(); ++p) {
        const RVXEvidencePart& part = plan.parts[p];
        // The front's telemetry, or the rear's where the front has none to read (a lone
        // rear, or a front cut short).
        QStringList paths;
        for (const RVXMediaRef& m : {RVXEvidencePlan::sideOf(part.unit, false),
                                     RVXEvidencePlan::sideOf(part.unit, true)}) {
            if (m)
                paths << m->path();
        }
        RVXBlackBoxData data;
        if (!data.extractFirstReadable(paths))
            continue;
        if (const auto offset = RVXCardScan::clockOffset(part.unit, data, settings))
            offsets.push_back(*offset);
        const double start = double(part.unit.start);
        const double from = p == 0 ? std::min(cutFrom - start, part.from) : part.from;
        size_t first = SIZE_MAX, last = 0;
        for (size_t k = 0; k < data.m_GSensors.size(); ++k) {
            const double camera = RVXCardScan::sampleTime(part.unit, data, k);
            const double second = camera - start;
            if (second < from - 1e-6 || second > part.to + 1e-6)
                continue;
            first = std::min(first, k);
            last = k + 1;
            RVXEvidenceSheet::Sample s{camera - plan.moment, data.m_GSensors[k].x,
                                       data.m_GSensors[k].y, data.m_GSensors[k].z, std::nullopt};
            if (k < data.m_NMEAs.size() && data.m_NMEAs[k].gpsValid) {
                const RVXGpsData& fix = data.m_NMEAs[k];
                s.speedKmh = fix.SpeedOverGround * kKmhPerKnot;
                if (hasPosition(fix)) {
                    const auto position = positionOf(fix);
                    if (m_sheet.track.empty() || m_sheet.track.back() != position)
                        m_sheet.track.push_back(position);
                }
            }
            m_sheet.samples.push_back(s);
        }
        // The place and the GPS time from the RMC sentences themselves, each in the record it
        // came in: the running fix of a later record still holds that sentence's time.
        const size_t rmcs = std::min(data.m_RMCIndexes.size(), data.m_RMCRecords.size());
        for (size_t j = 0; j < rmcs; ++j) {
            const RVXGpsData& fix = data.m_NMEAs[data.m_RMCIndexes[j]];
            const double camera = RVXCardScan::sampleTime(part.unit, data, data.m_RMCRecords[j]);
            if (camera - start > part.to + 1e-6 || camera > plan.moment + 1e-6)
                break;
            if (hasPosition(fix) && camera - start >= from - 1e-6)
                atMoment = std::pair{fix, camera};
        }
        if (first == SIZE_MAX)
            continue;
        const auto cameraTime = [&](size_t k) {
            return RVXCameraTime::text(RVXCardScan::sampleTime(part.unit, data, k));
        };
        m_csv += RVXTelemetryExport::csvRows(data, {first, last}, cameraTime, index);
        m_gpx += RVXTelemetryExport::gpxPoints(data, {first, last});
        index += last - first;
    }
    m_gpx += RVXTelemetryExport::gpxEnd();

    const RVXClockCheck clock = RVXClockCheck::fromOffsets(offsets);
    if (!settings.zoneKnown)
        m_sheet.clockOffset =
            QStringLiteral("not measured (the card holds no config.bin to tell its time zone)");
    else if (clock.offsetSeconds)
        m_sheet.clockOffset =
            RVXCFormat("%+.1f s (camera minus GPS, ", *clock.offsetSeconds) +
            (clock.units == 1 ? QStringLiteral("from 1 recording). ")
                              : QStringLiteral("the median of %1 recordings). ").arg(clock.units)) +
            clock.sentence();
    else
        m_sheet.clockOffset =
            QStringLiteral("not measured (no recording of the window holds a dated GPS fix)");
    if (atMoment) {
        const auto [fix, camera] = *atMoment;
        const auto [longitude, latitude] = positionOf(fix);
        m_sheet.latitude = latitude;
        m_sheet.longitude = longitude;
        m_sheet.placeText = RVXCFormat(
            "%.6f, %.6f (WGS 84, the last GPS fix at or before the moment)", latitude, longitude);
        if (const auto utc = utcOf(fix)) {
            m_momentUtc = utc->addMSecs(std::llround((plan.moment - camera) * 1000));
            m_sheet.momentUtc = m_momentUtc->toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) +
                                QStringLiteral(" (from the GPS fix)");
        }
    }
    if (m_sheet.placeText.isEmpty())
        m_sheet.placeText = QStringLiteral("not known (no GPS fix at or before the moment)");
    if (m_sheet.momentUtc.isEmpty() && !settings.zoneKnown)
        m_sheet.momentUtc = QStringLiteral("not known (no GPS time, and no config.bin to tell "
                                           "the camera's time zone)");
    if (m_sheet.momentUtc.isEmpty())
        m_sheet.momentUtc = clockTime(plan.moment - settings.clockMinutesFromUtc * 60.0)
                                .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) +
                            QStringLiteral(" (from the camera's time zone setting; no GPS time)");

    // The sample playing at the moment: its fix is the GPS's latest then, or there was none.
    const RVXEvidenceSheet::Sample* atNow = nullptr;
    for (const RVXEvidenceSheet::Sample& sample : m_sheet.samples) {
        if (sample.second <= 1e-6 && (!atNow || sample.second >= atNow->second))
            atNow = &sample;
    }
    m_sheet.speedText = atNow && atNow->speedKmh
                            ? RVXCFormat("%.1f km/h (the GPS fix at the moment)", *atNow->speedKmh)
                            : QStringLiteral("not known (no GPS fix at the moment)");
}

void RVXEvidenceTelemetry::fillSheet(RVXEvidenceSheet& sheet) const {
    sheet.momentUtc = m_sheet.momentUtc;
    sheet.speedText = m_sheet.speedText;
    sheet.clockOffset = m_sheet.clockOffset;
    sheet.placeText = m_sheet.placeText;
    sheet.latitude = m_sheet.latitude;
    sheet.longitude = m_sheet.longitude;
    sheet.track = m_sheet.track;
    sheet.samples = m_sheet.samples;
}
