// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/library/RVXLibrary.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <ostream>

// The demo card the fixture wrote: two days, eight recordings, config.bin and a drive log.
QString demoCard();
QString sha256Of(const QString& path);
// The library in folder, open; failures are the test's.
std::unique_ptr<RVXLibrary> openLibrary(const QString& folder);
// A copy of a tree with its own bytes (not links), for a card the test changes.
void copyTree(const QString& from, const QString& to);
// Every file under folder, relative: its size and SHA-256 (and, with times, its
// modification time), for telling whether anything changed.
std::map<QString, QString> digest(const QString& folder, bool withTimes = false);
// What the index holds as text lines, ids replaced by the paths they stand for, so that
// two indexes of the same files compare equal whatever ids they gave.
QStringList indexRows(RVXLibrary& library);
// The lines only one of two lists holds, marked - and +; empty when they are the same.
QString rowsDiff(const QStringList& before, const QStringList& after);

// A suite's cases against each implementation of the index: "sqlite" (library.db in the
// folder) and "postgresql" (a database of its own for each folder, on the tests' server).
class LibraryOnEachIndex : public ::testing::TestWithParam<const char*> {
protected:
    bool onServer() const;
    // The library in folder, open, on the parameter's index; the same folder again is the
    // same index.
    std::unique_ptr<RVXLibrary> open(const QString& folder);
    // One statement on the last opened folder's index as another program would run it;
    // its first value.
    QVariant indexSql(const QString& statement);

private:
    std::map<QString, QString> m_addresses;
    QString m_folder;
};

// Runs the suite (a class derived from LibraryOnEachIndex) on both.
#define RUVEX_ON_EACH_INDEX(suite)                                                                 \
    INSTANTIATE_TEST_SUITE_P(Index, suite, ::testing::Values("sqlite", "postgresql"),              \
                             [](const auto& info) { return std::string(info.param); })

// Readable failures: gtest would print a QString as its bytes.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& lines, std::ostream* os) {
    *os << "\n    " << lines.join(QStringLiteral("\n    ")).toStdString() << '\n';
}
