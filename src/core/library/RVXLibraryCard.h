// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// A card the library has imported from, told apart by its filesystem and drive; a plain
// folder by its path.
struct RVXLibraryCard {
    int64_t id = 0;
    QString label;
    QString filesystemUuid;
    QString driveSerial;
    // The folder imported from, which names a card the disk service did not know.
    QString source;

    // What the disk service says of the volume that holds folder; the folder alone
    // when it is on no volume the service knows.
    static RVXLibraryCard ofFolder(const QString& folder);
    bool sameCard(const RVXLibraryCard& other) const;
};

// One import, as the index and its folder in the library keep it.
struct RVXLibraryImportRecord {
    enum class Choice { Everything, EventsOnly, SinceLast };

    int64_t id = 0;
    int64_t card = 0;
    // UTC, "yyyy-MM-ddTHH:mm:ssZ"; finished is empty for an import that never ended.
    QString started;
    QString finished;
    QString source;
    // Relative to the library: where its config.bin and drive log are kept.
    QString folder;
    Choice choice = Choice::Everything;
    int64_t added = 0;
    int64_t skipped = 0;
    int64_t clashes = 0;
    int64_t failed = 0;
    int64_t bytes = 0;
    // The latest camera moment among the recordings it saw on the card.
    std::optional<int64_t> newestMoment;

    static const char* choiceName(Choice choice);
    static std::optional<Choice> choiceNamed(const QString& name);
};
