// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliLibrary.h"

#include "cli/CliCommands.h"
#include "cli/CliJson.h"

#include "core/support/RVXCFormat.h"

#include <QElapsedTimer>
#include <QFileInfo>

#include <csignal>

#include <unistd.h>

namespace {

constexpr const char* kImportUsage = "usage: ruvex-card library import CARD [--library DIR] "
                                     "[--database URL] [--only events] [--since-last] "
                                     "[--json]\n";

std::atomic<bool> s_interrupted{false};
bool s_progressShown = false;

void onInterrupt(int) {
    s_interrupted = true;
}

QString durationText(double seconds) {
    const int64_t s = int64_t(seconds + 0.5);
    return RVXCFormat("%d:%02d:%02d", int(s / 3600), int(s / 60 % 60), int(s % 60));
}

struct Sub {
    const char* name;
    int (*run)(const QStringList&);
};

const Sub kSubs[] = {
    {"import", runLibraryImport}, {"list", runLibraryList},   {"protect", runLibraryProtect},
    {"prune", runLibraryPrune},   {"check", runLibraryCheck}, {"rebuild", runLibraryRebuild},
};

} // namespace

std::optional<CliLibraryArgs> CliLibraryArgs::parse(const char* sub, const char* usage,
                                                    const QStringList& args,
                                                    const QStringList& valued,
                                                    const QStringList& flagNames) {
    CliLibraryArgs out;
    out.library = RVXLibrary::defaultFolder();
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if ((a == u"--library" || a == u"--database" || valued.contains(a)) &&
            i + 1 < args.size()) {
            const QString v = args[++i];
            if (a == u"--library")
                out.library = v;
            else if (a == u"--database")
                out.database = v;
            else
                out.values.insert(a, v);
        } else if (flagNames.contains(a)) {
            out.flags.insert(a);
        } else if (a.startsWith(QLatin1String("--"))) {
            cliErr(QStringLiteral("ruvex-card library %1: unknown option or missing value: %2\n%3")
                       .arg(QLatin1String(sub), a, QLatin1String(usage)));
            return std::nullopt;
        } else {
            out.positional << a;
        }
    }
    return out;
}

std::optional<QString> CliLibraryArgs::value(const char* option) const {
    const auto i = values.find(QLatin1String(option));
    if (i == values.end())
        return std::nullopt;
    return *i;
}

std::unique_ptr<RVXLibrary> cliOpenLibrary(const char* sub, const CliLibraryArgs& args,
                                           bool create) {
    auto library = std::make_unique<RVXLibrary>(args.library);
    library->setDatabase(args.database);
    if (auto error = library->open(create)) {
        cliErr(QStringLiteral("ruvex-card library %1: %2\n").arg(QLatin1String(sub), *error));
        return nullptr;
    }
    return library;
}

const std::atomic<bool>* cliInterruptFlag() {
    static const bool installed = [] {
        std::signal(SIGINT, onInterrupt);
        std::signal(SIGTERM, onInterrupt);
        return true;
    }();
    (void)installed;
    return &s_interrupted;
}

RVXLibraryImport::Progress cliLibraryProgress(const char* verb) {
    if (!isatty(STDERR_FILENO))
        return {};
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    auto last = std::make_shared<qint64>(-1000);
    const QString what = QLatin1String(verb);
    return [clock, last, what](const RVXLibraryProgress& p) {
        // A few times a second is enough for the eye and costs the copy nothing.
        if (clock->elapsed() - *last < 200 && p.doneBytes < p.totalBytes)
            return;
        *last = clock->elapsed();
        QString left;
        const double seconds = double(clock->elapsed()) / 1000;
        if (p.doneBytes > 0 && seconds > 1)
            left =
                QStringLiteral(", ") +
                durationText(seconds * double(p.totalBytes - p.doneBytes) / double(p.doneBytes)) +
                QStringLiteral(" left");
        cliErr(QStringLiteral("\r%1 %2/%3 recordings, %4 of %5%6\x1b[K")
                   .arg(what)
                   .arg(p.doneFiles)
                   .arg(p.totalFiles)
                   .arg(RVXLibraryImport::sizeText(p.doneBytes),
                        RVXLibraryImport::sizeText(p.totalBytes), left));
        s_progressShown = true;
    };
}

void cliEndProgress() {
    if (s_progressShown)
        cliErr(QStringLiteral("\n"));
    s_progressShown = false;
}

int runLibrary(const QStringList& args) {
    if (!args.isEmpty()) {
        for (const Sub& s : kSubs) {
            if (args.first() == QLatin1String(s.name))
                return s.run(args.mid(1));
        }
    }
    cliErr(QStringLiteral("usage: ruvex-card library (import | list | protect | prune | check | "
                          "rebuild) ... (try 'ruvex-card help')\n"));
    return CliUsage;
}

int runLibraryImport(const QStringList& args) {
    const auto a =
        CliLibraryArgs::parse("import", kImportUsage, args, {QStringLiteral("--only")},
                              {QStringLiteral("--since-last"), QStringLiteral("--json")});
    if (!a)
        return CliUsage;
    const std::optional<QString> only = a->value("--only");
    if (a->positional.size() != 1 || (only && *only != u"events") ||
        (only && a->has("--since-last"))) {
        cliErr(QString::fromLatin1(kImportUsage));
        return CliUsage;
    }
    const QString card = a->positional.first();
    if (!QFileInfo(card).isDir()) {
        cliErr(QStringLiteral("ruvex-card library import: %1: not a readable folder\n").arg(card));
        return CliUsage;
    }
    using Choice = RVXLibraryImport::Choice;
    const Choice choice = only                     ? Choice::EventsOnly
                          : a->has("--since-last") ? Choice::SinceLast
                                                   : Choice::Everything;
    const std::unique_ptr<RVXLibrary> library = cliOpenLibrary("import", *a, true);
    if (!library)
        return CliNotFound;
    const RVXLibraryImport::Result r = RVXLibraryImport::run(
        *library, card, choice, cliLibraryProgress("importing"), cliInterruptFlag());
    cliEndProgress();
    if (a->has("--json")) {
        CliJson json;
        json.add("library", library->folder())
            .add("card", card)
            .add("added", int64_t(r.record.added))
            .add("skipped", int64_t(r.record.skipped))
            .add("beside", int64_t(r.record.clashes))
            .add("failed", int64_t(r.record.failed))
            .add("bytes", int64_t(r.record.bytes))
            .add("cancelled", r.cancelled)
            .add("diskFull", r.diskFull)
            .add("error", r.error);
        cliOut(json.toJson() + '\n');
    } else {
        cliOut(QStringLiteral("added %1, skipped %2 already held, %3 kept beside a namesake, %4 "
                              "failed (%5) into %6\n")
                   .arg(r.record.added)
                   .arg(r.record.skipped)
                   .arg(r.record.clashes)
                   .arg(r.record.failed)
                   .arg(RVXLibraryImport::sizeText(r.record.bytes), library->folder()));
        for (const QString& b : r.beside)
            cliOut(QStringLiteral("kept beside: %1\n").arg(b));
    }
    if (r.error) {
        cliErr(QStringLiteral("ruvex-card library import: %1\n").arg(*r.error));
        return CliNotFound;
    }
    return CliOk;
}
