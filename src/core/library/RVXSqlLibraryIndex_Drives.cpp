// SPDX-License-Identifier: GPL-3.0-or-later
// Trips, events and the track, found by day, kind and place.
#include "core/library/RVXSqlLibraryIndex.h"

#include "core/library/RVXSqlStatement.h"

std::vector<RVXLibraryTrip> RVXSqlLibraryIndex::selectTrips(const QString& where,
                                                            const QVariantList& values) {
    std::vector<RVXLibraryTrip> out;
    RVXSqlStatement s(
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
        // A truth value on one database, a number on the other.
        t.isProtected = s.value(5).toBool();
        at.insert(t.id, out.size());
        ids.push_back(t.id);
        out.push_back(std::move(t));
    }
    if (out.empty())
        return out;
    RVXSqlStatement units(
        db(), QStringLiteral("SELECT trip_id, recording_id, COALESCE(partner_id, 0), %1, length "
                             "FROM trip_units WHERE %2 ORDER BY trip_id, position")
                  .arg(offsetColumn(), idIn(QLatin1String("trip_id"))));
    units.bind(idSet(ids));
    if (units.exec())
        return out;
    while (units.next())
        out[at.value(units.integer(0))].units.push_back(
            {units.integer(1), units.integer(2), units.real(3), units.real(4)});
    return out;
}

std::vector<RVXLibraryTrip> RVXSqlLibraryIndex::trips(const RVXLibraryQuery& q) {
    QString where = QStringLiteral("1 = 1");
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
        where += QStringLiteral(" AND ") + idIn(QLatin1String("t.id"));
        values << idSet({hits.keyBegin(), hits.keyEnd()});
    }
    std::vector<RVXLibraryTrip> out = selectTrips(where, values);
    if (q.place) {
        for (RVXLibraryTrip& t : out)
            t.placeMoment = hits.value(t.id);
    }
    return out;
}

std::optional<RVXLibraryTrip> RVXSqlLibraryIndex::trip(int64_t id) {
    std::vector<RVXLibraryTrip> t = selectTrips(QStringLiteral("t.id = ?"), {qint64(id)});
    if (t.empty())
        return std::nullopt;
    return t.front();
}

std::vector<RVXLibraryEvent> RVXSqlLibraryIndex::selectEvents(const QString& where,
                                                              const QVariantList& values) {
    std::vector<RVXLibraryEvent> out;
    RVXSqlStatement s(db(),
                      QStringLiteral("SELECT e.id, e.trip_id, e.kind, e.moment, e.recording_id, "
                                     "e.%1, e.peak, e.speed_kmh, e.latitude, e.longitude, "
                                     "r.protected FROM events e JOIN recordings r ON r.id = "
                                     "e.recording_id WHERE ")
                              .arg(offsetColumn()) +
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

std::vector<RVXLibraryEvent> RVXSqlLibraryIndex::events(const RVXLibraryQuery& q) {
    QString where = QStringLiteral("1 = 1");
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
        where += QStringLiteral(" AND ") + eventPlaceCondition(*q.place, values);
    return selectEvents(where, values);
}

std::optional<RVXLibraryEvent> RVXSqlLibraryIndex::event(int64_t id) {
    std::vector<RVXLibraryEvent> e = selectEvents(QStringLiteral("e.id = ?"), {qint64(id)});
    if (e.empty())
        return std::nullopt;
    return e.front();
}

std::vector<RVXLibraryTrackPoint> RVXSqlLibraryIndex::track(int64_t trip) {
    std::vector<RVXLibraryTrackPoint> out;
    RVXSqlStatement s(db(), QStringLiteral("SELECT moment, latitude, longitude, speed_kmh, "
                                           "recording_id FROM track WHERE trip_id = ? ORDER BY ") +
                                trackOrder());
    s.bind(qint64(trip));
    if (s.exec())
        return out;
    while (s.next())
        out.push_back({s.real(0), s.real(1), s.real(2), s.real(3), s.integer(4)});
    return out;
}

std::vector<std::pair<int64_t, int64_t>> RVXSqlLibraryIndex::pairs() {
    std::vector<std::pair<int64_t, int64_t>> out;
    RVXSqlStatement s(db(), QStringLiteral("SELECT front_id, rear_id FROM pairs ORDER BY "
                                           "front_id"));
    if (s.exec())
        return out;
    while (s.next())
        out.emplace_back(s.integer(0), s.integer(1));
    return out;
}

QHash<int64_t, double> RVXSqlLibraryIndex::hitsOf(const QString& sql, const QVariantList& values) {
    QHash<int64_t, double> out;
    RVXSqlStatement s(db(), sql);
    for (const QVariant& v : values)
        s.bind(v);
    if (s.exec())
        return out;
    while (s.next())
        out.insert(s.integer(0), s.real(1));
    return out;
}

std::vector<int64_t> RVXSqlLibraryIndex::coveredBy(const RVXLibraryDriveSet& set) {
    std::vector<int64_t> covered = set.recordings;
    for (const RVXLibraryDriveSet::Drive& d : set.drives) {
        for (const RVXLibraryTripUnit& u : d.trip.units) {
            covered.push_back(u.recording);
            if (u.partner)
                covered.push_back(u.partner);
        }
    }
    return covered;
}
