// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliCommands.h"

#include "cardtools/RVXTimeSetFile.h"

#include <QDateTime>

int runTimeset(const QStringList& args) {
    const QDateTime now = QDateTime::currentDateTime();
    QDate date = now.date();
    QTime time = now.time();
    QString out;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == u"--date" && hasValue)
            date = QDate::fromString(args[++i], Qt::ISODate);
        else if (args[i] == u"--time" && hasValue)
            time = QTime::fromString(args[++i], QStringLiteral("HH:mm:ss"));
        else if (args[i] == u"--out" && hasValue)
            out = args[++i];
        else
            out.clear(), i = args.size();
    }
    if (out.isEmpty() || !date.isValid() || !time.isValid()) {
        cliErr(QStringLiteral(
            "usage: ruvex-card timeset [--date YYYY-MM-DD] [--time HH:MM:SS] --out FILE\n"));
        return CliUsage;
    }
    if (auto error = doWriteConfigFile(out, date, time)) {
        cliErr(QStringLiteral("ruvex-card timeset: %1: %2\n").arg(out, *error));
        return CliNotFound;
    }
    return CliOk;
}
