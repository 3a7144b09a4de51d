// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/telemetry/RVXNMEASentenceParser.h"

#include "support/CommaLocale.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

const char* kGga = "$GPGGA,123519,3731.5000,N,12658.2000,E,1,08,0.9,545.4,M,46.9,M,,*47";

TEST(RVXNMEASentenceParser, GgaGivesPositionCountAndHdopThroughSinglePrecision) {
    RVXNMEASentenceParser p;
    ASSERT_TRUE(p.parse(kGga));
    const RVXGpsData& c = p.current();
    EXPECT_EQ(c.Latitude, 3731.5);
    EXPECT_EQ(c.NS, 'N');
    EXPECT_EQ(c.Longitude, 12658.2001953125);
    EXPECT_EQ(c.EW, 'E');
    EXPECT_EQ(c.SatelliteUsedCount, 8u);
    EXPECT_EQ(c.HDOP, 0.89999997615814209);
}

TEST(RVXNMEASentenceParser, CombinedTalkerGgaLeavesTheSatelliteCount) {
    RVXNMEASentenceParser p;
    std::string gn = kGga;
    gn.replace(1, 2, "GN");
    ASSERT_TRUE(p.parse(gn.c_str()));
    EXPECT_EQ(p.current().Latitude, 3731.5);
    EXPECT_EQ(p.current().HDOP, double(0.9f));
    EXPECT_EQ(p.current().SatelliteUsedCount, 0u);
}

TEST(RVXNMEASentenceParser, RefusedSentencesChangeNothing) {
    RVXNMEASentenceParser p;
    ASSERT_TRUE(p.parse(kGga));
    const RVXGpsData before = p.current();
    for (const char* s :
         {"$GPGGA,123519,1111.0,S,02222.0,W,1,03,5.0,0,M,0,M,,", "$GPGGA,1,1111.0,S*47*47",
          "$GPGSV,3,1,11,03,03,111,00,04,15,270,00,06,01,010,00,13,06,292,00*74",
          "$GNGSV,1,1,00*68", "$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39",
          "$PMTK001,604,3*32", "", "*", "$gprmc,1,A*00", "GPRMC,1,A*00",
          "$GPGGA,1,\xff\xfe,N*00"}) {
        EXPECT_FALSE(p.parse(s)) << s;
        EXPECT_EQ(p.current(), before) << s;
    }
    EXPECT_FALSE(p.parse(static_cast<const char*>(nullptr)));
}

TEST(RVXNMEASentenceParser, RmcSetsSpeedCourseValidityAndTime) {
    RVXNMEASentenceParser p;
    ASSERT_TRUE(p.parse("$GPRMC,083015.250,A,3731.5,N,12658.2,E,10.5,90.0,120315,,,A*00"));
    const RVXGpsData& c = p.current();
    EXPECT_EQ(c.gpsValid, 1);
    EXPECT_EQ(c.SpeedOverGround, 10.5);
    EXPECT_EQ(c.CourseOverGround, 90.0);
    EXPECT_EQ(c.Now, (_SYSTEMTIME{2015, 3, 0, 12, 8, 30, 15, 250}));
    // RMC's own position is not used: the position comes from GGA alone.
    EXPECT_EQ(c.Latitude, 0);

    ASSERT_TRUE(p.parse("$GNRMC,093015.25,V,,,,,,,130315,,,N*00"));
    EXPECT_EQ(c.gpsValid, 0);
    EXPECT_EQ(c.SpeedOverGround, 0); // empty speed and course read as 0
    EXPECT_EQ(c.Now, (_SYSTEMTIME{2015, 3, 0, 12, 8, 30, 15, 250}))
        << "a 9-character time keeps the moment";
}

