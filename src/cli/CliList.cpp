// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliCommands.h"

#include "cli/CliJson.h"

#include "core/catalogue/RVXMediaList.h"
#include "core/media/RVXRecordingDiagnosis.h"
#include "core/support/RVXCFormat.h"

#include <algorithm>

namespace {

QString kindName(int32_t division) {
    switch (division) {
    case RVXMediaDivisionMotion:
        return QStringLiteral("motion");
    case RVXMediaDivisionEvent:
        return QStringLiteral("event");
    default:
        return QStringLiteral("continuous");
    }
}

QString sideName(int32_t direction) {
    switch (direction) {
    case RVXMediaDirectionFront:
        return QStringLiteral("front");
    case RVXMediaDirectionRear:
        return QStringLiteral("rear");
    default:
        return QStringLiteral("none");
    }
}

QString dateText(const RVXMedia& m) {
    return m.hasMoment() ? RVXCFormat("%04d-%02d-%02d", m.year(), m.month(), m.day())
                         : QStringLiteral("-");
}

QString timeText(const RVXMedia& m) {
    return m.hasMoment() ? RVXCFormat("%02d:%02d:%02d", m.hour(), m.minute(), m.second())
                         : QStringLiteral("-");
}

QByteArray jsonLine(const RVXMediaList& list, qsizetype index, const RVXMedia& m) {
    std::optional<QString> partner;
    if (const RVXMediaPairRef pair = list.findMediaPairWithFileName(m.fileName())) {
        if (const RVXMediaRef other = pair->partnerOf(m))
            partner = other->fileName();
    }
    CliJson json;
    json.add("index", int64_t(index))
        .add("path", m.path())
        .add("fileName", m.fileName())
        .add("mediaName", m.mediaName())
        .add("extension", m.extension())
        .add("dir", m.dir())
        .add("mediaDivision", int64_t(m.mediaDivision()))
        .add("mediaDirection", int64_t(m.mediaDirection()))
        .add("year", int64_t(m.year()))
        .add("month", int64_t(m.month()))
        .add("day", int64_t(m.day()))
        .add("hour", int64_t(m.hour()))
        .add("minute", int64_t(m.minute()))
        .add("second", int64_t(m.second()))
        .add("group", m.mediaGroupName())
        .add("partner", partner)
        // A recording the camera never closed: open-ended media data and no index.
        .add("state", QString::fromLatin1(RVXRecordingDiagnosis::stateName(
                          RVXRecordingDiagnosis::diagnose(m.path()).state)));
    return json.toJson() + '\n';
}

void printTable(const std::vector<RVXMediaRef>& medias) {
    if (medias.empty())
        return;
    std::vector<QStringList> rows{{QStringLiteral("KIND"), QStringLiteral("SIDE"),
                                   QStringLiteral("DATE"), QStringLiteral("TIME"),
                                   QStringLiteral("FILE")}};
    for (const RVXMediaRef& m : medias)
        rows.push_back({kindName(m->mediaDivision()), sideName(m->mediaDirection()), dateText(*m),
                        timeText(*m), m->fileName()});
    cliPrintTable(rows);
}

} // namespace

int runList(const QStringList& args) {
    bool json = false;
    const std::optional<QString> dir = cliFolderArgument("list", args, &json);
    if (!dir)
        return CliUsage;
    RVXMediaList list;
    list.setDirectoryPath(*dir);
    list.waitForWalks();
    const std::vector<RVXMediaRef> medias = list.medias();
    // Said apart from the output, which stays empty for a script to read as "none".
    if (medias.empty())
        cliErr(QStringLiteral("ruvex-card list: no recordings in %1\n").arg(*dir));
    if (!json) {
        printTable(medias);
        return CliOk;
    }
    for (size_t i = 0; i < medias.size(); ++i)
        cliOut(jsonLine(list, qsizetype(i), *medias[i]));
    return CliOk;
}
