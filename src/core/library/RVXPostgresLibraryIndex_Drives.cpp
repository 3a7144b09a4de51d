// SPDX-License-Identifier: GPL-3.0-or-later
// Trips, events and the track: replaced whole for the days worked over, found by day,
// kind and place.
#include "core/library/RVXPostgresLibraryIndex.h"

#include "core/library/RVXSqlStatement.h"

#include <algorithm>

namespace {

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
    QVariantList values;
    const QString inside = placeCondition(place, "place", values);
    return hitsOf(
        QStringLiteral("SELECT %1, MIN(moment) FROM track WHERE %2 GROUP BY 1")
            .arg(byTrip ? QStringLiteral("trip_id") : QStringLiteral("recording_id"), inside),
        values);
}

std::optional<QString> RVXPostgresLibraryIndex::replaceDrives(const RVXLibraryDriveSet& set) {
    const std::vector<int64_t> covered = coveredBy(set);
    const QString coveredIds = idArray(covered);
    const QString days = idArray(set.recordings);

    RVXSqlStatement oldTrips(
        db(), QStringLiteral("DELETE FROM trips WHERE id IN (SELECT trip_id FROM trip_units "
                             "WHERE recording_id = ANY(?::bigint[]) OR partner_id = "
                             "ANY(?::bigint[]))"));
    oldTrips.bind(coveredIds).bind(coveredIds);
    RVXSqlStatement oldPairs(db(), QStringLiteral("DELETE FROM pairs WHERE front_id = "
                                                  "ANY(?::bigint[]) OR rear_id = "
                                                  "ANY(?::bigint[])"));
    oldPairs.bind(days).bind(days);
    // A pair replaces any other either side was in.
    RVXSqlStatement unpair(db(), QStringLiteral("DELETE FROM pairs WHERE front_id = ? OR "
                                                "rear_id = ?"));
    RVXSqlStatement pair(db(), QStringLiteral("INSERT INTO pairs (front_id, rear_id) VALUES "
                                              "(?, ?)"));
    RVXSqlStatement trip(db(), QStringLiteral("INSERT INTO trips (start, seconds, "
                                              "distance_km, max_speed_kmh) VALUES (?, ?, ?, "
                                              "?) RETURNING id"));
    RVXSqlStatement unit(db(), QStringLiteral("INSERT INTO trip_units (trip_id, position, "
                                              "recording_id, partner_id, offset_seconds, "
                                              "length) VALUES (?, ?, ?, ?, ?, ?)"));
    RVXSqlStatement event(db(), QStringLiteral("INSERT INTO events (trip_id, kind, moment, "
                                               "recording_id, offset_seconds, peak, "
                                               "speed_kmh, latitude, longitude) VALUES (?, ?, "
                                               "?, ?, ?, ?, ?, ?, ?)"));
    RVXSqlStatement points(
        db(), QStringLiteral("INSERT INTO track (trip_id, number, recording_id, moment, latitude, "
                             "longitude, speed_kmh) SELECT ?, n - 1, r, m, la, lo, s FROM "
                             "unnest(?::bigint[], ?::float8[], ?::float8[], ?::float8[], "
                             "?::float8[]) WITH ORDINALITY AS u(r, m, la, lo, s, n)"));
    RVXSqlStatement route(
        db(), QStringLiteral("UPDATE trips SET route = (SELECT ST_MakeLine(place::geometry ORDER "
                             "BY number)::geography FROM track WHERE trip_id = ?) WHERE id = ?"));
    RVXSqlStatement done(db(), QStringLiteral("UPDATE recordings SET drives_done = 1 WHERE "
                                              "id = ANY(?::bigint[])"));
    done.bind(coveredIds);
    // Every statement outlives the transaction: a failed one is rolled back before its
    // statements are freed, which an aborted transaction would refuse.
    RVXSqlTransaction transaction(db());
    if (transaction.error())
        return transaction.error();
    for (RVXSqlStatement* s : {&oldTrips, &oldPairs}) {
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

QString RVXPostgresLibraryIndex::eventPlaceCondition(const RVXLibraryPlace& place,
                                                     QVariantList& values) {
    return placeCondition(place, "e.place", values);
}
