// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/catalogue/RVXTripTelemetry.h"

#include "core/telemetry/RVXBlackBoxData.h"
#include "core/telemetry/RVXNmeaToDegrees.h"

#include <QFile>

#include <cmath>
#include <map>
#include <numbers>

namespace {

struct Fix {
    double second;
    double longitude;
    double latitude;
    double speedKmh;
};

// What the timeline needs of one recording, placed on the recording's own seconds.
struct UnitTelemetry {
    std::vector<Fix> fixes;
    std::vector<RVXGSensor> gsensors;
    double length = 0;
};

UnitTelemetry readUnit(const RVXTripUnit& unit) {
    UnitTelemetry out;
    out.length = unit.length;
    RVXBlackBoxData data;
    if (!data.ExtractStreamInformation(QFile::encodeName(unit.media->path()).constData()))
        return out;
    const size_t rmcs = data.m_RMCIndexes.size();
    for (size_t j = 0; j < rmcs; ++j) {
        const RVXGpsData& fix = data.m_NMEAs[data.m_RMCIndexes[j]];
        // Before the first position sentence a valid status carries no position yet.
        if (!fix.gpsValid || (fix.Latitude == 0 && fix.Longitude == 0))
            continue;
        Fix f{unit.length * double(j) / double(rmcs), 0, 0, fix.SpeedOverGround * 1.852};
        RVXFixToDegrees(fix, &f.longitude, &f.latitude);
        out.fixes.push_back(f);
    }
    out.gsensors = std::move(data.m_GSensors);
    return out;
}

double radians(double degrees) {
    return degrees * std::numbers::pi / 180.0;
}

} // namespace

double RVXTripTelemetry::greatCircleKm(double latitude1, double longitude1, double latitude2,
                                       double longitude2) {
    const double dLat = radians(latitude2 - latitude1);
    const double dLon = radians(longitude2 - longitude1);
    const double a = std::sin(dLat / 2) * std::sin(dLat / 2) +
                     std::cos(radians(latitude1)) * std::cos(radians(latitude2)) *
                         std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2 * kEarthRadiusKm * std::asin(std::min(1.0, std::sqrt(a)));
}

std::optional<RVXTripTelemetry> RVXTripTelemetry::read(const RVXTrip& trip,
                                                       const std::atomic<bool>* cancel) {
    // A unit the timeline comes back to (a loop around an event cut from it) is read once.
    std::map<size_t, UnitTelemetry> units;
    for (const RVXTripSegment& segment : trip.segments()) {
        if (cancel && cancel->load())
            return std::nullopt;
        if (!units.count(segment.unit))
            units.emplace(segment.unit, readUnit(trip.units()[segment.unit]));
    }
    if (cancel && cancel->load())
        return std::nullopt;

    RVXTripTelemetry out;
    const Fix* last = nullptr;
    for (const RVXTripSegment& segment : trip.segments()) {
        const UnitTelemetry& unit = units.at(segment.unit);
        const double from = segment.unitStart, to = segment.unitStart + segment.end - segment.start;
        for (const Fix& fix : unit.fixes) {
            if (fix.second < from || fix.second >= to)
                continue;
            if (last)
                out.distanceKm +=
                    greatCircleKm(last->latitude, last->longitude, fix.latitude, fix.longitude);
            out.maxSpeedKmh = std::max(out.maxSpeedKmh.value_or(0), fix.speedKmh);
            out.track.emplace_back(fix.longitude, fix.latitude);
            out.trackSeconds.push_back(segment.start + fix.second - from);
            out.trackSpeedKmh.push_back(fix.speedKmh);
            out.trackUnits.push_back(segment.unit);
            last = &fix;
        }
        const size_t n = unit.gsensors.size();
        if (n > 0 && unit.length > 0) {
            const size_t first = size_t(std::floor(from / unit.length * double(n)));
            const size_t end = std::min(n, size_t(std::ceil(to / unit.length * double(n))));
            for (size_t i = first; i < end; ++i)
                out.gsensors.push_back(unit.gsensors[i]);
        }
    }
    return out;
}
