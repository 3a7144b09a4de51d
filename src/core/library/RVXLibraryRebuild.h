// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/library/RVXLibraryImport.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <optional>

// The index made again from the library's files alone: the recordings from the day
// folders, the imports and cards from each import's import.json, the protections from
// protected.txt, and the trips, events and track worked out again. Built beside the index
// and put in its place whole, so a stop leaves the one before.
class RVXLibraryRebuild {
public:
    struct Result {
        int recordings = 0;
        int imports = 0;
        // Files under the day folders that are not recordings.
        QStringList skipped;
        std::optional<QString> error;
    };

    static Result run(const QString& folder, const RVXLibraryImport::Progress& progress = {},
                      const std::atomic<bool>* cancel = nullptr);

private:
    static std::optional<QString> replaceIndex(const QString& folder, const QString& built);
};
