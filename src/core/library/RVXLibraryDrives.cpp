// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/library/RVXLibraryDrives.h"

#include "core/catalogue/RVXMediaPair.h"
#include "core/catalogue/RVXTripTelemetry.h"
#include "core/library/RVXLibrary.h"
#include "core/scan/RVXCardScan.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace {

// The settings of the newest import that kept a config.bin: the thresholds the camera
// had when it recorded, as near as the library knows.
RVXScanSettings scanSettings(RVXLibrary& library) {
    const std::vector<RVXLibraryImportRecord> imports = library.index().imports();
    for (auto i = imports.rbegin(); i != imports.rend(); ++i) {
        const QString folder = library.absolutePath(i->folder);
        if (QFile::exists(QDir(folder).filePath(QStringLiteral("config.bin"))))
            return RVXScanSettings::forFolder(folder);
    }
    return RVXScanSettings::forFolder(library.absolutePath(QStringLiteral("imports")));
}

} // namespace

QDate RVXLibraryDrives::dayOf(int64_t moment) {
    return QDate::fromJulianDay(2440588 + int64_t(std::floor(double(moment) / 86400)));
}

std::vector<RVXTripUnit> RVXLibraryDrives::unitsOf(
    const RVXLibrary& library, const std::vector<RVXLibraryRecording>& recordings,
    QHash<QString, int64_t>& ids, std::vector<std::pair<int64_t, int64_t>>* pairs) {
    std::vector<RVXMediaRef> medias;
    QHash<QString, double> lengths;
    for (const RVXLibraryRecording& r : recordings) {
        if (r.clash)
            continue;
        const QString path = library.absolutePath(r.path);
        medias.push_back(std::make_shared<RVXMedia>(path));
        ids.insert(path, r.id);
        lengths.insert(path, r.length);
    }
    std::stable_sort(medias.begin(), medias.end(), [](const RVXMediaRef& a, const RVXMediaRef& b) {
        return a->compareDate(*b) < 0;
    });
    // The catalogue's pairing: a repaired copy stands for its side over the camera's own.
    QHash<QString, RVXMediaPair> groups;
    for (const RVXMediaRef& m : medias) {
        RVXMediaPair& pair = groups[m->mediaGroupName()];
        const auto take = [&](const RVXMediaRef& member) {
            return !member || m->isRepairedCopy() || !member->isRepairedCopy();
        };
        if (m->isRearMedia() && take(pair.rearMedia()))
            pair.setRearMedia(m);
        else if (m->isFrontMedia() && take(pair.frontMedia()))
            pair.setFrontMedia(m);
    }
    if (pairs) {
        for (const RVXMediaPair& p : groups) {
            if (p.frontMedia() && p.rearMedia())
                pairs->emplace_back(ids.value(p.frontMedia()->path()),
                                    ids.value(p.rearMedia()->path()));
        }
        std::sort(pairs->begin(), pairs->end());
    }
    std::vector<RVXTripUnit> units;
    for (const RVXMediaRef& m : medias) {
        const RVXMediaPair& pair = groups[m->mediaGroupName()];
        if (m->isRearMedia() && pair.frontMedia())
            continue;
        RVXTripUnit unit = RVXTrip::unitOf(m, pair.partnerOf(*m));
        unit.length = lengths.value(m->path());
        // A front cut short still has its rear's seconds, as on the card.
        if (unit.length <= 0 && unit.partner)
            unit.length = lengths.value(unit.partner->path());
        units.push_back(std::move(unit));
    }
    return units;
}

std::optional<QString> RVXLibraryDrives::workOutAwaiting(RVXLibrary& library,
                                                         const std::atomic<bool>* cancel) {
    std::set<QDate> days;
    for (const RVXLibraryRecording& r : library.index().recordingsAwaitingDrives())
        days.insert(dayOf(r.moment));
    return workOut(library, days, cancel);
}

std::optional<QString> RVXLibraryDrives::workOut(RVXLibrary& library, const std::set<QDate>& days,
                                                 const std::atomic<bool>* cancel) {
    // Runs of days one after another are worked as one, with a day read either side.
    auto day = days.begin();
    while (day != days.end()) {
        const QDate first = *day;
        QDate last = first;
        while (++day != days.end() && *day == last.addDays(1))
            last = *day;
        if (auto error = workOutRun(library, first, last, cancel))
            return error;
    }
    return std::nullopt;
}

