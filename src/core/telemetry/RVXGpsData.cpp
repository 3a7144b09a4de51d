// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/telemetry/RVXGpsData.h"

namespace {
bool inRange(int index) {
    return index >= 0 && index < RVXGpsData::kChannels;
}
} // namespace

RVXSatelliteChannel RVXGpsData::SVonChannelAtIndex(int index) const {
    return inRange(index) ? SVonChannel[index] : RVXSatelliteChannel{};
}

void RVXGpsData::setSVonChannel(RVXSatelliteChannel channel, int index) {
    if (inRange(index))
        SVonChannel[index] = channel;
}

void RVXGpsData::setSVonChannelWithFirstSecond(uint8_t first, uint8_t second, int index) {
    setSVonChannel({first, second}, index);
}

void RVXGpsData::setSVonChannelWithFirst(uint8_t first, int index) {
    if (inRange(index))
        SVonChannel[index].first = first;
}

void RVXGpsData::setSVonChannelWithSecond(uint8_t second, int index) {
    if (inRange(index))
        SVonChannel[index].second = second;
}

uint8_t RVXGpsData::SatelliteUsedAtIndex(int index) const {
    return inRange(index) ? SatelliteUsed[index] : 0;
}

void RVXGpsData::setSatelliteUsed(uint8_t number, int index) {
    if (inRange(index))
        SatelliteUsed[index] = number;
}
