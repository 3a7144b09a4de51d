// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/library/RVXSqlLibraryIndex.h"

#include <QHash>

#include <memory>
#include <variant>

// The library's index in library.db beside the files: SQLite through Qt's QSQLITE
// driver, in WAL mode, places in an R*Tree. The schema carries its version; an older
// file is brought up to date one migration at a time, each in its own transaction, and
// a newer one is refused rather than misread.
class RVXSqliteLibraryIndex final : public RVXSqlLibraryIndex {
public:
    static constexpr int kSchemaVersion = 2;
    // A track point's id: its trip's id shifted by kPointBits, plus its number in the trip.
    // The boxes of the R*Tree hold kSegmentPoints points each.
    static constexpr int kPointBits = 20;
    static constexpr int kSegmentPoints = 16;

    // Opens the index at path, creating it when missing. durable: every commit reaches
    // the disk before it returns (the library's own; a rebuild's scratch copy goes
    // without until it is put in place). upTo: the version to bring it to; an older one
    // only for the tests of the migrations.
    static std::variant<std::unique_ptr<RVXSqliteLibraryIndex>, QString>
    open(const QString& path, bool durable = true, int upTo = kSchemaVersion);
    ~RVXSqliteLibraryIndex() override;

    int schemaVersion();
    // Writes the log back into the file and closes it: the file alone then holds all.
    std::optional<QString> checkpoint();

    std::optional<QString> rememberCard(RVXLibraryCard& card) override;

    std::optional<QString> replaceDrives(const RVXLibraryDriveSet& set) override;

private:
    explicit RVXSqliteLibraryIndex(QString connection);
    std::optional<QString> migrate(int upTo);

    QString idIn(QLatin1String column) const override;
    QString idSet(const std::vector<int64_t>& ids) const override;
    QLatin1String offsetColumn() const override;
    QLatin1String pathOrder() const override;
    QLatin1String trackOrder() const override;
    QString returningId(const QString& insert) const override;
    std::optional<int64_t> insertedId(RVXSqlStatement& insert) const override;
    QHash<int64_t, double> placeHits(const RVXLibraryPlace& place, bool byTrip) override;
    QString eventPlaceCondition(const RVXLibraryPlace& place, QVariantList& values) override;
};
