// SPDX-License-Identifier: GPL-3.0-or-later
// The cards and the imports from them, as the imports' log tells them.
#include "core/library/RVXSqlLibraryIndex.h"

#include "core/library/RVXSqlStatement.h"

std::vector<RVXLibraryCard> RVXSqlLibraryIndex::cards() {
    std::vector<RVXLibraryCard> out;
    RVXSqlStatement s(db(), QStringLiteral("SELECT id, label, filesystem_uuid, drive_serial, "
                                           "source FROM cards ORDER BY id"));
    if (s.exec())
        return out;
    while (s.next())
        out.push_back({s.integer(0), s.text(1), s.text(2), s.text(3), s.text(4)});
    return out;
}

std::optional<QString> RVXSqlLibraryIndex::addImport(RVXLibraryImportRecord& r) {
    RVXSqlStatement s(db(),
                      returningId(QStringLiteral("INSERT INTO imports (card_id, started, finished, "
                                                 "source, folder, choice, added, skipped, clashes, "
                                                 "failed, bytes, newest_moment) VALUES (?, ?, ?, "
                                                 "?, ?, ?, ?, ?, ?, ?, ?, ?)")));
    s.bind(qint64(r.card)).bind(r.started).bind(r.finished).bind(r.source).bind(r.folder);
    s.bind(QString::fromLatin1(RVXLibraryImportRecord::choiceName(r.choice)));
    s.bind(qint64(r.added)).bind(qint64(r.skipped)).bind(qint64(r.clashes));
    s.bind(qint64(r.failed)).bind(qint64(r.bytes));
    s.bind(r.newestMoment ? QVariant(qint64(*r.newestMoment))
                          : QVariant(QMetaType::fromType<qint64>()));
    if (auto error = s.exec())
        return error;
    const std::optional<int64_t> id = insertedId(s);
    if (!id)
        return QStringLiteral("the import's row came back without its id");
    r.id = *id;
    return std::nullopt;
}

std::optional<QString> RVXSqlLibraryIndex::updateImport(const RVXLibraryImportRecord& r) {
    RVXSqlStatement s(db(), QStringLiteral("UPDATE imports SET finished = ?, added = ?, "
                                           "skipped = ?, clashes = ?, failed = ?, bytes = ?, "
                                           "newest_moment = ? WHERE id = ?"));
    s.bind(r.finished).bind(qint64(r.added)).bind(qint64(r.skipped)).bind(qint64(r.clashes));
    s.bind(qint64(r.failed)).bind(qint64(r.bytes));
    s.bind(r.newestMoment ? QVariant(qint64(*r.newestMoment))
                          : QVariant(QMetaType::fromType<qint64>()));
    s.bind(qint64(r.id));
    return s.exec();
}

std::vector<RVXLibraryImportRecord> RVXSqlLibraryIndex::imports() {
    std::vector<RVXLibraryImportRecord> out;
    RVXSqlStatement s(db(), QStringLiteral("SELECT id, card_id, started, finished, source, "
                                           "folder, choice, added, skipped, clashes, failed, "
                                           "bytes, newest_moment FROM imports ORDER BY id"));
    if (s.exec())
        return out;
    while (s.next()) {
        RVXLibraryImportRecord r;
        r.id = s.integer(0);
        r.card = s.integer(1);
        r.started = s.text(2);
        r.finished = s.text(3);
        r.source = s.text(4);
        r.folder = s.text(5);
        r.choice = RVXLibraryImportRecord::choiceNamed(s.text(6)).value_or(r.choice);
        r.added = s.integer(7);
        r.skipped = s.integer(8);
        r.clashes = s.integer(9);
        r.failed = s.integer(10);
        r.bytes = s.integer(11);
        if (!s.value(12).isNull())
            r.newestMoment = s.integer(12);
        out.push_back(r);
    }
    return out;
}
