// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliCommands.h"

#include "cli/CliJson.h"

#include "core/catalogue/RVXMediaList.h"
#include "core/catalogue/RVXTrip.h"
#include "core/catalogue/RVXTripTelemetry.h"
#include "core/playback/RVXTripTimeline.h"
#include "core/support/RVXCFormat.h"

#include <algorithm>
#include <cmath>

namespace {

const char* kindKey(int32_t division) {
    switch (division) {
    case RVXMediaDivisionMotion:
        return "motion";
    case RVXMediaDivisionEvent:
        return "event";
    default:
        return "alwa";
    }
}

QString clockText(const QDateTime& time) {
    return time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}

// The end to the second below: a trip that ends at 08:15:56.9 ends at 08:15:56.
QString endText(const RVXTrip& trip) {
    return clockText(RVXTrip::clockTimeOf(int64_t(std::floor(trip.end()))));
}

double rounded(double value, double scale) {
    return std::round(value * scale) / scale;
}

QByteArray unitJson(const RVXTripUnit& unit) {
    CliJson json;
    json.add("file", unit.media->fileName())
        .add("offset", unit.offset)
        .add("length", unit.length)
        .add("kind", QString::fromLatin1(kindKey(unit.media->mediaDivision())))
        .add("partner",
             unit.partner ? std::optional<QString>(unit.partner->fileName()) : std::nullopt);
    return json.toJson();
}

QByteArray tripJson(size_t index, const RVXTrip& trip, const RVXTripTelemetry& telemetry) {
    QByteArray units = "[";
    for (const RVXTripUnit& unit : trip.units()) {
        if (units.size() > 1)
            units += ',';
        units += unitJson(unit);
    }
    units += ']';
    CliJson json;
    json.add("index", int64_t(index))
        .add("start", clockText(trip.clockTime()))
        .add("end", endText(trip))
        .add("seconds", trip.seconds())
        .addRaw("units", units)
        .add("distanceKm", rounded(telemetry.distanceKm, 1000));
    if (telemetry.maxSpeedKmh)
        json.add("maxSpeedKmh", rounded(*telemetry.maxSpeedKmh, 10));
    else
        json.addRaw("maxSpeedKmh", "null");
    return json.toJson() + '\n';
}

void printTable(const std::vector<RVXTrip>& trips, const std::vector<RVXTripTelemetry>& telemetry) {
    if (trips.empty())
        return;
    std::vector<QStringList> rows{{QStringLiteral("START"), QStringLiteral("END"),
                                   QStringLiteral("LENGTH"), QStringLiteral("UNITS"),
                                   QStringLiteral("KM"), QStringLiteral("MAX KM/H")}};
    for (size_t i = 0; i < trips.size(); ++i) {
        const RVXTripTelemetry& t = telemetry[i];
        rows.push_back({clockText(trips[i].clockTime()), endText(trips[i]),
                        RVXTripTimeline::durationText(trips[i].seconds()),
                        QString::number(trips[i].units().size()), RVXCFormat("%.3f", t.distanceKm),
                        t.maxSpeedKmh ? RVXCFormat("%.1f", *t.maxSpeedKmh) : QStringLiteral("-")});
    }
    cliPrintTable(rows);
}

} // namespace

int runTrips(const QStringList& args) {
    bool json = false;
    const std::optional<QString> dir = cliFolderArgument("trips", args, &json);
    if (!dir)
        return CliUsage;
    RVXMediaList list;
    list.setDirectoryPath(*dir);
    list.waitForWalks();
    const std::vector<RVXTrip> trips = RVXTrip::tripsOfList(list);
    std::vector<RVXTripTelemetry> telemetry;
    telemetry.reserve(trips.size());
    for (const RVXTrip& trip : trips)
        telemetry.push_back(RVXTripTelemetry::read(trip).value_or(RVXTripTelemetry{}));
    if (!json) {
        printTable(trips, telemetry);
        return CliOk;
    }
    for (size_t i = 0; i < trips.size(); ++i)
        cliOut(tripJson(i, trips[i], telemetry[i]));
    return CliOk;
}