std::optional<QString> RVXLibraryDrives::workOutRun(RVXLibrary& library, const QDate& first,
                                                    const QDate& last,
                                                    const std::atomic<bool>* cancel) {
    RVXLibraryIndex& index = library.index();
    RVXLibraryQuery window;
    window.from = first.addDays(-1);
    window.to = last.addDays(1);
    const std::vector<RVXLibraryRecording> recordings = index.recordings(window);

    // What changes: the recordings of the days, and every recording of a trip through them
    // as it stood before.
    QSet<int64_t> changed;
    for (const RVXLibraryRecording& r : recordings) {
        const QDate d = dayOf(r.moment);
        if (!r.clash && d >= first && d <= last)
            changed.insert(r.id);
    }
    RVXLibraryQuery days;
    days.from = first;
    days.to = last;
    for (const RVXLibraryTrip& t : index.trips(days)) {
        for (const RVXLibraryTripUnit& u : t.units) {
            changed.insert(u.recording);
            if (u.partner)
                changed.insert(u.partner);
        }
    }

    // A trip longer than the window is cut at its edge: the recordings outside it stay as
    // they were.
    QSet<int64_t> inWindow;
    std::vector<RVXLibraryRecording> changedInWindow;
    for (const RVXLibraryRecording& r : recordings) {
        inWindow.insert(r.id);
        if (changed.contains(r.id))
            changedInWindow.push_back(r);
    }
    for (auto i = changed.begin(); i != changed.end();)
        i = inWindow.contains(*i) ? std::next(i) : changed.erase(i);

    QHash<QString, int64_t> ids;
    RVXLibraryDriveSet set;
    QHash<QString, int64_t> pairIds;
    unitsOf(library, changedInWindow, pairIds, &set.pairs);
    std::vector<RVXTripUnit> units = unitsOf(library, recordings, ids, nullptr);
    const auto idOf = [&](const RVXMediaRef& m) { return m ? ids.value(m->path()) : 0; };

    std::vector<RVXTrip> kept;
    for (RVXTrip& trip : RVXTrip::tripsFromUnits(std::move(units))) {
        const bool touches =
            std::any_of(trip.units().begin(), trip.units().end(), [&](const RVXTripUnit& u) {
                return changed.contains(idOf(u.media)) || changed.contains(idOf(u.partner));
            });
        if (touches)
            kept.push_back(std::move(trip));
    }

    std::vector<RVXTripUnit> scanned;
    QHash<int64_t, size_t> tripOf;
    for (size_t i = 0; i < kept.size(); ++i) {
        const RVXTrip& trip = kept[i];
        if (cancel && cancel->load())
            return QStringLiteral("cancelled");
        RVXLibraryDriveSet::Drive drive;
        drive.trip.start = trip.start();
        drive.trip.seconds = trip.seconds();
        for (const RVXTripUnit& u : trip.units()) {
            drive.trip.units.push_back({idOf(u.media), idOf(u.partner), u.offset, u.length});
            tripOf.insert(idOf(u.media), i);
            if (u.partner)
                tripOf.insert(idOf(u.partner), i);
            scanned.push_back(u);
        }
        const RVXTripTelemetry telemetry =
            RVXTripTelemetry::read(trip, cancel).value_or(RVXTripTelemetry{});
        drive.trip.distanceKm = telemetry.distanceKm;
        drive.trip.maxSpeedKmh = telemetry.maxSpeedKmh;
        // One point a second: the first fix of each second of the trip.
        int64_t lastSecond = -1;
        for (size_t k = 0; k < telemetry.track.size(); ++k) {
            const int64_t second = int64_t(std::floor(telemetry.trackSeconds[k]));
            if (second <= lastSecond)
                continue;
            lastSecond = second;
            drive.track.push_back({double(trip.start()) + telemetry.trackSeconds[k],
                                   telemetry.track[k].second, telemetry.track[k].first,
                                   telemetry.trackSpeedKmh[k],
                                   idOf(trip.units()[telemetry.trackUnits[k]].media)});
        }
        set.drives.push_back(std::move(drive));
    }
    if (!scanned.empty()) {
        const std::optional<RVXCardScan::Result> result =
            RVXCardScan::scan(scanned, scanSettings(library), cancel);
        if (!result)
            return QStringLiteral("cancelled");
        for (const RVXScanEvent& e : result->events) {
            const int64_t recording = idOf(e.media);
            if (!tripOf.contains(recording))
                continue;
            RVXLibraryEvent event;
            event.kind = QString::fromLatin1(RVXScanEvent::kindName(e.kind));
            event.moment = e.moment;
            event.recording = recording;
            event.offset = e.offset;
            event.peak = e.kind == RVXScanEvent::Kind::Impact ? e.magnitude : e.acceleration;
            event.speedKmh = e.speedKmh;
            event.latitude = e.latitude;
            event.longitude = e.longitude;
            set.drives[tripOf.value(recording)].events.push_back(std::move(event));
        }
    }
    set.recordings.assign(changed.begin(), changed.end());
    std::sort(set.recordings.begin(), set.recordings.end());
    return index.replaceDrives(set);
}
