// SPDX-License-Identifier: GPL-3.0-or-later
// Pair playback in the real main window on an X server (run it under xvfb-run, with
// the demo card as its argument or in RUVEX_BENCH_DEMO_CARD):
// - how long playAtIndex takes until both players play, against one bare player
//   starting the same front recording;
// - how far apart front and rear are one second after seeks, jumps and swaps (and a
//   swap one second after its own seek);
// - the CPU and memory of playing a pair, against two cvlc processes playing it.
#include "BenchSupport.h"
#include "BorderGapBench.h"

#include "core/playback/RVXPlayInfo.h"
#include "core/support/RVXLocalizedString.h"
#include "gui/player/CustomWindow.h"
#include "gui/player/RVXAppDelegate.h"
#include "gui/player/VLCLibrary.h"
#include "gui/player/VLCMedia.h"
#include "gui/player/VLCMediaPlayer.h"
#include "gui/player/VLCVideoView.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <vlc/vlc.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <sys/resource.h>

#include <ctime>
#include <unistd.h>

namespace {

QString demoCard;

const QString kPairFront = QStringLiteral("20260314/alwa_20260314_081500_F.MP4");
const QString kPairRear = QStringLiteral("20260314/alwa_20260314_081500_R.MP4");

bool plays(const VLCMediaPlayer* player) {
    return libvlc_media_player_get_state(player->player()) == libvlc_Playing;
}

std::unique_ptr<RVXAppDelegate> openMainWindow() {
    auto delegate = std::make_unique<RVXAppDelegate>();
    delegate->awakeFromNib();
    delegate->applicationDidFinishLaunching();
    bool reloaded = false;
    QObject::connect(delegate.get(), &RVXAppDelegate::mediaListReloaded, [&] { reloaded = true; });
    delegate->openMediaDirectory(demoCard);
    if (!runUntil([&] { return reloaded && delegate->window->isVisible(); }))
        qFatal("the demo card did not open");
    return delegate;
}

bool startPair(RVXAppDelegate& delegate) {
    return delegate.playAtIndex(0) && runUntil([&] {
               return !delegate.waitingForPlayStart() && plays(delegate.player1) &&
                      plays(delegate.player2);
           });
}

// When a player reached the playing state and when its first video output came up,
// stamped on libVLC's thread.
class StartProbe {
public:
    explicit StartProbe(const VLCMediaPlayer* player)
        : m_events(libvlc_media_player_event_manager(player->player())) {
        libvlc_event_attach(m_events, libvlc_MediaPlayerPlaying, &StartProbe::happened, this);
        libvlc_event_attach(m_events, libvlc_MediaPlayerVout, &StartProbe::happened, this);
    }
    ~StartProbe() {
        libvlc_event_detach(m_events, libvlc_MediaPlayerPlaying, &StartProbe::happened, this);
        libvlc_event_detach(m_events, libvlc_MediaPlayerVout, &StartProbe::happened, this);
    }
    void restart() {
        m_start = nowMs();
        m_playing = 0;
        m_picture = 0;
    }
    double playingMs() const { return m_playing; }
    double pictureMs() const { return m_picture; }
    bool done() const { return m_playing > 0 && m_picture > 0; }

private:
    static void happened(const libvlc_event_t* event, void* data) {
        auto* self = static_cast<StartProbe*>(data);
        const double ms = nowMs() - self->m_start;
        if (event->type == libvlc_MediaPlayerPlaying && self->m_playing == 0)
            self->m_playing = ms;
        if (event->type == libvlc_MediaPlayerVout && event->u.media_player_vout.new_count > 0 &&
            self->m_picture == 0)
            self->m_picture = ms;
    }
    libvlc_event_manager_t* m_events;
    double m_start = 0;
    std::atomic<double> m_playing{0};
    std::atomic<double> m_picture{0};
};

struct StartTimes {
    std::vector<double> playing, picture;
    void report(benchmark::State& state) const {
        state.counters["playing_ms"] = median(playing);
        state.counters["picture_ms"] = median(picture);
    }
};
StartTimes loneStart;

// Manual time: until the first picture.
void BM_LoneFrontStart(benchmark::State& state) {
    VLCVideoView view;
    view.resize(640, 360);
    view.show();
    VLCMediaPlayer player(&view);
    runUntil([&] { return view.isVisible(); });
    StartProbe probe(&player);
    for (auto _ : state) {
        player.setMedia(VLCMedia::mediaWithPath(QDir(demoCard).filePath(kPairFront)));
        probe.restart();
        player.play();
        if (!runUntil([&] { return probe.done(); }))
            state.SkipWithError("the front recording did not start");
        state.SetIterationTime(probe.pictureMs() / 1000);
        loneStart.playing.push_back(probe.playingMs());
        loneStart.picture.push_back(probe.pictureMs());
        player.stop();
        runFor(200);
    }
    loneStart.report(state);
}

// Two bare players started at once on the pair, each in a shown view: what two
// pictures cost on this machine without the window, to tell the window's share of the
// pair's start from the second decoder's.
void BM_BarePairStart(benchmark::State& state) {
    VLCVideoView frontView, rearView;
    for (VLCVideoView* view : {&frontView, &rearView}) {
        view->resize(640, 360);
        view->show();
    }
    VLCMediaPlayer front(&frontView), rear(&rearView);
    runUntil([&] { return frontView.isVisible() && rearView.isVisible(); });
    StartProbe frontProbe(&front), rearProbe(&rear);
    StartTimes pair;
    for (auto _ : state) {
        front.setMedia(VLCMedia::mediaWithPath(QDir(demoCard).filePath(kPairFront)));
        rear.setMedia(VLCMedia::mediaWithPath(QDir(demoCard).filePath(kPairRear)));
        frontProbe.restart();
        rearProbe.restart();
        front.play();
        rear.play();
        if (!runUntil([&] { return frontProbe.done() && rearProbe.done(); }))
            state.SkipWithError("the pair did not start");
        pair.playing.push_back(std::max(frontProbe.playingMs(), rearProbe.playingMs()));
        pair.picture.push_back(std::max(frontProbe.pictureMs(), rearProbe.pictureMs()));
        state.SetIterationTime(pair.picture.back() / 1000);
        front.stop();
        rear.stop();
        runFor(200);
    }
    pair.report(state);
    if (!loneStart.picture.empty())
        state.counters["picture_vs_lone"] = median(pair.picture) / median(loneStart.picture);
}

// From playAtIndex until both players play and both show a picture; manual time:
// until the later picture.
void BM_PairStart(benchmark::State& state) {
    auto delegate = openMainWindow();
    StartProbe front(delegate->player1), rear(delegate->player2);
    StartTimes pair;
    for (auto _ : state) {
        front.restart();
        rear.restart();
        if (!delegate->playAtIndex(0) || !runUntil([&] { return front.done() && rear.done(); }))
            state.SkipWithError("the pair did not start");
        pair.playing.push_back(std::max(front.playingMs(), rear.playingMs()));
        pair.picture.push_back(std::max(front.pictureMs(), rear.pictureMs()));
        state.SetIterationTime(pair.picture.back() / 1000);
        runUntil([&] { return !delegate->waitingForPlayStart(); });
        delegate->stopPlay();
        runFor(200);
    }
    pair.report(state);
    if (!loneStart.picture.empty()) {
        state.counters["playing_vs_lone"] = median(pair.playing) / median(loneStart.playing);
        state.counters["picture_vs_lone"] = median(pair.picture) / median(loneStart.picture);
    }
}

// libVLC publishes a player's time about four times a second, each publication exact
// for its moment. Each probe listens on libVLC's own thread, so a busy UI thread does
// not delay the moment seen, and gives the player's clock as "time minus wall clock",
// which compares between players to a millisecond.
class ClockProbe {
public:
    explicit ClockProbe(const VLCMediaPlayer* player)
        : m_events(libvlc_media_player_event_manager(player->player())) {
        libvlc_event_attach(m_events, libvlc_MediaPlayerTimeChanged, &ClockProbe::published, this);
    }
    ~ClockProbe() {
        libvlc_event_detach(m_events, libvlc_MediaPlayerTimeChanged, &ClockProbe::published, this);
    }
    // The offset of the latest publication, once there was one.
    std::optional<double> offset() const {
        const int64_t bits = m_offsetBits.load();
        return bits == kNone ? std::nullopt : std::optional<double>(std::bit_cast<double>(bits));
    }

private:
    static constexpr int64_t kNone = -1;
    static void published(const libvlc_event_t* event, void* data) {
        const double offset = double(event->u.media_player_time_changed.new_time) - nowMs();
        static_cast<ClockProbe*>(data)->m_offsetBits.store(std::bit_cast<int64_t>(offset));
    }
    libvlc_event_manager_t* m_events;
    std::atomic<int64_t> m_offsetBits{kNone};
};

// Both players' clocks from their first publications after now.
double frontRearDifferenceMs(RVXAppDelegate& delegate) {
    ClockProbe first(delegate.player1), second(delegate.player2);
    std::optional<double> a, b;
    runUntil([&] {
        a = first.offset();
        b = second.offset();
        return a && b;
    });
    return a && b ? std::abs(*a - *b) : 1e9;
}

void BM_FrontRearAgreement(benchmark::State& state) {
    auto delegate = openMainWindow();
    std::map<std::string, std::vector<double>> byKind;
    std::vector<double> all;
    for (auto _ : state) {
        if (!startPair(*delegate) ||
            !runUntil([&] { return delegate->player1->time().intValue() > 500; }))
            state.SkipWithError("the pair did not start");
        // Five rounds of: seek near the start, jump forward, jump back, swap. A round
        // stays inside the 15 s pair.
        for (int round = 0; round < 5; ++round) {
            const std::pair<const char*, std::function<void()>> steps[] = {
                {"seek", [&] { delegate->videoPositionSliderMoved(0.02 + 0.01 * round); }},
                {"jump", [&] { delegate->jumpForward(); }},
                {"jump", [&] { delegate->jumpBackward(); }},
                {"swap", [&] { delegate->swapPlayer(); }},
            };
            for (const auto& [kind, step] : steps) {
                runUntil([&] { return !delegate->moving() && !delegate->swapping(); });
                QElapsedTimer wall;
                wall.start();
                step();
                runUntil([&] { return wall.elapsed() >= 1000; });
                const double difference = frontRearDifferenceMs(*delegate);
                if (qEnvironmentVariableIsSet("RUVEX_BENCH_VERBOSE"))
                    fprintf(stderr, "%s at %lld ms: %.1f ms apart\n", kind,
                            (long long)delegate->player1->time().intValue(), difference);
                byKind[kind].push_back(difference);
                all.push_back(difference);
                // A swap seeks both players only when its 0.8 s animation ends: one
                // second after that, too.
                if (std::string(kind) == "swap") {
                    runUntil([&] { return wall.elapsed() >= 1800; });
                    byKind["swap_settled"].push_back(frontRearDifferenceMs(*delegate));
                }
            }
        }
        delegate->stopPlay();
    }
    state.counters["median_ms"] = median(all);
    state.counters["max_ms"] = *std::max_element(all.begin(), all.end());
    for (const auto& [kind, values] : byKind)
        state.counters[kind + "_max_ms"] = *std::max_element(values.begin(), values.end());
}

// CPU and memory of processes and everything they started (the web view's processes
// belong to the main window). Memory is the proportional set size, so pages the
// processes share are counted once in the sum.
struct ProcessUse {
    double cpuSeconds = 0;
    double memoryMiB = 0;
    double rootsMemoryMiB = 0;
};

double proportionalMiB(pid_t pid) {
    QFile rollup(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
    if (!rollup.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : rollup.readAll().split('\n')) {
        if (line.startsWith("Pss:"))
            return line.mid(4).trimmed().split(' ').first().toDouble() / 1024;
    }
    return 0;
}

// The fields of /proc/PID/stat after the command name (which may hold spaces), so
// that the state comes first and the parent second.
QList<QByteArray> statFields(pid_t pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = stat.readAll();
    return text.mid(text.lastIndexOf(')') + 2).split(' ');
}

std::vector<pid_t> withDescendants(const std::vector<pid_t>& roots) {
    std::map<pid_t, std::vector<pid_t>> children;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const pid_t pid = entry.toInt(&number);
        if (!number)
            continue;
        const QList<QByteArray> fields = statFields(pid);
        if (fields.size() > 1)
            children[fields[1].toInt()].push_back(pid);
    }
    std::vector<pid_t> all = roots;
    for (size_t i = 0; i < all.size(); ++i)
        for (pid_t child : children[all[i]])
            all.push_back(child);
    return all;
}

ProcessUse use(const std::vector<pid_t>& roots) {
    static const double ticks = double(sysconf(_SC_CLK_TCK));
    ProcessUse total;
    for (pid_t pid : withDescendants(roots)) {
        const QList<QByteArray> fields = statFields(pid);
        // utime and stime are fields 14 and 15 of the line, 11 and 12 from 0 after the name.
        if (fields.size() > 12)
            total.cpuSeconds += (fields[11].toDouble() + fields[12].toDouble()) / ticks;
        const double memory = proportionalMiB(pid);
        total.memoryMiB += memory;
        if (std::find(roots.begin(), roots.end(), pid) != roots.end())
            total.rootsMemoryMiB += memory;
    }
    return total;
}

double threadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Ten seconds of playback from one second in: CPU per second and the peaks of the
// memory, all processes and the started ones alone, sampled ten times a second.
// Reading the memory maps costs the reader about a tenth of a core; when the reader is
// one of the measured processes (the window's), its reading time is not playback.
void measurePlayback(benchmark::State& state, const std::vector<pid_t>& roots) {
    runFor(1000);
    const bool measuresItself = std::find(roots.begin(), roots.end(), getpid()) != roots.end();
    double sampling = 0;
    const auto sample = [&] {
        const double before = threadCpuSeconds();
        const ProcessUse now = use(roots);
        sampling += threadCpuSeconds() - before;
        return now;
    };
    const ProcessUse before = sample();
    QElapsedTimer clock;
    clock.start();
    double peak = 0, rootsPeak = 0;
    while (clock.elapsed() < 10000) {
        runFor(100);
        const ProcessUse now = sample();
        peak = std::max(peak, now.memoryMiB);
        rootsPeak = std::max(rootsPeak, now.rootsMemoryMiB);
    }
    const ProcessUse after = sample();
    const double played = after.cpuSeconds - before.cpuSeconds - (measuresItself ? sampling : 0);
    state.counters["cpu_s_per_s"] = played / (clock.nsecsElapsed() / 1e9);
    state.counters["sampling_s_per_s"] = sampling / (clock.nsecsElapsed() / 1e9);
    state.counters["peak_pss_MiB"] = peak;
    state.counters["players_peak_pss_MiB"] = rootsPeak;
}

void BM_PairPlaybackCpu(benchmark::State& state) {
    auto delegate = openMainWindow();
    for (auto _ : state) {
        if (!startPair(*delegate))
            state.SkipWithError("the pair did not start");
        measurePlayback(state, {getpid()});
        delegate->stopPlay();
    }
}

// cvlc refuses to run as root; it then runs as nobody with a home of its own, on the
// same X server (started with -ac by xvfb-run's server arguments, see the README).
QStringList cvlcCommand(const QString& file, const QString& home) {
    QStringList command;
    if (geteuid() == 0)
        command << QStringLiteral("setpriv") << QStringLiteral("--reuid=nobody")
                << QStringLiteral("--regid=nogroup") << QStringLiteral("--clear-groups");
    command << QStringLiteral("env") << QStringLiteral("HOME=") + home
            << QStringLiteral("XDG_CONFIG_HOME=") + home + QStringLiteral("/config")
            << QStringLiteral("XDG_CACHE_HOME=") + home + QStringLiteral("/cache")
            << QStringLiteral("cvlc") << QStringLiteral("--no-dbus")
            << QStringLiteral("--aout=adummy") << QStringLiteral("--no-video-title-show")
            << QStringLiteral("--no-osd") << QStringLiteral("--play-and-exit") << file;
    return command;
}

void BM_TwoCvlcCpu(benchmark::State& state) {
    if (QStandardPaths::findExecutable(QStringLiteral("cvlc")).isEmpty()) {
        state.SkipWithError("cvlc is not installed");
        return;
    }
    QTemporaryDir home;
    QFile::setPermissions(home.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                           QFileDevice::WriteOther | QFileDevice::ExeOther);
    // The card may lie where the other user cannot enter (a checkout in root's home):
    // cvlc plays copies in its own home, which it can read whoever owns the checkout.
    QStringList copies;
    for (const QString& file : {kPairFront, kPairRear}) {
        const QString copy = home.filePath(QFileInfo(file).fileName());
        if (!QFile::copy(QDir(demoCard).absoluteFilePath(file), copy)) {
            state.SkipWithError("the pair could not be copied for cvlc");
            return;
        }
        QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                        QFileDevice::ReadOther);
        copies << copy;
    }
    for (auto _ : state) {
        QProcess front, rear;
        for (auto [process, file] : {std::pair{&front, copies[0]}, std::pair{&rear, copies[1]}}) {
            const QStringList command = cvlcCommand(file, home.path());
            process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            process->start(command.first(), command.mid(1));
            if (!process->waitForStarted())
                state.SkipWithError("cvlc did not start");
        }
        measurePlayback(state, {pid_t(front.processId()), pid_t(rear.processId())});
        for (QProcess* p : {&front, &rear}) {
            p->kill();
            p->waitForFinished();
        }
    }
}

