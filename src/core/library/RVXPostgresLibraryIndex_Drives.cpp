// SPDX-License-Identifier: GPL-3.0-or-later
// Trips, events and the track: replaced whole for the days worked over, found by day,
// kind and place.
#include "core/library/RVXPostgresLibraryIndex.h"

#include "core/library/RVXSqliteStatement.h"

#include <algorithm>

namespace {

constexpr int64_t kEpochJulianDay = 2440588;

int64_t dayStart(const QDate& day) {
    return (day.toJulianDay() - kEpochJulianDay) * 86400;
}

QVariant nullable(const std::optional<double>& v) {
    return v ? QVariant(*v) : QVariant(QMetaType::fromType<double>());
}

// A column of values as one array literal: a trip's track goes in one statement.
template <typename F>
QString arrayOf(const std::vector<RVXLibraryTrackPoint>& points, size_t count, F value) {
    QString out = QStringLiteral("{");
    for (size_t k = 0; k < count; ++k) {
        if (k)
            out += u',';
        out += value(points[k]);
    }
    return out + u'}';
}

QString number(double v) {
    return QString::number(v, 'g', QLocale::FloatingPointShortest);
}

} // namespace

QString RVXPostgresLibraryIndex::placeCondition(const RVXLibraryPlace& place, const char* column,
                                                QVariantList& values) {
    const QLatin1String c(column);
    if (place.box) {
        // For a point, the plane's && is exactly "inside the box", and its index answers it.
        const RVXLibraryPlace::Bounds b = place.bounds();
        values << b.west << b.south << b.east << b.north;
        return QStringLiteral("%1::geometry && ST_MakeEnvelope(?, ?, ?, ?, 4326)").arg(c);
    }
    // On the sphere, as the trips' distances are worked out.
    values << place.longitude << place.latitude << place.radiusMetres;
    return QStringLiteral(
               "ST_DWithin(%1, ST_SetSRID(ST_MakePoint(?, ?), 4326)::geography, ?, false)")
        .arg(c);
}

QHash<int64_t, double> RVXPostgresLibraryIndex::placeHits(const RVXLibraryPlace& place,
                                                          bool byTrip) {
    QHash<int64_t, double> out;
    QVariantList values;
    const QString inside = placeCondition(place, "place", values);
    RVXSqliteStatement s(
        db(),
        QStringLiteral("SELECT %1, MIN(moment) FROM track WHERE %2 GROUP "
                       "BY 1")
            .arg(byTrip ? QStringLiteral("trip_id") : QStringLiteral("recording_id"), inside));
    for (const QVariant& v : values)
        s.bind(v);
    if (s.exec())
        return out;
    while (s.next())
        out.insert(s.integer(0), s.real(1));
    return out;
}

