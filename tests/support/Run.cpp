// SPDX-License-Identifier: GPL-3.0-or-later
#include "Run.h"

#include <QProcess>
#include <QStandardPaths>

RunResult runProgram(const QString& program, const QStringList& args, int timeoutMs) {
    RunResult r;
    QProcess p;
    p.start(program, args);
    r.started = p.waitForStarted();
    if (!r.started)
        return r;
    p.closeWriteChannel();
    if (!p.waitForFinished(timeoutMs))
        p.kill();
    p.waitForFinished();
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

bool programExists(const QString& program) {
    return !QStandardPaths::findExecutable(program).isEmpty();
}
