// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDateTime>

// A GPS fix as the demo drive produces it, in decimal degrees.
struct DemoFix {
    QDateTime utc;
    double latitude = 0;
    double longitude = 0;
    double speedKnots = 0;
    double course = 0;
    double altitude = 0;
    double hdop = 0;
    int satellites = 0;        // GPS satellites used
    int glonassSatellites = 0; // GLONASS satellites used
};

// Writes the sentences of a GPS and GLONASS receiver as the camera records them,
// checksum included, without line end: RMC and GGA of the GPS talker with the time to
// the millisecond, and one GSA of the combined talker per satellite system.
class NmeaSentenceWriter {
public:
    static QByteArray rmc(const DemoFix& fix);
    static QByteArray gga(const DemoFix& fix);
    static QByteArray gsa(const DemoFix& fix, bool glonass);
    // "$" + body + "*" + two hex digits of the XOR of the body's bytes.
    static QByteArray sealed(const QByteArray& body);
    // (d)ddmm.mmmm with the hemisphere letter after a comma.
    static QByteArray latitudeField(double degrees);
    static QByteArray longitudeField(double degrees);
};
