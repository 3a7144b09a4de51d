// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/library/RVXLibraryIndex.h"

#include <QHash>

#include <memory>
#include <variant>

class QSqlDatabase;

// The library's index in library.db beside the files: SQLite through Qt's QSQLITE
// driver, in WAL mode, places in an R*Tree. The schema carries its version; an older
// file is brought up to date one migration at a time, each in its own transaction, and
// a newer one is refused rather than misread.
class RVXSqliteLibraryIndex final : public RVXLibraryIndex {
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

private:
    explicit RVXSqliteLibraryIndex(QString connection);
    QSqlDatabase db() const;
    std::optional<QString> migrate(int upTo);
    std::vector<RVXLibraryRecording> selectRecordings(const QString& where,
                                                      const QVariantList& values);
    std::vector<RVXLibraryTrip> selectTrips(const QString& where, const QVariantList& values);
    std::vector<RVXLibraryEvent> selectEvents(const QString& where, const QVariantList& values);
    // The recordings (or trips) whose track passes through place, with the first moment
    // it is there.
    QHash<int64_t, double> placeHits(const RVXLibraryPlace& place, bool byTrip);

    QString m_connection;
};
