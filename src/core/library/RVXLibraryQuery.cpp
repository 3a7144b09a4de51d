// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/library/RVXLibraryQuery.h"

#include "core/catalogue/RVXTripTelemetry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
// Metres of one degree of latitude on the mean sphere the trips measure on.
constexpr double kMetresPerDegree =
    RVXTripTelemetry::kEarthRadiusKm * 1000 * std::numbers::pi / 180;
} // namespace

RVXLibraryPlace RVXLibraryPlace::circle(double latitude, double longitude, double radiusMetres) {
    RVXLibraryPlace p;
    p.latitude = latitude;
    p.longitude = longitude;
    p.radiusMetres = radiusMetres;
    return p;
}

RVXLibraryPlace RVXLibraryPlace::corners(double latitude1, double longitude1, double latitude2,
                                         double longitude2) {
    RVXLibraryPlace p;
    p.box = true;
    p.latitude = latitude1;
    p.longitude = longitude1;
    p.latitude2 = latitude2;
    p.longitude2 = longitude2;
    return p;
}

RVXLibraryPlace::Bounds RVXLibraryPlace::bounds() const {
    if (box)
        return {std::min(latitude, latitude2), std::max(latitude, latitude2),
                std::min(longitude, longitude2), std::max(longitude, longitude2)};
    const double dLat = radiusMetres / kMetresPerDegree;
    // Near a pole the circle spans every longitude.
    const double c = std::cos(latitude * std::numbers::pi / 180);
    const double dLon = c > 1e-9 ? std::min(180.0, dLat / c) : 180.0;
    return {latitude - dLat, latitude + dLat, longitude - dLon, longitude + dLon};
}

bool RVXLibraryPlace::contains(double lat, double lon) const {
    const Bounds b = bounds();
    if (lat < b.south || lat > b.north || lon < b.west || lon > b.east)
        return false;
    if (box)
        return true;
    return RVXTripTelemetry::greatCircleKm(latitude, longitude, lat, lon) * 1000 <= radiusMetres;
}
