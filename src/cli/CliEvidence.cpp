// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliCommands.h"

#include "core/catalogue/RVXMediaList.h"
#include "core/evidence/RVXCameraTime.h"
#include "core/evidence/RVXEvidencePack.h"
#include "core/scan/RVXCardScan.h"
#include "platform/RVXEvidenceSheetWriter.h"

#include <QFileInfo>

#include <atomic>
#include <cmath>
#include <csignal>
#include <iterator>

namespace {

constexpr const char* kUsage =
    "usage: ruvex-card evidence DIR (--at yyyy-MM-ddTHH:mm:ss | --file RECORDING --offset S) "
    "[--before S] [--after S] --out FOLDER\n"
    "--at is the camera's time, as in its recordings' names: no time zone\n"
    "--file is a path, or a recording's name in DIR as `ruvex-card events` prints it\n";

struct Options {
    QString dir, at, file, out;
    std::optional<double> offset;
    double before = RVXEvidencePlan::kDefaultBefore;
    double after = RVXEvidencePlan::kDefaultAfter;
};

std::optional<double> seconds(const QString& text) {
    bool ok = false;
    const double v = text.toDouble(&ok);
    return ok && std::isfinite(v) && v >= 0 ? std::optional(v) : std::nullopt;
}

std::optional<Options> parse(const QStringList& args) {
    Options o;
    QStringList positional;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == u"--at" && hasValue)
            o.at = args[++i];
        else if (a == u"--file" && hasValue)
            o.file = args[++i];
        else if (a == u"--out" && hasValue)
            o.out = args[++i];
        else if ((a == u"--offset" || a == u"--before" || a == u"--after") && hasValue) {
            const std::optional<double> v = seconds(args[++i]);
            if (!v)
                return std::nullopt;
            if (a == u"--offset")
                o.offset = *v;
            else if (a == u"--before")
                o.before = *v;
            else
                o.after = *v;
        } else if (a.startsWith(u'-'))
            return std::nullopt;
        else
            positional << a;
    }
    if (positional.size() != 1 || o.out.isEmpty() || o.at.isEmpty() == o.file.isEmpty() ||
        o.file.isEmpty() != !o.offset)
        return std::nullopt;
    o.dir = positional[0];
    return o;
}

// The recording --file names: a path, or a recording's name as `events` and `list` print
// it, looked up in the folder's catalogue. None, with why, when it names none or several.
std::optional<QString> recordingPath(const RVXMediaList& list, const Options& o, QString* why) {
    if (QFileInfo::exists(o.file))
        return o.file;
    if (o.file.contains(u'/')) {
        *why = QStringLiteral("--file %1: No such file").arg(o.file);
        return std::nullopt;
    }
    QStringList paths;
    for (const RVXMediaRef& m : list.medias()) {
        if (m->fileName() == o.file)
            paths << m->path();
    }
    if (paths.size() == 1)
        return paths.first();
    *why = paths.isEmpty()
               ? QStringLiteral("--file %1: No such file, and no recording of %2 has that name")
                     .arg(o.file, o.dir)
               : QStringLiteral("--file %1: %2 recordings of %3 have that name (%4); give its path")
                     .arg(o.file)
                     .arg(paths.size())
                     .arg(o.dir, paths.join(QStringLiteral(", ")));
    return std::nullopt;
}

// The event of the card scan the moment is, if it is one: the scan of the drive it is in.
std::optional<RVXScanEvent> eventOf(const std::vector<RVXTrip>& trips, double moment,
                                    const QString& dir) {
    for (const RVXTrip& trip : trips) {
        if (moment < double(trip.start()) || moment > trip.end())
            continue;
        const std::optional<RVXCardScan::Result> scan =
            RVXCardScan::scan(trip.units(), RVXScanSettings::forFolder(dir));
        return scan ? RVXEvidencePack::eventAt(scan->events, moment) : std::nullopt;
    }
    return std::nullopt;
}

std::atomic<bool> g_stop{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void stopExport(int) {
    g_stop.store(true);
}

// SIGINT, SIGTERM and SIGHUP set the stop flag while it lives.
class StopOnSignals {
public:
    StopOnSignals() {
        g_stop.store(false);
        struct sigaction action {};
        action.sa_handler = stopExport;
        sigemptyset(&action.sa_mask);
        for (size_t i = 0; i < std::size(kSignals); ++i)
            sigaction(kSignals[i], &action, &m_before[i]);
    }
    ~StopOnSignals() {
        for (size_t i = 0; i < std::size(kSignals); ++i)
            sigaction(kSignals[i], &m_before[i], nullptr);
    }
    StopOnSignals(const StopOnSignals&) = delete;
    StopOnSignals& operator=(const StopOnSignals&) = delete;

private:
    static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
    struct sigaction m_before[std::size(kSignals)]{};
};

} // namespace

int runEvidence(const QStringList& args) {
    const std::optional<Options> o = parse(args);
    if (!o) {
        cliErr(QString::fromLatin1(kUsage));
        return CliUsage;
    }
    if (!QFileInfo(o->dir).isDir()) {
        cliErr(QStringLiteral("ruvex-card evidence: %1: not a readable folder\n").arg(o->dir));
        return CliUsage;
    }
    RVXMediaList list;
    list.setDirectoryPath(o->dir);
    list.waitForWalks();
    const std::vector<RVXTrip> trips = RVXTrip::tripsOfList(list);
    std::optional<double> moment;
    if (!o->at.isEmpty()) {
        // The camera's clock as on the card: read in the computer's zone, a moment in its
        // spring-forward hour would not exist and one in the autumn hour would be two.
        QString why;
        moment = RVXCameraTime::parse(o->at, &why);
        if (!moment) {
            cliErr(QStringLiteral("ruvex-card evidence: --at %1\n").arg(why));
            return CliUsage;
        }
    } else {
        QString why;
        const std::optional<QString> path = recordingPath(list, *o, &why);
        if (!path) {
            cliErr(QStringLiteral("ruvex-card evidence: %1\n").arg(why));
            return CliUsage;
        }
        moment = RVXEvidencePlan::momentOf(trips, *path, *o->offset);
        if (!moment) {
            cliErr(QStringLiteral("ruvex-card evidence: %1 is not a recording of %2\n")
                       .arg(*path, o->dir));
            return CliUsage;
        }
    }
    const std::optional<RVXEvidencePlan> plan =
        RVXEvidencePlan::make(trips, *moment, o->before, o->after);
    if (!plan) {
        cliErr(QStringLiteral("ruvex-card evidence: no recording of %1 plays at %2\n")
                   .arg(o->dir, RVXCameraTime::text(*moment)));
        return CliUsage;
    }
    RVXEvidenceRequest request{
        o->dir, *plan, QFileInfo(o->out).absoluteFilePath(), {}, eventOf(trips, *moment, o->dir)};
    RVXEvidenceSheetWriter sheet;
    RVXEvidenceResult result;
    // Ctrl-C or a kill stops the export as Cancel does, leaving nothing behind.
    const StopOnSignals stop;
    if (auto error = RVXEvidencePack::make(request, sheet, &result, &g_stop)) {
        cliErr(QStringLiteral("ruvex-card evidence: %1\n").arg(*error));
        return CliNotFound;
    }
    for (const RVXEvidenceSheet::File& f : result.files)
        cliOut(QStringLiteral("%1  %2\n").arg(f.sha256, f.name));
    cliErr(QStringLiteral("ruvex-card evidence: %1 files in %2\n")
               .arg(result.files.size() + 1)
               .arg(result.folder));
    return CliOk;
}
