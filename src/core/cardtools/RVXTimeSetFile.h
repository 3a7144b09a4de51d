// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QString>
#include <QTime>

#include <optional>

// The clock file timeset.cfg: "yyyy/MM/dd HH:mm:ss", 19 ASCII bytes, Gregorian
// calendar and ASCII digits whatever the user's locale.
QByteArray RVXTimeSetText(const QDate& date, const QTime& time);
// Writes over the file from its first byte; a longer file keeps its tail. Nothing on
// success, else the system's reason.
std::optional<QString> doWriteConfigFile(const QString& path, const QDate& date, const QTime& time);
