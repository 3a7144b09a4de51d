// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/evidence/RVXEvidenceManifest.h"

#include "core/evidence/RVXCameraTime.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "RVXVersion.h"

QByteArray RVXEvidenceManifest::json(const RVXEvidencePlan& plan, const RVXEvidenceCuts& cuts,
                                     const std::optional<QDateTime>& momentUtc,
                                     const std::vector<RVXEvidenceSheet::File>& files) {
    const auto span = [](double from, double to) {
        return QJsonObject{{QStringLiteral("from"), RVXCameraTime::text(from)},
                           {QStringLiteral("to"), RVXCameraTime::text(to)}};
    };
    QJsonArray list;
    for (const RVXEvidenceSheet::File& f : files) {
        QJsonObject entry{{QStringLiteral("name"), f.name},
                          {QStringLiteral("size"), f.size},
                          {QStringLiteral("sha256"), f.sha256}};
        for (const RVXEvidenceVideo& v : cuts.videos()) {
            if (v.name == f.name) {
                entry.insert(QStringLiteral("from"), RVXCameraTime::text(v.from));
                entry.insert(QStringLiteral("to"), RVXCameraTime::text(v.to));
            }
        }
        list.append(entry);
    }
    QJsonArray gaps;
    for (const RVXEvidenceGap& g : cuts.gaps()) {
        QJsonObject gap = span(g.from, g.to);
        gap.insert(QStringLiteral("camera"),
                   g.rear ? QStringLiteral("rear") : QStringLiteral("front"));
        gap.insert(QStringLiteral("why"), g.why.isEmpty() ? QStringLiteral("no recording") : g.why);
        gaps.append(gap);
    }
    QJsonObject manifest{
        {QStringLiteral("cameraTime"),
         QStringLiteral("Times without a zone are the camera's own clock as it named its "
                        "recordings; it has no time zone. Times ending in Z are UTC. Every "
                        "video file's second 0 is windowCut.from; one that starts later "
                        "begins with an empty edit.")},
        {QStringLiteral("moment"), RVXCameraTime::text(plan.moment)},
        {QStringLiteral("windowAsked"), span(plan.windowStart, plan.windowEnd)},
        {QStringLiteral("windowCut"), span(cuts.start(), cuts.end())},
        {QStringLiteral("gaps"), gaps},
        {QStringLiteral("program"), QStringLiteral("RUVEX Viewer " RUVEX_VERSION)},
        {QStringLiteral("files"), list}};
    if (momentUtc)
        manifest.insert(QStringLiteral("momentUtc"),
                        momentUtc->toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz'Z'")));
    return QJsonDocument(manifest).toJson(QJsonDocument::Indented);
}
