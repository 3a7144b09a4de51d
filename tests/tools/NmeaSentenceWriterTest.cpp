// SPDX-License-Identifier: GPL-3.0-or-later
#include "testmedia/NmeaSentenceWriter.h"

#include <gtest/gtest.h>

namespace {

TEST(NmeaSentenceWriter, ChecksumMatchesAKnownSentence) {
    EXPECT_EQ(
        NmeaSentenceWriter::sealed("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,"),
        "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47");
}

TEST(NmeaSentenceWriter, AnglesInDegreesAndMinutes) {
    EXPECT_EQ(NmeaSentenceWriter::latitudeField(48.2009), "4812.0540,N");
    EXPECT_EQ(NmeaSentenceWriter::latitudeField(-33.5), "3330.0000,S");
    EXPECT_EQ(NmeaSentenceWriter::longitudeField(16.3737), "01622.4220,E");
    EXPECT_EQ(NmeaSentenceWriter::longitudeField(-0.5), "00030.0000,W");
    // 59.99999 minutes rounds up into the next degree, never to "60.0000".
    EXPECT_EQ(NmeaSentenceWriter::latitudeField(10.9999999), "1100.0000,N");
}

TEST(NmeaSentenceWriter, SentencesFitARecordAndCarryTheFix) {
    DemoFix fix;
    fix.utc = QDateTime(QDate(2026, 3, 14), QTime(7, 15, 3, 400), Qt::UTC);
    fix.latitude = 48.2009;
    fix.longitude = 16.3737;
    fix.speedKnots = 23.4;
    fix.course = 271.5;
    fix.altitude = 171;
    fix.hdop = 1.2;
    fix.satellites = 12;
    fix.glonassSatellites = 3;
    const QByteArray rmc = NmeaSentenceWriter::rmc(fix);
    EXPECT_TRUE(
        rmc.startsWith("$GPRMC,071503.400,A,4812.0540,N,01622.4220,E,23.40,271.50,140326,,,A*"))
        << rmc.constData();
    // GGA counts the satellites of both systems; each GSA lists one system's.
    EXPECT_TRUE(NmeaSentenceWriter::gga(fix).startsWith(
        "$GPGGA,071503.400,4812.0540,N,01622.4220,E,1,15,1.2,171.0,M"));
    EXPECT_TRUE(NmeaSentenceWriter::gsa(fix, false)
                    .startsWith("$GNGSA,A,3,02,05,07,09,13,15,18,20,24,27,29,30,1.9,1.2,1.6*"));
    EXPECT_TRUE(
        NmeaSentenceWriter::gsa(fix, true).startsWith("$GNGSA,A,3,65,66,72,,,,,,,,,,1.9,1.2,1.6*"));
    for (const QByteArray& s :
         {rmc, NmeaSentenceWriter::gga(fix), NmeaSentenceWriter::gsa(fix, false)})
        EXPECT_LE(s.size() + 2, 128) << s.constData();
}

} // namespace
