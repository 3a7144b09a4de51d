// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/playback/RVXTelemetryReadout.h"

#include "core/support/RVXCFormat.h"
#include "core/telemetry/RVXBlackBoxData.h"
#include "core/telemetry/RVXNmeaToDegrees.h"

#include <cmath>

namespace {
struct Degrees {
    double longitude = 0;
    double latitude = 0;
};

Degrees degreesOf(const RVXGpsData& fix) {
    Degrees d;
    RVXFixToDegrees(fix, &d.longitude, &d.latitude);
    return d;
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
    return RVXCFormat("%c=%s%.2lf", axis, value > 0 ? "+" : "", value);
}

QString RVXTelemetryReadout::setLatLagScript(double longitudeDegrees, double latitudeDegrees) {
    return RVXCFormat("setLatLag('%lf','%lf')", longitudeDegrees, latitudeDegrees);
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
            const Degrees d = degreesOf(fix);
            out.script = setLatLagScript(d.longitude, d.latitude);
            if (data.m_vGpsData[i].unit() == '9')
                out.speed = RVXCFormat("%d Km/h", int(fix.SpeedOverGround * 1.852));
            else
                out.speed = RVXCFormat("%d Mi/h", int(fix.SpeedOverGround * 1.150779));
        }
    }
    const size_t fixes = data.m_NMEAs.size();
    if (fixes == 0) {
        out.speed = QStringLiteral("- Km/h");
        out.hdop = QStringLiteral("-.-");
        out.satellites = QStringLiteral("-");
    } else {
        const RVXGpsData& fix = data.m_NMEAs[sampleIndex(position, fixes)];
        out.hdop = RVXCFormat("%.1f", fix.HDOP);
        out.satellites = RVXCFormat("%d", int(fix.SatelliteUsedCount));
    }
    return out;
}

QString RVXTelemetryReadout::trackScript(const RVXBlackBoxData& data) {
    std::vector<std::pair<double, double>> points;
    for (const RVXGpsData& fix : data.m_NMEAs) {
        // The running fix holds no position until a sentence brought one.
        if (fix.Latitude == 0 && fix.Longitude == 0)
            continue;
        const Degrees d = degreesOf(fix);
        points.emplace_back(d.longitude, d.latitude);
    }
    return trackScript(points);
}

QString RVXTelemetryReadout::trackScript(const std::vector<std::pair<double, double>>& points) {
    QString script = QStringLiteral("setTrack([");
    QString last;
    for (const auto& [longitude, latitude] : points) {
        const QString point = RVXCFormat("[%.6f,%.6f]", longitude, latitude);
        if (point == last)
            continue;
        if (!last.isEmpty())
            script += u',';
        script += point;
        last = point;
    }
    return script + QStringLiteral("])");
}
