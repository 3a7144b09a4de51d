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
    int satellites = 0;
};

// Writes the GP-talker sentences a receiver sends, checksum included, without line end.
class NmeaSentenceWriter {
public:
    static QByteArray rmc(const DemoFix& fix);
    static QByteArray gga(const DemoFix& fix);
    static QByteArray gsa(const DemoFix& fix);
    // "$" + body + "*" + two hex digits of the XOR of the body's bytes.
    static QByteArray sealed(const QByteArray& body);
    // (d)ddmm.mmmm with the hemisphere letter after a comma.
    static QByteArray latitudeField(double degrees);
    static QByteArray longitudeField(double degrees);
};