TEST(RVXNMEASentenceParser, GsaOfTwoSystemsAddsUp) {
    RVXNMEASentenceParser p;
    ASSERT_TRUE(p.parse("$GNGSA,A,3,03,06,17,,,,,,,,,,1.9,1.2,1.6*00"));
    EXPECT_EQ(p.current().SatelliteUsedCount, 3u);
    EXPECT_EQ(p.current().Cnt_GNGSA, 1);
    EXPECT_EQ(p.current().SatelliteUsed[2], 17);
    ASSERT_TRUE(p.parse("$GNGSA,A,3,65,72,,,,,,,,,,,1.9,1.2,1.6*00"));
    EXPECT_EQ(p.current().SatelliteUsedCount, 5u);
    EXPECT_EQ(p.current().SatelliteUsedCount_GLONASS, 2u);
    EXPECT_EQ(p.current().Cnt_GNGSA, 0);
    EXPECT_EQ(p.current().SatelliteUsed[2], 0) << "entries of the earlier GSA are replaced";
    // With a GSA seen, GGA no longer sets the count.
    ASSERT_TRUE(p.parse(kGga));
    EXPECT_EQ(p.current().SatelliteUsedCount, 5u);
    // An empty GSA clears the count only without a valid fix.
    ASSERT_TRUE(p.parse("$GPRMC,083015.250,A,,,,,1,1,120315*00"));
    ASSERT_TRUE(p.parse("$GNGSA,A,1,,,,,,,,,,,,,,,*00"));
    EXPECT_EQ(p.current().SatelliteUsedCount, 5u);
    EXPECT_EQ(p.current().Cnt_GNGSA, 255);
    ASSERT_TRUE(p.parse("$GPRMC,083015.250,V,,,,,1,1,120315*00"));
    ASSERT_TRUE(p.parse("$GNGSA,A,1,,,,,,,,,,,,,,,*00"));
    EXPECT_EQ(p.current().SatelliteUsedCount, 0u);
    // Numbers are reduced to 8 bits; the count takes every non-zero entry.
    ASSERT_TRUE(p.parse("$GNGSA,A,3,300,256,5*00"));
    EXPECT_EQ(p.current().SatelliteUsed[0], 44);
    EXPECT_EQ(p.current().SatelliteUsed[1], 0);
    EXPECT_EQ(p.current().SatelliteUsedCount_GPS, 2u);
}

TEST(RVXNMEASentenceParser, GnsTakesOverCountAndHdopUntilClear) {
    RVXNMEASentenceParser p;
    ASSERT_TRUE(p.parse("$GNGNS,112257.00,3844.24011,N,00908.43828,W,AN,12,0.7,2.5,46.8,,*00"));
    EXPECT_EQ(p.current().Enable_GNGNS, 1);
    EXPECT_EQ(p.current().SatelliteUsedCount, 12u);
    EXPECT_EQ(p.current().HDOP, double(0.7f));
    ASSERT_TRUE(p.parse(kGga));
    ASSERT_TRUE(p.parse("$GNGSA,A,3,03,06,17,,,,,,,,,,1.9,1.2,1.6*00"));
    EXPECT_EQ(p.current().SatelliteUsedCount, 12u);
    EXPECT_EQ(p.current().HDOP, double(0.7f));
    EXPECT_EQ(p.current().Enable_GNGSA, 1);
    EXPECT_EQ(p.current().SatelliteUsed[0], 0);
    EXPECT_EQ(p.current().Latitude, 3731.5) << "GGA still sets the position";
    p.clear();
    EXPECT_EQ(p.current(), RVXGpsData());
    ASSERT_TRUE(p.parse(kGga));
    EXPECT_EQ(p.current().SatelliteUsedCount, 8u);
}

TEST(RVXNMEASentenceParser, ShortSentencesReadMissingFieldsAsEmpty) {
    RVXNMEASentenceParser p;
    ASSERT_TRUE(p.parse(kGga));
    ASSERT_TRUE(p.parse("$GPGGA,1*00"));
    EXPECT_EQ(p.current().Latitude, 3731.5) << "absent position fields keep the position";
    EXPECT_EQ(p.current().SatelliteUsedCount, 0u) << "an absent count reads as 0";
    ASSERT_TRUE(p.parse("$GPRMC*00"));
    ASSERT_TRUE(p.parse("$GNGSA*00"));
    ASSERT_TRUE(p.parse("$GNGNS*"));
    EXPECT_EQ(p.current().SatelliteUsedCount, 0u);
}

TEST(RVXNMEASentenceParser, NumbersReadLikeTheCLibrary) {
    EXPECT_EQ(RVXNMEASentenceParser::decimalField("  -1.5e2xyz"), -150.0);
    EXPECT_EQ(RVXNMEASentenceParser::decimalField("+.5"), 0.5);
    EXPECT_EQ(RVXNMEASentenceParser::decimalField("abc"), 0.0);
    EXPECT_EQ(RVXNMEASentenceParser::decimalField(""), 0.0);
    EXPECT_EQ(RVXNMEASentenceParser::decimalField("0.1"), double(0.1f));
    EXPECT_TRUE(std::isinf(RVXNMEASentenceParser::decimalField("1e50")));
    EXPECT_EQ(RVXNMEASentenceParser::decimalField("1e-50"), 0.0);
    EXPECT_EQ(RVXNMEASentenceParser::integerField(" +08"), 8);
    EXPECT_EQ(RVXNMEASentenceParser::integerField("-3x"), -3);
    EXPECT_EQ(RVXNMEASentenceParser::integerField("x3"), 0);
    EXPECT_EQ(RVXNMEASentenceParser::integerField("99999999999999999999999"),
              -1); // saturated, then narrowed
}

