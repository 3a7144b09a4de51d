// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/catalogue/RVXMedia.h"
#include "core/library/RVXLibraryCard.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <variant>
#include <vector>

class RVXLibrary;

// Where an import stands, as values for a window's bar or a terminal's line.
struct RVXLibraryProgress {
    int64_t doneBytes = 0;
    int64_t totalBytes = 0;
    int doneFiles = 0;
    int totalFiles = 0;
    QString file;
};

// A card (or any folder) brought into the library: each recording read once while its
// SHA-256 is worked out, written under a hidden name in its day folder, forced to the
// disk, renamed, and only then entered in the index. A stop at any point leaves no half
// file registered and no registered file missing, and the next import finishes the job.
// The card is only read.
class RVXLibraryImport {
public:
    using Choice = RVXLibraryImportRecord::Choice;
    using Progress = std::function<void(const RVXLibraryProgress&)>;

    struct Item {
        enum class Action {
            // A name the library does not hold.
            Copy,
            // The name held with the same size: the same recording unless the hash differs.
            Verify,
            // The name held with other bytes: kept beside it under another name.
            Beside,
        };
        RVXMediaRef media;
        int64_t size = 0;
        Action action = Action::Copy;
    };
    // What the card holds that the choice takes, in catalogue order.
    struct Plan {
        std::vector<Item> items;
        // Recordings to be written and the bytes they need, config.bin and the drive log
        // included; Verify items need none unless they turn out different.
        int count = 0;
        int64_t needBytes = 0;
        int64_t readBytes = 0;
        std::optional<int64_t> newestMoment;
    };
    struct Result {
        RVXLibraryImportRecord record;
        QStringList added;
        QStringList beside;
        QStringList failedFiles;
        bool cancelled = false;
        bool diskFull = false;
        // Why it stopped, or what failed; none when every recording came in.
        std::optional<QString> error;
    };

    // The plan for card against what the library holds. Reads the card's folders and,
    // for EventsOnly, its movie headers.
    static std::variant<Plan, QString> plan(RVXLibrary& library, const QString& card, Choice choice,
                                            const std::optional<RVXLibraryCard>& identity = {});
    // Opens nothing itself: library must be open. Takes the library's lock.
    static Result run(RVXLibrary& library, const QString& card, Choice choice = Choice::Everything,
                      const Progress& progress = {}, const std::atomic<bool>* cancel = nullptr,
                      const std::optional<RVXLibraryCard>& identity = {});

    // "412 recordings need 31.2 GB; the library's disk has 12.0 GB free".
    static QString spaceMessage(int count, int64_t needBytes, int64_t freeBytes);
    // "31.2 GB", "840.0 MB", "12.0 kB": decimal units, as disks are sold.
    static QString sizeText(int64_t bytes);

private:
    static std::optional<QString> keepCardFiles(const QString& card, const QString& folder);
};
