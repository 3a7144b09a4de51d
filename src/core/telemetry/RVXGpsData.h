// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

// A UTC moment as the camera's GPS text gives it.
struct _SYSTEMTIME {
    uint16_t wYear = 0;
    uint16_t wMonth = 0;
    uint16_t wDayOfWeek = 0;
    uint16_t wDay = 0;
    uint16_t wHour = 0;
    uint16_t wMinute = 0;
    uint16_t wSecond = 0;
    uint16_t wMilliseconds = 0;

    bool operator==(const _SYSTEMTIME&) const = default;
    bool isSet() const { return *this != _SYSTEMTIME{}; }
};

struct RVXSatelliteChannel {
    uint8_t first = 0;
    uint8_t second = 0;
    bool operator==(const RVXSatelliteChannel&) const = default;
};

// One GPS fix as the sentences of a recording have built it so far. Plain data: a copy
// is a duplicate. Positions stay in the NMEA form (d)ddmm.mmmm, unsigned, with the
// hemisphere letters beside them.
struct RVXGpsData {
    static constexpr int kChannels = 12;

    RVXSatelliteChannel SVonChannel[kChannels] = {};
    uint8_t SatelliteUsed[kChannels] = {};
    char NS = 'N';
    char EW = 'E';
    uint8_t Enable_GNGNS = 0;
    uint8_t Enable_GNGSA = 0;
    uint8_t Cnt_GNGSA = 0;
    uint8_t gpsValid = 0;
    uint32_t SatelliteCount = 0;
    uint32_t SatelliteUsedCount = 0;
    uint32_t SatelliteUsedCount_GPS = 0;
    uint32_t SatelliteUsedCount_GLONASS = 0;
    double PDOP = 0;
    double HDOP = 0;
    double VDOP = 0;
    double Latitude = 0;
    double Longitude = 0;
    double SpeedOverGround = 0;
    double CourseOverGround = 0;
    _SYSTEMTIME Now;

    bool operator==(const RVXGpsData&) const = default;

    void clear() { *this = RVXGpsData(); }
    void updateFromObject(const RVXGpsData& other) { *this = other; }
    RVXGpsData duplicate() const { return *this; }

    // Indexes outside 0 to 11 read as empty and write nothing.
    RVXSatelliteChannel SVonChannelAtIndex(int index) const;
    void setSVonChannel(RVXSatelliteChannel channel, int index);
    void setSVonChannelWithFirstSecond(uint8_t first, uint8_t second, int index);
    void setSVonChannelWithFirst(uint8_t first, int index);
    void setSVonChannelWithSecond(uint8_t second, int index);
    uint8_t SatelliteUsedAtIndex(int index) const;
    void setSatelliteUsed(uint8_t number, int index);
};
