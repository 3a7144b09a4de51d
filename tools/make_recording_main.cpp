// SPDX-License-Identifier: GPL-3.0-or-later
// ruvex-make-recording: an ffmpeg MP4 plus telemetry records in, a camera-layout recording out.
#include "testmedia/CameraRecordingWriter.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

namespace {

int usage() {
    std::fputs("usage: ruvex-make-recording --video IN.mp4 --telemetry RECORDS.json|RECORDS.csv "
               "--out OUT.MP4 [--format json|csv]\n",
               stderr);
    return 2;
}

int fail(const QString& message) {
    std::fprintf(stderr, "ruvex-make-recording: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QString video, telemetry, out, format;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (i + 1 >= args.size())
            return usage();
        if (a == "--video")
            video = args[++i];
        else if (a == "--telemetry")
            telemetry = args[++i];
        else if (a == "--out")
            out = args[++i];
        else if (a == "--format")
            format = args[++i];
        else
            return usage();
    }
    if (video.isEmpty() || telemetry.isEmpty() || out.isEmpty())
        return usage();
    if (format.isEmpty())
        format = telemetry.endsWith(".csv", Qt::CaseInsensitive) ? "csv" : "json";
    if (format != "csv" && format != "json")
        return usage();

    QFile in(telemetry);
    if (!in.open(QIODevice::ReadOnly))
        return fail(telemetry + ": " + in.errorString());
    const QByteArray text = in.readAll();
    const TelemetryParseResult parsed =
        format == "csv" ? parseTelemetryCsv(text) : parseTelemetryJson(text);
    if (const QString* error = std::get_if<QString>(&parsed))
        return fail(telemetry + ": " + *error);
    if (auto error =
            CameraRecordingWriter::writeFile(video, std::get<TelemetryRecords>(parsed), out))
        return fail(*error);
    return 0;
}
