// SPDX-License-Identifier: GPL-3.0-or-later
// The catalogue's walk of a card-sized tree against a bare recursive listing of the
// same tree (names only), so the figure does not depend on the machine's disk.
#include "BenchSupport.h"
#include "core/catalogue/RVXMediaList.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

#include <dirent.h>

namespace {

constexpr int kFolders = 200;
constexpr int kRecordingsPerFolder = 100;
constexpr int kOthersPerFolder = 25;

// 20000 accepted recordings in 200 folders, and 5000 files the walk must pass over.
const QString& tree() {
    static QTemporaryDir dir;
    static QString root;
    if (root.isEmpty()) {
        for (int f = 0; f < kFolders; ++f) {
            const QString folder = dir.filePath(QString::asprintf("DCIM/%03d", f));
            QDir().mkpath(folder);
            for (int i = 0; i < kRecordingsPerFolder; ++i) {
                const int n = f * kRecordingsPerFolder + i;
                const char* kinds[] = {"alwa_", "motion_", "event_"};
                const QString name = QString::asprintf(
                    "%s2015%02d%02d_%02d%02d%02d_%s.MP4", kinds[n % 3], 1 + f % 12, 1 + f % 28,
                    (n / 3600) % 24, (n / 60) % 60, n % 60, n % 2 ? "R" : "F");
                QFile(folder + u'/' + name).open(QIODevice::WriteOnly);
            }
            for (int i = 0; i < kOthersPerFolder; ++i)
                QFile(folder + QString::asprintf("/other_%02d.%s", i, i % 2 ? "THM" : "mp4"))
                    .open(QIODevice::WriteOnly);
        }
        root = dir.path();
    }
    return root;
}

void bareListing(const std::string& dir, std::vector<std::string>& names) {
    DIR* handle = opendir(dir.c_str());
    if (!handle)
        return;
    std::vector<std::string> folders;
    while (const dirent* e = readdir(handle)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        names.push_back(name);
        if (e->d_type == DT_DIR)
            folders.push_back(dir + '/' + name);
    }
    closedir(handle);
    for (const std::string& f : folders)
        bareListing(f, names);
}

// The walk ends for the user when the list says it changed; freeing the previous list
// happens after that and is not counted.
class TimingDelegate : public RVXMediaListDelegate {
public:
    void mediaListChanged(RVXMediaList*) override { changedAt = std::chrono::steady_clock::now(); }
    std::chrono::steady_clock::time_point changedAt;
};

double walkSeconds(RVXMediaList& list, TimingDelegate& delegate, const QString& root) {
    const auto start = std::chrono::steady_clock::now();
    list.setDirectoryPath(root);
    list.waitForWalks();
    return std::chrono::duration<double>(delegate.changedAt - start).count();
}

void BM_MediaListWalk(benchmark::State& state) {
    const QString root = tree();
    RVXMediaList list;
    TimingDelegate delegate;
    list.setDelegate(&delegate);
    for (auto _ : state)
        state.SetIterationTime(walkSeconds(list, delegate, root));
    state.counters["recordings"] = double(list.count());
}

void BM_BareListing(benchmark::State& state) {
    const std::string root = QFile::encodeName(tree()).toStdString();
    size_t count = 0;
    for (auto _ : state) {
        std::vector<std::string> names;
        bareListing(root, names);
        count = names.size();
        benchmark::DoNotOptimize(names.data());
    }
    state.counters["entries"] = double(count);
}

// Both in one run, interleaved, so load on the machine falls on both alike.
void BM_WalkOverBareListing(benchmark::State& state) {
    const QString root = tree();
    const std::string rootBytes = QFile::encodeName(root).toStdString();
    RVXMediaList list;
    TimingDelegate delegate;
    list.setDelegate(&delegate);
    double walk = 0, bare = 0;
    for (auto _ : state) {
        walk += walkSeconds(list, delegate, root);
        bare += secondsOf([&] {
            std::vector<std::string> names;
            bareListing(rootBytes, names);
            benchmark::DoNotOptimize(names.data());
        });
    }
    state.counters["walk_ms"] = 1000 * walk / double(state.iterations());
    state.counters["bare_ms"] = 1000 * bare / double(state.iterations());
    state.counters["ratio"] = walk / bare;
}

} // namespace

BENCHMARK(BM_MediaListWalk)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_BareListing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WalkOverBareListing)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK_MAIN();
