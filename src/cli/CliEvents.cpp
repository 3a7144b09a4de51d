// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliCommands.h"

#include "cli/CliJson.h"

#include "core/catalogue/RVXMediaList.h"
#include "core/scan/RVXCardScan.h"
#include "core/support/RVXCFormat.h"

#include <algorithm>
#include <cmath>

namespace {

double rounded(double value, double scale) {
    return std::round(value * scale) / scale;
}

std::optional<RVXCardScan::Result> scanFolder(const QString& dir) {
    RVXMediaList list;
    list.setDirectoryPath(dir);
    list.waitForWalks();
    std::vector<RVXTripUnit> units = RVXTrip::unitsOfList(list);
    RVXTrip::readLengths(units);
    return RVXCardScan::scan(units, RVXScanSettings::forFolder(dir));
}

QString momentText(double moment) {
    const int64_t ms = std::llround(moment * 1000);
    return RVXTrip::clockTimeOf(0).addMSecs(ms).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
}

QByteArray number(std::optional<double> value, double scale) {
    return value ? CliJson::number(rounded(*value, scale)) : QByteArray("null");
}

QByteArray eventJson(const RVXScanEvent& e) {
    using Kind = RVXScanEvent::Kind;
    CliJson json;
    json.add("kind", QString::fromLatin1(RVXScanEvent::kindName(e.kind)))
        .add("moment", momentText(e.moment))
        .add("file", e.media->fileName())
        .add("offset", rounded(e.offset, 1000));
    if (e.kind == Kind::Impact) {
        CliJson peak;
        peak.add("x", rounded(e.x, 1000))
            .add("y", rounded(e.y, 1000))
            .add("z", rounded(e.z, 1000))
            .add("magnitude", rounded(e.magnitude, 1000));
        json.addRaw("peak", peak.toJson()).add("axes", e.axes);
    } else {
        json.add("peak", rounded(e.acceleration, 100));
    }
    json.addRaw("speedKmh", number(e.speedKmh, 10))
        .addRaw("lat", number(e.latitude, 1e6))
        .addRaw("lon", number(e.longitude, 1e6));
    return json.toJson() + '\n';
}

QString peakText(const RVXScanEvent& e) {
    if (e.kind == RVXScanEvent::Kind::Impact)
        return RVXCFormat("%.2f g %s", e.magnitude, qPrintable(e.axes));
    return RVXCFormat("%.2f m/s2", e.acceleration);
}

void printEvents(const std::vector<RVXScanEvent>& events) {
    if (events.empty())
        return;
    std::vector<QStringList> rows{{QStringLiteral("MOMENT"), QStringLiteral("KIND"),
                                   QStringLiteral("PEAK"), QStringLiteral("KM/H"),
                                   QStringLiteral("PLACE"), QStringLiteral("FILE")}};
    for (const RVXScanEvent& e : events) {
        rows.push_back(
            {momentText(e.moment), QString::fromLatin1(RVXScanEvent::kindName(e.kind)), peakText(e),
             e.speedKmh ? RVXCFormat("%.1f", *e.speedKmh) : QStringLiteral("-"),
             e.latitude ? RVXCFormat("%.6f,%.6f", *e.latitude, *e.longitude) : QStringLiteral("-"),
             RVXCFormat("%s +%.1f s", qPrintable(e.media->fileName()), e.offset)});
    }
    cliPrintTable(rows);
}

} // namespace

int runEvents(const QStringList& args) {
    bool json = false;
    const std::optional<QString> dir = cliFolderArgument("events", args, &json);
    if (!dir)
        return CliUsage;
    const std::optional<RVXCardScan::Result> result = scanFolder(*dir);
    if (!result)
        return CliNotFound;
    if (result->skipped > 0)
        cliErr(QStringLiteral("ruvex-card events: %1 of %2 recordings had no readable telemetry\n")
                   .arg(result->skipped)
                   .arg(result->units));
    if (!json) {
        printEvents(result->events);
        return CliOk;
    }
    for (const RVXScanEvent& e : result->events)
        cliOut(eventJson(e));
    return CliOk;
}

int runClock(const QStringList& args) {
    bool json = false;
    const std::optional<QString> dir = cliFolderArgument("clock", args, &json);
    if (!dir)
        return CliUsage;
    const std::optional<RVXCardScan::Result> result = scanFolder(*dir);
    if (!result)
        return CliNotFound;
    const RVXClockCheck& c = result->clock;
    if (json) {
        CliJson out;
        out.add("units", int64_t(c.units))
            .addRaw("offsetSeconds", number(c.offsetSeconds, 10))
            .add("state", QString::fromLatin1(RVXClockCheck::stateName(c.state)))
            .add("zoneMinutesOff", int64_t(c.zoneMinutesOff));
        cliOut(out.toJson() + '\n');
        return CliOk;
    }
    cliOut(
        QStringLiteral(
            "units           %1\noffset seconds  %2\nstate           %3\nzone off (min)  %4\n%5\n")
            .arg(c.units)
            .arg(c.offsetSeconds ? RVXCFormat("%.1f", *c.offsetSeconds) : QStringLiteral("-"))
            .arg(QLatin1String(RVXClockCheck::stateName(c.state)))
            .arg(c.zoneMinutesOff)
            .arg(c.sentence()));
    return CliOk;
}
