// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/drivelog/FlashDataRecord.h"

#include "core/support/RVXLittleEndian.h"
#include "core/support/RVXLog.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

uint32_t le(const unsigned char* p, int width) {
    return RVXReadLittleEndian(p, width);
}

void put(QByteArray& out, uint32_t v, int width) {
    unsigned char bytes[4];
    RVXWriteLittleEndian(bytes, v, width);
    out.append(reinterpret_cast<const char*>(bytes), width);
}

} // namespace

FlashDataRecord FlashDataRecord::fromBytes(const unsigned char* b) {
    FlashDataRecord r;
    r.sequence = uint16_t(le(b, 2));
    r.dayOfWeek = b[2];
    r.status = b[3];
    r.year = b[4];
    r.month = b[5];
    r.day = b[6];
    r.hour = b[7];
    r.minute = b[8];
    r.second = b[9];
    r.latitudeWhole = uint16_t(le(b + 10, 2));
    r.latitudeFraction = uint16_t(le(b + 12, 2));
    r.longitudeWhole = uint16_t(le(b + 14, 2));
    r.longitudeFraction = uint16_t(le(b + 16, 2));
    r.currentSpeed = uint16_t(le(b + 18, 2));
    r.distance = le(b + 20, 4);
    r.unknown24 = le(b + 24, 4);
    r.maximumSpeed = uint16_t(le(b + 28, 2));
    r.unknown30 = uint16_t(le(b + 30, 2));
    r.x = int16_t(le(b + 32, 2));
    r.y = int16_t(le(b + 34, 2));
    r.z = int16_t(le(b + 36, 2));
    r.battery = int16_t(le(b + 38, 2));
    r.ttc = int16_t(le(b + 40, 2));
    r.dtc = int16_t(le(b + 42, 2));
    return r;
}

QByteArray FlashDataRecord::toBytes() const {
    QByteArray out;
    put(out, sequence, 2);
    for (uint8_t v : {dayOfWeek, status, year, month, day, hour, minute, second})
        put(out, v, 1);
    for (uint16_t v :
         {latitudeWhole, latitudeFraction, longitudeWhole, longitudeFraction, currentSpeed})
        put(out, v, 2);
    put(out, distance, 4);
    put(out, unknown24, 4);
    put(out, maximumSpeed, 2);
    put(out, unknown30, 2);
    for (int16_t v : {x, y, z, battery, ttc, dtc})
        put(out, uint16_t(v), 2);
    return out;
}

std::optional<std::vector<FlashDataRecord>> readFlashDataFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        RVXLog(QStringLiteral("fopen fail:%1").arg(path));
        return std::nullopt;
    }
    const QByteArray header = file.read(FlashDataRecord::kHeaderSize);
    if (header.size() < 4)
        return std::vector<FlashDataRecord>{};
    // The header's count is only believed as far as the file bears it out, so a damaged
    // count cannot ask for gigabytes.
    const uint64_t promised = le(reinterpret_cast<const unsigned char*>(header.constData()), 4);
    const uint64_t present =
        uint64_t(std::max<qint64>(0, file.size() - FlashDataRecord::kHeaderSize)) /
        FlashDataRecord::kSize;
    const uint64_t count = std::min(promised, present);
    const QByteArray body = file.read(qint64(count * FlashDataRecord::kSize));
    std::vector<FlashDataRecord> records;
    records.reserve(size_t(count));
    for (qsizetype at = 0; at + FlashDataRecord::kSize <= body.size(); at += FlashDataRecord::kSize)
        records.push_back(FlashDataRecord::fromBytes(
            reinterpret_cast<const unsigned char*>(body.constData()) + at));
    return records;
}

std::optional<QString> flashDataFileDamage(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("No such file");
    if (info.size() < FlashDataRecord::kHeaderSize)
        return QStringLiteral("%1 bytes is too short for a drive log (its header alone has %2)")
            .arg(info.size())
            .arg(FlashDataRecord::kHeaderSize);
    const auto records = readFlashDataFile(path);
    if (!records)
        return QStringLiteral("cannot be read");
    for (size_t i = 0; i < records->size(); ++i) {
        const FlashDataRecord& r = (*records)[i];
        if (r.month < 1 || r.month > 12 || r.day < 1 || r.day > 31 || r.hour > 23 ||
            r.minute > 59 || r.second > 59)
            return QStringLiteral("record %1 holds no date and time (%2/%3/%4 %5:%6:%7): "
                                  "this is no drive log")
                .arg(i + 1)
                .arg(r.year + 1900)
                .arg(r.month)
                .arg(r.day)
                .arg(r.hour)
                .arg(r.minute)
                .arg(r.second);
    }
    return std::nullopt;
}

QByteArray flashDataFileBytes(const std::vector<FlashDataRecord>& records) {
    QByteArray out;
    put(out, uint32_t(records.size()), 4);
    out.append(8, '\0');
    for (const FlashDataRecord& r : records)
        out += r.toBytes();
    return out;
}
