// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/RVXPkexec.h"

#include "core/support/RVXLog.h"

#include <QProcess>
#include <QStandardPaths>

RVXCommandResult RVXPkexec::run(const QString& program, const QStringList& arguments) {
    const QString pkexec = QStandardPaths::findExecutable(QStringLiteral("pkexec"));
    if (pkexec.isEmpty())
        return {kNotAuthorised, QStringLiteral("pkexec is not installed")};
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(pkexec, QStringList{program} + arguments);
    // No time-out: the user may take a while over the password.
    if (!process.waitForStarted(-1) || !process.waitForFinished(-1))
        return {kNotAuthorised, process.errorString()};
    RVXLog(QStringLiteral("pkexec %1 %2: exit %3")
               .arg(program, arguments.join(u' '))
               .arg(process.exitCode()));
    if (process.exitStatus() != QProcess::NormalExit)
        return {-1, QStringLiteral("%1 crashed").arg(program)};
    return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardError())};
}
