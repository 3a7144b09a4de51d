// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class RVXBlackBoxData;

// Records [from, to) of a recording.
struct RVXRecordRange {
    size_t from = 0;
    size_t to = SIZE_MAX;
};

// A recording's telemetry as CSV (one line a record, with the fix of the same index) and
// as a GPX 1.1 track, for ruvex-card telemetry and the evidence pack alike.
class RVXTelemetryExport {
public:
    using Range = RVXRecordRange;
    // The camera's local time of record k, "yyyy-MM-ddTHH:mm:ss.zzz"; none leaves it out.
    using CameraTime = std::function<QString(size_t k)>;

    static QByteArray csvHeader(bool withTimes);
    // The records of range; with cameraTime two columns more: camera_time, and utc on the
    // records that hold a valid dated RMC fix.
    static QByteArray csvRows(const RVXBlackBoxData& b, RVXRecordRange range = {},
                              const CameraTime& cameraTime = {}, size_t firstIndex = 0);
    static QByteArray csv(const RVXBlackBoxData& b) { return csvHeader(false) + csvRows(b); }

    static QByteArray gpxStart(const QString& name);
    // Every fix with a position in range, one point for a run of fixes that say the same.
    static QByteArray gpxPoints(const RVXBlackBoxData& b, RVXRecordRange range = {});
    static QByteArray gpxEnd();
    static QByteArray gpx(const RVXBlackBoxData& b, const QString& name) {
        return gpxStart(name) + gpxPoints(b) + gpxEnd();
    }

    // Shortest round-trip decimal, as JSON and CSV want it.
    static QByteArray number(double value);
};
