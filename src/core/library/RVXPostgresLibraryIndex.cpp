// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/library/RVXPostgresLibraryIndex.h"

#include "core/library/RVXSqlStatement.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUrlQuery>

#include <atomic>

namespace {

struct Migration {
    int version;
    std::vector<const char*> statements;
};

// PostgreSQL's schema changes are transactional: each migration runs whole in one
// transaction, so a stop half-way leaves the database at the version before it.
// "offset" is a reserved word here; the columns say what they hold instead.
const Migration kMigrations[] = {
    {1,
     {"CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)",
      "CREATE EXTENSION IF NOT EXISTS postgis",
      "CREATE TABLE cards (id BIGSERIAL PRIMARY KEY, label TEXT NOT NULL, filesystem_uuid TEXT "
      "NOT NULL, drive_serial TEXT NOT NULL, source TEXT NOT NULL)",
      "CREATE TABLE imports (id BIGSERIAL PRIMARY KEY, card_id BIGINT NOT NULL REFERENCES "
      "cards(id), started TEXT NOT NULL, finished TEXT NOT NULL DEFAULT '', source TEXT NOT "
      "NULL, folder TEXT NOT NULL, choice TEXT NOT NULL, added BIGINT NOT NULL DEFAULT 0, "
      "skipped BIGINT NOT NULL DEFAULT 0, clashes BIGINT NOT NULL DEFAULT 0, failed BIGINT NOT "
      "NULL DEFAULT 0, bytes BIGINT NOT NULL DEFAULT 0, newest_moment BIGINT)",
      "CREATE TABLE recordings (id BIGSERIAL PRIMARY KEY, path TEXT NOT NULL UNIQUE, name TEXT "
      "NOT NULL, kind INTEGER NOT NULL, side INTEGER NOT NULL, moment BIGINT NOT NULL, length "
      "DOUBLE PRECISION NOT NULL, size BIGINT NOT NULL, sha256 TEXT NOT NULL, state TEXT NOT "
      "NULL CHECK (state IN ('ok', 'cut', 'repaired')), protected INTEGER NOT NULL DEFAULT 0, "
      "clash INTEGER NOT NULL DEFAULT 0, drives_done INTEGER NOT NULL DEFAULT 0, deleting "
      "INTEGER NOT NULL DEFAULT 0)",
      "CREATE INDEX recordings_name ON recordings(name)",
      "CREATE INDEX recordings_moment ON recordings(moment)",
      "CREATE TABLE pairs (front_id BIGINT NOT NULL UNIQUE REFERENCES recordings(id) ON DELETE "
      "CASCADE, rear_id BIGINT NOT NULL UNIQUE REFERENCES recordings(id) ON DELETE CASCADE)",
      // The line of the whole drive, for a map of all drives and a first test of a box.
      "CREATE TABLE trips (id BIGSERIAL PRIMARY KEY, start BIGINT NOT NULL, seconds DOUBLE "
      "PRECISION NOT NULL, distance_km DOUBLE PRECISION NOT NULL, max_speed_kmh DOUBLE "
      "PRECISION, route geography(LineString, 4326))",
      "CREATE INDEX trips_start ON trips(start)",
      "CREATE INDEX trips_route ON trips USING GIST (route)",
      "CREATE TABLE trip_units (trip_id BIGINT NOT NULL REFERENCES trips(id) ON DELETE CASCADE, "
      "position INTEGER NOT NULL, recording_id BIGINT NOT NULL REFERENCES recordings(id) ON "
      "DELETE CASCADE, partner_id BIGINT REFERENCES recordings(id) ON DELETE SET NULL, "
      "offset_seconds DOUBLE PRECISION NOT NULL, length DOUBLE PRECISION NOT NULL, PRIMARY KEY "
      "(trip_id, position))",
      "CREATE INDEX trip_units_recording ON trip_units(recording_id)",
      "CREATE INDEX trip_units_partner ON trip_units(partner_id)",
      "CREATE TABLE events (id BIGSERIAL PRIMARY KEY, trip_id BIGINT NOT NULL REFERENCES "
      "trips(id) ON DELETE CASCADE, kind TEXT NOT NULL, moment DOUBLE PRECISION NOT NULL, "
      "recording_id BIGINT NOT NULL REFERENCES recordings(id) ON DELETE CASCADE, "
      "offset_seconds DOUBLE PRECISION NOT NULL, peak DOUBLE PRECISION NOT NULL, speed_kmh "
      "DOUBLE PRECISION, latitude DOUBLE PRECISION, longitude DOUBLE PRECISION, place "
      "geography(Point, 4326) GENERATED ALWAYS AS (ST_SetSRID(ST_MakePoint(longitude, "
      "latitude), 4326)::geography) STORED)",
      "CREATE INDEX events_moment ON events(moment)", "CREATE INDEX events_trip ON events(trip_id)",
      "CREATE INDEX events_recording ON events(recording_id)",
      "CREATE INDEX events_place ON events USING GIST (place)",
      // A box is one of longitude and latitude, not of great circles: tested on the plane.
      "CREATE INDEX events_place_box ON events USING GIST ((place::geometry))",
      "CREATE TABLE track (trip_id BIGINT NOT NULL REFERENCES trips(id) ON DELETE CASCADE, "
      "number INTEGER NOT NULL, recording_id BIGINT NOT NULL REFERENCES recordings(id) ON "
      "DELETE CASCADE, moment DOUBLE PRECISION NOT NULL, latitude DOUBLE PRECISION NOT NULL, "
      "longitude DOUBLE PRECISION NOT NULL, speed_kmh DOUBLE PRECISION NOT NULL, place "
      "geography(Point, 4326) GENERATED ALWAYS AS (ST_SetSRID(ST_MakePoint(longitude, "
      "latitude), 4326)::geography) STORED, PRIMARY KEY (trip_id, number))",
      "CREATE INDEX track_recording ON track(recording_id)",
      "CREATE INDEX track_place ON track USING GIST (place)",
      "CREATE INDEX track_place_box ON track USING GIST ((place::geometry))"}},
};

// Taken by every migration, so that two workstations opening a new database at once
// create it once.
constexpr qint64 kMigrationLock = 0x52555645584c4942; // "RUVEXLIB"

std::atomic<int> s_connections{0};

// A statement of no values the server will not prepare (schema changes, LOCK).
std::optional<QString> execute(const QSqlDatabase& db, const QString& sql) {
    QSqlQuery q(db);
    if (!q.exec(sql))
        return q.lastError().text();
    return std::nullopt;
}

} // namespace

