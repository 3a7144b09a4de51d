// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/library/RVXLibraryRetention.h"

#include "core/catalogue/RVXMedia.h"
#include "core/library/RVXLibrary.h"
#include "core/library/RVXLibraryImport.h"

#include <QSet>

namespace {

// What retention may never take: recordings of the event kind are its own, and the
// others are judged here.
QSet<int64_t> keptAlways(RVXLibraryIndex& index, const std::vector<RVXLibraryRecording>& all) {
    QSet<int64_t> kept;
    for (const RVXLibraryEvent& e : index.events({}))
        kept.insert(e.recording);
    for (const RVXLibraryRecording& r : all) {
        if (r.isProtected || r.kind != RVXMediaDivisionAlways)
            kept.insert(r.id);
    }
    // A pair goes or stays whole.
    for (const RVXLibraryRecording& r : all) {
        if (r.partner && kept.contains(r.partner))
            kept.insert(r.id);
    }
    return kept;
}

} // namespace

RVXLibraryRetention::Plan RVXLibraryRetention::plan(RVXLibrary& library, const Rule& rule,
                                                    const QDateTime& now) {
    Plan p;
    RVXLibraryIndex& index = library.index();
    // Oldest first: the index answers in catalogue order.
    const std::vector<RVXLibraryRecording> all = index.recordings({});
    const QSet<int64_t> kept = keptAlways(index, all);
    for (const RVXLibraryRecording& r : all)
        p.totalBytes += r.size;
    // The camera's moments count its local clock as if it were UTC.
    const int64_t localNow = now.toSecsSinceEpoch() + now.offsetFromUtc();
    QSet<int64_t> chosen;
    const auto take = [&](const RVXLibraryRecording& r) {
        if (chosen.contains(r.id))
            return;
        chosen.insert(r.id);
        p.remove.push_back(r);
        p.freedBytes += r.size;
    };
    if (rule.keepDays) {
        const int64_t cutoff = localNow - int64_t(*rule.keepDays) * 86400;
        for (const RVXLibraryRecording& r : all) {
            if (!kept.contains(r.id) && r.moment < cutoff)
                take(r);
        }
    }
    if (rule.maxBytes) {
        for (const RVXLibraryRecording& r : all) {
            if (p.totalBytes - p.freedBytes <= *rule.maxBytes)
                break;
            if (!kept.contains(r.id))
                take(r);
        }
        if (p.totalBytes - p.freedBytes > *rule.maxBytes)
            p.shortfall = QStringLiteral("the library keeps %1 of events, motion and protected "
                                         "recordings; it cannot come below %2 by deleting loop "
                                         "recordings")
                              .arg(RVXLibraryImport::sizeText(p.totalBytes - p.freedBytes),
                                   RVXLibraryImport::sizeText(*rule.maxBytes));
    }
    return p;
}

std::optional<QString> RVXLibraryRetention::apply(RVXLibrary& library, const Plan& plan) {
    if (auto error = library.lock())
        return error;
    if (auto error = library.recover())
        return error;
    const std::vector<RVXLibraryRecording> all = library.index().recordings({});
    const QSet<int64_t> kept = keptAlways(library.index(), all);
    std::vector<int64_t> ids;
    for (const RVXLibraryRecording& r : plan.remove) {
        if (!kept.contains(r.id))
            ids.push_back(r.id);
    }
    if (ids.empty())
        return std::nullopt;
    return library.deleteRecordings(ids);
}
