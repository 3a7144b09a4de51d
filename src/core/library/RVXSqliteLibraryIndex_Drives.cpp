// SPDX-License-Identifier: GPL-3.0-or-later
// Trips, events and the track: replaced whole for the days worked over, found by day,
// kind and place.
#include "core/library/RVXSqliteLibraryIndex.h"

#include "core/catalogue/RVXTripTelemetry.h"
#include "core/library/RVXSqlStatement.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr int kPointBits = RVXSqliteLibraryIndex::kPointBits;
constexpr int kSegmentPoints = RVXSqliteLibraryIndex::kSegmentPoints;
// The schema's trigger and its second migration count on these in their SQL.
static_assert(kSegmentPoints == 16 && kPointBits == 20, "see migration 2 in the schema");
constexpr double kMetresPerDegree =
    RVXTripTelemetry::kEarthRadiusKm * 1000 * std::numbers::pi / 180;

QVariant nullable(const std::optional<double>& v) {
    return v ? QVariant(*v) : QVariant(QMetaType::fromType<double>());
}

// The place's test in SQL on a row's latitude and longitude columns, and its values: the
// box around it, and for a circle the distance on the plane tangent there, which differs
// from the great circle by far less than a GPS fix's error at the radii a map gives.
QString placeCondition(const RVXLibraryPlace& place, const char* lat, const char* lon,
                       QVariantList& values) {
    const RVXLibraryPlace::Bounds b = place.bounds();
    QString sql = QStringLiteral("%1 BETWEEN ? AND ? AND %2 BETWEEN ? AND ?")
                      .arg(QLatin1String(lat), QLatin1String(lon));
    values << b.south << b.north << b.west << b.east;
    if (!place.box) {
        const double ky = kMetresPerDegree;
        const double kx = kMetresPerDegree * std::cos(place.latitude * std::numbers::pi / 180);
        sql += QStringLiteral(" AND ((%1 - ?) * ?) * ((%1 - ?) * ?) + ((%2 - ?) * ?) * ((%2 - ?) "
                              "* ?) <= ?")
                   .arg(QLatin1String(lat), QLatin1String(lon));
        values << place.latitude << ky << place.latitude << ky << place.longitude << kx
               << place.longitude << kx << place.radiusMetres * place.radiusMetres;
    }
    return sql;
}

} // namespace

QHash<int64_t, double> RVXSqliteLibraryIndex::placeHits(const RVXLibraryPlace& place, bool byTrip) {
    const RVXLibraryPlace::Bounds b = place.bounds();
    QVariantList values;
    const QString inside = placeCondition(place, "t.latitude", "t.longitude", values);
    const QString boxes = QStringLiteral("SELECT id FROM track_segments WHERE north >= ? AND "
                                         "south <= ? AND east >= ? AND west <= ?");
    QString sql;
    if (byTrip) {
        // Each trip's first box there, and from it on its first point there: the points
        // are read in order and the scan stops at the first inside, so a trip costs a few
        // rows however long it stays in the place.
        sql = QStringLiteral("SELECT trip, moment FROM (SELECT g.trip, (SELECT t.moment FROM "
                             "track t WHERE t.id >= g.first AND t.id < ((g.trip + 1) << %1) AND "
                             "%2 ORDER BY t.id LIMIT 1) AS moment FROM (SELECT id >> %1 AS "
                             "trip, MIN(id) AS first FROM (%3) GROUP BY 1) g) WHERE moment IS "
                             "NOT NULL")
                  .arg(kPointBits)
                  .arg(inside, boxes);
    } else {
        sql = QStringLiteral("SELECT t.recording_id, MIN(t.moment) FROM (%1) g CROSS JOIN track "
                             "t ON t.id >= g.id AND t.id < g.id + %2 WHERE %3 GROUP BY 1")
                  .arg(boxes)
                  .arg(kSegmentPoints)
                  .arg(inside);
        // The boxes' values come first in this text.
        values = QVariantList{b.south, b.north, b.west, b.east} + values;
    }
    if (byTrip)
        values << b.south << b.north << b.west << b.east;
    return hitsOf(sql, values);
}

