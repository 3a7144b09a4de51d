// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/telemetry/RVXNmeaToDegrees.h"

#include "core/telemetry/RVXGpsData.h"

#include <cmath>

double RVXNmeaToDegrees(double value) {
    const double degrees = std::trunc(value / 100);
    return degrees + (value / 100 - degrees) * 100 / 60;
}

void RVXNmeaToDegrees(double longitude, double latitude, double* longitudeDegrees,
                      double* latitudeDegrees) {
    if (longitudeDegrees)
        *longitudeDegrees = RVXNmeaToDegrees(longitude);
    if (latitudeDegrees)
        *latitudeDegrees = RVXNmeaToDegrees(latitude);
}

void RVXFixToDegrees(const RVXGpsData& fix, double* longitudeDegrees, double* latitudeDegrees) {
    double latitude = std::fabs(fix.Latitude);
    double longitude = std::fabs(fix.Longitude);
    if (fix.NS != 'N')
        latitude = -latitude;
    if (fix.EW != 'E')
        longitude = -longitude;
    RVXNmeaToDegrees(longitude, latitude, longitudeDegrees, latitudeDegrees);
}
