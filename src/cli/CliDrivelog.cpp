// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliCommands.h"

#include "core/drivelog/RVXFlashDataModel.h"

#include <algorithm>

int runDrivelog(const QStringList& args) {
    QString csv;
    QStringList files;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == u"--csv" && i + 1 < args.size())
            csv = args[++i];
        else
            files << args[i];
    }
    if (files.size() != 1 || files[0].startsWith(u'-')) {
        cliErr(QStringLiteral("usage: ruvex-card drivelog FILE [--csv OUT]\n"));
        return CliUsage;
    }
    if (auto damage = flashDataFileDamage(files[0])) {
        cliErr(QStringLiteral("ruvex-card drivelog: %1: %2\n").arg(files[0], *damage));
        return CliNotFound;
    }
    RVXFlashDataModel model;
    if (!model.doReadFlashDataFile(files[0])) {
        cliErr(QStringLiteral("ruvex-card drivelog: %1: cannot be read\n").arg(files[0]));
        return CliNotFound;
    }
    if (!csv.isEmpty()) {
        if (auto error = model.doWriteCSVFile(csv)) {
            cliErr(QStringLiteral("ruvex-card drivelog: %1: %2\n").arg(csv, *error));
            return CliNotFound;
        }
        return CliOk;
    }
    const QStringList titles = RVXFlashDataModel::columnNames();
    std::vector<QStringList> rows{titles};
    for (int64_t r = 0; r < model.m_FlashDataNum(); ++r) {
        QStringList cells;
        for (int c = 0; c < RVXFlashDataModel::kColumnCount; ++c)
            cells << model.stringForColumnIndex(c, r);
        rows.push_back(cells);
    }
    QList<qsizetype> widths(RVXFlashDataModel::kColumnCount, 0);
    for (const QStringList& row : rows)
        for (int c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], row[c].size());
    for (const QStringList& row : rows) {
        QStringList cells;
        for (int c = 0; c < row.size(); ++c)
            cells << row[c].rightJustified(widths[c]);
        cliOut(cells.join(QStringLiteral("  ")) + u'\n');
    }
    return CliOk;
}
