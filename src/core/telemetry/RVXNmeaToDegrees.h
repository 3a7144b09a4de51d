// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// NMEA (d)ddmm.mmmm to decimal degrees, sign kept: 3731.5 gives 37.525 and -12658.5
// gives -126.975. A null result place is skipped.
void RVXNmeaToDegrees(double longitude, double latitude, double* longitudeDegrees,
                      double* latitudeDegrees);
double RVXNmeaToDegrees(double value);

struct RVXGpsData;
// The fix's position signed by its hemisphere letters, in decimal degrees.
void RVXFixToDegrees(const RVXGpsData& fix, double* longitudeDegrees, double* latitudeDegrees);
