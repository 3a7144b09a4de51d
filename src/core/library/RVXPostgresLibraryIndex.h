// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/library/RVXLibraryIndex.h"

#include <QHash>
#include <QVariantList>

#include <memory>
#include <variant>

class QSqlDatabase;

// The library's index on a PostgreSQL server with PostGIS, for a fleet's many workstations
// at once: Qt's QPSQL driver, places as geography points under GiST indexes, a trip's track
// also as one line. The program creates and upgrades the schema (a version table, each
// migration in its own transaction) and refuses a newer one. Unique keys and transactions
// decide between two workstations registering the same file: one row, the other an error.
class RVXPostgresLibraryIndex final : public RVXLibraryIndex {
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
    std::vector<RVXLibraryCard> cards() override;
    std::optional<QString> addImport(RVXLibraryImportRecord& record) override;
    std::optional<QString> updateImport(const RVXLibraryImportRecord& record) override;
    std::vector<RVXLibraryImportRecord> imports() override;

    std::optional<QString> addRecording(RVXLibraryRecording& recording) override;
    std::optional<QString> addRecordings(std::vector<RVXLibraryRecording>& recordings) override;
    std::vector<RVXLibraryRecording> recordingsNamed(const QString& name) override;
    std::optional<RVXLibraryRecording> recordingAt(const QString& path) override;
    std::optional<RVXLibraryRecording> recording(int64_t id) override;
    std::vector<RVXLibraryRecording> recordings(const RVXLibraryQuery& query) override;
    std::vector<RVXLibraryRecording> recordingsAwaitingDrives() override;
    int64_t totalBytes() override;
    std::optional<QString> setProtected(const std::vector<int64_t>& recordings, bool on) override;
    std::optional<QString> setDeleting(const std::vector<int64_t>& recordings) override;
    std::vector<RVXLibraryRecording> deletingRecordings() override;
    std::optional<QString> removeRecording(int64_t id) override;

    std::optional<QString> replaceDrives(const RVXLibraryDriveSet& set) override;
    std::vector<RVXLibraryTrip> trips(const RVXLibraryQuery& query) override;
    std::optional<RVXLibraryTrip> trip(int64_t id) override;
    std::vector<RVXLibraryEvent> events(const RVXLibraryQuery& query) override;
    std::optional<RVXLibraryEvent> event(int64_t id) override;
    std::vector<RVXLibraryTrackPoint> track(int64_t trip) override;
    std::vector<std::pair<int64_t, int64_t>> pairs() override;

    // Ids as a PostgreSQL array literal, the one parameter "= ANY(?::bigint[])" takes.
    static QString idArray(const std::vector<int64_t>& ids);
    // The place's test in SQL on a row's point (its geography column) and its values.
    static QString placeCondition(const RVXLibraryPlace& place, const char* column,
                                  QVariantList& values);

private:
    explicit RVXPostgresLibraryIndex(QString connection);
    QSqlDatabase db() const;
    std::optional<QString> migrate(int upTo);
    std::vector<RVXLibraryRecording> selectRecordings(const QString& where,
                                                      const QVariantList& values);
    std::vector<RVXLibraryTrip> selectTrips(const QString& where, const QVariantList& values);
    std::vector<RVXLibraryEvent> selectEvents(const QString& where, const QVariantList& values);
    QHash<int64_t, double> placeHits(const RVXLibraryPlace& place, bool byTrip);

    QString m_connection;
};
