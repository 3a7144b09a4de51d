// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/evidence/RVXEvidenceCuts.h"

#include "core/evidence/RVXCameraTime.h"
#include "core/media/RVXRecordingDiagnosis.h"
#include "core/support/RVXCFormat.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace {

// Rounding of the containers' time bases, well under a frame.
constexpr double kSlack = 0.002;
constexpr double kUsualFrame = 1.0 / 30;

QString sideName(bool rear) {
    return rear ? QStringLiteral("rear") : QStringLiteral("front");
}

// Why a recording cannot be cut; empty when it can.
QString unusable(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    switch (RVXRecordingDiagnosis::diagnose(path).state) {
    case RVXRecordingDiagnosis::State::Healthy:
        return {};
    case RVXRecordingDiagnosis::State::CutShort:
        return QStringLiteral("%1 is cut short (no index)").arg(name);
    case RVXRecordingDiagnosis::State::NotARecording:
        break;
    }
    return QStringLiteral("%1 cannot be read as a recording").arg(name);
}

} // namespace

RVXEvidenceCuts RVXEvidenceCuts::of(const RVXEvidencePlan& plan) {
    RVXEvidenceCuts cuts;
    std::vector<Skipped> skipped[2];
    for (const bool rear : {false, true}) {
        for (const RVXCutPiece& p : plan.pieces(rear)) {
            QString why = unusable(p.path);
            RVXCutSpan span;
            if (why.isEmpty()) {
                if (auto e = RVXStreamCut::span(p, span))
                    why = e->replace(p.path, QFileInfo(p.path).fileName());
            }
            if (!why.isEmpty()) {
                skipped[rear].push_back({p, why});
                continue;
            }
            cuts.addPiece(rear, p, span, skipped[rear].size());
        }
    }
    cuts.m_askedFrom = cuts.m_start = plan.windowStart;
    cuts.m_askedTo = cuts.m_end = plan.windowEnd;
    if (!cuts.m_videos.empty()) {
        cuts.m_start = INFINITY;
        cuts.m_end = -INFINITY;
        for (const RVXEvidenceVideo& v : cuts.m_videos) {
            cuts.m_start = std::min(cuts.m_start, v.from);
            cuts.m_end = std::max(cuts.m_end, v.to);
        }
    }
    for (const bool rear : {false, true})
        cuts.nameAndFindGaps(rear, skipped[rear]);
    return cuts;
}

void RVXEvidenceCuts::addPiece(bool rear, const RVXCutPiece& piece, const RVXCutSpan& span,
                               size_t skippedBefore) {
    const double first = piece.origin + span.keyframe, end = piece.origin + span.end;
    RVXEvidenceVideo* last = nullptr;
    for (RVXEvidenceVideo& v : m_videos) {
        if (v.rear == rear)
            last = &v;
    }
    // A recording left out since the last piece breaks the file even where the next one
    // happens to start on time: the file would hide that it is missing.
    const bool joins = last && last->skippedBefore == skippedBefore &&
                       std::abs(first - last->to) <= std::max(span.frame, last->frame) + kSlack &&
                       RVXStreamCut::compatible(last->pieces.front().path, piece.path);
    if (joins) {
        last->pieces.push_back(piece);
        last->to = end;
        return;
    }
    RVXEvidenceVideo v;
    v.rear = rear;
    v.pieces = {piece};
    v.from = first;
    v.to = end;
    v.frame = span.frame;
    v.skippedBefore = skippedBefore;
    m_videos.push_back(std::move(v));
}

void RVXEvidenceCuts::nameAndFindGaps(bool rear, const std::vector<Skipped>& skipped) {
    std::vector<RVXEvidenceVideo*> side;
    for (RVXEvidenceVideo& v : m_videos) {
        if (v.rear == rear)
            side.push_back(&v);
    }
    for (size_t i = 0; i < side.size(); ++i)
        side[i]->name = side.size() == 1
                            ? sideName(rear) + QStringLiteral(".mp4")
                            : QStringLiteral("%1-%2.mp4").arg(sideName(rear)).arg(i + 1);
    const auto gap = [&](double from, double to) {
        QStringList why;
        for (const Skipped& s : skipped) {
            if (s.piece.origin + s.piece.from < to && s.piece.origin + s.piece.to > from)
                why << s.why;
        }
        m_gaps.push_back({rear, from, to, why.join(QStringLiteral("; "))});
    };
    // Measured against the window asked, not the other camera's files: each camera's cut
    // starts at its own keyframe and may end a few frames past the window.
    double cursor = m_askedFrom;
    for (const RVXEvidenceVideo* v : side) {
        if (v->from > cursor + v->frame + kSlack)
            gap(cursor, v->from);
        cursor = std::max(cursor, v->to);
    }
    const double frame = side.empty() ? kUsualFrame : side.back()->frame;
    if (m_askedTo > cursor + frame + kSlack)
        gap(cursor, m_askedTo);
}

std::optional<QString> RVXEvidenceCuts::write(const QDir& dir,
                                              const std::atomic<bool>* cancel) const {
    for (const RVXEvidenceVideo& v : m_videos) {
        if (auto e = RVXStreamCut::cut(v.pieces, dir.filePath(v.name), nullptr, cancel, m_start))
            return e;
    }
    return std::nullopt;
}

QStringList RVXEvidenceCuts::notes() const {
    QStringList out;
    for (const bool rear : {false, true}) {
        for (const RVXEvidenceGap& g : m_gaps) {
            if (g.rear != rear)
                continue;
            const QString span =
                QStringLiteral("from %1 to %2")
                    .arg(RVXCameraTime::tenths(g.from), RVXCameraTime::tenths(g.to));
            out << (g.why.isEmpty()
                        ? QStringLiteral("%1: no recording %2").arg(sideName(rear), span)
                        : QStringLiteral("%1: no cut %2: %3; it is whole in originals/")
                              .arg(sideName(rear), span, g.why));
        }
        const RVXEvidenceVideo* before = nullptr;
        for (const RVXEvidenceVideo& v : m_videos) {
            if (v.rear != rear)
                continue;
            if (before && v.from < before->to - v.frame - kSlack)
                out << RVXCFormat("%s starts %.1f s before %s ends: its cut begins at the "
                                  "keyframe before where its recording plays on.",
                                  qPrintable(v.name), before->to - v.from,
                                  qPrintable(before->name));
            before = &v;
        }
    }
    return out;
}
