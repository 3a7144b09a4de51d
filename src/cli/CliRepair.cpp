// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliCommands.h"

#include "core/media/RVXRecordingRepair.h"
#include "core/support/RVXCFormat.h"

#include <QFileInfo>

int runRepair(const QStringList& args) {
    QString broken, reference, out;
    bool usage = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == u"--reference" && i + 1 < args.size())
            reference = args[++i];
        else if (args[i] == u"--out" && i + 1 < args.size())
            out = args[++i];
        else if (args[i].startsWith(u'-') || !broken.isEmpty())
            usage = true;
        else
            broken = args[i];
    }
    if (usage || broken.isEmpty() || out.isEmpty()) {
        cliErr(
            QStringLiteral("usage: ruvex-card repair BROKEN [--reference HEALTHY] --out FILE\n"));
        return CliUsage;
    }
    // A path mistyped or a card pulled out is not there at all, which the diagnosis would
    // take for a file of another camera.
    for (const QString& path : {broken, reference}) {
        if (!path.isEmpty() && !QFileInfo::exists(path)) {
            cliErr(QStringLiteral("ruvex-card repair: %1: No such file\n").arg(path));
            return CliNotFound;
        }
    }
    const RVXRecordingDiagnosis::Result d = RVXRecordingDiagnosis::diagnose(broken);
    if (d.state == RVXRecordingDiagnosis::State::NotARecording) {
        cliErr(QStringLiteral("ruvex-card repair: %1 is not a recording of this camera\n")
                   .arg(broken));
        return CliUsage;
    }
    if (d.state == RVXRecordingDiagnosis::State::Healthy)
        cliErr(QStringLiteral("ruvex-card repair: %1 is whole; its copy is made all the same\n")
                   .arg(broken));
    if (reference.isEmpty())
        reference = RVXRecordingRepair::findReference(broken);
    if (reference.isEmpty()) {
        cliErr(QStringLiteral("ruvex-card repair: no healthy recording of the same side beside %1; "
                              "name one with --reference\n")
                   .arg(broken));
        return CliNotFound;
    }
    if (QFileInfo::exists(out)) {
        cliErr(QStringLiteral("ruvex-card repair: %1 exists already\n").arg(out));
        return CliUsage;
    }
    RVXRecordingRepair::Result result;
    if (auto error = RVXRecordingRepair::repair(broken, reference, out, &result)) {
        cliErr(QStringLiteral("ruvex-card repair: %1\n").arg(*error));
        return CliNotFound;
    }
    cliOut(RVXCFormat("video      %.2f s (%d frames)\naudio      %.2f s\ntelemetry  %.2f s\n",
                      result.videoSeconds, result.videoFrames, result.audioSeconds,
                      result.telemetrySeconds));
    cliOut(RVXCFormat("stopped    after %.2f s: %s", result.videoSeconds,
                      result.stoppedBecause.toUtf8().constData()) +
           (result.bytesLeft ? QStringLiteral("; %1 bytes left out\n").arg(result.bytesLeft)
                             : QStringLiteral("\n")));
    cliErr(QStringLiteral("ruvex-card repair: %1 written from %2 with %3 as the reference\n")
               .arg(out, broken, QFileInfo(reference).fileName()));
    return CliOk;
}