std::optional<QString> RVXSqliteLibraryIndex::replaceDrives(const RVXLibraryDriveSet& set) {
    const std::vector<int64_t> covered = coveredBy(set);
    const QString coveredIds = RVXSqlStatement::idList(covered);
    const QString days = RVXSqlStatement::idList(set.recordings);

    RVXSqlTransaction transaction(db());
    if (transaction.error())
        return transaction.error();
    RVXSqlStatement oldTrips(
        db(), QStringLiteral("DELETE FROM trips WHERE id IN (SELECT trip_id FROM trip_units "
                             "WHERE recording_id IN (SELECT value FROM json_each(?)) OR "
                             "partner_id IN (SELECT value FROM json_each(?)))"));
    oldTrips.bind(coveredIds).bind(coveredIds);
    RVXSqlStatement oldPairs(
        db(), QStringLiteral("DELETE FROM pairs WHERE front_id IN (SELECT value FROM "
                             "json_each(?)) OR rear_id IN (SELECT value FROM json_each(?))"));
    oldPairs.bind(days).bind(days);
    for (RVXSqlStatement* s : {&oldTrips, &oldPairs}) {
        if (auto error = s->exec())
            return error;
    }
    RVXSqlStatement pair(db(), QStringLiteral("INSERT OR REPLACE INTO pairs (front_id, "
                                              "rear_id) VALUES (?, ?)"));
    for (const auto& [front, rear] : set.pairs) {
        pair.bind(qint64(front)).bind(qint64(rear));
        if (auto error = pair.exec())
            return error;
    }
    RVXSqlStatement trip(db(), QStringLiteral("INSERT INTO trips (start, seconds, "
                                              "distance_km, max_speed_kmh) VALUES (?, ?, ?, "
                                              "?)"));
    RVXSqlStatement unit(db(), QStringLiteral("INSERT INTO trip_units (trip_id, position, "
                                              "recording_id, partner_id, offset, length) "
                                              "VALUES (?, ?, ?, ?, ?, ?)"));
    RVXSqlStatement event(db(), QStringLiteral("INSERT INTO events (trip_id, kind, moment, "
                                               "recording_id, offset, peak, speed_kmh, "
                                               "latitude, longitude) VALUES (?, ?, ?, ?, ?, "
                                               "?, ?, ?, ?)"));
    RVXSqlStatement point(db(), QStringLiteral("INSERT INTO track (id, trip_id, "
                                               "recording_id, moment, latitude, longitude, "
                                               "speed_kmh) VALUES (?, ?, ?, ?, ?, ?, ?)"));
    RVXSqlStatement segment(db(), QStringLiteral("INSERT INTO track_segments VALUES (?, ?, ?, "
                                                 "?, ?)"));
    for (const RVXLibraryDriveSet::Drive& d : set.drives) {
        trip.bind(qint64(d.trip.start)).bind(d.trip.seconds).bind(d.trip.distanceKm);
        trip.bind(nullable(d.trip.maxSpeedKmh));
        if (auto error = trip.exec())
            return error;
        const qint64 id = trip.lastId();
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
        // A trip of more than 2^kPointBits seconds (12 days) keeps its first points only.
        const size_t points = std::min(d.track.size(), size_t(1) << kPointBits);
        for (size_t k = 0; k < points; ++k) {
            const RVXLibraryTrackPoint& p = d.track[k];
            point.bind((id << kPointBits) | qint64(k)).bind(id).bind(qint64(p.recording));
            point.bind(p.moment).bind(p.latitude);
            point.bind(p.longitude).bind(p.speedKmh);
            if (auto error = point.exec())
                return error;
        }
        for (size_t k = 0; k < points; k += kSegmentPoints) {
            RVXLibraryPlace::Bounds box{90, -90, 180, -180};
            for (size_t j = k; j < std::min(points, k + kSegmentPoints); ++j) {
                box.south = std::min(box.south, d.track[j].latitude);
                box.north = std::max(box.north, d.track[j].latitude);
                box.west = std::min(box.west, d.track[j].longitude);
                box.east = std::max(box.east, d.track[j].longitude);
            }
            segment.bind((id << kPointBits) | qint64(k)).bind(box.south).bind(box.north);
            segment.bind(box.west).bind(box.east);
            if (auto error = segment.exec())
                return error;
        }
    }
    RVXSqlStatement done(db(), QStringLiteral("UPDATE recordings SET drives_done = 1 WHERE "
                                              "id IN (SELECT value FROM json_each(?))"));
    done.bind(coveredIds);
    if (auto error = done.exec())
        return error;
    return transaction.commit();
}

QString RVXSqliteLibraryIndex::eventPlaceCondition(const RVXLibraryPlace& place,
                                                   QVariantList& values) {
    return placeCondition(place, "e.latitude", "e.longitude", values);
}
