// SPDX-License-Identifier: GPL-3.0-or-later
#include "LibraryTestSupport.h"

#include "PostgresTestServer.h"
#include "core/library/RVXPostgresLibraryIndex.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <gtest/gtest.h>

QString demoCard() {
    const QString card = qEnvironmentVariable("RUVEX_TEST_DEMO_CARD");
    EXPECT_FALSE(card.isEmpty());
    return card;
}

QString sha256Of(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash sha(QCryptographicHash::Sha256);
    sha.addData(&f);
    return QString::fromLatin1(sha.result().toHex());
}

std::unique_ptr<RVXLibrary> openLibrary(const QString& folder) {
    auto library = std::make_unique<RVXLibrary>(folder);
    const auto error = library->open();
    EXPECT_EQ(error, std::nullopt) << qPrintable(error.value_or(QString()));
    return library;
}

void copyTree(const QString& from, const QString& to) {
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + u'/' + QDir(from).relativeFilePath(file);
        QDir().mkpath(QFileInfo(target).path());
        EXPECT_TRUE(QFile::copy(file, target)) << qPrintable(target);
    }
}

std::map<QString, QString> digest(const QString& folder, bool withTimes) {
    std::map<QString, QString> out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QFileInfo info(file);
        QString d = QString::number(info.size()) + u' ' + sha256Of(file);
        if (withTimes)
            d += u' ' + QString::number(info.lastModified().toMSecsSinceEpoch());
        out[QDir(folder).relativeFilePath(file)] = d;
    }
    return out;
}

QStringList indexRows(RVXLibrary& library) {
    RVXLibraryIndex& index = library.index();
    QStringList rows;
    QHash<int64_t, QString> path;
    for (const RVXLibraryRecording& r : index.recordings({}))
        path.insert(r.id, r.path);
    path.insert(0, QStringLiteral("-"));
    for (const RVXLibraryRecording& r : index.recordings({}))
        rows << QStringLiteral("recording %1 %2 %3 %4 %5 %6 %7 %8 %9 protected=%10 beside=%11 "
                               "partner=%12")
                    .arg(r.path, r.name)
                    .arg(r.kind)
                    .arg(r.side)
                    .arg(r.moment)
                    .arg(r.length)
                    .arg(r.size)
                    .arg(r.sha256, QLatin1String(RVXLibraryRecording::stateName(r.state)))
                    .arg(r.isProtected)
                    .arg(r.clash)
                    .arg(path.value(r.partner));
    QStringList pairs;
    for (const auto& [front, rear] : index.pairs())
        pairs << QStringLiteral("pair %1 %2").arg(path.value(front), path.value(rear));
    // In the order of their paths, not of the ids the index gave them.
    pairs.sort();
    rows << pairs;
    QHash<int64_t, qsizetype> tripNumber;
    for (const RVXLibraryTrip& t : index.trips({})) {
        tripNumber.insert(t.id, tripNumber.size());
        QString units;
        for (const RVXLibraryTripUnit& u : t.units)
            units += QStringLiteral(" [%1 %2 %3 %4]")
                         .arg(path.value(u.recording), path.value(u.partner))
                         .arg(u.offset)
                         .arg(u.length);
        rows << QStringLiteral("trip %1 %2 %3 %4 protected=%5%6")
                    .arg(t.start)
                    .arg(t.seconds)
                    .arg(t.distanceKm, 0, 'g', 12)
                    .arg(t.maxSpeedKmh ? QString::number(*t.maxSpeedKmh, 'g', 12)
                                       : QStringLiteral("-"))
                    .arg(t.isProtected)
                    .arg(units);
        for (const RVXLibraryTrackPoint& p : index.track(t.id))
            rows << QStringLiteral("  point %1 %2 %3 %4 %5")
                        .arg(p.moment, 0, 'f', 3)
                        .arg(p.latitude, 0, 'f', 7)
                        .arg(p.longitude, 0, 'f', 7)
                        .arg(p.speedKmh, 0, 'f', 3)
                        .arg(path.value(p.recording));
    }
    for (const RVXLibraryEvent& e : index.events({}))
        rows << QStringLiteral("event trip%1 %2 %3 %4 %5 %6 %7")
                    .arg(tripNumber.value(e.trip))
                    .arg(e.kind)
                    .arg(e.moment, 0, 'f', 3)
                    .arg(path.value(e.recording))
                    .arg(e.offset, 0, 'f', 3)
                    .arg(e.peak, 0, 'f', 4)
                    .arg(e.latitude ? QString::number(*e.latitude, 'f', 6) : QStringLiteral("-"));
    QHash<int64_t, QString> cards;
    for (const RVXLibraryCard& c : index.cards())
        cards.insert(
            c.id,
            QStringLiteral("%1|%2|%3|%4").arg(c.label, c.filesystemUuid, c.driveSerial, c.source));
    for (const RVXLibraryImportRecord& i : index.imports())
        rows << QStringLiteral("import %1 %2 %3 %4 %5 %6 %7 %8 %9 %10 newest=%11 card=%12")
                    .arg(i.started, i.finished, i.source, i.folder,
                         QLatin1String(RVXLibraryImportRecord::choiceName(i.choice)))
                    .arg(i.added)
                    .arg(i.skipped)
                    .arg(i.clashes)
                    .arg(i.failed)
                    .arg(i.bytes)
                    .arg(i.newestMoment ? QString::number(*i.newestMoment) : QStringLiteral("-"))
                    .arg(cards.value(i.card));
    return rows;
}

QString rowsDiff(const QStringList& before, const QStringList& after) {
    QString out;
    for (const QString& line : before)
        if (!after.contains(line))
            out += QStringLiteral("- ") + line + u'\n';
    for (const QString& line : after)
        if (!before.contains(line))
            out += QStringLiteral("+ ") + line + u'\n';
    if (out.isEmpty() && before != after)
        out = QStringLiteral("the same lines in another order\n");
    return out;
}

bool LibraryOnEachIndex::onServer() const {
    return std::string_view(GetParam()) == "postgresql";
}

std::unique_ptr<RVXLibrary> LibraryOnEachIndex::open(const QString& folder) {
    m_folder = folder;
    if (!onServer())
        return openLibrary(folder);
    PostgresTestServer& server = PostgresTestServer::instance();
    EXPECT_EQ(server.error(), QString());
    if (!m_addresses.count(folder))
        m_addresses[folder] = server.newDatabase();
    auto opened = RVXPostgresLibraryIndex::open(m_addresses[folder]);
    if (auto* error = std::get_if<QString>(&opened)) {
        ADD_FAILURE() << qPrintable(*error);
        return nullptr;
    }
    QDir().mkpath(folder);
    auto library = std::make_unique<RVXLibrary>(folder, std::move(std::get<0>(opened)));
    EXPECT_EQ(library->open(), std::nullopt);
    return library;
}

QVariant LibraryOnEachIndex::indexSql(const QString& statement) {
    if (onServer())
        return PostgresTestServer::instance().sql(m_addresses[m_folder], statement);
    QVariant out;
    {
        QSqlDatabase d = QSqlDatabase::addDatabase("QSQLITE", "outside-sqlite");
        d.setDatabaseName(m_folder + QStringLiteral("/library.db"));
        EXPECT_TRUE(d.open());
        QSqlQuery q(d);
        EXPECT_TRUE(q.exec(statement)) << qPrintable(statement);
        if (q.next())
            out = q.value(0);
    }
    QSqlDatabase::removeDatabase("outside-sqlite");
    return out;
}
