// SPDX-License-Identifier: GPL-3.0-or-later
// ruvex-make-recording: an ffmpeg MP4 plus telemetry records in, a camera-layout recording out.
#include "testmedia/CameraRecordingWriter.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

namespace {

int usage() {
    std::fputs("usage: ruvex-make-recording [--video IN.mp4] --telemetry RECORDS.json|RECORDS.csv "
               "--out OUT.MP4 [--format json|csv] [--gap BYTES]\n"
               "without --video: a file of the camera's layout holding the telemetry alone,\n"
               "each chunk after BYTES of empty space (a hole in the file)\n",
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
    uint32_t gap = 0;
    bool gapOk = true;
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
        else if (a == "--gap")
            gap = args[++i].toUInt(&gapOk);
        else
            return usage();
    }
    if (telemetry.isEmpty() || out.isEmpty() || !gapOk || (gap && !video.isEmpty()))
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
    const TelemetryRecords& records = std::get<TelemetryRecords>(parsed);
    if (video.isEmpty()) {
        if (auto error = CameraRecordingWriter::writeSkeletonFile(out, records, gap))
            return fail(*error);
        return 0;
    }
    if (auto error = CameraRecordingWriter::writeFile(video, records, out))
        return fail(*error);
    return 0;
}
