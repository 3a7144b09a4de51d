// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

struct RunResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    bool started = false;
};

// Runs a program to its end (at most timeoutMs) and collects what it printed.
RunResult runProgram(const QString& program, const QStringList& args, int timeoutMs = 120000);
// The same with text on standard input and extra environment variables ("NAME=value").
RunResult runProgram(const QString& program, const QStringList& args, const QByteArray& input,
                     const QStringList& environment, int timeoutMs = 120000);
bool programExists(const QString& program);
