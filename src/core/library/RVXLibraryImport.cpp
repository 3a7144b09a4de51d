// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/library/RVXLibraryImport.h"

#include "core/catalogue/RVXMediaList.h"
#include "core/catalogue/RVXTrip.h"
#include "core/library/RVXLibrary.h"
#include "core/library/RVXLibraryCommitter.h"
#include "core/library/RVXLibraryDrives.h"
#include "core/library/RVXLibraryFileCopy.h"
#include "core/library/RVXLibraryManifest.h"
#include "core/media/RVXRecordingDiagnosis.h"
#include "core/support/RVXCFormat.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QStorageInfo>

#include <algorithm>

namespace {

using Item = RVXLibraryImport::Item;

QString utcNow() {
    return QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ"));
}

bool inside(const QString& path, const QString& folder) {
    return path == folder || path.startsWith(folder + u'/');
}

// The recordings of the trips that hold an event recording, partners included.
std::vector<RVXMediaRef> eventTrips(const RVXMediaList& list) {
    std::vector<RVXMediaRef> out;
    for (const RVXTrip& trip : RVXTrip::tripsOfList(list)) {
        const bool event =
            std::any_of(trip.units().begin(), trip.units().end(), [](const RVXTripUnit& u) {
                return u.media->isEventMedia() || (u.partner && u.partner->isEventMedia());
            });
        if (!event)
            continue;
        for (const RVXTripUnit& u : trip.units()) {
            out.push_back(u.media);
            if (u.partner)
                out.push_back(u.partner);
        }
    }
    return out;
}

std::optional<int64_t> lastImportedMoment(RVXLibrary& library, const RVXLibraryCard& card) {
    int64_t cardId = 0;
    for (const RVXLibraryCard& known : library.index().cards()) {
        if (known.sameCard(card))
            cardId = known.id;
    }
    std::optional<int64_t> newest;
    for (const RVXLibraryImportRecord& r : library.index().imports()) {
        if (r.card == cardId && !r.finished.isEmpty() && r.newestMoment)
            newest = std::max(newest.value_or(*r.newestMoment), *r.newestMoment);
    }
    return newest;
}

// The first name a recording can be kept beside its namesakes under: in no row, no file,
// not taken by this import.
QString besideName(RVXLibrary& library, const QSet<QString>& reserved, const QString& day,
                   const QString& name) {
    for (int n = 2;; ++n) {
        const QString candidate = RVXLibrary::besideName(name, n);
        const QString relative = day + u'/' + candidate;
        if (!reserved.contains(relative) && !library.index().recordingAt(relative) &&
            !QFileInfo::exists(library.absolutePath(relative)))
            return candidate;
    }
}

} // namespace

QString RVXLibraryImport::sizeText(int64_t bytes) {
    if (bytes >= 1000000000)
        return RVXCFormat("%.1f GB", double(bytes) / 1e9);
    if (bytes >= 1000000)
        return RVXCFormat("%.1f MB", double(bytes) / 1e6);
    return RVXCFormat("%.1f kB", double(bytes) / 1e3);
}

QString RVXLibraryImport::spaceMessage(int count, int64_t needBytes, int64_t freeBytes) {
    return QStringLiteral("%1 %2 %3; the library's disk has %4 free")
        .arg(count)
        .arg(count == 1 ? QStringLiteral("recording needs") : QStringLiteral("recordings need"))
        .arg(sizeText(needBytes), sizeText(freeBytes));
}

