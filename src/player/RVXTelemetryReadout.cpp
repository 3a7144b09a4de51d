// SPDX-License-Identifier: GPL-3.0-or-later
#include "RVXTelemetryReadout.h"

#include "telemetry/RVXBlackBoxData.h"
#include "telemetry/RVXNmeaToDegrees.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

#include <locale.h>

namespace {
// The C library's formatting: it rounds halves to even as the camera's own program
// does (QString::asprintf rounds them up: 1.25 would read 1.3). Always with the C
// locale's decimal point: the application takes the user's locale, and the map page
// would read "126,97" as 126.
QString format(const char* pattern, ...) {
    static const locale_t c = newlocale(LC_NUMERIC_MASK, "C", locale_t(nullptr));
    const locale_t previous = uselocale(c);
    char buffer[128];
    va_list args;
    va_start(args, pattern);
    std::vsnprintf(buffer, sizeof buffer, pattern, args);
    va_end(args);
    uselocale(previous);
    return QString::fromLatin1(buffer);
}
} // namespace

size_t RVXTelemetryReadout::sampleIndex(double position, size_t count) {
    const double scaled = position * double(count);
    // Positions below 0 do not come from a player, but must not index before the start.
    size_t index = scaled > 0 ? size_t(scaled) : 0;
    if (index >= count)
        index = count - 1;
    return index;
}

QString RVXTelemetryReadout::gsensorText(char axis, double value) {
    return format("%c=%s%.2lf", axis, value > 0 ? "+" : "", value);
}

QString RVXTelemetryReadout::setLatLagScript(double longitudeDegrees, double latitudeDegrees) {
    return format("setLatLag('%lf','%lf')", longitudeDegrees, latitudeDegrees);
}

RVXTelemetryReadout::Gps RVXTelemetryReadout::gps(const RVXBlackBoxData& data, double position) {
    Gps out;
    const size_t blocks = data.m_vGpsData.size();
    if (blocks == 0) {
        out.script = debugScript();
    } else if (!data.m_NMEAs.empty()) {
        // Position and speed take the fix at the raw block's index: the fix count may
        // differ from the block count, so this index may be past the last fix.
        const size_t i = sampleIndex(position, blocks);
        if (i < data.m_NMEAs.size()) {
            const RVXGpsData& fix = data.m_NMEAs[i];
            double latitude = std::fabs(fix.Latitude);
            double longitude = std::fabs(fix.Longitude);
            if (fix.NS != 'N')
                latitude = -latitude;
            if (fix.EW != 'E')
                longitude = -longitude;
            double lngDegrees = 0, latDegrees = 0;
            RVXNmeaToDegrees(longitude, latitude, &lngDegrees, &latDegrees);
            out.script = setLatLagScript(lngDegrees, latDegrees);
            if (data.m_vGpsData[i].unit() == '9')
                out.speed = format("%d Km/h", int(fix.SpeedOverGround * 1.852));
            else
                out.speed = format("%d Mi/h", int(fix.SpeedOverGround * 1.150779));
        }
    }
    const size_t fixes = data.m_NMEAs.size();
    if (fixes == 0) {
        out.speed = QStringLiteral("- Km/h");
        out.hdop = QStringLiteral("-.-");
        out.satellites = QStringLiteral("-");
    } else {
        const RVXGpsData& fix = data.m_NMEAs[sampleIndex(position, fixes)];
        out.hdop = format("%.1f", fix.HDOP);
        out.satellites = format("%d", int(fix.SatelliteUsedCount));
    }
    return out;
}
