// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

// One logged moment of the drive-information log, decoded from its 44 little-endian
// bytes. Positions carry no hemisphere: the camera logs north and east only.
struct FlashDataRecord {
    static constexpr int kSize = 44;
    static constexpr int kHeaderSize = 12;

    uint16_t sequence = 0;
    uint8_t dayOfWeek = 0; // 0 Sunday ... 6 Saturday
    uint8_t status = 0;    // 1 "A", 2 "F", else "V"
    uint8_t year = 0;      // since 1900
    uint8_t month = 0, day = 0, hour = 0, minute = 0, second = 0;
    uint16_t latitudeWhole = 0, latitudeFraction = 0;   // ddmm and ten-thousandths of a minute
    uint16_t longitudeWhole = 0, longitudeFraction = 0; // dddmm and ten-thousandths
    uint16_t currentSpeed = 0;
    uint32_t distance = 0; // tenths
    uint32_t unknown24 = 0;
    uint16_t maximumSpeed = 0;
    uint16_t unknown30 = 0;
    int16_t x = 0, y = 0, z = 0;           // 1/256 g
    int16_t battery = 0, ttc = 0, dtc = 0; // tenths

    static FlashDataRecord fromBytes(const unsigned char* bytes);
    QByteArray toBytes() const;
};

// The log read whole: the records the file really holds, even when its header
// promises more. Nothing when the file cannot be opened.
std::optional<std::vector<FlashDataRecord>> readFlashDataFile(const QString& path);
// Why a file is no drive log the camera wrote: shorter than its header, or a record whose
// date or time no clock shows (random bytes, another file). Nothing when it is one; a log
// cut short, with fewer records than its header promises, still is.
std::optional<QString> flashDataFileDamage(const QString& path);
QByteArray flashDataFileBytes(const std::vector<FlashDataRecord>& records);
