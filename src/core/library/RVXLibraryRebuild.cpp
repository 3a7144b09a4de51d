// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/library/RVXLibraryRebuild.h"

#include "core/library/RVXLibrary.h"
#include "core/library/RVXLibraryDrives.h"
#include "core/library/RVXLibraryFileCopy.h"
#include "core/library/RVXLibraryManifest.h"
#include "core/library/RVXSqliteLibraryIndex.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cstdio>

namespace {

void removeDatabase(const QString& path) {
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(path + QLatin1String(suffix));
}

} // namespace

std::optional<QString> RVXLibraryRebuild::replaceIndex(const QString& folder,
                                                       const QString& built) {
    const QString db = QDir(folder).filePath(RVXLibrary::kIndexName);
    // The old index's log must be gone before the new file takes its name, or SQLite
    // would play the old log into the new file: written back into the old one when it
    // can be opened, else dropped with it.
    if (QFile::exists(db)) {
        auto old = RVXSqliteLibraryIndex::open(db);
        if (auto* index = std::get_if<0>(&old))
            (*index)->checkpoint();
    }
    QFile::remove(db + QStringLiteral("-wal"));
    QFile::remove(db + QStringLiteral("-shm"));
    if (std::rename(QFile::encodeName(built).constData(), QFile::encodeName(db).constData()) != 0)
        return QStringLiteral("cannot put the new index in place of %1").arg(db);
    RVXLibraryFileCopy::syncFolder(folder);
    return std::nullopt;
}

RVXLibraryRebuild::Result RVXLibraryRebuild::run(const QString& folder,
                                                 const RVXLibraryImport::Progress& progress,
                                                 const std::atomic<bool>* cancel) {
    Result result;
    if (!QFileInfo(folder).isDir()) {
        result.error = QStringLiteral("%1: no such folder").arg(folder);
        return result;
    }
    RVXLibrary lockHolder(folder);
    if (auto error = lockHolder.lock()) {
        result.error = error;
        return result;
    }
    const QString built = QDir(folder).filePath(QStringLiteral(".library.db.rebuild"));
    removeDatabase(built);
    {
        // Forced to the disk once, when put in place, not at each of its many commits.
        auto opened = RVXSqliteLibraryIndex::open(built, false);
        if (auto* error = std::get_if<QString>(&opened)) {
            result.error = *error;
            return result;
        }
        RVXSqliteLibraryIndex* index = std::get<0>(opened).get();
        RVXLibrary library(folder, std::move(std::get<0>(opened)));
        const auto fail = [&](QString message) {
            result.error = std::move(message);
            return result;
        };

        const QDir imports(library.absolutePath(RVXLibrary::kImportsName));
        for (const QString& name :
             imports.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
            std::optional<RVXLibraryManifest> m = RVXLibraryManifest::read(imports.filePath(name));
            if (!m)
                continue;
            if (auto error = library.index().rememberCard(m->card))
                return fail(*error);
            m->record.card = m->card.id;
            m->record.folder = RVXLibrary::kImportsName + u'/' + name;
            if (auto error = library.index().addImport(m->record))
                return fail(*error);
            ++result.imports;
        }

        const QStringList listed = library.protectedPaths();
        const QSet<QString> wanted(listed.begin(), listed.end());
        const QStringList files = library.dayFiles();
        RVXLibraryProgress state;
        state.totalFiles = int(files.size());
        for (const QString& f : files)
            state.totalBytes += QFileInfo(library.absolutePath(f)).size();
        for (const QString& relative : files) {
            state.file = relative;
            if (progress)
                progress(state);
            auto described = library.describe(relative, cancel, [&](int64_t bytes) {
                state.doneBytes += bytes;
                if (progress)
                    progress(state);
            });
            ++state.doneFiles;
            if (cancel && cancel->load())
                return fail(QStringLiteral("cancelled"));
            auto* r = std::get_if<RVXLibraryRecording>(&described);
            if (!r) {
                result.skipped << relative;
                continue;
            }
            r->isProtected = wanted.contains(relative);
            if (auto error = library.index().addRecording(*r))
                return fail(*error);
            ++result.recordings;
        }
        if (auto error = RVXLibraryDrives::workOutAwaiting(library, cancel))
            return fail(*error);
        if (auto error = index->checkpoint())
            return fail(*error);
    }
    if (QFile::exists(built + QStringLiteral("-wal"))) {
        result.error = QStringLiteral("the new index could not be closed whole");
        return result;
    }
    if (auto error = replaceIndex(folder, built))
        result.error = error;
    return result;
}
