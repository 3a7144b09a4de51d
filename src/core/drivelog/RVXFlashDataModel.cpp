// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/drivelog/RVXFlashDataModel.h"

#include "core/support/RVXCFormat.h"
#include "core/support/RVXLocalizedString.h"

#include <QSaveFile>

namespace {

QString tenths(int16_t value) {
    // Quotient and remainder, the whole part padded to two. Printed apart, a negative
    // value would carry its sign twice ("-1.-5"), so the sign goes in front once.
    if (value < 0) {
        const int magnitude = -int(value);
        return RVXCFormat("-%d.%1d", magnitude / 10, magnitude % 10);
    }
    return RVXCFormat("%2d.%1d", value / 10, value % 10);
}

QString gValue(int16_t value) {
    return RVXCFormat("%+.2f", value * 0.00390625);
}

} // namespace

void RVXFlashDataModel::setRecords(std::vector<FlashDataRecord> records) {
    beginResetModel();
    m_records = std::move(records);
    endResetModel();
}

bool RVXFlashDataModel::doReadFlashDataFile(const QString& path) {
    auto records = readFlashDataFile(path);
    if (!records)
        return false;
    setRecords(std::move(*records));
    return true;
}

QStringList RVXFlashDataModel::columnNames() {
    QStringList names;
    for (const char* key :
         {"setting.flashdata.index", "setting.flashdata.seq", "setting.flashdata.date",
          "setting.flashdata.time", "setting.flashdata.yoil", "setting.flashdata.lat",
          "setting.flashdata.lon", "setting.flashdata.driving_distance",
          "setting.flashdata.cur_speed", "setting.flashdata.max_speed", "setting.flashdata.value"})
        names << RVXLocalizedString(key);
    names << QStringLiteral("X") << QStringLiteral("Y") << QStringLiteral("Z")
          << RVXLocalizedString("setting.flashdata.battery") << QStringLiteral("TTC")
          << QStringLiteral("DTC");
    return names;
}

QList<int> RVXFlashDataModel::columnWidths() {
    return {38, 38, 86, 72, 70, 64, 72, 60, 60, 60, 48, 48, 48, 48, 60, 60, 60};
}

QString RVXFlashDataModel::stringForColumnIndex(int column, int64_t row) const {
    if (row < 0 || row >= int64_t(m_records.size()))
        return {};
    const FlashDataRecord& r = m_records[size_t(row)];
    static const char* const kDays[] = {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"};
    switch (column) {
    case 0:
        return QString::number(row + 1);
    case 1:
        return QString::number(r.sequence);
    case 2:
        return RVXCFormat("%4d/%02d/%02d", r.year + 1900, r.month, r.day);
    case 3:
        return RVXCFormat("%02d:%02d:%02d", r.hour, r.minute, r.second);
    case 4:
        return r.dayOfWeek < 7 ? QString::fromLatin1(kDays[r.dayOfWeek]) : QStringLiteral("-");
    case 5:
        return RVXCFormat("%04d.%04d", r.latitudeWhole, r.latitudeFraction);
    case 6:
        return RVXCFormat("%05d.%04d", r.longitudeWhole, r.longitudeFraction);
    case 7:
        return RVXCFormat("%.1f", r.distance / 10.0);
    case 8:
        return QString::number(r.currentSpeed);
    case 9:
        return QString::number(r.maximumSpeed);
    case 10:
        return r.status == 1   ? QStringLiteral("A")
               : r.status == 2 ? QStringLiteral("F")
                               : QStringLiteral("V");
    case 11:
        return gValue(r.x);
    case 12:
        return gValue(r.y);
    case 13:
        return gValue(r.z);
    case 14:
        return tenths(r.battery);
    case 15:
        return tenths(r.ttc);
    case 16:
        return tenths(r.dtc);
    default:
        return {};
    }
}

std::optional<QString> RVXFlashDataModel::doWriteCSVFile(const QString& path) const {
    // Written whole and then put in place: an export over an older, longer file leaves
    // nothing of it behind, and a failed one leaves the old file as it was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    file.write((columnNames().join(u',') + u'\n').toUtf8());
    for (int64_t row = 0; row < int64_t(m_records.size()); ++row) {
        QStringList cells;
        for (int c = 0; c < kColumnCount; ++c)
            cells << stringForColumnIndex(c, row);
        file.write((cells.join(u',') + u'\n').toUtf8());
    }
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

int RVXFlashDataModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(std::min<size_t>(m_records.size(), INT32_MAX));
}

int RVXFlashDataModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant RVXFlashDataModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return stringForColumnIndex(index.column(), index.row());
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant RVXFlashDataModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return columnNames().at(section);
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    return {};
}
