// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/evidence/RVXEvidencePack.h"

#include "core/catalogue/RVXMedia.h"
#include "core/evidence/RVXCameraTime.h"
#include "core/evidence/RVXEvidenceCuts.h"
#include "core/evidence/RVXEvidenceManifest.h"
#include "core/evidence/RVXEvidenceTelemetry.h"
#include "core/evidence/RVXPackFolder.h"
#include "core/settings/RVXSettingFile.h"
#include "core/support/RVXCFormat.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include "RVXVersion.h"

#include <cmath>
#include <set>

namespace {

std::optional<QString> writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.flush())
        return QStringLiteral("%1: %2").arg(path, f.errorString());
    return std::nullopt;
}

bool isInside(const QString& path, const QString& folder) {
    const QString f = QFileInfo(folder).canonicalFilePath();
    return !f.isEmpty() && (path == f || path.startsWith(f + u'/'));
}

// The recordings of the plan, both cameras, each once.
std::vector<RVXMediaRef> originalsOf(const RVXEvidencePlan& plan) {
    std::vector<RVXMediaRef> out;
    std::set<QString> seen;
    for (const RVXEvidencePart& part : plan.parts) {
        for (const RVXMediaRef& m : {part.unit.media, part.unit.partner}) {
            if (m && seen.insert(m->path()).second)
                out.push_back(m);
        }
    }
    return out;
}

std::optional<QString> copyOriginals(const RVXEvidencePlan& plan, const QDir& dir,
                                     const std::atomic<bool>* cancel) {
    if (!dir.mkpath(QStringLiteral("originals")))
        return QStringLiteral("%1: cannot make originals/").arg(dir.path());
    for (const RVXMediaRef& m : originalsOf(plan)) {
        if (cancel && cancel->load())
            return QStringLiteral("cancelled");
        const QString to = dir.filePath(QStringLiteral("originals/") + m->fileName());
        if (!QFile::copy(m->path(), to))
            return QStringLiteral("cannot copy %1 to %2").arg(m->path(), to);
    }
    return std::nullopt;
}

// Every file under dir, as paths relative to it, sorted.
QStringList filesUnder(const QDir& dir) {
    QStringList out;
    for (const QString& f : dir.entryList(QDir::Files, QDir::Name))
        out << f;
    for (const QString& f :
         QDir(dir.filePath(QStringLiteral("originals"))).entryList(QDir::Files, QDir::Name))
        out << QStringLiteral("originals/") + f;
    return out;
}

std::optional<QString> hashAll(const QDir& dir, std::vector<RVXEvidenceSheet::File>& files) {
    files.clear();
    for (const QString& name : filesUnder(dir)) {
        const auto hash = RVXEvidencePack::sha256(dir.filePath(name));
        if (!hash)
            return QStringLiteral("cannot read %1").arg(dir.filePath(name));
        files.push_back({name, QFileInfo(dir.filePath(name)).size(), *hash});
    }
    return std::nullopt;
}

void fillSettings(RVXEvidenceSheet& sheet, const QString& cardFolder) {
    _FILEDATA record{};
    const QString path = QDir(cardFolder).filePath(QStringLiteral("config.bin"));
    const bool sound =
        QFile::exists(path) && !settingFileDamage(path) && readSettingFile(path, record);
    if (!sound)
        makeDefaultSetting(record);
    const QByteArray plate(record.szPlateNumber,
                           qsizetype(strnlen(record.szPlateNumber, sizeof record.szPlateNumber)));
    sheet.plate = sound
                      ? (plate.isEmpty() ? QStringLiteral("(none set)") : QString::fromUtf8(plate))
                      : QStringLiteral("not known (no sound config.bin)");
    sheet.thresholds =
        RVXCFormat("x %.2f g, y %.2f g, z %.2f g", record.gsen_x_threshold / 100.0,
                   record.gsen_y_threshold / 100.0, record.gsen_z_threshold / 100.0) +
        (sound ? QStringLiteral(" (the card's config.bin)")
               : QStringLiteral(" (the camera's defaults)"));
}

