// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliGpsJson.h"

#include "cli/CliJson.h"

QString characterText(char c) {
    return QString(QChar(uint8_t(c)));
}

QByteArray systemTimeJson(const _SYSTEMTIME& t) {
    return CliJson()
        .add("wYear", int64_t(t.wYear))
        .add("wMonth", int64_t(t.wMonth))
        .add("wDayOfWeek", int64_t(t.wDayOfWeek))
        .add("wDay", int64_t(t.wDay))
        .add("wHour", int64_t(t.wHour))
        .add("wMinute", int64_t(t.wMinute))
        .add("wSecond", int64_t(t.wSecond))
        .add("wMilliseconds", int64_t(t.wMilliseconds))
        .toJson();
}

QByteArray gpsDataJson(const RVXGpsData& f) {
    QByteArray channels = "[";
    QByteArray used = "[";
    for (int i = 0; i < RVXGpsData::kChannels; ++i) {
        const char* comma = i ? "," : "";
        channels += comma + QByteArray("[") + QByteArray::number(f.SVonChannel[i].first) + ',' +
                    QByteArray::number(f.SVonChannel[i].second) + ']';
        used += comma + QByteArray::number(f.SatelliteUsed[i]);
    }
    return CliJson()
        .addRaw("SVonChannel", channels + ']')
        .addRaw("SatelliteUsed", used + ']')
        .add("NS", characterText(f.NS))
        .add("EW", characterText(f.EW))
        .add("Enable_GNGNS", int64_t(f.Enable_GNGNS))
        .add("Enable_GNGSA", int64_t(f.Enable_GNGSA))
        .add("Cnt_GNGSA", int64_t(f.Cnt_GNGSA))
        .add("gpsValid", int64_t(f.gpsValid))
        .add("SatelliteCount", int64_t(f.SatelliteCount))
        .add("SatelliteUsedCount", int64_t(f.SatelliteUsedCount))
        .add("SatelliteUsedCount_GPS", int64_t(f.SatelliteUsedCount_GPS))
        .add("SatelliteUsedCount_GLONASS", int64_t(f.SatelliteUsedCount_GLONASS))
        .add("PDOP", f.PDOP)
        .add("HDOP", f.HDOP)
        .add("VDOP", f.VDOP)
        .add("Latitude", f.Latitude)
        .add("Longitude", f.Longitude)
        .add("SpeedOverGround", f.SpeedOverGround)
        .add("CourseOverGround", f.CourseOverGround)
        .addRaw("Now", systemTimeJson(f.Now))
        .toJson();
}
