// SPDX-License-Identifier: GPL-3.0-or-later
// Keeping the library: protect, prune, check, rebuild.
#include "cli/CliCommands.h"
#include "cli/CliLibrary.h"

#include "core/library/RVXLibraryCheck.h"
#include "core/library/RVXLibraryRebuild.h"
#include "core/library/RVXLibraryRetention.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>

namespace {

constexpr const char* kProtectUsage =
    "usage: ruvex-card library protect FILE [--library DIR] [--database URL]\n";
constexpr const char* kPruneUsage = "usage: ruvex-card library prune (--keep-days N | --max-gb G) "
                                    "[--dry-run] [--library DIR] [--database URL]\n";
constexpr const char* kCheckUsage =
    "usage: ruvex-card library check [--library DIR] [--database URL]\n";
constexpr const char* kRebuildUsage = "usage: ruvex-card library rebuild [--library DIR]\n";

// A recording named by its path (absolute, or relative to the library or the working
// folder), its file name in the library, or the camera's name.
std::vector<RVXLibraryRecording> recordingsFor(RVXLibrary& library, const QString& file) {
    const QString root = library.folder() + u'/';
    const QString absolute = QFileInfo(file).absoluteFilePath();
    QString relative = file;
    if (absolute.startsWith(root))
        relative = absolute.mid(root.size());
    if (const auto r = library.index().recordingAt(QDir::cleanPath(relative)))
        return {*r};
    const QString name = QFileInfo(file).fileName();
    std::vector<RVXLibraryRecording> out;
    for (const RVXLibraryRecording& r :
         library.index().recordingsNamed(RVXLibrary::cameraName(name))) {
        if (r.path.section(u'/', -1) == name)
            out.push_back(r);
    }
    return out;
}

} // namespace

int runLibraryProtect(const QStringList& args) {
    const auto a = CliLibraryArgs::parse("protect", kProtectUsage, args, {}, {});
    if (!a)
        return CliUsage;
    if (a->positional.size() != 1) {
        cliErr(QString::fromLatin1(kProtectUsage));
        return CliUsage;
    }
    const std::unique_ptr<RVXLibrary> library = cliOpenLibrary("protect", *a, false);
    if (!library)
        return CliNotFound;
    if (auto error = library->lock()) {
        cliErr(QStringLiteral("ruvex-card library protect: %1\n").arg(*error));
        return CliNotFound;
    }
    const std::vector<RVXLibraryRecording> found = recordingsFor(*library, a->positional.first());
    if (found.empty()) {
        cliErr(QStringLiteral("ruvex-card library protect: %1: no such recording in %2\n")
                   .arg(a->positional.first(), library->folder()));
        return CliNotFound;
    }
    std::vector<int64_t> ids;
    for (const RVXLibraryRecording& r : found)
        ids.push_back(r.id);
    if (auto error = library->protectRecordings(ids)) {
        cliErr(QStringLiteral("ruvex-card library protect: %1\n").arg(*error));
        return CliNotFound;
    }
    for (const RVXLibraryRecording& r : found)
        cliOut(QStringLiteral("protected %1\n").arg(r.path));
    return CliOk;
}

