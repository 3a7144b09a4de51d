// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliCommands.h"

#include "core/cardtools/RVXRemovableDisks.h"
#include "core/cardtools/RVXTimeSetFile.h"

#include <QDir>

#include <QDateTime>

int runTimeset(const QStringList& args) {
    const QDateTime now = QDateTime::currentDateTime();
    QDate date = now.date();
    QTime time = now.time();
    QString out;
    bool card = false;
    bool force = false;
    // Any word not understood, or an option without its value, is a usage error: the
    // card must never get the current time in place of the one the user meant.
    bool misused = false;
    // The value given that is no date or time of the calendar, named back to the user.
    QString unread;
    for (qsizetype i = 0; i < args.size() && !misused; ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == u"--date" && hasValue) {
            date = QDate::fromString(args[++i], Qt::ISODate);
            if (!date.isValid() && unread.isEmpty())
                unread = QStringLiteral("--date %1 is not a date of the calendar (YYYY-MM-DD)")
                             .arg(args[i]);
        } else if (args[i] == u"--time" && hasValue) {
            time = QTime::fromString(args[++i], QStringLiteral("HH:mm:ss"));
            if (!time.isValid() && unread.isEmpty())
                unread =
                    QStringLiteral("--time %1 is not a time of the day (HH:MM:SS)").arg(args[i]);
        } else if (args[i] == u"--out" && hasValue)
            out = args[++i];
        else if (args[i] == u"--card")
            card = true;
        else if (args[i] == u"--force")
            force = true;
        else
            misused = true;
    }
    if (!misused && !unread.isEmpty()) {
        cliErr(QStringLiteral("ruvex-card timeset: %1\n").arg(unread));
        return CliUsage;
    }
    if (misused || out.isEmpty() == !card || !date.isValid() || !time.isValid()) {
        cliErr(QStringLiteral("usage: ruvex-card timeset [--date YYYY-MM-DD] [--time HH:MM:SS] "
                              "--out FILE [--force] | --card\n"));
        return CliUsage;
    }
    // A slip to config.bin would cost the camera its settings: only a clock file, an
    // empty file or a new one is written over unless the user insists.
    if (!card && !force) {
        if (auto why = RVXNotAClockFile(out)) {
            cliErr(QStringLiteral("ruvex-card timeset: %1; --force writes over its first 19 "
                                  "bytes\n")
                       .arg(*why));
            return CliNotFound;
        }
    }
    if (card) {
        // The card is the one that already holds a clock file, as the clock window finds it.
        const std::optional<QUrl> volume = usbVolumeURLWithFile(QStringLiteral("timeset.cfg"));
        if (!volume) {
            cliErr(QStringLiteral("ruvex-card timeset: no card holds timeset.cfg\n"));
            return CliNotFound;
        }
        out = QDir(volume->toLocalFile()).filePath(QStringLiteral("timeset.cfg"));
    }
    if (auto error = doWriteConfigFile(out, date, time)) {
        cliErr(QStringLiteral("ruvex-card timeset: %1: %2\n").arg(out, *error));
        return CliNotFound;
    }
    return CliOk;
}
