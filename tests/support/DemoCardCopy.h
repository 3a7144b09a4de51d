// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TempTree.h"

#include <QString>
#include <QStringList>

#include <map>

// The demo card's first day as a damaged card would hold it: links to its recordings in a
// temp tree, with some left out, cut short (the first bytes copied, as a power loss leaves
// them) or linked under another name (another moment), and files of the test's own added.
// config.bin comes along unless left out.
struct DemoCardCopy {
    QStringList without;
    std::map<QString, qint64> cutTo;
    // Demo name -> the name in the copy.
    std::map<QString, QString> renamed;
    // Name in the copy -> the file it links to.
    std::map<QString, QString> added;
    bool withConfig = true;

    // The copy's root (its recordings in 20260314/); failures are the test's.
    QString make(TempTree& tree, const QString& relative = QStringLiteral("card")) const;
    // A recording of the demo card's first day.
    static QString demo(const QString& name);
};
