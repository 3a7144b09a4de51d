// SPDX-License-Identifier: GPL-3.0-or-later
#include "DemoCardCopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

QString DemoCardCopy::demo(const QString& name) {
    return QDir(qEnvironmentVariable("RUVEX_TEST_DEMO_CARD"))
        .filePath(QStringLiteral("20260314/") + name);
}

QString DemoCardCopy::make(TempTree& tree, const QString& relative) const {
    const QDir card(qEnvironmentVariable("RUVEX_TEST_DEMO_CARD"));
    const QString day = tree.folder(relative + QStringLiteral("/20260314"));
    for (const QFileInfo& f :
         QDir(card.filePath(QStringLiteral("20260314"))).entryInfoList(QDir::Files, QDir::Name)) {
        const QString name = f.fileName();
        if (without.contains(name))
            continue;
        const auto as = renamed.find(name);
        const QString to = day + u'/' + (as == renamed.end() ? name : as->second);
        if (const auto cut = cutTo.find(name); cut != cutTo.end()) {
            QFile in(f.absoluteFilePath());
            EXPECT_TRUE(in.open(QIODevice::ReadOnly)) << qPrintable(name);
            tree.file(QDir(tree.root()).relativeFilePath(to), in.read(cut->second));
            continue;
        }
        EXPECT_TRUE(QFile::link(f.absoluteFilePath(), to)) << qPrintable(to);
    }
    for (const auto& [name, file] : added)
        EXPECT_TRUE(QFile::link(file, day + u'/' + name)) << qPrintable(name);
    if (withConfig) {
        EXPECT_TRUE(QFile::link(card.filePath(QStringLiteral("config.bin")),
                                tree.path(relative + QStringLiteral("/config.bin"))));
    }
    return tree.path(relative);
}
