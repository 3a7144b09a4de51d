// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliCommands.h"
#include "cli/CliGpsJson.h"
#include "cli/CliJson.h"

#include "core/telemetry/RVXBlackBoxData.h"
#include "core/telemetry/RVXTelemetryExport.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace {

QByteArray recordJson(const RVXBlackBoxData& b, size_t i) {
    const RVXAviGSensorData& raw = b.m_vGSensorData[i];
    const RVXGSensor& g = b.m_GSensors[i];
    const RVXAviGpsData& gps = b.m_vGpsData[i];
    return CliJson()
        .add("time", int64_t(b.m_Times[i]))
        .add("X", int64_t(raw.X))
        .add("Y", int64_t(raw.Y))
        .add("Z", int64_t(raw.Z))
        .add("T", int64_t(raw.T))
        .add("x", double(g.x))
        .add("y", double(g.y))
        .add("z", double(g.z))
        .add("unit", characterText(gps.unit()))
        .add("gpsString", QString::fromLatin1(gps.gpsString().toByteArray().toBase64()))
        .toJson();
}

QByteArray toJson(const RVXBlackBoxData& b) {
    QByteArray out = "{\"records\":[";
    for (size_t i = 0; i < b.m_Times.size(); ++i)
        out += (i ? ",\n" : "\n") + recordJson(b, i);
    out += "\n],\"nmeas\":[";
    for (size_t i = 0; i < b.m_NMEAs.size(); ++i)
        out += (i ? ",\n" : "\n") + gpsDataJson(b.m_NMEAs[i]);
    return out + "\n]}\n";
}

} // namespace

int runTelemetry(const QStringList& args) {
    QString format = QStringLiteral("json");
    QStringList positional;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == u"--format" && i + 1 < args.size())
            format = args[++i];
        else if (args[i].startsWith(u"--format="))
            format = args[i].mid(9);
        else if (args[i].startsWith(u'-'))
            positional << QString(); // an unknown option is a usage error
        else
            positional << args[i];
    }
    if (positional.size() != 1 || positional[0].isEmpty() ||
        (format != u"json" && format != u"csv" && format != u"gpx")) {
        cliErr(QStringLiteral("usage: ruvex-card telemetry FILE [--format json|csv|gpx]\n"));
        return CliUsage;
    }
    RVXBlackBoxData data;
    if (!data.ExtractStreamInformation(QFile::encodeName(positional[0]).constData())) {
        cliErr(
            QStringLiteral(
                "ruvex-card telemetry: %1: no telemetry track found (missing file, or not a camera "
                "recording)\n")
                .arg(positional[0]));
        return CliNotFound;
    }
    if (format == u"csv")
        cliOut(RVXTelemetryExport::csv(data));
    else if (format == u"gpx")
        cliOut(RVXTelemetryExport::gpx(data, QFileInfo(positional[0]).completeBaseName()));
    else
        cliOut(toJson(data));
    return CliOk;
}
