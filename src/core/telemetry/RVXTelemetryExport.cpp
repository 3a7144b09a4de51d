// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/telemetry/RVXTelemetryExport.h"

#include "core/telemetry/RVXBlackBoxData.h"
#include "core/telemetry/RVXNmeaToDegrees.h"

#include <QDateTime>

#include <vector>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

constexpr double kKmhPerKnot = 1.852;
constexpr double kMetresPerSecondPerKnot = 1852.0 / 3600.0;

struct Position {
    double latitude, longitude;
};

// Hemisphere letters turned into signs, as the map is given them.
Position degreesOf(const RVXGpsData& fix) {
    Position p{};
    RVXNmeaToDegrees(fix.EW == 'E' ? fix.Longitude : -fix.Longitude,
                     fix.NS == 'N' ? fix.Latitude : -fix.Latitude, &p.longitude, &p.latitude);
    return p;
}

std::optional<QDateTime> timeOf(const _SYSTEMTIME& t) {
    if (!t.isSet())
        return std::nullopt;
    const QDate date(t.wYear, t.wMonth, t.wDay);
    const QTime time(t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time, Qt::UTC);
}

} // namespace

QByteArray RVXTelemetryExport::number(double value) {
    // JSON has no infinities or NaN.
    if (!std::isfinite(value))
        return "null";
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QByteArray(buffer, result.ptr - buffer);
}

QByteArray RVXTelemetryExport::csvHeader(bool withTimes) {
    return QByteArray("index,time,x,y,z,unit,latitude,longitude,speed_kmh,hdop,satellites") +
           (withTimes ? ",camera_time,utc\n" : "\n");
}

QByteArray RVXTelemetryExport::csvRows(const RVXBlackBoxData& b, Range range,
                                       const CameraTime& cameraTime, size_t firstIndex) {
    QByteArray out;
    const size_t to = std::min(range.to, b.m_Times.size());
    // A fix's UTC goes on the record its RMC sentence came in only: the records after it
    // still hold that time, which is not theirs.
    std::vector<bool> rmc(b.m_Times.size(), false);
    for (uint32_t record : b.m_RMCRecords) {
        if (record < rmc.size())
            rmc[record] = true;
    }
    for (size_t i = range.from; i < to; ++i) {
        const RVXGSensor& g = b.m_GSensors[i];
        QByteArray line = QByteArray::number(qulonglong(firstIndex + i - range.from)) + ',' +
                          QByteArray::number(b.m_Times[i]) + ',' + number(g.x) + ',' + number(g.y) +
                          ',' + number(g.z) + ',';
        const char unit = b.m_vGpsData[i].unit();
        // A unit that is not printable would break the line; the camera writes digits.
        if (unit > ' ' && unit < 0x7f && unit != ',')
            line += unit;
        line += ',';
        const RVXGpsData* fix = i < b.m_NMEAs.size() ? &b.m_NMEAs[i] : nullptr;
        if (fix) {
            const Position p = degreesOf(*fix);
            line += number(p.latitude) + ',' + number(p.longitude) + ',' +
                    number(fix->SpeedOverGround * kKmhPerKnot) + ',' + number(fix->HDOP) + ',' +
                    QByteArray::number(fix->SatelliteUsedCount);
        } else {
            line += ",,,,";
        }
        if (cameraTime) {
            line += ',' + cameraTime(i).toLatin1() + ',';
            if (fix && fix->gpsValid && rmc[i]) {
                if (const auto utc = timeOf(fix->Now); utc && fix->Now.wYear > 0)
                    line += utc->toString(Qt::ISODateWithMs).toLatin1();
            }
        }
        out += line + '\n';
    }
    return out;
}

QByteArray RVXTelemetryExport::gpxStart(const QString& name) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<gpx version=\"1.1\" creator=\"ruvex-card\" xmlns=\"http://www.topografix.com/GPX/1/1\""
           " xmlns:gpxtpx=\"http://www.garmin.com/xmlschemas/TrackPointExtension/v2\">\n"
           "<trk><name>" +
           name.toHtmlEscaped().toUtf8() + "</name><trkseg>\n";
}

// The sentences of one second repeat the position, and a track should not.
QByteArray RVXTelemetryExport::gpxPoints(const RVXBlackBoxData& b, Range range) {
    QByteArray out, previous;
    const size_t to = std::min(range.to, b.m_NMEAs.size());
    for (size_t i = range.from; i < to; ++i) {
        const RVXGpsData& fix = b.m_NMEAs[i];
        if (fix.Latitude == 0 && fix.Longitude == 0)
            continue;
        const Position p = degreesOf(fix);
        QByteArray point =
            "<trkpt lat=\"" + number(p.latitude) + "\" lon=\"" + number(p.longitude) + "\">";
        if (const auto when = timeOf(fix.Now))
            point += "<time>" + when->toString(Qt::ISODateWithMs).toLatin1() + "</time>";
        point += "<extensions><gpxtpx:TrackPointExtension><gpxtpx:speed>" +
                 number(fix.SpeedOverGround * kMetresPerSecondPerKnot) +
                 "</gpxtpx:speed></gpxtpx:TrackPointExtension></extensions></trkpt>\n";
        if (point != previous)
            out += point;
        previous = point;
    }
    return out;
}

QByteArray RVXTelemetryExport::gpxEnd() {
    return "</trkseg></trk>\n</gpx>\n";
}