RVXPostgresLibraryIndex::RVXPostgresLibraryIndex(QString connection)
    : RVXSqlLibraryIndex(std::move(connection)) {}

RVXPostgresLibraryIndex::~RVXPostgresLibraryIndex() = default;

QSqlDatabase RVXPostgresLibraryIndex::db() const {
    QSqlDatabase d = QSqlDatabase::database(m_connection, false);
    // The driver closes a connection the server dropped; a window open for days outlives
    // a server restart.
    if (!d.isOpen() && d.open())
        QSqlQuery(d).exec(QStringLiteral("SET client_min_messages = warning"));
    return d;
}

bool RVXPostgresLibraryIndex::isAddress(const QString& text) {
    return text.startsWith(u"postgresql:") || text.startsWith(u"postgres:");
}

std::variant<std::unique_ptr<RVXPostgresLibraryIndex>, QString>
RVXPostgresLibraryIndex::open(const QString& address, int upTo) {
    const QUrl url(address, QUrl::StrictMode);
    if (!isAddress(address) || !url.isValid())
        return QStringLiteral("not a PostgreSQL address (postgresql://user@host/database): %1")
            .arg(url.isValid() ? url.toDisplayString(QUrl::RemovePassword) : url.errorString());
    // Never echo the address itself: it might hold a password.
    if (!url.password().isEmpty())
        return QStringLiteral("a password in the database address is refused: keep it in "
                              "~/.pgpass (or the file PGPASSFILE names) or a service file");
    QUrlQuery query(url);
    QString host = url.host(), user = url.userName();
    QString database = url.path().mid(1);
    QStringList options;
    for (const auto& [key, value] : query.queryItems(QUrl::FullyDecoded)) {
        if (key == u"host")
            host = value;
        else if (key == u"user")
            user = value;
        else if (key == u"dbname")
            database = value;
        else if (key == u"password")
            return QStringLiteral("a password in the database address is refused: keep it in "
                                  "~/.pgpass (or the file PGPASSFILE names) or a service file");
        else
            options << key + u'=' + value;
    }

    const QString name = QStringLiteral("ruvex-library-pg-%1").arg(s_connections++);
    std::unique_ptr<RVXPostgresLibraryIndex> index(new RVXPostgresLibraryIndex(name));
    const QString where = QStringLiteral("%1 on %2")
                              .arg(database.isEmpty() ? QStringLiteral("the database") : database,
                                   host.isEmpty() ? QStringLiteral("the default server") : host);
    {
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        if (!d.isValid())
            return QStringLiteral("Qt's PostgreSQL driver (QPSQL) is missing; on Debian it comes "
                                  "with the package libqt6sql6-psql");
        d.setHostName(host);
        d.setUserName(user);
        d.setDatabaseName(database);
        if (url.port() > 0)
            d.setPort(url.port());
        d.setConnectOptions(options.join(u';'));
        if (!d.open())
            return QStringLiteral("%1: %2").arg(where, d.lastError().text().trimmed());
    }
    // The server's notices (an extension already there) are no one's business on stderr.
    if (auto error = execute(index->db(), QStringLiteral("SET client_min_messages = warning")))
        return QStringLiteral("%1: %2").arg(where, *error);
    if (auto error = index->migrate(upTo))
        return QStringLiteral("%1: %2").arg(where, *error);
    return index;
}