std::optional<QString> RVXPostgresLibraryIndex::replaceDrives(const RVXLibraryDriveSet& set) {
    std::vector<int64_t> covered = set.recordings;
    for (const RVXLibraryDriveSet::Drive& d : set.drives) {
        for (const RVXLibraryTripUnit& u : d.trip.units) {
            covered.push_back(u.recording);
            if (u.partner)
                covered.push_back(u.partner);
        }
    }
    const QString coveredIds = idArray(covered);
    const QString days = idArray(set.recordings);

    RVXSqliteStatement oldTrips(
        db(), QStringLiteral("DELETE FROM trips WHERE id IN (SELECT trip_id FROM trip_units "
                             "WHERE recording_id = ANY(?::bigint[]) OR partner_id = "
                             "ANY(?::bigint[]))"));
    oldTrips.bind(coveredIds).bind(coveredIds);
    RVXSqliteStatement oldPairs(db(), QStringLiteral("DELETE FROM pairs WHERE front_id = "
                                                     "ANY(?::bigint[]) OR rear_id = "
                                                     "ANY(?::bigint[])"));
    oldPairs.bind(days).bind(days);
    // A pair replaces any other either side was in.
    RVXSqliteStatement unpair(db(), QStringLiteral("DELETE FROM pairs WHERE front_id = ? OR "
                                                   "rear_id = ?"));
    RVXSqliteStatement pair(db(), QStringLiteral("INSERT INTO pairs (front_id, rear_id) VALUES "
                                                 "(?, ?)"));
    RVXSqliteStatement trip(db(), QStringLiteral("INSERT INTO trips (start, seconds, "
                                                 "distance_km, max_speed_kmh) VALUES (?, ?, ?, "
                                                 "?) RETURNING id"));
    RVXSqliteStatement unit(db(), QStringLiteral("INSERT INTO trip_units (trip_id, position, "
                                                 "recording_id, partner_id, offset_seconds, "
                                                 "length) VALUES (?, ?, ?, ?, ?, ?)"));
    RVXSqliteStatement event(db(), QStringLiteral("INSERT INTO events (trip_id, kind, moment, "
                                                  "recording_id, offset_seconds, peak, "
                                                  "speed_kmh, latitude, longitude) VALUES (?, ?, "
                                                  "?, ?, ?, ?, ?, ?, ?)"));
    RVXSqliteStatement points(
        db(), QStringLiteral("INSERT INTO track (trip_id, number, recording_id, moment, latitude, "
                             "longitude, speed_kmh) SELECT ?, n - 1, r, m, la, lo, s FROM "
                             "unnest(?::bigint[], ?::float8[], ?::float8[], ?::float8[], "
                             "?::float8[]) WITH ORDINALITY AS u(r, m, la, lo, s, n)"));
    RVXSqliteStatement route(
        db(), QStringLiteral("UPDATE trips SET route = (SELECT ST_MakeLine(place::geometry ORDER "
                             "BY number)::geography FROM track WHERE trip_id = ?) WHERE id = ?"));
    RVXSqliteStatement done(db(), QStringLiteral("UPDATE recordings SET drives_done = 1 WHERE "
                                                 "id = ANY(?::bigint[])"));
    done.bind(coveredIds);
    // Every statement outlives the transaction: a failed one is rolled back before its
    // statements are freed, which an aborted transaction would refuse.
    RVXSqliteTransaction transaction(db());
    if (transaction.error())
        return transaction.error();
    for (RVXSqliteStatement* s : {&oldTrips, &oldPairs}) {
        if (auto error = s->exec())
            return error;
    }
    for (const auto& [front, rear] : set.pairs) {
        unpair.bind(qint64(front)).bind(qint64(rear));
        pair.bind(qint64(front)).bind(qint64(rear));
        if (auto error = unpair.exec())
            return error;
        if (auto error = pair.exec())
            return error;
    }
    for (const RVXLibraryDriveSet::Drive& d : set.drives) {
        trip.bind(qint64(d.trip.start)).bind(d.trip.seconds).bind(d.trip.distanceKm);
        trip.bind(nullable(d.trip.maxSpeedKmh));
        if (auto error = trip.exec())
            return error;
        if (!trip.next())
            return QStringLiteral("the trip's row came back without its id");
        const qint64 id = trip.integer(0);
        int position = 0;
        for (const RVXLibraryTripUnit& u : d.trip.units) {
            unit.bind(id).bind(position++).bind(qint64(u.recording));
            unit.bind(u.partner ? QVariant(qint64(u.partner))
                                : QVariant(QMetaType::fromType<qint64>()));
            unit.bind(u.offset).bind(u.length);
            if (auto error = unit.exec())
                return error;
        }
        for (const RVXLibraryEvent& e : d.events) {
            event.bind(id).bind(e.kind).bind(e.moment).bind(qint64(e.recording)).bind(e.offset);
            event.bind(e.peak).bind(nullable(e.speedKmh)).bind(nullable(e.latitude));
            event.bind(nullable(e.longitude));
            if (auto error = event.exec())
                return error;
        }
        // As many points as the SQLite index keeps, so that both answer the same.
        const size_t count = std::min(d.track.size(), size_t(1) << 20);
        if (count == 0)
            continue;
        const auto& t = d.track;
        points.bind(id);
        points.bind(arrayOf(t, count, [](const auto& p) { return QString::number(p.recording); }));
        points.bind(arrayOf(t, count, [](const auto& p) { return number(p.moment); }));
        points.bind(arrayOf(t, count, [](const auto& p) { return number(p.latitude); }));
        points.bind(arrayOf(t, count, [](const auto& p) { return number(p.longitude); }));
        points.bind(arrayOf(t, count, [](const auto& p) { return number(p.speedKmh); }));
        if (auto error = points.exec())
            return error;
        // A line needs two points; a trip of one has none.
        if (count >= 2) {
            route.bind(id).bind(id);
            if (auto error = route.exec())
                return error;
        }
    }
    if (auto error = done.exec())
        return error;
    return transaction.commit();
}

