// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A throw-away folder tree for tests that need real files on disk.
class TempTree {
public:
    TempTree();
    QString root() const { return m_dir.path(); }
    QString path(const QString& relative) const;
    // Creates the file (and its folders) with the given content; returns its path.
    QString file(const QString& relative, const QByteArray& content = {});
    QString folder(const QString& relative);
    // Empty files of the given names in folder (created when missing).
    void files(const QString& folder, const QStringList& names);

private:
    QTemporaryDir m_dir;
};
