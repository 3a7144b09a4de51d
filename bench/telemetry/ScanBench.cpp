// SPDX-License-Identifier: GPL-3.0-or-later
// The card scan of ten hours of recordings (600 files of one minute, ten samples a
// second) against reading their telemetry alone: what finding impacts, harsh speed
// changes and the clock adds to the reads.
#include "BenchSupport.h"
#include "core/catalogue/RVXMediaList.h"
#include "core/catalogue/RVXTrip.h"
#include "core/scan/RVXCardScan.h"
#include "core/telemetry/RVXBlackBoxData.h"
#include "testmedia/CameraRecordingWriter.h"
#include "testmedia/DemoDrive.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>

namespace {

constexpr int kFiles = 600;

const std::vector<RVXTripUnit>& units() {
    static QTemporaryDir dir;
    static std::vector<RVXTripUnit> out;
    if (!out.empty())
        return out;
    const DemoDrive drive;
    const QDateTime first(QDate(2026, 3, 14), QTime(6, 0), Qt::UTC);
    QDir().mkpath(dir.filePath(QStringLiteral("DCIM")));
    for (int i = 0; i < kFiles; ++i) {
        const QDateTime at = first.addSecs(i * 60);
        const QString path =
            dir.filePath(at.toString(QStringLiteral("'DCIM/alwa_'yyyyMMdd_HHmmss'_F.MP4'")));
        // The demo drive is a few minutes long; each file takes a stretch of it.
        if (CameraRecordingWriter::writeSkeletonFile(
                path, drive.recordsFor(double(i % 5) * 60, 60, at.addSecs(-3600), i % 7 ? -1 : 20),
                0))
            qFatal("could not write %s", qPrintable(path));
    }
    RVXMediaList list;
    list.setDirectoryPath(dir.path());
    list.waitForWalks();
    out = RVXTrip::unitsOfList(list);
    RVXTrip::readLengths(out);
    return out;
}

// Interleaved in one run, so load on the machine falls on both alike.
void BM_ScanOverReads(benchmark::State& state) {
    const std::vector<RVXTripUnit>& all = units();
    RVXScanSettings settings;
    settings.xThreshold = settings.yThreshold = settings.zThreshold = 150;
    double reads = 0, scan = 0;
    size_t events = 0, impacts = 0;
    for (auto _ : state) {
        reads += secondsOf([&] {
            for (const RVXTripUnit& u : all) {
                RVXBlackBoxData data;
                data.ExtractStreamInformation(QFile::encodeName(u.media->path()).constData());
                benchmark::DoNotOptimize(data.m_GSensors.data());
            }
        });
        scan += secondsOf([&] {
            const auto result = RVXCardScan::scan(all, settings);
            events = result ? result->events.size() : 0;
            impacts = result ? size_t(std::count_if(result->events.begin(), result->events.end(),
                                                    [](const RVXScanEvent& e) {
                                                        return e.kind == RVXScanEvent::Kind::Impact;
                                                    }))
                             : 0;
        });
    }
    const double n = double(state.iterations());
    state.counters["files"] = double(all.size());
    state.counters["events"] = double(events);
    state.counters["impacts"] = double(impacts);
    state.counters["reads_ms"] = 1000 * reads / n;
    state.counters["scan_ms"] = 1000 * scan / n;
    state.counters["ratio"] = scan / reads;
}

} // namespace

BENCHMARK(BM_ScanOverReads)->Unit(benchmark::kMillisecond)->Iterations(5);