std::variant<RVXLibraryImport::Plan, QString>
RVXLibraryImport::plan(RVXLibrary& library, const QString& card, Choice choice,
                       const std::optional<RVXLibraryCard>& identity) {
    const QFileInfo info(card);
    if (!info.isDir() || !info.isReadable())
        return QStringLiteral("%1: not a readable folder").arg(card);
    const QString cardPath = info.canonicalFilePath();
    const QString libraryPath = QFileInfo(library.folder()).canonicalFilePath();
    if (!libraryPath.isEmpty() && (inside(libraryPath, cardPath) || inside(cardPath, libraryPath)))
        return QStringLiteral("the card %1 and the library %2 lie one inside the other")
            .arg(card, library.folder());

    RVXMediaList list;
    list.setDirectoryPath(cardPath);
    list.waitForWalks();
    std::vector<RVXMediaRef> medias = list.medias();
    if (choice == Choice::EventsOnly) {
        const std::vector<RVXMediaRef> wanted = eventTrips(list);
        QSet<QString> paths;
        for (const RVXMediaRef& m : wanted)
            paths.insert(m->path());
        std::erase_if(medias, [&](const RVXMediaRef& m) { return !paths.contains(m->path()); });
    }
    Plan plan;
    std::optional<int64_t> since;
    if (choice == Choice::SinceLast)
        since = lastImportedMoment(library, identity.value_or(RVXLibraryCard::ofFolder(cardPath)));
    for (const RVXMediaRef& m : medias) {
        if (!m->hasMoment())
            continue;
        const int64_t moment = RVXTrip::unitOf(m).start;
        plan.newestMoment = std::max(plan.newestMoment.value_or(moment), moment);
        if (since && moment <= *since)
            continue;
        Item item{m, QFileInfo(m->path()).size(), Item::Action::Copy};
        const std::vector<RVXLibraryRecording> held =
            library.index().recordingsNamed(m->fileName());
        if (std::any_of(held.begin(), held.end(),
                        [&](const RVXLibraryRecording& r) { return r.size == item.size; }))
            item.action = Item::Action::Verify;
        else if (!held.empty())
            item.action = Item::Action::Beside;
        if (item.action != Item::Action::Verify) {
            ++plan.count;
            plan.needBytes += item.size;
        }
        plan.readBytes += item.size;
        plan.items.push_back(std::move(item));
    }
    for (const QString& extra : {QStringLiteral("config.bin"), QStringLiteral("DrvInfo")}) {
        const QFileInfo f(QDir(cardPath).filePath(extra));
        if (f.isFile())
            plan.needBytes += f.size();
        for (const QFileInfo& d : QDir(f.filePath()).entryInfoList(QDir::Files))
            plan.needBytes += d.size();
    }
    return plan;
}

std::optional<QString> RVXLibraryImport::keepCardFiles(const QString& card, const QString& folder) {
    const QDir from(card);
    if (QFileInfo(from.filePath(QStringLiteral("config.bin"))).isFile()) {
        const auto r = RVXLibraryFileCopy::copy(from.filePath(QStringLiteral("config.bin")), folder,
                                                QStringLiteral("config.bin"));
        if (r.error != RVXLibraryFileCopy::Error::None)
            return r.message;
    }
    const QDir logs(from.filePath(QStringLiteral("DrvInfo")));
    const QStringList names = logs.entryList(QDir::Files, QDir::Name);
    if (names.isEmpty())
        return std::nullopt;
    const QString to = QDir(folder).filePath(QStringLiteral("DrvInfo"));
    if (!QDir().mkpath(to))
        return QStringLiteral("cannot make %1").arg(to);
    for (const QString& name : names) {
        const auto r = RVXLibraryFileCopy::copy(logs.filePath(name), to, name);
        if (r.error != RVXLibraryFileCopy::Error::None)
            return r.message;
    }
    return std::nullopt;
}

