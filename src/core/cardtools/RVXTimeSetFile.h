// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QString>
#include <QTime>

#include <optional>

// The clock file timeset.cfg: "yyyy/MM/dd HH:mm:ss", 19 ASCII bytes, Gregorian
// calendar and ASCII digits whatever the user's locale.
QByteArray RVXTimeSetText(const QDate& date, const QTime& time);
// Whether the bytes start as a clock file does: "yyyy/MM/dd HH:mm:ss" in ASCII digits,
// whatever follows.
bool RVXIsClockText(const QByteArray& head);
// Why the file must not be taken for a clock file (it holds something else); nothing
// when it is one, is empty or does not exist.
std::optional<QString> RVXNotAClockFile(const QString& path);
// Writes over the file from its first byte; a longer file keeps its tail. The new
// content goes to a file beside it, synced, and takes its name (in place only on a card
// too full for that). Nothing on success, else the system's reason.
std::optional<QString> doWriteConfigFile(const QString& path, const QDate& date, const QTime& time);
