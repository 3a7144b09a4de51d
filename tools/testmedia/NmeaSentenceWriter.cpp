// SPDX-License-Identifier: GPL-3.0-or-later
#include "NmeaSentenceWriter.h"

#include <cmath>

namespace {

QByteArray angleField(double degrees, int degreeDigits, char positive, char negative) {
    const double a = std::fabs(degrees);
    int whole = int(a);
    double minutes = (a - whole) * 60.0;
    // Rounding to four decimals may carry into the next degree.
    if (std::round(minutes * 10000) >= 600000) {
        minutes = 0;
        ++whole;
    }
    return QByteArray::number(whole).rightJustified(degreeDigits, '0') +
           QByteArray::number(minutes, 'f', 4).rightJustified(7, '0') + ',' +
           (degrees < 0 ? negative : positive);
}

// The camera's receiver gives the time to the millisecond; readers rely on those 10 characters.
QByteArray timeField(const QDateTime& utc) {
    return utc.toString(QStringLiteral("HHmmss.zzz")).toLatin1();
}

} // namespace

QByteArray NmeaSentenceWriter::sealed(const QByteArray& body) {
    uint8_t sum = 0;
    for (const char c : body)
        sum ^= uint8_t(c);
    return '$' + body + '*' + QByteArray::number(sum, 16).toUpper().rightJustified(2, '0');
}

QByteArray NmeaSentenceWriter::latitudeField(double degrees) {
    return angleField(degrees, 2, 'N', 'S');
}

QByteArray NmeaSentenceWriter::longitudeField(double degrees) {
    return angleField(degrees, 3, 'E', 'W');
}

QByteArray NmeaSentenceWriter::rmc(const DemoFix& f) {
    return sealed("GPRMC," + timeField(f.utc) + ",A," + latitudeField(f.latitude) + ',' +
                  longitudeField(f.longitude) + ',' + QByteArray::number(f.speedKnots, 'f', 2) +
                  ',' + QByteArray::number(f.course, 'f', 2) + ',' +
                  f.utc.toString(QStringLiteral("ddMMyy")).toLatin1() + ",,,A");
}

QByteArray NmeaSentenceWriter::gga(const DemoFix& f) {
    return sealed("GPGGA," + timeField(f.utc) + ',' + latitudeField(f.latitude) + ',' +
                  longitudeField(f.longitude) + ",1," +
                  QByteArray::number(f.satellites + f.glonassSatellites).rightJustified(2, '0') +
                  ',' + QByteArray::number(f.hdop, 'f', 1) + ',' +
                  QByteArray::number(f.altitude, 'f', 1) + ",M,47.0,M,,");
}

QByteArray NmeaSentenceWriter::gsa(const DemoFix& f, bool glonass) {
    static constexpr int kGps[] = {2, 5, 7, 9, 13, 15, 18, 20, 24, 27, 29, 30};
    static constexpr int kGlonass[] = {65, 66, 72, 73, 74, 80, 81, 82, 87, 88, 89, 90};
    const int* prns = glonass ? kGlonass : kGps;
    const int used = glonass ? f.glonassSatellites : f.satellites;
    QByteArray body = "GNGSA,A,3";
    for (int i = 0; i < 12; ++i) {
        body += ',';
        if (i < used)
            body += QByteArray::number(prns[i]).rightJustified(2, '0');
    }
    const double pdop = f.hdop * 1.6, vdop = f.hdop * 1.3;
    return sealed(body + ',' + QByteArray::number(pdop, 'f', 1) + ',' +
                  QByteArray::number(f.hdop, 'f', 1) + ',' + QByteArray::number(vdop, 'f', 1));
}
