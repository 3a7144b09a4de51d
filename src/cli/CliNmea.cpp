// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliCommands.h"
#include "cli/CliGpsJson.h"
#include "cli/CliJson.h"

#include "core/telemetry/RVXNMEASentenceParser.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int runNmea(const QStringList& args) {
    if (args.size() > 1 || (args.size() == 1 && args[0].startsWith(u'-') && args[0] != u"-")) {
        cliErr(QStringLiteral("usage: ruvex-card nmea [FILE|-]\n"));
        return CliUsage;
    }
    const bool fromStdin = args.isEmpty() || args[0] == u"-";
    FILE* in = fromStdin ? stdin : std::fopen(QFile::encodeName(args[0]).constData(), "rb");
    if (!in) {
        cliErr(QStringLiteral("ruvex-card nmea: %1: %2\n")
                   .arg(args[0], QString::fromLocal8Bit(std::strerror(errno))));
        return CliNotFound;
    }
    RVXNMEASentenceParser parser;
    char* buffer = nullptr;
    size_t capacity = 0;
    int64_t number = 0;
    for (ssize_t length; (length = getline(&buffer, &capacity, in)) >= 0;) {
        ++number;
        if (length > 0 && buffer[length - 1] == '\n')
            buffer[--length] = '\0';
        if (length > 0 && buffer[length - 1] == '\r')
            buffer[--length] = '\0';
        // The parser takes C strings: a NUL inside the line ends the sentence there.
        const bool accepted = parser.parse(buffer);
        cliOut(CliJson()
                   .add("line", number)
                   .add("accepted", accepted)
                   .addRaw("fix", gpsDataJson(parser.current()))
                   .toJson() +
               '\n');
    }
    std::free(buffer);
    if (!fromStdin)
        std::fclose(in);
    return CliOk;
}
