// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>

#include <array>
#include <cstring>

// The raw GPS block of one telemetry record: the speed-unit character followed by the
// 128 bytes of NMEA text, with line ends already turned into NUL by the scan.
struct RVXAviGpsData {
    static constexpr int kSize = 129;

    std::array<char, kSize> data{};

    static RVXAviGpsData aviGpsDataWithData(const char* bytes) {
        RVXAviGpsData d;
        std::memcpy(d.data.data(), bytes, kSize);
        return d;
    }
    // '9' means km/h; anything else miles per hour.
    char unit() const { return data[0]; }
    QByteArrayView gpsString() const { return QByteArrayView(data.data() + 1, kSize - 1); }
    bool operator==(const RVXAviGpsData&) const = default;
};