// Decimals are read without the general reader where that is exact; every one must
// round to the float the general reader gives, in a field alone and in a sentence.
// Halfway between two floats is where a shortcut would round wrongly, so those values
// and their closest neighbours are among them.
TEST(RVXNMEASentenceParser, PlainDecimalsRoundLikeTheGeneralReader) {
    std::mt19937_64 random(7);
    std::vector<std::string> texts;
    for (int i = 0; i < 200000; ++i) {
        const int whole = int(random() % 11), decimals = int(random() % 13);
        std::string t;
        for (int k = 0; k < whole; ++k)
            t += char('0' + random() % 10);
        if (decimals > 0 || random() % 2)
            t += '.';
        for (int k = 0; k < decimals; ++k)
            t += char('0' + random() % 10);
        texts.push_back(t);
    }
    for (int i = 0; i < 20000; ++i) {
        const float below = std::uniform_real_distribution<float>(0.01f, 20000.0f)(random);
        const double halfway = (double(below) + double(std::nextafter(below, 1e9f))) / 2;
        char exact[64];
        std::snprintf(exact, sizeof exact, "%.17f", halfway);
        std::string t = exact;
        t.erase(t.find_last_not_of('0') + 1);
        texts.push_back(t);
        for (const char last : {'1', '9'})
            texts.push_back(t + "000" + last);
    }
    RVXNMEASentenceParser p;
    for (const std::string& t : texts) {
        float expected = 0;
        std::from_chars(t.data(), t.data() + t.size(), expected);
        ASSERT_EQ(RVXNMEASentenceParser::decimalField(QByteArrayView(t.data(), t.size())),
                  double(expected))
            << t;
        const std::string gga = "$GPGGA,123519," + t + ",N,12658.2000,E,1,08,0.9,545.4,M,,M,,*47";
        p.clear();
        ASSERT_TRUE(p.parse(gga.c_str()));
        ASSERT_EQ(p.current().Latitude, double(expected)) << gga;
    }
}

TEST(RVXNMEASentenceParser, DecimalPointIgnoresTheUsersLocale) {
    const CommaLocale german;
    ASSERT_EQ(german.error(), "");
    EXPECT_EQ(RVXNMEASentenceParser::decimalField("10.5"), 10.5);
    EXPECT_EQ(RVXNMEASentenceParser::decimalField("10,5"), 10.0);
}

// Real receivers' logs: a line is accepted exactly when it has one '*' and one of the
// handled identifiers, whatever else it holds.
TEST(RVXNMEASentenceParser, RealReceiverLogsAreAcceptedByIdentifierAlone) {
    const std::set<QByteArray> handled = {"$GPRMC", "$GNRMC", "$GPGGA",
                                          "$GNGGA", "$GNGSA", "$GNGNS"};
    const QStringList files = QDir(QStringLiteral(RUVEX_NMEA_DATA)).entryList({"*.nmea"});
    ASSERT_GE(files.size(), 40);
    int accepted = 0;
    for (const QString& name : files) {
        QFile f(QStringLiteral(RUVEX_NMEA_DATA "/") + name);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        RVXNMEASentenceParser p;
        for (QByteArray line : f.readAll().split('\n')) {
            if (line.isEmpty())
                continue;
            if (line.contains('\0'))
                line.truncate(line.indexOf('\0')); // the parser reads C strings
            const bool valid = !QString::fromUtf8(line).contains(QChar::ReplacementCharacter) &&
                               !line.contains('\0');
            const bool expected = valid && line.count('*') == 1 &&
                                  handled.count(line.split(',').first().split('*').first());
            const bool got = p.parse(line.constData());
            EXPECT_EQ(got, expected) << qPrintable(name) << ": " << line.constData();
            accepted += got;
        }
    }
    EXPECT_GT(accepted, 3000);
}

} // namespace
