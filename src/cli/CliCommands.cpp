// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliCommands.h"

#include "RVXVersion.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>

#include <dirent.h>

namespace {

int runHelp(const QStringList& args);

// Later subcommands join this table; help is generated from it.
constexpr CliCommand kCommands[] = {
    {"help", "help", "list the subcommands", runHelp},
    {"list", "list DIR [--json]", "list the recordings under DIR in catalogue order", runList},
    {"trips", "trips DIR [--json]",
     "the drives under DIR: recordings that follow one another joined into trips", runTrips},
    {"events", "events DIR [--json]",
     "every impact (against the card's thresholds), hard braking and acceleration", runEvents},
    {"clock", "clock DIR [--json]", "the camera's clock against GPS time", runClock},
    {"evidence",
     "evidence DIR (--at yyyy-MM-ddTHH:mm:ss | --file RECORDING --offset S) [--before S] "
     "[--after S] --out FOLDER",
     "the evidence pack of a moment: both cameras cut without re-encoding, the originals, "
     "telemetry, a PDF sheet, SHA-256 checksums",
     runEvidence},
    {"repair", "repair BROKEN [--reference HEALTHY] --out FILE",
     "a recording cut short by power loss written again with an index, from a healthy one's "
     "pattern",
     runRepair},
    {"telemetry", "telemetry FILE [--format json|csv|gpx]", "the telemetry track of a recording",
     runTelemetry},
    {"nmea", "nmea [FILE|-]", "decode NMEA sentences line by line into the running fix", runNmea},
    {"config",
     "config show FILE [--json] | config defaults --out FILE | config set FILE NAME=VALUE... "
     "[--out OTHER] | config pages FILE [--page NAME] [--json] | config edit FILE --page NAME "
     "[CONTROL=VALUE]... [--out OTHER]",
     "show, write or change the camera's settings file config.bin, field by field or as the "
     "editor's pages show it",
     runConfig},
    {"drivelog", "drivelog FILE [--csv OUT]", "the drive-information log as a table, or as CSV",
     runDrivelog},
    {"timeset", "timeset [--date YYYY-MM-DD] [--time HH:MM:SS] --out FILE [--force] | --card",
     "write the clock file timeset.cfg, to FILE or to the card that holds one (now when no "
     "date or time is given); an existing FILE that is no clock file only with --force",
     runTimeset},
    {"disks", "disks [--json]",
     "the mounted USB and SD cards, the camera's card marked (JSON: one object a line)", runDisks},
    {"format", "format DEVICE [--yes | --restore KEPT]",
     "format the card DEVICE for the camera (FAT32 \"ZAMO\"), keeping its config.bin; without "
     "--yes only say what would be done; --restore puts a kept config.bin back on it",
     runFormat},
    {"library",
     "library import CARD [--only events] [--since-last] [--json] | library list [--from D] "
     "[--to D] [--kind event|motion|loop] [--events] [--near LAT,LON --radius M] "
     "[--box LAT1,LON1,LAT2,LON2] [--trips] [--json] | library protect FILE | library prune "
     "(--keep-days N | --max-gb G) [--dry-run] | library check | library rebuild; each with "
     "[--library DIR] [--database postgresql://...]",
     "keep every drive after the card is overwritten: import a card into the library (the "
     "Movies folder's \"RUVEX Library\" unless --library), find recordings and trips by day, "
     "kind, event and place, protect, prune, check against the index, rebuild the index",
     runLibrary},
};

int runHelp(const QStringList&) {
    cliOut(QStringLiteral("usage: ruvex-card COMMAND [ARGS]\n\ncommands:\n"));
    for (const CliCommand& c : kCommands)
        cliOut(QStringLiteral("  %1\n      %2\n")
                   .arg(QLatin1String(c.usage), QLatin1String(c.summary)));
    return CliOk;
}

} // namespace

std::span<const CliCommand> cliCommands() {
    return kCommands;
}

int runCardCommandLine(const QStringList& arguments) {
    if (arguments.isEmpty()) {
        runHelp({});
        return CliUsage;
    }
    const QString& name = arguments.first();
    if (name == QLatin1String("--help") || name == QLatin1String("-h"))
        return runHelp({});
    if (name == QLatin1String("--version")) {
        cliOut(QByteArray("ruvex-card " RUVEX_VERSION "\n"));
        return CliOk;
    }
    for (const CliCommand& c : kCommands) {
        if (name == QLatin1String(c.name))
            return c.run(arguments.mid(1));
    }
    cliErr(QStringLiteral("ruvex-card: unknown command '%1' (try 'ruvex-card help')\n").arg(name));
    return CliUsage;
}

void cliOut(const QByteArray& utf8) {
    std::fwrite(utf8.constData(), 1, size_t(utf8.size()), stdout);
}

void cliOut(const QString& text) {
    cliOut(text.toUtf8());
}

void cliErr(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    std::fwrite(utf8.constData(), 1, size_t(utf8.size()), stderr);
}

std::optional<QString> cliFolderArgument(const char* command, const QStringList& args, bool* json) {
    QStringList positional;
    for (const QString& a : args) {
        if (a == QLatin1String("--json")) {
            *json = true;
        } else if (a.startsWith(QLatin1String("--"))) {
            cliErr(QStringLiteral("ruvex-card %1: unknown option %2\n")
                       .arg(QLatin1String(command), a));
            return std::nullopt;
        } else {
            positional << a;
        }
    }
    if (positional.size() != 1) {
        cliErr(QStringLiteral("usage: ruvex-card %1 DIR [--json]\n").arg(QLatin1String(command)));
        return std::nullopt;
    }
    const QString dir = positional.first();
    DIR* handle = QFileInfo(dir).isDir() ? opendir(QFile::encodeName(dir).constData()) : nullptr;
    if (!handle) {
        cliErr(QStringLiteral("ruvex-card %1: %2: not a readable folder\n")
                   .arg(QLatin1String(command), dir));
        return std::nullopt;
    }
    closedir(handle);
    return dir;
}

void cliPrintTable(const std::vector<QStringList>& rows) {
    std::vector<qsizetype> widths;
    for (const QStringList& row : rows) {
        widths.resize(std::max(widths.size(), size_t(row.size())));
        for (qsizetype c = 0; c < row.size(); ++c)
            widths[size_t(c)] = std::max(widths[size_t(c)], row[c].size());
    }
    for (const QStringList& row : rows) {
        QString line;
        for (qsizetype c = 0; c + 1 < row.size(); ++c)
            line += row[c].leftJustified(widths[size_t(c)] + 2);
        cliOut(line + (row.isEmpty() ? QString() : row.last()) + u'\n');
    }
}
