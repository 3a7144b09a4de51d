// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/library/RVXLibraryIndex.h"

#include <QDate>
#include <QHash>
#include <QLatin1String>
#include <QSqlDatabase>
#include <QVariantList>

class RVXSqlStatement;

// What the indexes on SQL databases share: one schema in all but places, so the
// recordings, trips and events are read, found and removed by the same statements here.
// Each database answers the few things its SQL says differently: a set of ids as one
// value, a column whose name is reserved on one of them, how a new row's id comes back,
// and everything about places.
class RVXSqlLibraryIndex : public RVXLibraryIndex {
public:
    ~RVXSqlLibraryIndex() override;

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

    std::vector<RVXLibraryTrip> trips(const RVXLibraryQuery& query) override;
    std::optional<RVXLibraryTrip> trip(int64_t id) override;
    std::vector<RVXLibraryEvent> events(const RVXLibraryQuery& query) override;
    std::optional<RVXLibraryEvent> event(int64_t id) override;
    std::vector<RVXLibraryTrackPoint> track(int64_t trip) override;
    std::vector<std::pair<int64_t, int64_t>> pairs() override;

protected:
    // connection: the name of a QSqlDatabase connection the index owns from here on.
    explicit RVXSqlLibraryIndex(QString connection);
    virtual QSqlDatabase db() const;
    // Moments count camera seconds from 1970-01-01.
    static int64_t dayStart(const QDate& day);

    // The test that column is one of the set of ids bound to its one ?.
    virtual QString idIn(QLatin1String column) const = 0;
    // A set of ids as the one value idIn's ? takes.
    virtual QString idSet(const std::vector<int64_t>& ids) const = 0;
    // The name of the units' and events' offset into their recording.
    virtual QLatin1String offsetColumn() const = 0;
    // The recordings' path as it sorts, byte by byte.
    virtual QLatin1String pathOrder() const = 0;
    // The points of a trip in order, the same moment twice included.
    virtual QLatin1String trackOrder() const = 0;
    // An INSERT made to give back the new row's id, and that id after exec.
    virtual QString returningId(const QString& insert) const = 0;
    virtual std::optional<int64_t> insertedId(RVXSqlStatement& insert) const = 0;
    // The recordings (or trips) whose track passes through place, with the first moment
    // it is there.
    virtual QHash<int64_t, double> placeHits(const RVXLibraryPlace& place, bool byTrip) = 0;
    // The place's test in SQL on an event row (alias e) and its values.
    virtual QString eventPlaceCondition(const RVXLibraryPlace& place, QVariantList& values) = 0;

    std::vector<RVXLibraryRecording> selectRecordings(const QString& where,
                                                      const QVariantList& values);
    std::vector<RVXLibraryTrip> selectTrips(const QString& where, const QVariantList& values);
    std::vector<RVXLibraryEvent> selectEvents(const QString& where, const QVariantList& values);
    // What a place query of an id and a moment found, by id.
    QHash<int64_t, double> hitsOf(const QString& sql, const QVariantList& values);
    // The recordings a set of drives is worked out for: its days' and those its trips hold.
    static std::vector<int64_t> coveredBy(const RVXLibraryDriveSet& set);

    QString m_connection;
};
