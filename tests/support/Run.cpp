// SPDX-License-Identifier: GPL-3.0-or-later
#include "Run.h"

#include <QProcess>
#include <QStandardPaths>

RunResult runProgram(const QString& program, const QStringList& args, int timeoutMs) {
    return runProgram(program, args, {}, {}, timeoutMs);
}

RunResult runProgram(const QString& program, const QStringList& args, const QByteArray& input,
                     const QStringList& environment, int timeoutMs) {
    RunResult r;
    QProcess p;
    if (!environment.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& e : environment)
            env.insert(e.section(u'=', 0, 0), e.section(u'=', 1));
        p.setProcessEnvironment(env);
    }
    p.start(program, args);
    r.started = p.waitForStarted();
    if (!r.started)
        return r;
    p.write(input);
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