void fillCut(RVXEvidenceSheet& sheet, const RVXEvidencePlan& plan, const RVXEvidenceCuts& cuts) {
    sheet.cutText =
        QStringLiteral("Asked %1 to %2. Each file is stream-copied, not re-encoded, from the "
                       "keyframe at or before its start; files share one timeline whose second 0 "
                       "is %3 (a file that starts later begins with an empty edit). The cuts "
                       "hold the video and the sound: the camera's telemetry track was left out "
                       "of them; it is in telemetry.csv, telemetry.gpx and the originals.")
            .arg(RVXCameraTime::text(plan.windowStart), RVXCameraTime::text(plan.windowEnd),
                 RVXCameraTime::text(cuts.start()));
    for (const RVXEvidenceVideo& v : cuts.videos())
        sheet.videos.push_back({v.name, RVXCameraTime::text(v.from), RVXCameraTime::text(v.to),
                                v.from - cuts.start()});
    sheet.cutNotes = cuts.notes();
    if (cuts.videos().empty())
        sheet.cutNotes << QStringLiteral("No recording of the window could be cut; the "
                                         "originals are whole in originals/.");
    sheet.filesNote = QStringLiteral(
        "The table cannot list the sheet itself, manifest.json or SHA256SUMS: they are written "
        "after it. manifest.json lists the sheet with its hash, and SHA256SUMS every file but "
        "itself.");
}

} // namespace

