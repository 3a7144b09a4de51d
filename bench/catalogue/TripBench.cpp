// SPDX-License-Identifier: GPL-3.0-or-later
// Grouping a card of 20000 recordings into trips against the catalogue walk plus the
// movie-header reads the grouping needs: what the grouping itself adds.
#include "BenchSupport.h"
#include "core/catalogue/RVXMediaList.h"
#include "core/catalogue/RVXTrip.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

constexpr int kFolders = 100;
constexpr int kPairsPerFolder = 100;

QByteArray u32(uint32_t v) {
    const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    return QByteArray(b, 4);
}

// ftyp and a moov holding only mvhd: what the length read walks over.
QByteArray movie(uint32_t seconds) {
    QByteArray mvhd = u32(0) + u32(0) + u32(0) + u32(1000) + u32(seconds * 1000);
    mvhd += QByteArray(80, '\0');
    const QByteArray mvhdBox = u32(uint32_t(8 + mvhd.size())) + "mvhd" + mvhd;
    const QByteArray moov = u32(uint32_t(8 + mvhdBox.size())) + "moov" + mvhdBox;
    return u32(16) + "ftypavc1" + u32(0) + moov;
}

// 10000 pairs of one-minute recordings, a drive of 50 each with a gap between drives.
const QString& tree() {
    static QTemporaryDir dir;
    static QString root;
    if (!root.isEmpty())
        return root;
    const QDateTime first(QDate(2026, 1, 1), QTime(6, 0), Qt::UTC);
    const QByteArray bytes = movie(60);
    for (int f = 0; f < kFolders; ++f) {
        const QString folder = dir.filePath(QString::asprintf("DCIM/%03d", f));
        QDir().mkpath(folder);
        for (int i = 0; i < kPairsPerFolder; ++i) {
            const int n = f * kPairsPerFolder + i;
            const QDateTime at = first.addSecs(qint64(n) * 60 + (n / 50) * 600);
            const QString stem = at.toString(QStringLiteral("'alwa_'yyyyMMdd_HHmmss"));
            for (const char* side : {"_F.MP4", "_R.MP4"}) {
                QFile file(folder + u'/' + stem + QLatin1String(side));
                file.open(QIODevice::WriteOnly);
                file.write(bytes);
            }
        }
    }
    root = dir.path();
    return root;
}

// Interleaved in one run, so load on the machine falls on both alike.
void BM_TripsOverWalkAndLengths(benchmark::State& state) {
    const QString root = tree();
    double baseline = 0, trips = 0, walkOnly = 0;
    size_t tripCount = 0, recordings = 0;
    for (auto _ : state) {
        RVXMediaList list;
        walkOnly += secondsOf([&] {
            list.setDirectoryPath(root);
            list.waitForWalks();
        });
        recordings = size_t(list.count());
        // The baseline: the walk and every front recording's header read, nothing else.
        const double walk = secondsOf([&] {
            RVXMediaList again;
            again.setDirectoryPath(root);
            again.waitForWalks();
            double sum = 0;
            for (const RVXMediaRef& m : again.medias()) {
                if (m->isFrontMedia())
                    sum += RVXTrip::movieLength(*m);
            }
            benchmark::DoNotOptimize(sum);
        });
        baseline += walk;
        trips += secondsOf([&] {
            RVXMediaList again;
            again.setDirectoryPath(root);
            again.waitForWalks();
            const std::vector<RVXTrip> result = RVXTrip::tripsOfList(again);
            tripCount = result.size();
            benchmark::DoNotOptimize(result.data());
        });
    }
    const double n = double(state.iterations());
    state.counters["recordings"] = double(recordings);
    state.counters["trips"] = double(tripCount);
    state.counters["walk_ms"] = 1000 * walkOnly / n;
    state.counters["walk_and_headers_ms"] = 1000 * baseline / n;
    state.counters["trips_ms"] = 1000 * trips / n;
    state.counters["ratio"] = trips / baseline;
}

} // namespace

BENCHMARK(BM_TripsOverWalkAndLengths)->Unit(benchmark::kMillisecond)->Iterations(10);