void BM_TripBorderGap(benchmark::State& state) {
    auto delegate = openMainWindow();
    measureTripBorders(state, *delegate, 20);
}

void BM_FirstTripBorderGap(benchmark::State& state) {
    measureFirstTripBorder(state, openMainWindow, 5);
}

void BM_CheckTimerBorderGap(benchmark::State& state) {
    auto delegate = openMainWindow();
    measureCheckTimerBorders(state, *delegate, 20);
}

BENCHMARK(BM_FirstTripBorderGap)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_TripBorderGap)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_CheckTimerBorderGap)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_LoneFrontStart)->UseManualTime()->Iterations(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BarePairStart)->UseManualTime()->Iterations(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PairStart)->UseManualTime()->Iterations(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrontRearAgreement)->Iterations(2)->Unit(benchmark::kSecond);
BENCHMARK(BM_PairPlaybackCpu)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_TwoCvlcCpu)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv) {
    VLCLibrary::limitThreadHeaps();
    benchmark::Initialize(&argc, argv);
    demoCard =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : qEnvironmentVariable("RUVEX_BENCH_DEMO_CARD");
    if (!QFile::exists(QDir(demoCard).filePath(kPairFront))) {
        fprintf(stderr, "usage: %s DEMO-CARD (run it under xvfb-run)\n", argv[0]);
        return 2;
    }
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qEnvironmentVariableIsEmpty("RUVEX_VLC_OPTIONS"))
        qputenv("RUVEX_VLC_OPTIONS", "--aout=adummy");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("RUVEX"));
    QApplication::setApplicationName(QStringLiteral("RUVEX Viewer"));
    RVXInstallStringTable();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
