// SPDX-License-Identifier: GPL-3.0-or-later
// The recordings: added as their files are put in place, found, protected and removed.
#include "core/library/RVXSqlLibraryIndex.h"

#include "core/library/RVXSqlStatement.h"

namespace {

// Julian day of 1970-01-01.
constexpr int64_t kEpochJulianDay = 2440588;

const char* kRecordingColumns =
    "SELECT r.id, r.path, r.name, r.kind, r.side, r.moment, r.length, r.size, r.sha256, "
    "r.state, r.protected, r.clash, COALESCE((SELECT p.rear_id FROM pairs p WHERE p.front_id = "
    "r.id), (SELECT p.front_id FROM pairs p WHERE p.rear_id = r.id), 0) FROM recordings r WHERE ";
// Catalogue order: the moment, the larger kind, front before rear, the camera's own before
// a repaired copy.
const char* kRecordingOrder =
    " ORDER BY r.moment, r.kind DESC, r.side, r.state = 'repaired', r.clash, ";

} // namespace

RVXSqlLibraryIndex::RVXSqlLibraryIndex(QString connection)
    : m_connection(std::move(connection)) {}

RVXSqlLibraryIndex::~RVXSqlLibraryIndex() {
    {
        QSqlDatabase d = QSqlDatabase::database(m_connection, false);
        d.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

QSqlDatabase RVXSqlLibraryIndex::db() const {
    return QSqlDatabase::database(m_connection, false);
}

int64_t RVXSqlLibraryIndex::dayStart(const QDate& day) {
    return (day.toJulianDay() - kEpochJulianDay) * 86400;
}

std::vector<RVXLibraryRecording> RVXSqlLibraryIndex::selectRecordings(const QString& where,
                                                                      const QVariantList& values) {
    std::vector<RVXLibraryRecording> out;
    RVXSqlStatement s(db(), QLatin1String(kRecordingColumns) + where +
                                QLatin1String(kRecordingOrder) + pathOrder());
    for (const QVariant& v : values)
        s.bind(v);
    if (s.exec())
        return out;
    while (s.next()) {
        RVXLibraryRecording r;
        r.id = s.integer(0);
        r.path = s.text(1);
        r.name = s.text(2);
        r.kind = int32_t(s.integer(3));
        r.side = int32_t(s.integer(4));
        r.moment = s.integer(5);
        r.length = s.real(6);
        r.size = s.integer(7);
        r.sha256 = s.text(8);
        r.state = RVXLibraryRecording::stateNamed(s.text(9)).value_or(r.state);
        r.isProtected = s.integer(10) != 0;
        r.clash = s.integer(11) != 0;
        r.partner = s.integer(12);
        out.push_back(std::move(r));
    }
    return out;
}

std::optional<QString> RVXSqlLibraryIndex::addRecording(RVXLibraryRecording& r) {
    std::vector<RVXLibraryRecording> one{r};
    if (auto error = addRecordings(one))
        return error;
    r.id = one.front().id;
    return std::nullopt;
}

std::optional<QString>
RVXSqlLibraryIndex::addRecordings(std::vector<RVXLibraryRecording>& recordings) {
    // Two workstations adding the same file: the path's key lets one commit, and the
    // other's whole transaction fails.
    // The statement outlives the transaction: a failed one is rolled back before the
    // statement is freed, which an aborted transaction on a server would refuse.
    RVXSqlStatement s(db(), returningId(QStringLiteral(
                                "INSERT INTO recordings (path, name, kind, side, moment, length, "
                                "size, sha256, state, protected, clash, drives_done) VALUES (?, "
                                "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")));
    RVXSqlTransaction transaction(db());
    if (transaction.error())
        return transaction.error();
    std::vector<int64_t> ids;
    for (const RVXLibraryRecording& r : recordings) {
        s.bind(r.path).bind(r.name).bind(r.kind).bind(r.side).bind(qint64(r.moment));
        s.bind(r.length).bind(qint64(r.size)).bind(r.sha256);
        s.bind(QString::fromLatin1(RVXLibraryRecording::stateName(r.state)));
        // A recording kept beside a namesake never joins the trips: done from the start.
        s.bind(int(r.isProtected)).bind(int(r.clash)).bind(int(r.clash));
        if (auto error = s.exec())
            return error;
        const std::optional<int64_t> id = insertedId(s);
        if (!id)
            return QStringLiteral("%1: the row came back without its id").arg(r.path);
        ids.push_back(*id);
    }
    if (auto error = transaction.commit())
        return error;
    for (size_t i = 0; i < recordings.size(); ++i)
        recordings[i].id = ids[i];
    return std::nullopt;
}

std::vector<RVXLibraryRecording> RVXSqlLibraryIndex::recordingsNamed(const QString& name) {
    return selectRecordings(QStringLiteral("r.deleting = 0 AND r.name = ?"), {name});
}

std::optional<RVXLibraryRecording> RVXSqlLibraryIndex::recordingAt(const QString& path) {
    std::vector<RVXLibraryRecording> r =
        selectRecordings(QStringLiteral("r.deleting = 0 AND r.path = ?"), {path});
    if (r.empty())
        return std::nullopt;
    return r.front();
}

std::optional<RVXLibraryRecording> RVXSqlLibraryIndex::recording(int64_t id) {
    std::vector<RVXLibraryRecording> r =
        selectRecordings(QStringLiteral("r.deleting = 0 AND r.id = ?"), {qint64(id)});
    if (r.empty())
        return std::nullopt;
    return r.front();
}

std::vector<RVXLibraryRecording> RVXSqlLibraryIndex::recordings(const RVXLibraryQuery& q) {
    QString where = QStringLiteral("r.deleting = 0");
    QVariantList values;
    if (q.from) {
        where += QStringLiteral(" AND r.moment >= ?");
        values << qint64(dayStart(*q.from));
    }
    if (q.to) {
        where += QStringLiteral(" AND r.moment < ?");
        values << qint64(dayStart(q.to->addDays(1)));
    }
    if (q.kind) {
        where += QStringLiteral(" AND r.kind = ?");
        values << *q.kind;
    }
    if (q.eventsOnly)
        where += QStringLiteral(
            " AND (r.kind = 2 OR r.id IN (SELECT recording_id FROM events) OR r.id IN (SELECT "
            "p.rear_id FROM pairs p JOIN events e ON e.recording_id = p.front_id) OR r.id IN "
            "(SELECT p.front_id FROM pairs p JOIN events e ON e.recording_id = p.rear_id))");
    QHash<int64_t, double> hits;
    if (q.place) {
        hits = placeHits(*q.place, false);
        if (hits.isEmpty())
            return {};
        // The other side of a pair was there as well, though the track is read from one.
        std::vector<int64_t> ids(hits.keyBegin(), hits.keyEnd());
        RVXSqlStatement partners(
            db(), QStringLiteral("SELECT front_id, rear_id FROM pairs WHERE "
                                 "%1 OR %2")
                      .arg(idIn(QLatin1String("front_id")), idIn(QLatin1String("rear_id"))));
        partners.bind(idSet(ids)).bind(idSet(ids));
        if (!partners.exec()) {
            while (partners.next()) {
                const int64_t front = partners.integer(0), rear = partners.integer(1);
                const double at = hits.contains(front) ? hits.value(front) : hits.value(rear);
                hits.insert(front, std::min(at, hits.value(front, at)));
                hits.insert(rear, std::min(at, hits.value(rear, at)));
            }
        }
        ids.assign(hits.keyBegin(), hits.keyEnd());
        where += QStringLiteral(" AND ") + idIn(QLatin1String("r.id"));
        values << idSet(ids);
    }
    std::vector<RVXLibraryRecording> out = selectRecordings(where, values);
    if (q.place) {
        for (RVXLibraryRecording& r : out)
            r.placeMoment = hits.value(r.id);
    }
    return out;
}

std::vector<RVXLibraryRecording> RVXSqlLibraryIndex::recordingsAwaitingDrives() {
    return selectRecordings(QStringLiteral("r.deleting = 0 AND r.clash = 0 AND r.drives_done = 0"),
                            {});
}

int64_t RVXSqlLibraryIndex::totalBytes() {
    RVXSqlStatement s(
        db(), QStringLiteral("SELECT COALESCE(SUM(size), 0) FROM recordings WHERE deleting = 0"));
    if (s.exec() || !s.next())
        return 0;
    return s.integer(0);
}

std::optional<QString> RVXSqlLibraryIndex::setProtected(const std::vector<int64_t>& ids, bool on) {
    RVXSqlStatement s(db(), QStringLiteral("UPDATE recordings SET protected = ? WHERE ") +
                                idIn(QLatin1String("id")));
    s.bind(int(on)).bind(idSet(ids));
    return s.exec();
}

std::optional<QString> RVXSqlLibraryIndex::setDeleting(const std::vector<int64_t>& ids) {
    RVXSqlStatement s(db(), QStringLiteral("UPDATE recordings SET deleting = 1 WHERE ") +
                                idIn(QLatin1String("id")));
    s.bind(idSet(ids));
    return s.exec();
}

std::vector<RVXLibraryRecording> RVXSqlLibraryIndex::deletingRecordings() {
    return selectRecordings(QStringLiteral("r.deleting = 1"), {});
}

std::optional<QString> RVXSqlLibraryIndex::removeRecording(int64_t id) {
    // The trips through it go; what else they held is worked out again later.
    const QString through =
        QStringLiteral("(SELECT trip_id FROM trip_units WHERE recording_id = ? OR partner_id = ?)");
    RVXSqlStatement left(
        db(), QStringLiteral("UPDATE recordings SET drives_done = 0 WHERE id IN (SELECT "
                             "recording_id FROM trip_units WHERE trip_id IN %1 UNION SELECT "
                             "partner_id FROM trip_units WHERE trip_id IN %1)")
                  .arg(through));
    for (int i = 0; i < 4; ++i)
        left.bind(qint64(id));
    RVXSqlStatement trips(db(), QStringLiteral("DELETE FROM trips WHERE id IN %1").arg(through));
    trips.bind(qint64(id)).bind(qint64(id));
    RVXSqlStatement row(db(), QStringLiteral("DELETE FROM recordings WHERE id = ?"));
    row.bind(qint64(id));
    // The statements outlive the transaction, as in addRecordings.
    RVXSqlTransaction transaction(db());
    if (transaction.error())
        return transaction.error();
    for (RVXSqlStatement* s : {&left, &trips, &row}) {
        if (auto error = s->exec())
            return error;
    }
    return transaction.commit();
}
