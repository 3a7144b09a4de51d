// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/library/RVXLibrary.h"
#include "core/library/RVXLibraryImport.h"

#include <QHash>
#include <QSet>
#include <QStringList>

#include <atomic>
#include <memory>
#include <optional>

// What `ruvex-card library SUB` was given: every subcommand takes --library DIR.
struct CliLibraryArgs {
    QStringList positional;
    QHash<QString, QString> values;
    QSet<QString> flags;
    QString library;
    // --database: the index on a server instead of the folder's own.
    QString database;

    // valued: options that take a value; flags: those that do not. None (the error told,
    // with usage) for anything else.
    static std::optional<CliLibraryArgs> parse(const char* sub, const char* usage,
                                               const QStringList& args, const QStringList& valued,
                                               const QStringList& flags);
    bool has(const char* flag) const { return flags.contains(QLatin1String(flag)); }
    std::optional<QString> value(const char* option) const;
};

// The library at folder, its index open; none when it cannot be (the error told).
std::unique_ptr<RVXLibrary> cliOpenLibrary(const char* sub, const CliLibraryArgs& args,
                                           bool create);
// A line on stderr that follows progress when stderr is a terminal; nothing otherwise.
RVXLibraryImport::Progress cliLibraryProgress(const char* verb);
// Ends the progress line, if one was drawn.
void cliEndProgress();
// Set by Ctrl-C while the subcommand runs: work stops cleanly, as Cancel in the window.
const std::atomic<bool>* cliInterruptFlag();

int runLibraryImport(const QStringList& args);
int runLibraryList(const QStringList& args);
int runLibraryProtect(const QStringList& args);
int runLibraryPrune(const QStringList& args);
int runLibraryCheck(const QStringList& args);
int runLibraryRebuild(const QStringList& args);
