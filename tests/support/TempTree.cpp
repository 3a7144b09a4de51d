// SPDX-License-Identifier: GPL-3.0-or-later
#include "TempTree.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

TempTree::TempTree() {
    EXPECT_TRUE(m_dir.isValid()) << qPrintable(m_dir.errorString());
}

QString TempTree::path(const QString& relative) const {
    return QDir(m_dir.path()).filePath(relative);
}

QString TempTree::folder(const QString& relative) {
    const QString p = path(relative);
    EXPECT_TRUE(QDir().mkpath(p)) << qPrintable(p);
    return p;
}

QString TempTree::file(const QString& relative, const QByteArray& content) {
    const QString p = path(relative);
    QDir().mkpath(QFileInfo(p).path());
    QFile f(p);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << qPrintable(p);
    f.write(content);
    return p;
}

void TempTree::files(const QString& folderPath, const QStringList& names) {
    folder(folderPath);
    for (const QString& n : names)
        file(folderPath + u'/' + n);
}
