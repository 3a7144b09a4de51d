// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

#include <optional>
#include <span>
#include <vector>

// Exit statuses shared by every subcommand.
enum CliStatus { CliOk = 0, CliNotFound = 1, CliUsage = 2 };

struct CliCommand {
    const char* name;
    const char* usage;
    const char* summary;
    int (*run)(const QStringList& args);
};

std::span<const CliCommand> cliCommands();
int runCardCommandLine(const QStringList& arguments);

// Output helpers: UTF-8 to stdout or stderr.
void cliOut(const QString& text);
void cliOut(const QByteArray& utf8);
void cliErr(const QString& text);

// Rows of cells as aligned columns, two spaces apart; the last column is not padded.
void cliPrintTable(const std::vector<QStringList>& rows);

// "COMMAND DIR [--json]": the folder, which must be one that can be read, and whether
// --json was given; none (the error told) for anything else.
std::optional<QString> cliFolderArgument(const char* command, const QStringList& args, bool* json);

int runList(const QStringList& args);
int runTrips(const QStringList& args);
int runEvents(const QStringList& args);
int runClock(const QStringList& args);
int runEvidence(const QStringList& args);
int runRepair(const QStringList& args);
int runTelemetry(const QStringList& args);
int runNmea(const QStringList& args);
int runConfig(const QStringList& args);
int runDrivelog(const QStringList& args);
int runTimeset(const QStringList& args);
int runDisks(const QStringList& args);
int runFormat(const QStringList& args);
int runConfigPages(const QStringList& args);
int runConfigEdit(const QStringList& args);
int runLibrary(const QStringList& args);
