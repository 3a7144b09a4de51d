// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/library/RVXLibraryRecording.h"

#include "core/catalogue/RVXMedia.h"

#include <QDateTime>

const char* RVXLibraryRecording::stateName(State state) {
    switch (state) {
    case State::Cut:
        return "cut";
    case State::Repaired:
        return "repaired";
    case State::Ok:
        break;
    }
    return "ok";
}

std::optional<RVXLibraryRecording::State> RVXLibraryRecording::stateNamed(const QString& name) {
    for (State s : {State::Ok, State::Cut, State::Repaired}) {
        if (name == QLatin1String(stateName(s)))
            return s;
    }
    return std::nullopt;
}

const char* RVXLibraryRecording::kindName(int32_t kind) {
    switch (kind) {
    case RVXMediaDivisionMotion:
        return "motion";
    case RVXMediaDivisionEvent:
        return "event";
    default:
        return "loop";
    }
}

std::optional<int32_t> RVXLibraryRecording::kindNamed(const QString& name) {
    // The camera's own prefix and the catalogue's word stand for the loop as well.
    if (name == u"loop" || name == u"alwa" || name == u"continuous")
        return RVXMediaDivisionAlways;
    if (name == u"motion")
        return RVXMediaDivisionMotion;
    if (name == u"event")
        return RVXMediaDivisionEvent;
    return std::nullopt;
}

QString RVXLibraryRecording::momentText(int64_t moment) {
    return QDateTime::fromSecsSinceEpoch(moment, Qt::UTC)
        .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}
