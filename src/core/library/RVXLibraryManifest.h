// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/library/RVXLibraryCard.h"

#include <QString>

#include <optional>

// import.json in an import's folder: the import and its card as the index holds them, so
// that a rebuild finds them again from the files.
class RVXLibraryManifest {
public:
    static constexpr QLatin1StringView kName{"import.json"};

    RVXLibraryImportRecord record;
    RVXLibraryCard card;

    // Written beside and renamed: a stop leaves the previous one.
    std::optional<QString> write(const QString& folder) const;
    static std::optional<RVXLibraryManifest> read(const QString& folder);
};
