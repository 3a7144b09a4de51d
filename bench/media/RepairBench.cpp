// SPDX-License-Identifier: GPL-3.0-or-later
// The repair of a 1 GiB recording cut short, against reading the file once: how near the
// walk comes to the cost of the read itself, and the whole repair to a plain durable copy.
#include "BenchSupport.h"
#include "core/media/RVXRecordingRepair.h"
#include "testmedia/CameraRecordingWriter.h"
#include "testmedia/DemoDrive.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <unistd.h>

namespace {

constexpr qint64 kBrokenBytes = qint64(1) << 30;

// A camera recording of seconds of 720p noise, coded losslessly so that it is large.
QString makeRecording(const QTemporaryDir& dir, const QString& name, int seconds) {
    const QString encoded = dir.filePath(name + QStringLiteral(".mp4"));
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {"-v",
                  "error",
                  "-f",
                  "lavfi",
                  "-i",
                  QStringLiteral("testsrc2=size=1280x720:rate=30:duration=%1,noise=alls=30:allf=t")
                      .arg(seconds),
                  "-f",
                  "lavfi",
                  "-i",
                  QStringLiteral("sine=frequency=440:sample_rate=48000:duration=%1").arg(seconds),
                  "-c:v",
                  "libx264",
                  "-preset",
                  "ultrafast",
                  "-qp",
                  "0",
                  "-g",
                  "30",
                  "-pix_fmt",
                  "yuv420p",
                  "-c:a",
                  "aac",
                  "-b:a",
                  "96k",
                  "-shortest",
                  "-y",
                  encoded});
    if (!ffmpeg.waitForFinished(-1) || ffmpeg.exitCode() != 0)
        qFatal("ffmpeg failed");
    const QString out = dir.filePath(name);
    const QDateTime utc(QDate(2026, 3, 14), QTime(7, 0), Qt::UTC);
    if (CameraRecordingWriter::writeFile(encoded, DemoDrive().recordsFor(0, seconds, utc), out))
        qFatal("could not write %s", qPrintable(out));
    QFile::remove(encoded);
    return out;
}

void BM_RepairAgainstRead(benchmark::State& state) {
    static QTemporaryDir dir;
    static QString broken, reference;
    if (broken.isEmpty()) {
        reference = makeRecording(dir, QStringLiteral("alwa_20260314_080000_F.MP4"), 3);
        broken = makeRecording(dir, QStringLiteral("event_20260314_080100_F.MP4"), 27);
        QFile f(broken);
        if (f.size() < kBrokenBytes || !f.resize(kBrokenBytes))
            qFatal("the recording came out smaller than 1 GiB");
    }
    const QString out = dir.filePath(QStringLiteral("copy.MP4"));
    double read = 0, repair = 0, walk = 0, copy = 0;
    RVXRecordingReference ref;
    if (ref.read(reference))
        qFatal("no reference");
    const RVXRecordingDiagnosis::Result cut = RVXRecordingDiagnosis::diagnose(broken);
    RVXRecordingRepair::Result result;
    for (auto _ : state) {
        read += secondsOf([&] {
            QFile f(broken);
            f.open(QIODevice::ReadOnly);
            QByteArray block;
            while (!(block = f.read(4 << 20)).isEmpty())
                benchmark::DoNotOptimize(block.data());
        });
        // The least any repair costs: the bytes written once to a new file, made durable.
        const QString plain = dir.filePath(QStringLiteral("plain.MP4"));
        QFile::remove(plain);
        copy += secondsOf([&] {
            QFile in(broken), to(plain);
            in.open(QIODevice::ReadOnly);
            to.open(QIODevice::WriteOnly);
            QByteArray block;
            while (!(block = in.read(4 << 20)).isEmpty())
                to.write(block);
            to.flush();
            fsync(to.handle());
        });
        QFile::remove(plain);
        walk += secondsOf([&] {
            benchmark::DoNotOptimize(RVXRecordingRepair::walk(
                ref, broken, cut.mdatPayloadOffset, cut.mdatPayloadOffset + cut.mdatPayloadBytes));
        });
        QFile::remove(out);
        repair += secondsOf([&] {
            if (auto e = RVXRecordingRepair::repair(broken, reference, out, &result))
                qFatal("%s", qPrintable(*e));
        });
    }
    const double n = double(state.iterations());
    const double mb = double(kBrokenBytes) / 1e6;
    state.counters["read_MBps"] = mb / (read / n);
    state.counters["repair_MBps"] = mb / (repair / n);
    state.counters["walk_MBps"] = mb / (walk / n);
    state.counters["copy_MBps"] = mb / (copy / n);
    state.counters["ratio"] = repair / read;
    state.counters["ratio_to_copy"] = repair / copy;
    state.counters["frames"] = result.videoFrames;
    state.counters["video_s"] = result.videoSeconds;
}
BENCHMARK(BM_RepairAgainstRead)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