QString RVXEvidencePack::proposedName(double moment) {
    return QStringLiteral("RUVEX-evidence-") + RVXTrip::clockTimeOf(0)
                                                   .addMSecs(std::llround(moment * 1000))
                                                   .toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

std::optional<RVXScanEvent> RVXEvidencePack::eventAt(const std::vector<RVXScanEvent>& events,
                                                     double moment) {
    const RVXScanEvent* nearest = nullptr;
    for (const RVXScanEvent& e : events) {
        const double off = std::abs(e.moment - moment);
        if (off <= kEventSeconds + 1e-6 && (!nearest || off < std::abs(nearest->moment - moment)))
            nearest = &e;
    }
    return nearest ? std::optional(*nearest) : std::nullopt;
}

QString RVXEvidencePack::eventText(const RVXScanEvent& e, double moment) {
    using Kind = RVXScanEvent::Kind;
    QString text;
    if (e.kind == Kind::Impact) {
        QStringList axes;
        for (const QChar axis : e.axes)
            axes << QString(axis);
        text = RVXCFormat("Impact, %.2f g", e.magnitude);
        if (axes.size() == 1) {
            text += QStringLiteral(" (%1 over its threshold)").arg(axes.first());
        } else if (axes.size() > 1) {
            const QString last = axes.takeLast();
            text += QStringLiteral(" (%1 and %2 over their thresholds)")
                        .arg(axes.join(QStringLiteral(", ")), last);
        }
    } else {
        text = (e.kind == Kind::Braking ? QStringLiteral("Hard braking, ")
                                        : QStringLiteral("Hard acceleration, ")) +
               RVXCFormat("%.1f", e.acceleration) + QStringLiteral(" m/s\u00b2");
    }
    text += QStringLiteral(" at ") + RVXCameraTime::text(e.moment) +
            QStringLiteral(", found by the card scan");
    // Said only where the two differ by a millisecond or more, as the times are written.
    const double off = e.moment - moment;
    if (std::abs(off) >= 0.0005)
        text += RVXCFormat(", %.3f s %s the moment", std::abs(off), off < 0 ? "before" : "after");
    return text;
}

std::optional<QString> RVXEvidencePack::sha256(const QString& path) {
    QFile f(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!f.open(QIODevice::ReadOnly) || !hash.addData(&f))
        return std::nullopt;
    return QString::fromLatin1(hash.result().toHex());
}

qint64 RVXEvidencePack::bytesNeeded(const RVXEvidencePlan& plan) {
    qint64 bytes = 1 << 20;
    for (const RVXMediaRef& m : originalsOf(plan))
        bytes += 2 * QFileInfo(m->path()).size();
    return bytes;
}

std::optional<QString> RVXEvidencePack::check(const RVXEvidenceRequest& r) {
    if (r.plan.parts.empty())
        return QStringLiteral("No recording plays at that moment.");
    const QFileInfo target(r.target);
    if (target.exists())
        return QStringLiteral("%1 exists already; choose a new folder.").arg(r.target);
    const QString parent = QFileInfo(target.absolutePath()).canonicalFilePath();
    if (parent.isEmpty())
        return QStringLiteral("The folder %1 does not exist.").arg(target.absolutePath());
    if (isInside(parent, r.cardFolder))
        return QStringLiteral(
            "The pack is never written onto the card; choose a folder elsewhere.");
    const qint64 needed = bytesNeeded(r.plan);
    const qint64 free = r.freeBytes ? r.freeBytes(parent) : QStorageInfo(parent).bytesAvailable();
    if (free >= 0 && free < needed)
        return RVXCFormat("Not enough room in %s: the pack needs up to %.1f MB, %.1f MB are free.",
                          qPrintable(parent), needed / 1e6, free / 1e6);
    return std::nullopt;
}

std::optional<QString> RVXEvidencePack::make(const RVXEvidenceRequest& r,
                                             RVXEvidenceSheetRenderer& renderer,
                                             RVXEvidenceResult* result,
                                             const std::atomic<bool>* cancel,
                                             const Progress& progress) {
    if (auto e = check(r))
        return e;
    const auto report = [&](double f) {
        if (progress)
            progress(f);
    };
    const auto cancelled = [&] { return cancel && cancel->load(); };
    const QFileInfo target(r.target);
    // What an export that was killed left here is no one's now.
    RVXPackFolder::clearStale(target.absolutePath());
    RVXPackFolder folder(r.target);
    if (auto e = folder.error())
        return e;
    const QDir dir = folder.dir();
    report(0.02);

    const RVXEvidenceCuts cuts = RVXEvidenceCuts::of(r.plan);
    report(0.1);
    if (cancelled())
        return QStringLiteral("cancelled");
    if (auto e = cuts.write(dir, cancel))
        return e;
    report(0.55);
    if (auto e = copyOriginals(r.plan, dir, cancel))
        return e;
    report(0.8);
    if (cancelled())
        return QStringLiteral("cancelled");

    const RVXScanSettings settings = RVXScanSettings::forFolder(r.cardFolder);
    const RVXEvidenceTelemetry telemetry(r.plan, cuts.start(), settings);
    if (auto e = writeFile(dir.filePath(QStringLiteral("telemetry.csv")), telemetry.csv()))
        return e;
    if (auto e = writeFile(dir.filePath(QStringLiteral("telemetry.gpx")), telemetry.gpx()))
        return e;
    report(0.85);

    RVXEvidenceSheet sheet;
    sheet.title = QStringLiteral("Evidence pack ") + target.fileName();
    if (r.event)
        sheet.eventText = eventText(*r.event, r.plan.moment);
    sheet.momentCamera =
        RVXCameraTime::text(r.plan.moment) + QStringLiteral(" (the camera's clock, no time zone)");
    telemetry.fillSheet(sheet);
    sheet.askedFrom = r.plan.windowStart - r.plan.moment;
    sheet.askedTo = r.plan.windowEnd - r.plan.moment;
    fillCut(sheet, r.plan, cuts);
    fillSettings(sheet, r.cardFolder);
    sheet.program = QStringLiteral("RUVEX Viewer " RUVEX_VERSION);
    if (auto e = hashAll(dir, sheet.files))
        return e;
    if (auto e = renderer.write(sheet, dir.filePath(QStringLiteral("sheet.pdf"))))
        return e;
    report(0.92);

    std::vector<RVXEvidenceSheet::File> files;
    if (auto e = hashAll(dir, files))
        return e;
    if (auto e = writeFile(dir.filePath(QStringLiteral("manifest.json")),
                           RVXEvidenceManifest::json(r.plan, cuts, telemetry.momentUtc(), files)))
        return e;
    if (auto e = hashAll(dir, files))
        return e;
    QByteArray sums;
    for (const RVXEvidenceSheet::File& f : files)
        sums += f.sha256.toLatin1() + "  " + f.name.toUtf8() + '\n';
    if (auto e = writeFile(dir.filePath(QStringLiteral("SHA256SUMS")), sums))
        return e;
    if (cancelled())
        return QStringLiteral("cancelled");
    if (auto e = folder.commit())
        return e;
    // The hidden folder was private while it was written; the pack is for handing on.
    QFile::setPermissions(r.target, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                        QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                        QFile::ExeOther);
    report(1.0);
    if (result) {
        result->folder = r.target;
        result->files = files;
        result->cutStart = cuts.start();
    }
    return std::nullopt;
}