std::vector<RVXLibraryTrip> RVXPostgresLibraryIndex::selectTrips(const QString& where,
                                                                 const QVariantList& values) {
    std::vector<RVXLibraryTrip> out;
    RVXSqliteStatement s(
        db(), QStringLiteral("SELECT t.id, t.start, t.seconds, t.distance_km, t.max_speed_kmh, "
                             "NOT EXISTS (SELECT 1 FROM trip_units u JOIN recordings r ON r.id "
                             "IN (u.recording_id, u.partner_id) WHERE u.trip_id = t.id AND "
                             "r.protected = 0) FROM trips t WHERE ") +
                  where + QStringLiteral(" ORDER BY t.start, t.id"));
    for (const QVariant& v : values)
        s.bind(v);
    if (s.exec())
        return out;
    QHash<int64_t, size_t> at;
    std::vector<int64_t> ids;
    while (s.next()) {
        RVXLibraryTrip t;
        t.id = s.integer(0);
        t.start = s.integer(1);
        t.seconds = s.real(2);
        t.distanceKm = s.real(3);
        t.maxSpeedKmh = s.optionalReal(4);
        t.isProtected = s.value(5).toBool();
        at.insert(t.id, out.size());
        ids.push_back(t.id);
        out.push_back(std::move(t));
    }
    if (out.empty())
        return out;
    RVXSqliteStatement units(
        db(), QStringLiteral("SELECT trip_id, recording_id, COALESCE(partner_id, 0), "
                             "offset_seconds, length FROM trip_units WHERE trip_id = "
                             "ANY(?::bigint[]) ORDER BY trip_id, position"));
    units.bind(idArray(ids));
    if (units.exec())
        return out;
    while (units.next())
        out[at.value(units.integer(0))].units.push_back(
            {units.integer(1), units.integer(2), units.real(3), units.real(4)});
    return out;
}

std::vector<RVXLibraryTrip> RVXPostgresLibraryIndex::trips(const RVXLibraryQuery& q) {
    QString where = QStringLiteral("true");
    QVariantList values;
    if (q.from) {
        where += QStringLiteral(" AND t.start + t.seconds >= ?");
        values << qint64(dayStart(*q.from));
    }
    if (q.to) {
        where += QStringLiteral(" AND t.start < ?");
        values << qint64(dayStart(q.to->addDays(1)));
    }
    const QString holds = QStringLiteral(
        "EXISTS (SELECT 1 FROM trip_units u JOIN recordings r ON r.id IN (u.recording_id, "
        "u.partner_id) WHERE u.trip_id = t.id AND r.kind = ?)");
    if (q.kind) {
        where += QStringLiteral(" AND ") + holds;
        values << *q.kind;
    }
    if (q.eventsOnly) {
        where += QStringLiteral(" AND (EXISTS (SELECT 1 FROM events e WHERE e.trip_id = t.id) "
                                "OR ") +
                 holds + u')';
        values << 2;
    }
    QHash<int64_t, double> hits;
    if (q.place) {
        hits = placeHits(*q.place, true);
        if (hits.isEmpty())
            return {};
        where += QStringLiteral(" AND t.id = ANY(?::bigint[])");
        values << idArray({hits.keyBegin(), hits.keyEnd()});
    }
    std::vector<RVXLibraryTrip> out = selectTrips(where, values);
    if (q.place) {
        for (RVXLibraryTrip& t : out)
            t.placeMoment = hits.value(t.id);
    }
    return out;
}