RVXLibraryImport::Result RVXLibraryImport::run(RVXLibrary& library, const QString& card,
                                               Choice choice, const Progress& progress,
                                               const std::atomic<bool>* cancel,
                                               const std::optional<RVXLibraryCard>& identity) {
    Result result;
    result.record.choice = choice;
    const auto fail = [&](QString message) {
        result.error = std::move(message);
        return result;
    };
    if (auto error = library.lock())
        return fail(*error);
    if (auto error = library.recover(cancel))
        return fail(*error);

    auto planned = plan(library, card, choice, identity);
    if (auto* error = std::get_if<QString>(&planned))
        return fail(*error);
    Plan& p = std::get<Plan>(planned);
    const QStorageInfo disk(library.folder());
    if (p.needBytes > disk.bytesAvailable())
        return fail(spaceMessage(p.count, p.needBytes, disk.bytesAvailable()));

    const QString cardPath = QFileInfo(card).canonicalFilePath();
    RVXLibraryManifest manifest;
    manifest.card = identity.value_or(RVXLibraryCard::ofFolder(cardPath));
    if (auto error = library.index().rememberCard(manifest.card))
        return fail(*error);
    RVXLibraryImportRecord& record = result.record;
    record.card = manifest.card.id;
    record.started = utcNow();
    record.source = cardPath;
    record.newestMoment = p.newestMoment;
    const QString stamp =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddTHHmmssZ"));
    record.folder = QStringLiteral("imports/") + stamp;
    for (int n = 2; QFileInfo::exists(library.absolutePath(record.folder)); ++n)
        record.folder = QStringLiteral("imports/%1-%2").arg(stamp).arg(n);
    const QString importFolder = library.absolutePath(record.folder);
    if (!QDir().mkpath(importFolder))
        return fail(QStringLiteral("cannot make %1").arg(importFolder));
    if (auto error = library.index().addImport(record))
        return fail(*error);
    manifest.record = record;
    if (auto error = manifest.write(importFolder))
        return fail(*error);
    if (auto error = keepCardFiles(cardPath, importFolder))
        return fail(*error);

    RVXLibraryProgress state;
    state.totalBytes = p.readBytes;
    state.totalFiles = int(p.items.size());
    const auto report = [&](int64_t bytes) {
        state.doneBytes += bytes;
        if (progress)
            progress(state);
    };
    RVXLibraryCommitter committer;
    // Paths this import writes to, before their files have their names.
    QSet<QString> reserved;
    // The rows of the files in place, in one transaction; false when the import must stop.
    const auto enter = [&](std::vector<RVXLibraryCommitter::Done> done) {
        std::vector<RVXLibraryRecording> rows;
        bool go = !result.diskFull && !result.error;
        for (RVXLibraryCommitter::Done& d : done) {
            if (d.result.error == RVXLibraryFileCopy::Error::DiskFull) {
                result.diskFull = true;
                go = false;
            } else if (d.result.error != RVXLibraryFileCopy::Error::None) {
                result.failedFiles << d.result.message;
            } else {
                rows.push_back(std::move(d.record));
            }
            ++state.doneFiles;
        }
        if (rows.empty())
            return go;
        if (auto error = library.index().addRecordings(rows)) {
            // The files stay in place, whole; the next import enters them.
            if (error->contains(QLatin1String("full"), Qt::CaseInsensitive))
                result.diskFull = true;
            else
                result.error = *error;
            return false;
        }
        for (const RVXLibraryRecording& r : rows) {
            (r.clash ? result.beside : result.added) << r.path;
            ++(r.clash ? record.clashes : record.added);
            record.bytes += r.size;
        }
        return go;
    };
    for (const Item& item : p.items) {
        if (result.diskFull || result.error)
            break;
        const QString name = item.media->fileName();
        state.file = name;
        report(0);
        RVXLibraryRecording r;
        r.name = name;
        r.kind = item.media->mediaDivision();
        r.side = item.media->mediaDirection();
        r.moment = RVXTrip::unitOf(item.media).start;
        const QString day = RVXLibrary::dayFolder(r.moment);
        Item::Action action = item.action;
        if (action == Item::Action::Verify) {
            const auto hashed = RVXLibraryFileCopy::hash(item.media->path(), {}, cancel);
            if (hashed.error == RVXLibraryFileCopy::Error::Cancelled) {
                result.cancelled = true;
                break;
            }
            if (hashed.error != RVXLibraryFileCopy::Error::None) {
                result.failedFiles << hashed.message;
                ++state.doneFiles;
                continue;
            }
            const std::vector<RVXLibraryRecording> held = library.index().recordingsNamed(name);
            if (std::any_of(held.begin(), held.end(), [&](const RVXLibraryRecording& h) {
                    return h.size == hashed.size && h.sha256 == hashed.sha256;
                })) {
                ++record.skipped;
                ++state.doneFiles;
                report(hashed.size);
                continue;
            }
            action = Item::Action::Beside;
            // Read once more, to be written this time.
            state.totalBytes += item.size;
        }
        const QString dayPath = library.absolutePath(day);
        if (action == Item::Action::Copy &&
            (reserved.contains(day + u'/' + name) || QFileInfo::exists(dayPath + u'/' + name)))
            action = Item::Action::Beside;
        r.clash = action == Item::Action::Beside;
        const QString fileName = r.clash ? besideName(library, reserved, day, name) : name;
        r.path = day + u'/' + fileName;
        if (!QDir().mkpath(dayPath)) {
            result.error = QStringLiteral("cannot make %1").arg(dayPath);
            break;
        }
        int fd = -1;
        const auto written =
            RVXLibraryFileCopy::write(item.media->path(), dayPath, fileName, &fd, report, cancel);
        if (written.error == RVXLibraryFileCopy::Error::Cancelled) {
            result.cancelled = true;
            break;
        }
        if (written.error == RVXLibraryFileCopy::Error::DiskFull) {
            result.diskFull = true;
            break;
        }
        if (written.error != RVXLibraryFileCopy::Error::None) {
            result.failedFiles << written.message;
            ++state.doneFiles;
            // A card pulled out fails every file after; there is nothing left to read.
            if (!QFileInfo::exists(cardPath)) {
                result.error = QStringLiteral("the card %1 is gone").arg(cardPath);
                break;
            }
            continue;
        }
        r.size = written.size;
        r.sha256 = written.sha256;
        // Its headers, while the bytes are still in memory.
        const QString temp = dayPath + u'/' + RVXLibraryFileCopy::temporaryName(fileName);
        r.length = RVXTrip::movieLength(RVXMedia(temp));
        if (item.media->isRepairedCopy())
            r.state = RVXLibraryRecording::State::Repaired;
        else if (RVXRecordingDiagnosis::diagnose(temp).state ==
                 RVXRecordingDiagnosis::State::CutShort)
            r.state = RVXLibraryRecording::State::Cut;
        reserved.insert(r.path);
        committer.push({fd, dayPath, fileName, std::move(r)});
        if (!enter(committer.take(false)))
            break;
    }
    enter(committer.take(true));
    record.failed = result.failedFiles.size();
    const int64_t entered = record.added + record.clashes;
    if (result.diskFull)
        result.error = QStringLiteral("the library's disk is full: %1 of %2 recordings imported; "
                                      "make room and import again to finish")
                           .arg(entered)
                           .arg(p.count);
    else if (result.cancelled)
        result.error = QStringLiteral("cancelled: %1 of %2 recordings imported; import again to "
                                      "finish")
                           .arg(entered)
                           .arg(p.count);
    else if (!result.error && record.failed)
        result.error = QStringLiteral("%1 recordings could not be read: %2")
                           .arg(record.failed)
                           .arg(result.failedFiles.join(QStringLiteral("; ")));

    // A stop leaves the trips to the next import, which works them out first.
    if (!result.cancelled && !result.diskFull) {
        if (auto error = RVXLibraryDrives::workOutAwaiting(library, cancel))
            result.error = result.error.value_or(*error);
    }
    // Only an import that took everything it chose counts as the last one of its card.
    if (!result.error)
        record.finished = utcNow();
    library.index().updateImport(record);
    manifest.record = record;
    manifest.write(importFolder);
    return result;
}
