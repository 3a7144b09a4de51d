// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/library/RVXSqlLibraryIndex.h"

#include <QHash>
#include <QVariantList>

#include <memory>
#include <variant>

// The library's index on a PostgreSQL server with PostGIS, for a fleet's many workstations
// at once: Qt's QPSQL driver, places as geography points under GiST indexes, a trip's track
// also as one line. The program creates and upgrades the schema (a version table, each
// migration in its own transaction) and refuses a newer one. Unique keys and transactions
// decide between two workstations registering the same file: one row, the other an error.
class RVXPostgresLibraryIndex final : public RVXSqlLibraryIndex {
public:
    static constexpr int kSchemaVersion = 1;

    // address: "postgresql://user@host:port/db", or "postgresql:///db?host=/run/socket/dir",
    // further query items passed to libpq as they are (service=..., sslmode=...). What it
    // leaves out comes from libpq's own environment (PGHOST, PGSERVICE, PGPASSFILE), so a
    // password never needs to be in it; one that is, is refused. upTo: the version to bring
    // the schema to; an older one only for the tests of the migrations.
    static std::variant<std::unique_ptr<RVXPostgresLibraryIndex>, QString>
    open(const QString& address, int upTo = kSchemaVersion);
    static bool isAddress(const QString& text);
    ~RVXPostgresLibraryIndex() override;

    int schemaVersion();

    std::optional<QString> rememberCard(RVXLibraryCard& card) override;

    std::optional<QString> replaceDrives(const RVXLibraryDriveSet& set) override;

    // Ids as a PostgreSQL array literal, the one parameter "= ANY(?::bigint[])" takes.
    static QString idArray(const std::vector<int64_t>& ids);
    // The place's test in SQL on a row's point (its geography column) and its values.
    static QString placeCondition(const RVXLibraryPlace& place, const char* column,
                                  QVariantList& values);

private:
    explicit RVXPostgresLibraryIndex(QString connection);
    QSqlDatabase db() const override;
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