std::optional<RVXLibraryTrip> RVXPostgresLibraryIndex::trip(int64_t id) {
    std::vector<RVXLibraryTrip> t = selectTrips(QStringLiteral("t.id = ?"), {qint64(id)});
    if (t.empty())
        return std::nullopt;
    return t.front();
}

std::vector<RVXLibraryEvent> RVXPostgresLibraryIndex::selectEvents(const QString& where,
                                                                   const QVariantList& values) {
    std::vector<RVXLibraryEvent> out;
    RVXSqliteStatement s(db(),
                         QStringLiteral("SELECT e.id, e.trip_id, e.kind, e.moment, e.recording_id, "
                                        "e.offset_seconds, e.peak, e.speed_kmh, e.latitude, "
                                        "e.longitude, r.protected FROM events e JOIN recordings "
                                        "r ON r.id = e.recording_id WHERE ") +
                             where + QStringLiteral(" ORDER BY e.moment, e.id"));
    for (const QVariant& v : values)
        s.bind(v);
    if (s.exec())
        return out;
    while (s.next()) {
        RVXLibraryEvent e;
        e.id = s.integer(0);
        e.trip = s.integer(1);
        e.kind = s.text(2);
        e.moment = s.real(3);
        e.recording = s.integer(4);
        e.offset = s.real(5);
        e.peak = s.real(6);
        e.speedKmh = s.optionalReal(7);
        e.latitude = s.optionalReal(8);
        e.longitude = s.optionalReal(9);
        e.isProtected = s.integer(10) != 0;
        out.push_back(std::move(e));
    }
    return out;
}

std::vector<RVXLibraryEvent> RVXPostgresLibraryIndex::events(const RVXLibraryQuery& q) {
    QString where = QStringLiteral("true");
    QVariantList values;
    if (q.from) {
        where += QStringLiteral(" AND e.moment >= ?");
        values << qint64(dayStart(*q.from));
    }
    if (q.to) {
        where += QStringLiteral(" AND e.moment < ?");
        values << qint64(dayStart(q.to->addDays(1)));
    }
    if (q.kind) {
        where += QStringLiteral(" AND r.kind = ?");
        values << *q.kind;
    }
    if (q.place)
        where += QStringLiteral(" AND ") + placeCondition(*q.place, "e.place", values);
    return selectEvents(where, values);
}

std::optional<RVXLibraryEvent> RVXPostgresLibraryIndex::event(int64_t id) {
    std::vector<RVXLibraryEvent> e = selectEvents(QStringLiteral("e.id = ?"), {qint64(id)});
    if (e.empty())
        return std::nullopt;
    return e.front();
}

std::vector<RVXLibraryTrackPoint> RVXPostgresLibraryIndex::track(int64_t trip) {
    std::vector<RVXLibraryTrackPoint> out;
    RVXSqliteStatement s(db(), QStringLiteral("SELECT moment, latitude, longitude, speed_kmh, "
                                              "recording_id FROM track WHERE trip_id = ? ORDER "
                                              "BY moment, number"));
    s.bind(qint64(trip));
    if (s.exec())
        return out;
    while (s.next())
        out.push_back({s.real(0), s.real(1), s.real(2), s.real(3), s.integer(4)});
    return out;
}

std::vector<std::pair<int64_t, int64_t>> RVXPostgresLibraryIndex::pairs() {
    std::vector<std::pair<int64_t, int64_t>> out;
    RVXSqliteStatement s(db(), QStringLiteral("SELECT front_id, rear_id FROM pairs ORDER BY "
                                              "front_id"));
    if (s.exec())
        return out;
    while (s.next())
        out.emplace_back(s.integer(0), s.integer(1));
    return out;
}
