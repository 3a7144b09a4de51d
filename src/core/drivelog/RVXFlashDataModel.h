// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/drivelog/FlashDataRecord.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <optional>
#include <vector>

// The drive-information log as the information page shows it: 17 text columns, one
// row a record. Records are read apart (readFlashDataFile, on a worker) and handed in
// whole with setRecords on the thread that owns the model.
class RVXFlashDataModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kColumnCount = 17;

    using QAbstractTableModel::QAbstractTableModel;

    void setRecords(std::vector<FlashDataRecord> records);
    const std::vector<FlashDataRecord>& records() const { return m_records; }
    int64_t m_FlashDataNum() const { return int64_t(m_records.size()); }

    // Reads path on the calling thread and shows its records; false (rows unchanged)
    // when the file cannot be opened.
    bool doReadFlashDataFile(const QString& path);
    QString stringForColumnIndex(int column, int64_t row) const;
    // Localised titles, except X, Y, Z, TTC and DTC, which stand as they are.
    static QStringList columnNames();
    static QList<int> columnWidths();
    // The table as CSV: titles, then one line a row; no quoting. Replaces the file's content.
    std::optional<QString> doWriteCSVFile(const QString& path) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    std::vector<FlashDataRecord> m_records;
};
