// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/library/RVXSqliteLibraryIndex.h"

#include "core/library/RVXSqlStatement.h"

#include <QFileInfo>
#include <QSqlError>

#include <atomic>

namespace {

struct Migration {
    int version;
    std::vector<const char*> statements;
};

// Each migration runs whole in one transaction (SQLite's schema changes are
// transactional), so a stop half-way leaves the file at the version before it.
const Migration kMigrations[] = {
    {1,
     {"CREATE TABLE schema_version (version INTEGER NOT NULL)",
      "CREATE TABLE cards (id INTEGER PRIMARY KEY, label TEXT NOT NULL, "
      "filesystem_uuid TEXT NOT NULL, drive_serial TEXT NOT NULL, source TEXT NOT NULL)",
      "CREATE TABLE imports (id INTEGER PRIMARY KEY, card_id INTEGER NOT NULL REFERENCES "
      "cards(id), started TEXT NOT NULL, finished TEXT NOT NULL DEFAULT '', source TEXT NOT "
      "NULL, folder TEXT NOT NULL, choice TEXT NOT NULL, added INTEGER NOT NULL DEFAULT 0, "
      "skipped INTEGER NOT NULL DEFAULT 0, clashes INTEGER NOT NULL DEFAULT 0, failed INTEGER "
      "NOT NULL DEFAULT 0, bytes INTEGER NOT NULL DEFAULT 0, newest_moment INTEGER)",
      "CREATE TABLE recordings (id INTEGER PRIMARY KEY, path TEXT NOT NULL UNIQUE, name TEXT "
      "NOT NULL, kind INTEGER NOT NULL, side INTEGER NOT NULL, moment INTEGER NOT NULL, length "
      "REAL NOT NULL, size INTEGER NOT NULL, sha256 TEXT NOT NULL, state TEXT NOT NULL CHECK "
      "(state IN ('ok', 'cut', 'repaired')), protected INTEGER NOT NULL DEFAULT 0, clash "
      "INTEGER NOT NULL DEFAULT 0, drives_done INTEGER NOT NULL DEFAULT 0, deleting INTEGER NOT "
      "NULL DEFAULT 0)",
      "CREATE INDEX recordings_name ON recordings(name)",
      "CREATE INDEX recordings_moment ON recordings(moment)",
      "CREATE TABLE pairs (front_id INTEGER NOT NULL UNIQUE REFERENCES recordings(id) ON "
      "DELETE CASCADE, rear_id INTEGER NOT NULL UNIQUE REFERENCES recordings(id) ON DELETE "
      "CASCADE)",
      "CREATE TABLE trips (id INTEGER PRIMARY KEY, start INTEGER NOT NULL, seconds REAL NOT "
      "NULL, distance_km REAL NOT NULL, max_speed_kmh REAL)",
      "CREATE INDEX trips_start ON trips(start)",
      "CREATE TABLE trip_units (trip_id INTEGER NOT NULL REFERENCES trips(id) ON DELETE "
      "CASCADE, position INTEGER NOT NULL, recording_id INTEGER NOT NULL REFERENCES "
      "recordings(id) ON DELETE CASCADE, partner_id INTEGER REFERENCES recordings(id) ON "
      "DELETE SET NULL, offset REAL NOT NULL, length REAL NOT NULL, PRIMARY KEY (trip_id, "
      "position))",
      "CREATE INDEX trip_units_recording ON trip_units(recording_id)",
      "CREATE INDEX trip_units_partner ON trip_units(partner_id)",
      "CREATE TABLE events (id INTEGER PRIMARY KEY, trip_id INTEGER NOT NULL REFERENCES "
      "trips(id) ON DELETE CASCADE, kind TEXT NOT NULL, moment REAL NOT NULL, recording_id "
      "INTEGER NOT NULL REFERENCES recordings(id) ON DELETE CASCADE, offset REAL NOT NULL, "
      "peak REAL NOT NULL, speed_kmh REAL, latitude REAL, longitude REAL)",
      "CREATE INDEX events_moment ON events(moment)", "CREATE INDEX events_trip ON events(trip_id)",
      "CREATE INDEX events_recording ON events(recording_id)",
      "CREATE TABLE track (id INTEGER PRIMARY KEY, trip_id INTEGER NOT NULL REFERENCES "
      "trips(id) ON DELETE CASCADE, recording_id INTEGER NOT NULL REFERENCES recordings(id) ON "
      "DELETE CASCADE, moment REAL NOT NULL, latitude REAL NOT NULL, longitude REAL NOT NULL, "
      "speed_kmh REAL NOT NULL)",
      "CREATE INDEX track_trip ON track(trip_id, moment)",
      "CREATE INDEX track_recording ON track(recording_id)",
      // The first version's R*Tree held each point; see version 2.
      "CREATE VIRTUAL TABLE track_places USING rtree(id, south, north, west, east)",
      "CREATE TRIGGER track_place_added AFTER INSERT ON track BEGIN INSERT INTO track_places "
      "VALUES (new.id, new.latitude, new.latitude, new.longitude, new.longitude); END",
      "CREATE TRIGGER track_place_gone AFTER DELETE ON track BEGIN DELETE FROM track_places "
      "WHERE id = old.id; END"}},
    // The R*Tree holds the box of each run of 16 points of a trip's track, under the id of
    // its first point, and a point's id is its trip's shifted by 20 bits plus its number in
    // the trip: a place query reads some thousand boxes where the points would be a hundred
    // thousand, and then only the points of the first box of each trip it hit.
    {2,
     {"CREATE TABLE track_numbered (id INTEGER PRIMARY KEY, trip_id INTEGER NOT NULL "
      "REFERENCES trips(id) ON DELETE CASCADE, recording_id INTEGER NOT NULL REFERENCES "
      "recordings(id) ON DELETE CASCADE, moment REAL NOT NULL, latitude REAL NOT NULL, "
      "longitude REAL NOT NULL, speed_kmh REAL NOT NULL)",
      "INSERT INTO track_numbered SELECT (trip_id << 20) | (row_number() OVER (PARTITION BY "
      "trip_id ORDER BY moment, id) - 1), trip_id, recording_id, moment, latitude, longitude, "
      "speed_kmh FROM track",
      "DROP TABLE track", "DROP TABLE track_places", "ALTER TABLE track_numbered RENAME TO track",
      "CREATE INDEX track_trip ON track(trip_id, moment)",
      "CREATE INDEX track_recording ON track(recording_id)",
      "CREATE VIRTUAL TABLE track_segments USING rtree(id, south, north, west, east)",
      "INSERT INTO track_segments SELECT (id >> 4) << 4, min(latitude), max(latitude), "
      "min(longitude), max(longitude) FROM track GROUP BY id >> 4",
      // Before the trip goes, while its track (and so the boxes' ids) can still be read.
      "CREATE TRIGGER trip_segments_gone BEFORE DELETE ON trips BEGIN DELETE FROM "
      "track_segments WHERE id IN (SELECT id FROM track WHERE trip_id = old.id AND (id & 15) = "
      "0); END"}},
};

std::atomic<int> s_connections{0};

} // namespace