int RVXPostgresLibraryIndex::schemaVersion() {
    RVXSqlStatement exists(db(),
                           QStringLiteral("SELECT to_regclass('schema_version') IS NOT NULL"));
    if (exists.exec() || !exists.next())
        return -1;
    if (!exists.value(0).toBool())
        return 0;
    RVXSqlStatement version(db(), QStringLiteral("SELECT COALESCE(max(version), 0) FROM "
                                                 "schema_version"));
    if (version.exec() || !version.next())
        return -1;
    return int(version.integer(0));
}

std::optional<QString> RVXPostgresLibraryIndex::migrate(int upTo) {
    for (const Migration& m : kMigrations) {
        if (m.version > upTo)
            break;
        RVXSqlTransaction transaction(db());
        if (transaction.error())
            return transaction.error();
        RVXSqlStatement lock(db(), QStringLiteral("SELECT pg_advisory_xact_lock(?)"));
        lock.bind(kMigrationLock);
        if (auto error = lock.exec())
            return error;
        // Read under the lock: another workstation may just have done this one.
        const int current = schemaVersion();
        if (current < 0)
            return QStringLiteral("the database's schema could not be read");
        if (current > kSchemaVersion)
            return QStringLiteral("written by a newer RUVEX Viewer (index version %1; this one "
                                  "reads up to %2): open it with that version")
                .arg(current)
                .arg(kSchemaVersion);
        if (m.version <= current)
            continue;
        for (const char* sql : m.statements) {
            if (auto error = execute(db(), QString::fromLatin1(sql)))
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
    // A database already past the last migration this program knows.
    const int current = schemaVersion();
    if (current > kSchemaVersion)
        return QStringLiteral("written by a newer RUVEX Viewer (index version %1; this one reads "
                              "up to %2): open it with that version")
            .arg(current)
            .arg(kSchemaVersion);
    return std::nullopt;
}

QString RVXPostgresLibraryIndex::idArray(const std::vector<int64_t>& ids) {
    QString out = QStringLiteral("{");
    for (size_t i = 0; i < ids.size(); ++i) {
        if (i)
            out += u',';
        out += QString::number(ids[i]);
    }
    return out + u'}';
}

std::optional<QString> RVXPostgresLibraryIndex::rememberCard(RVXLibraryCard& card) {
    // Whether a card is known is decided here, not by a key: the table is locked against
    // another workstation adding the same card between the look and the insert.
    RVXSqlTransaction transaction(db());
    if (transaction.error())
        return transaction.error();
    if (auto error = execute(db(), QStringLiteral("LOCK TABLE cards IN SHARE ROW EXCLUSIVE MODE")))
        return error;
    for (const RVXLibraryCard& known : cards()) {
        if (!known.sameCard(card))
            continue;
        card.id = known.id;
        RVXSqlStatement s(db(), QStringLiteral("UPDATE cards SET label = ? WHERE id = ?"));
        s.bind(card.label).bind(qint64(card.id));
        if (auto error = s.exec())
            return error;
        return transaction.commit();
    }
    RVXSqlStatement s(db(), QStringLiteral("INSERT INTO cards (label, filesystem_uuid, "
                                           "drive_serial, source) VALUES (?, ?, ?, ?) "
                                           "RETURNING id"));
    s.bind(card.label).bind(card.filesystemUuid).bind(card.driveSerial).bind(card.source);
    if (auto error = s.exec())
        return error;
    if (!s.next())
        return QStringLiteral("the card's row came back without its id");
    const int64_t id = s.integer(0);
    if (auto error = transaction.commit())
        return error;
    card.id = id;
    return std::nullopt;
}

QString RVXPostgresLibraryIndex::idIn(QLatin1String column) const {
    return QStringLiteral("%1 = ANY(?::bigint[])").arg(column);
}

QString RVXPostgresLibraryIndex::idSet(const std::vector<int64_t>& ids) const {
    return idArray(ids);
}

// "offset" is a reserved word here.
QLatin1String RVXPostgresLibraryIndex::offsetColumn() const {
    return QLatin1String("offset_seconds");
}

// Paths compare byte by byte whatever the server's collation, as on SQLite.
QLatin1String RVXPostgresLibraryIndex::pathOrder() const {
    return QLatin1String("r.path COLLATE \"C\"");
}

// A trip's points are numbered; two of one moment keep their order.
QLatin1String RVXPostgresLibraryIndex::trackOrder() const {
    return QLatin1String("moment, number");
}

QString RVXPostgresLibraryIndex::returningId(const QString& insert) const {
    return insert + QStringLiteral(" RETURNING id");
}

std::optional<int64_t> RVXPostgresLibraryIndex::insertedId(RVXSqlStatement& insert) const {
    if (!insert.next())
        return std::nullopt;
    return insert.integer(0);
}
