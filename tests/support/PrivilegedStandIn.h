// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/cardtools/RVXPrivilegedCommand.h"
#include "support/Run.h"

#include <QList>
#include <QMutex>
#include <QMutexLocker>
#include <QThread>

#include <optional>

// In place of pkexec in tests: runs the program as it is (never with more rights than
// the test has), or answers as the asking step would when the user says no.
class PrivilegedStandIn : public RVXPrivilegedCommand {
public:
    // Every run ends with this instead of running, when set.
    std::optional<RVXCommandResult> answer;
    // How long the user takes over the password.
    int delayMs = 0;

    RVXCommandResult run(const QString& program, const QStringList& arguments) override {
        {
            QMutexLocker lock(&m_mutex);
            m_calls << (QStringList{program} + arguments);
        }
        QThread::msleep(delayMs);
        if (answer)
            return *answer;
        const RunResult r = runProgram(program, arguments, 60000);
        return {r.started ? r.exitCode : kNotAuthorised, QString::fromLocal8Bit(r.err)};
    }
    QList<QStringList> calls() {
        QMutexLocker lock(&m_mutex);
        return m_calls;
    }

private:
    QMutex m_mutex;
    QList<QStringList> m_calls;
};
