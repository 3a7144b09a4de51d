// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

// One record of the camera's telemetry track as a writer sees it.
struct TelemetryRecord {
    static constexpr int kSize = 153;
    static constexpr int kNmeaSize = 128;

    uint32_t time = 0;
    int32_t X = 0, Y = 0, Z = 0, T = 0; // 1/256 g
    char unit = '9';
    QByteArray nmea; // at most 128 bytes; NUL-padded on the card

    // The 153 bytes as the camera lays them out, little-endian.
    QByteArray toBytes() const;
};

using TelemetryRecords = std::vector<TelemetryRecord>;
using TelemetryParseResult = std::variant<TelemetryRecords, QString>;

// JSON: a list of objects (or {"records": [...]}) with time, X, Y, Z, T, unit, nmea.
TelemetryParseResult parseTelemetryJson(const QByteArray& text);
// CSV: an optional header, then time,X,Y,Z,T,unit,nmea per line. The NMEA text is the rest
// of the line (it has commas of its own); "\r" and "\n" in it stand for CR and LF.
TelemetryParseResult parseTelemetryCsv(const QByteArray& text);
