// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/library/RVXLibraryCheck.h"

#include "core/library/RVXLibrary.h"
#include "core/library/RVXLibraryFileCopy.h"

#include <QFileInfo>
#include <QSet>

RVXLibraryCheck::Result RVXLibraryCheck::run(RVXLibrary& library,
                                             const RVXLibraryImport::Progress& progress,
                                             const std::atomic<bool>* cancel) {
    Result result;
    const std::vector<RVXLibraryRecording> all = library.index().recordings({});
    RVXLibraryProgress state;
    state.totalFiles = int(all.size());
    for (const RVXLibraryRecording& r : all)
        state.totalBytes += r.size;
    QSet<QString> indexed;
    for (const RVXLibraryRecording& r : all) {
        indexed.insert(r.path);
        state.file = r.path;
        if (progress)
            progress(state);
        const QString path = library.absolutePath(r.path);
        const QFileInfo info(path);
        if (!info.isFile()) {
            result.missing << r.path;
        } else if (info.size() != r.size) {
            result.changed << r.path;
        } else {
            const auto hashed = RVXLibraryFileCopy::hash(
                path,
                [&](int64_t bytes) {
                    state.doneBytes += bytes;
                    if (progress)
                        progress(state);
                },
                cancel);
            if (hashed.error == RVXLibraryFileCopy::Error::Cancelled) {
                result.cancelled = true;
                return result;
            }
            if (hashed.error != RVXLibraryFileCopy::Error::None || hashed.sha256 != r.sha256)
                result.changed << r.path;
        }
        ++result.checked;
        ++state.doneFiles;
    }
    // A deletion a stop cut short is finished by the next change, not reported.
    for (const RVXLibraryRecording& r : library.index().deletingRecordings())
        indexed.insert(r.path);
    for (const QString& file : library.dayFiles()) {
        if (!indexed.contains(file))
            result.unindexed << file;
    }
    return result;
}
