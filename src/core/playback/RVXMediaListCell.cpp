// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/playback/RVXMediaListCell.h"

#include "core/support/RVXCFormat.h"
#include "core/support/RVXLocalizedString.h"

const std::array<RVXMediaListCell::Column, 4> RVXMediaListCell::columns = {{
    {"saveMode", "filelist.mode", true},
    {"date", "filelist.date", true},
    {"time", "filelist.time", true},
    {"file", "filelist.file", false},
}};

const char* RVXMediaListCell::kindWord(const RVXMedia& media) {
    if (media.isAlwaysMedia())
        return "alwa";
    if (media.isMotionMedia())
        return "motion";
    if (media.isEventMedia())
        return "event";
    return nullptr;
}

const char* RVXMediaListCell::kindTextKey(const RVXMedia& media) {
    if (media.isAlwaysMedia())
        return "media.always";
    if (media.isMotionMedia())
        return "media.motion";
    if (media.isEventMedia())
        return "media.event";
    return "media.unknown";
}

const char* RVXMediaListCell::sideWord(const RVXMedia& media) {
    if (media.isFrontMedia())
        return "front";
    if (media.isRearMedia())
        return "rear";
    return nullptr;
}

RVXMediaListCell RVXMediaListCell::cellForColumn(const RVXMedia& media, QStringView identifier) {
    RVXMediaListCell cell;
    if (identifier == u"saveMode") {
        cell.text = RVXLocalizedString(kindTextKey(media));
        const char* kind = kindWord(media);
        const char* side = sideWord(media);
        if (kind && side)
            cell.iconName =
                QStringLiteral("car_%1_%2").arg(QLatin1String(side), QLatin1String(kind));
    } else if (identifier == u"date") {
        if (media.year() >= 1)
            cell.text = RVXCFormat("%04d-%02d-%02d", media.year(), media.month(), media.day());
    } else if (identifier == u"time") {
        if (media.year() > 0)
            cell.text = RVXCFormat("%02d:%02d:%02d", media.hour(), media.minute(), media.second());
    } else if (identifier == u"file") {
        cell.text = media.fileName();
    }
    return cell;
}
