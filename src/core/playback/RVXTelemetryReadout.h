// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

class RVXBlackBoxData;

// The telemetry fields at one play position, worked out from the telemetry of the
// recording alone. Every call indexes directly: the work does not grow with the
// recording.
struct RVXTelemetryReadout {
    // For n samples (n > 0) at position p: p x n truncated, at most n - 1.
    static size_t sampleIndex(double position, size_t count);
    // "X=+0.50", "Y=-1.25", "Z=0.00": the sign follows the value, not its rounded text.
    static QString gsensorText(char axis, double value);
    // setLatLag with the longitude first.
    static QString setLatLagScript(double longitudeDegrees, double latitudeDegrees);
    static QString debugScript() { return QStringLiteral("RVXDebug('GPS Data Count=Zero')"); }

    // The recording's whole track for the map page: "setTrack([[lng,lat],...])", every
    // fix with a position in order (repeats of one position once), longitude first as
    // in setLatLag; "setTrack([])" clears the page's track.
    static QString trackScript(const RVXBlackBoxData& data);
    // The same for positions given as (longitude, latitude) in decimal degrees.
    static QString trackScript(const std::vector<std::pair<double, double>>& points);

    struct Gps {
        std::optional<QString> script;
        std::optional<QString> speed;
        std::optional<QString> hdop;
        std::optional<QString> satellites;
    };
    // What the GPS fields and the map are told at position; a field without a value
    // keeps its text.
    static Gps gps(const RVXBlackBoxData& data, double position);
};