RVXSqliteLibraryIndex::RVXSqliteLibraryIndex(QString connection)
    : RVXSqlLibraryIndex(std::move(connection)) {}

RVXSqliteLibraryIndex::~RVXSqliteLibraryIndex() = default;

std::variant<std::unique_ptr<RVXSqliteLibraryIndex>, QString>
RVXSqliteLibraryIndex::open(const QString& path, bool durable, int upTo) {
    const QString name = QStringLiteral("ruvex-library-%1").arg(s_connections++);
    std::unique_ptr<RVXSqliteLibraryIndex> index(new RVXSqliteLibraryIndex(name));
    {
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        if (!d.isValid())
            return QStringLiteral("Qt's SQLite driver (QSQLITE) is missing; on Debian it comes "
                                  "with the package libqt6sql6-sqlite");
        d.setDatabaseName(path);
        // Another program reading the index (the window beside a script) holds a lock for
        // moments only; wait for it rather than fail.
        d.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
        if (!d.open())
            return QStringLiteral("%1: %2").arg(path, d.lastError().text());
    }
    QSqlDatabase d = index->db();
    {
        RVXSqlStatement wal(d, QStringLiteral("PRAGMA journal_mode=WAL"));
        if (auto error = wal.exec())
            return QStringLiteral("%1: %2").arg(path, *error);
        if (!wal.next() || wal.text(0).compare(u"wal", Qt::CaseInsensitive) != 0)
            return QStringLiteral("%1: the disk does not allow SQLite's write-ahead log").arg(path);
    }
    for (const QString& pragma : {durable ? QStringLiteral("PRAGMA synchronous=FULL")
                                          : QStringLiteral("PRAGMA synchronous=OFF"),
                                  QStringLiteral("PRAGMA foreign_keys=ON")}) {
        RVXSqlStatement s(d, pragma);
        if (auto error = s.exec())
            return QStringLiteral("%1: %2").arg(path, *error);
    }
    if (auto error = index->migrate(upTo))
        return QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), *error);
    return index;
}

