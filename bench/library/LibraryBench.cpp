// SPDX-License-Identifier: GPL-3.0-or-later
// The library: an import of 600 one-minute pairs against `cp -r` and `sha256sum` of the
// same files in the same run (the import reads each file once where they read it twice,
// and forces every file to the disk, which cp does not: `sync` after them is shown too);
// a place query over a year of daily driving (1,000 trips, 2 million track points); and
// the listing of one day of 200 recordings in a library of a year.
#include "BenchSupport.h"
#include "core/library/RVXLibrary.h"
#include "core/library/RVXLibraryImport.h"
#include "core/library/RVXSqliteLibraryIndex.h"
#include "testmedia/CameraRecordingWriter.h"
#include "testmedia/DemoDrive.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>

namespace {

// RUVEX_BENCH_PAIRS sets another count, for a quicker look.
int pairCount() {
    const int n = qEnvironmentVariableIntValue("RUVEX_BENCH_PAIRS");
    return n > 0 ? n : 600;
}
// Bytes of one recording: a real minute is some 60-100 MB; the default keeps the run to a
// few GB of writing on a shared machine. RUVEX_BENCH_RECORDING_MB sets another.
int64_t recordingBytes() {
    const int mb = qEnvironmentVariableIntValue("RUVEX_BENCH_RECORDING_MB");
    return int64_t(mb > 0 ? mb : 2) * 1000000;
}

// A camera recording of a minute: its telemetry where the camera puts it, and noise where
// the pictures would be, so that nothing about the bytes is cheaper to copy than video.
QByteArray recording(const DemoDrive& drive, double offset, const QDateTime& utc,
                     const QByteArray& noise, uint32_t seed) {
    const TelemetryRecords records = drive.recordsFor(offset, 60, utc);
    const uint32_t gap = uint32_t(std::max<int64_t>(0, recordingBytes() / int64_t(records.size()) -
                                                           CameraRecordingWriter::kChunkSize));
    QByteArray bytes = CameraRecordingWriter::skeleton(records, gap);
    const qsizetype body = bytes.indexOf("mdat") + 4;
    for (size_t i = 0; i < records.size(); ++i) {
        const qsizetype at = body + qsizetype(i) * (gap + CameraRecordingWriter::kChunkSize);
        const qsizetype from =
            (qsizetype(seed) * 7919 + qsizetype(i) * 104729) % (noise.size() - gap);
        std::memcpy(bytes.data() + at, noise.constData() + from, gap);
    }
    return bytes;
}

const QString& card() {
    static QTemporaryDir dir;
    static QString root;
    if (root.isEmpty()) {
        QByteArray noise(8 << 20, Qt::Uninitialized);
        QRandomGenerator rng(43);
        rng.fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
        const DemoDrive drive;
        const QString folder = dir.filePath(QStringLiteral("DCIM/100MEDIA"));
        QDir().mkpath(folder);
        const QDateTime start(QDate(2026, 6, 1), QTime(6, 0), Qt::UTC);
        for (int i = 0; i < pairCount(); ++i) {
            const QDateTime utc = start.addSecs(60 * i);
            for (const char* side : {"F", "R"}) {
                const QString name =
                    utc.addSecs(3600).toString(QStringLiteral("'alwa_'yyyyMMdd_HHmmss_")) +
                    QLatin1String(side) + QStringLiteral(".MP4");
                QFile f(folder + u'/' + name);
                if (!f.open(QIODevice::WriteOnly) ||
                    f.write(recording(drive, 60.0 * (i % 3), utc, noise,
                                      uint32_t(2 * i + (*side == 'R')))) < 0)
                    qFatal("cannot write %s", qPrintable(f.fileName()));
            }
        }
        root = dir.path();
        // RUVEX_BENCH_KEEP_CARD: the card stays for a look with other tools.
        if (qEnvironmentVariableIsSet("RUVEX_BENCH_KEEP_CARD")) {
            dir.setAutoRemove(false);
            std::fprintf(stderr, "card kept in %s\n", qPrintable(root));
        }
    }
    return root;
}

double shell(const QString& script) {
    return secondsOf([&] {
        QProcess sh;
        sh.start(QStringLiteral("sh"), {QStringLiteral("-c"), script});
        if (!sh.waitForFinished(-1) || sh.exitCode() != 0)
            qFatal("failed: %s: %s", qPrintable(script), sh.readAllStandardError().constData());
    });
}

void BM_ImportAgainstCopyAndHash(benchmark::State& state) {
    const QString source = card();
    QTemporaryDir target;
    // Each run's seconds: on a machine others share, the best of the runs is the one least
    // disturbed, and the middle one what a user may expect.
    std::vector<double> import, copyHash, copyHashSync;
    int64_t bytes = 0;
    for (auto _ : state) {
        const QString lib = target.filePath(QStringLiteral("lib"));
        shell(QStringLiteral("sync"));
        import.push_back(secondsOf([&] {
            RVXLibrary library(lib);
        if (auto e = library.open())
            qFatal("%s", qPrintable(*e));
        const RVXLibraryImport::Result r = RVXLibraryImport::run(library, source);
        if (r.error || r.record.added != 2 * pairCount())
            qFatal("import: %s", qPrintable(r.error.value_or(QStringLiteral("short"))));
        bytes = r.record.bytes;
    }));
    QDir(lib).removeRecursively();
    const QString copy = target.filePath(QStringLiteral("copy"));
    const QString cpHash = QStringLiteral("cp -r '%1' '%2' && find '%2' -type f -print0 | "
                                          "xargs -0 sha256sum > /dev/null")
                               .arg(source, copy);
    shell(QStringLiteral("sync"));
    copyHash.push_back(shell(cpHash));
    QDir(copy).removeRecursively();
    shell(QStringLiteral("sync"));
    copyHashSync.push_back(shell(cpHash + QStringLiteral(" && sync")));
    QDir(copy).removeRecursively();
}
const auto best = [](const std::vector<double>& v) {
    return *std::min_element(v.begin(), v.end());
};
state.counters["MB"] = double(bytes) / 1e6;
state.counters["import_best_s"] = best(import);
state.counters["import_median_s"] = median(import);
state.counters["cp_sha256sum_best_s"] = best(copyHash);
state.counters["cp_sha256sum_median_s"] = median(copyHash);
state.counters["cp_sha256sum_sync_best_s"] = best(copyHashSync);
state.counters["ratio_best"] = best(import) / best(copyHash);
state.counters["ratio_median"] = median(import) / median(copyHash);
state.counters["ratio_to_synced_best"] = best(import) / best(copyHashSync);
} // namespace
BENCHMARK(BM_ImportAgainstCopyAndHash)->Iterations(3)->Unit(benchmark::kSecond);

// A year of driving around one city: a commute there and back on each of 500 days, along
// the same roads give or take a street, each 2,000 s at a point a second.
struct YearIndex {
    QTemporaryDir dir;
    std::unique_ptr<RVXSqliteLibraryIndex> index;
    double buildSeconds = 0;
};

// Closed before Qt's registry of connections goes at exit (see main), or the folder stays.
std::unique_ptr<YearIndex> s_year;

YearIndex& year() {
    if (s_year)
        return *s_year;
    s_year = std::make_unique<YearIndex>();
    YearIndex& y = *s_year;
    y.buildSeconds = secondsOf([&] {
        auto opened =
            RVXSqliteLibraryIndex::open(y.dir.filePath(QStringLiteral("library.db")), false);
        if (auto* e = std::get_if<QString>(&opened))
            qFatal("%s", qPrintable(*e));
        y.index = std::move(std::get<0>(opened));
        QRandomGenerator rng(7);
        const int64_t first = (QDate(2026, 1, 1).toJulianDay() - 2440588) * 86400;
        for (int batch = 0; batch < 20; ++batch) {
            RVXLibraryDriveSet set;
            for (int t = 0; t < 50; ++t) {
                const int trip = batch * 50 + t;
                const int64_t start =
                    first + int64_t(trip / 2) * 86400 + (trip % 2 ? 17 : 7) * 3600;
                RVXLibraryRecording r;
                r.name = RVXLibraryRecording::momentText(start);
                r.path = QStringLiteral("x/") + r.name;
                r.moment = start;
                r.sha256 = QStringLiteral("0");
                if (y.index->addRecording(r))
                    qFatal("recording");
                RVXLibraryDriveSet::Drive d;
                d.trip.start = start;
                d.trip.seconds = 2000;
                d.trip.units.push_back({r.id, 0, 0, 2000});
                // From home (48.18 N 16.30 E) towards work (48.24 N 16.42 E), a street or
                // two aside each day; the way back the other way round.
                const double aside = (rng.generateDouble() - 0.5) * 0.004;
                for (int s = 0; s < 2000; ++s) {
                    const double f = (trip % 2 ? 2000 - s : s) / 2000.0;
                    d.track.push_back({double(start + s), 48.18 + 0.06 * f + aside,
                                       16.30 + 0.12 * f + 0.01 * std::sin(f * 9), 40, r.id});
                }
                set.drives.push_back(std::move(d));
            }
            if (auto e = y.index->replaceDrives(set))
                qFatal("%s", qPrintable(*e));
        }
    });
    return y;
}

void BM_PlaceQuery(benchmark::State& state) {
    YearIndex& y = year();
    // A click with a radius on the commute, or a box dragged over a district.
    RVXLibraryQuery q;
    q.place = state.range(0) == 0
                  ? RVXLibraryPlace::circle(48.21, 16.36 + 0.01 * std::sin(0.5 * 9), 200)
                  : RVXLibraryPlace::corners(48.205, 16.35, 48.215, 16.37);
    size_t found = 0;
    for (auto _ : state) {
        const std::vector<RVXLibraryTrip> trips = y.index->trips(q);
        found = trips.size();
        benchmark::DoNotOptimize(trips.data());
    }
    state.counters["trips_found"] = double(found);
    state.counters["index_build_s"] = y.buildSeconds;
    state.SetLabel(state.range(0) == 0 ? "circle 200 m" : "box 1.1 x 1.5 km");
}
BENCHMARK(BM_PlaceQuery)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

struct DayIndex {
    QTemporaryDir dir;
    std::unique_ptr<RVXSqliteLibraryIndex> index;
};
std::unique_ptr<DayIndex> s_day;

void BM_ListDay(benchmark::State& state) {
    if (!s_day) {
        s_day = std::make_unique<DayIndex>();
        auto opened =
            RVXSqliteLibraryIndex::open(s_day->dir.filePath(QStringLiteral("library.db")), false);
        s_day->index = std::move(std::get<0>(opened));
        const int64_t first = (QDate(2026, 1, 1).toJulianDay() - 2440588) * 86400;
        // 365 days of 200 recordings: 100 minutes of pairs a day.
        for (int day = 0; day < 365; ++day) {
            for (int i = 0; i < 200; ++i) {
                RVXLibraryRecording r;
                r.moment = first + int64_t(day) * 86400 + 7 * 3600 + (i / 2) * 60;
                r.side = i % 2;
                r.name = QStringLiteral("alwa_%1_%2.MP4")
                             .arg(RVXLibraryRecording::momentText(r.moment), i % 2 ? "R" : "F");
                r.path = QStringLiteral("%1/%2").arg(day).arg(r.name);
                r.size = 80000000;
                r.sha256 = QStringLiteral("0");
                if (s_day->index->addRecording(r))
                    qFatal("recording");
            }
        }
    }
    RVXSqliteLibraryIndex* index = s_day->index.get();
    RVXLibraryQuery q;
    q.from = q.to = QDate(2026, 7, 1);
    size_t found = 0;
    for (auto _ : state) {
        const std::vector<RVXLibraryRecording> day = index->recordings(q);
        found = day.size();
        benchmark::DoNotOptimize(day.data());
    }
    state.counters["recordings"] = double(found);
}
BENCHMARK(BM_ListDay)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    s_year.reset();
    s_day.reset();
    return 0;
}