int runLibraryPrune(const QStringList& args) {
    const auto a = CliLibraryArgs::parse(
        "prune", kPruneUsage, args, {QStringLiteral("--keep-days"), QStringLiteral("--max-gb")},
        {QStringLiteral("--dry-run")});
    if (!a)
        return CliUsage;
    const auto days = a->value("--keep-days"), gb = a->value("--max-gb");
    RVXLibraryRetention::Rule rule;
    bool ok = true;
    if (days) {
        const int n = days->toInt(&ok);
        ok = ok && n >= 0;
        rule.keepDays = n;
    }
    if (gb && ok) {
        const double g = gb->toDouble(&ok);
        ok = ok && std::isfinite(g) && g >= 0;
        rule.maxBytes = int64_t(g * 1e9);
    }
    if (!ok || bool(days) == bool(gb) || !a->positional.isEmpty()) {
        cliErr(QString::fromLatin1(kPruneUsage));
        return CliUsage;
    }
    const std::unique_ptr<RVXLibrary> library = cliOpenLibrary("prune", *a, false);
    if (!library)
        return CliNotFound;
    const RVXLibraryRetention::Plan plan = RVXLibraryRetention::plan(*library, rule);
    const bool dry = a->has("--dry-run");
    for (const RVXLibraryRecording& r : plan.remove)
        cliOut(QStringLiteral("%1 %2 (%3)\n")
                   .arg(dry ? QStringLiteral("would delete") : QStringLiteral("deleting"), r.path,
                        RVXLibraryImport::sizeText(r.size)));
    if (!dry) {
        if (auto error = RVXLibraryRetention::apply(*library, plan)) {
            cliErr(QStringLiteral("ruvex-card library prune: %1\n").arg(*error));
            return CliNotFound;
        }
    }
    cliErr(QStringLiteral("ruvex-card library prune: %1 recordings (%2) %3; the library holds "
                          "%4\n")
               .arg(plan.remove.size())
               .arg(RVXLibraryImport::sizeText(plan.freedBytes),
                    dry ? QStringLiteral("would be deleted") : QStringLiteral("deleted"),
                    RVXLibraryImport::sizeText(dry ? plan.totalBytes
                                                   : plan.totalBytes - plan.freedBytes)));
    if (plan.shortfall)
        cliErr(QStringLiteral("ruvex-card library prune: %1\n").arg(*plan.shortfall));
    return CliOk;
}

int runLibraryCheck(const QStringList& args) {
    const auto a = CliLibraryArgs::parse("check", kCheckUsage, args, {}, {});
    if (!a)
        return CliUsage;
    if (!a->positional.isEmpty()) {
        cliErr(QString::fromLatin1(kCheckUsage));
        return CliUsage;
    }
    const std::unique_ptr<RVXLibrary> library = cliOpenLibrary("check", *a, false);
    if (!library)
        return CliNotFound;
    const RVXLibraryCheck::Result r =
        RVXLibraryCheck::run(*library, cliLibraryProgress("checking"), cliInterruptFlag());
    cliEndProgress();
    for (const QString& p : r.missing)
        cliOut(QStringLiteral("missing %1\n").arg(p));
    for (const QString& p : r.changed)
        cliOut(QStringLiteral("changed %1\n").arg(p));
    for (const QString& p : r.unindexed)
        cliOut(QStringLiteral("unindexed %1\n").arg(p));
    cliErr(QStringLiteral("ruvex-card library check: %1 recordings checked%2: %3 missing, %4 "
                          "changed, %5 not in the index\n")
               .arg(r.checked)
               .arg(r.cancelled ? QStringLiteral(" before the stop") : QString())
               .arg(r.missing.size())
               .arg(r.changed.size())
               .arg(r.unindexed.size()));
    return r.clean() && !r.cancelled ? CliOk : CliNotFound;
}

int runLibraryRebuild(const QStringList& args) {
    const auto a = CliLibraryArgs::parse("rebuild", kRebuildUsage, args, {}, {});
    if (!a)
        return CliUsage;
    if (!a->positional.isEmpty()) {
        cliErr(QString::fromLatin1(kRebuildUsage));
        return CliUsage;
    }
    // The folder's own library.db is what a rebuild writes; a shared server's index is
    // its administrator's to make again.
    RVXLibrary named(a->library);
    if (!a->database.isEmpty() || !named.configuredDatabase().isEmpty()) {
        cliErr(QStringLiteral("ruvex-card library rebuild: the index of %1 is on a database "
                              "server; rebuild makes only a library.db\n")
                   .arg(a->library));
        return CliNotFound;
    }
    const RVXLibraryRebuild::Result r =
        RVXLibraryRebuild::run(a->library, cliLibraryProgress("reading"), cliInterruptFlag());
    cliEndProgress();
    for (const QString& s : r.skipped)
        cliErr(
            QStringLiteral("ruvex-card library rebuild: %1 is not a recording; left out\n").arg(s));
    if (r.error) {
        cliErr(QStringLiteral("ruvex-card library rebuild: %1\n").arg(*r.error));
        return CliNotFound;
    }
    cliOut(QStringLiteral("rebuilt the index of %1: %2 recordings, %3 imports\n")
               .arg(a->library)
               .arg(r.recordings)
               .arg(r.imports));
    return CliOk;
}
