// SPDX-License-Identifier: GPL-3.0-or-later
#include "testmedia/TelemetryRecord.h"

#include <gtest/gtest.h>

namespace {

int32_t le32(const QByteArray& b, int at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | uint8_t(b[at + i]);
    return int32_t(v);
}

TEST(TelemetryRecord, BytesFollowTheCameraLayout) {
    TelemetryRecord r;
    r.time = 0x01020304;
    r.X = 256;
    r.Y = -128;
    r.Z = 0;
    r.T = -1;
    r.unit = '9';
    r.nmea = "$GPRMC,1\r\n";
    const QByteArray b = r.toBytes();
    ASSERT_EQ(b.size(), 153);
    EXPECT_EQ(uint32_t(le32(b, 0)), 0x01020304u);
    EXPECT_EQ(le32(b, 4), 0);
    EXPECT_EQ(le32(b, 8), 256);
    EXPECT_EQ(le32(b, 12), -128);
    EXPECT_EQ(le32(b, 16), 0);
    EXPECT_EQ(le32(b, 20), -1);
    EXPECT_EQ(b[24], '9');
    EXPECT_EQ(b.mid(25, 10), "$GPRMC,1\r\n");
    EXPECT_EQ(b.mid(35), QByteArray(153 - 35, '\0'));
}

TEST(TelemetryRecord, JsonAndCsvGiveTheSameRecords) {
    const QByteArray json =
        R"([{"time":100,"X":1,"Y":-2,"Z":256,"T":0,"unit":"K","nmea":"$GPGGA,a,b\r\n$GPRMC,c\r\n"},
                                {"time":200,"nmea":""}])";
    const QByteArray csv = "time,X,Y,Z,T,unit,nmea\n100,1,-2,256,0,K,$GPGGA,a,b\\r\\n$GPRMC,"
                           "c\\r\\n\r\n200,0,0,0,0,9,\n";
    const auto a = parseTelemetryJson(json);
    const auto b = parseTelemetryCsv(csv);
    ASSERT_TRUE(std::holds_alternative<TelemetryRecords>(a)) << qPrintable(std::get<QString>(a));
    ASSERT_TRUE(std::holds_alternative<TelemetryRecords>(b)) << qPrintable(std::get<QString>(b));
    const auto& ra = std::get<TelemetryRecords>(a);
    const auto& rb = std::get<TelemetryRecords>(b);
    ASSERT_EQ(ra.size(), 2u);
    ASSERT_EQ(rb.size(), 2u);
    for (size_t i = 0; i < 2; ++i)
        EXPECT_EQ(ra[i].toBytes(), rb[i].toBytes()) << i;
    EXPECT_EQ(ra[0].nmea, "$GPGGA,a,b\r\n$GPRMC,c\r\n");
    EXPECT_EQ(ra[1].unit, '9');
}

TEST(TelemetryRecord, BadInputIsRefusedWithAReason) {
    const QByteArray longText(129, 'x');
    for (const QByteArray& json :
         {QByteArray("{"), QByteArray("{\"x\":1}"), QByteArray(R"([{"time":-1}])"),
          QByteArray(R"([{"time":1.5}])"), QByteArray(R"([{"time":1,"X":3000000000}])"),
          QByteArray(R"([{"time":1,"unit":"ab"}])"),
          R"([{"time":1,"nmea":")" + longText + R"("}])"}) {
        const auto r = parseTelemetryJson(json);
        ASSERT_TRUE(std::holds_alternative<QString>(r)) << json.constData();
        EXPECT_FALSE(std::get<QString>(r).isEmpty());
    }
    for (const QByteArray& csv :
         {QByteArray("1,2,3\n"), QByteArray("x,0,0,0,0,9,\n"), QByteArray("1,0,a,0,0,9,\n"),
          QByteArray("1,0,0,0,0,99,\n"), "1,0,0,0,0,9," + longText + "\n"})
        EXPECT_TRUE(std::holds_alternative<QString>(parseTelemetryCsv(csv))) << csv.constData();
}

} // namespace