int RVXSqliteLibraryIndex::schemaVersion() {
    RVXSqlStatement exists(
        db(),
        QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = ?"));
    exists.bind(QStringLiteral("schema_version"));
    if (exists.exec() || !exists.next())
        return -1;
    if (exists.integer(0) == 0)
        return 0;
    RVXSqlStatement version(db(), QStringLiteral("SELECT max(version) FROM schema_version"));
    if (version.exec() || !version.next())
        return -1;
    return int(version.integer(0));
}

std::optional<QString> RVXSqliteLibraryIndex::migrate(int upTo) {
    const int current = schemaVersion();
    if (current < 0) {
        RVXSqlStatement probe(db(), QStringLiteral("SELECT count(*) FROM sqlite_master"));
        return probe.exec().value_or(QStringLiteral("not a library index"));
    }
    if (current > kSchemaVersion)
        return QStringLiteral("written by a newer RUVEX Viewer (index version %1; this one reads "
                              "up to %2): open it with that version, or move it away and run "
                              "'ruvex-card library rebuild'")
            .arg(current)
            .arg(kSchemaVersion);
    for (const Migration& m : kMigrations) {
        if (m.version <= current || m.version > upTo)
            continue;
        RVXSqlTransaction transaction(db());
        if (transaction.error())
            return transaction.error();
        for (const char* sql : m.statements) {
            RVXSqlStatement s(db(), QString::fromLatin1(sql));
            if (auto error = s.exec())
                return QStringLiteral("migration to version %1: %2").arg(m.version).arg(*error);
        }
        RVXSqlStatement clear(db(), QStringLiteral("DELETE FROM schema_version"));
        RVXSqlStatement set(db(), QStringLiteral("INSERT INTO schema_version VALUES (?)"));
        set.bind(m.version);
        if (auto error = clear.exec())
            return error;
        if (auto error = set.exec())
            return error;
        if (auto error = transaction.commit())
            return error;
    }
    return std::nullopt;
}

std::optional<QString> RVXSqliteLibraryIndex::checkpoint() {
    RVXSqlStatement s(db(), QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    return s.exec();
}

std::optional<QString> RVXSqliteLibraryIndex::rememberCard(RVXLibraryCard& card) {
    for (const RVXLibraryCard& known : cards()) {
        if (!known.sameCard(card))
            continue;
        card.id = known.id;
        RVXSqlStatement s(db(), QStringLiteral("UPDATE cards SET label = ? WHERE id = ?"));
        s.bind(card.label).bind(qint64(card.id));
        return s.exec();
    }
    RVXSqlStatement s(db(), QStringLiteral("INSERT INTO cards (label, filesystem_uuid, "
                                           "drive_serial, source) VALUES (?, ?, ?, ?)"));
    s.bind(card.label).bind(card.filesystemUuid).bind(card.driveSerial).bind(card.source);
    if (auto error = s.exec())
        return error;
    card.id = s.lastId();
    return std::nullopt;
}

QString RVXSqliteLibraryIndex::idIn(QLatin1String column) const {
    return QStringLiteral("%1 IN (SELECT value FROM json_each(?))").arg(column);
}

QString RVXSqliteLibraryIndex::idSet(const std::vector<int64_t>& ids) const {
    return RVXSqlStatement::idList(ids);
}

QLatin1String RVXSqliteLibraryIndex::offsetColumn() const {
    return QLatin1String("offset");
}

QLatin1String RVXSqliteLibraryIndex::pathOrder() const {
    return QLatin1String("r.path");
}

QLatin1String RVXSqliteLibraryIndex::trackOrder() const {
    return QLatin1String("moment");
}

QString RVXSqliteLibraryIndex::returningId(const QString& insert) const {
    return insert;
}

std::optional<int64_t> RVXSqliteLibraryIndex::insertedId(RVXSqlStatement& insert) const {
    return insert.lastId();
}
