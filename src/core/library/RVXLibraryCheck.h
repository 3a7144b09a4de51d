// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/library/RVXLibraryImport.h"

#include <QStringList>

#include <atomic>

class RVXLibrary;

// Every file's size and SHA-256 against the index, and the files the index does not know.
class RVXLibraryCheck {
public:
    struct Result {
        int checked = 0;
        // Relative paths.
        QStringList missing;
        QStringList changed;
        QStringList unindexed;
        bool cancelled = false;
        bool clean() const { return missing.isEmpty() && changed.isEmpty() && unindexed.isEmpty(); }
    };

    static Result run(RVXLibrary& library, const RVXLibraryImport::Progress& progress = {},
                      const std::atomic<bool>* cancel = nullptr);
};
