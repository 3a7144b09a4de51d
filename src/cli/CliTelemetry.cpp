// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliCommands.h"
#include "cli/CliGpsJson.h"
#include "cli/CliJson.h"

#include "core/telemetry/RVXBlackBoxData.h"
#include "core/telemetry/RVXNmeaToDegrees.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace {

constexpr double kKmhPerKnot = 1.852;
constexpr double kMetresPerSecondPerKnot = 1852.0 / 3600.0;

QByteArray recordJson(const RVXBlackBoxData& b, size_t i) {
    const RVXAviGSensorData& raw = b.m_vGSensorData[i];
    const RVXGSensor& g = b.m_GSensors[i];
    const RVXAviGpsData& gps = b.m_vGpsData[i];
    return CliJson()
        .add("time", int64_t(b.m_Times[i]))
        .add("X", int64_t(raw.X))
        .add("Y", int64_t(raw.Y))
        .add("Z", int64_t(raw.Z))
        .add("T", int64_t(raw.T))
        .add("x", double(g.x))
        .add("y", double(g.y))
        .add("z", double(g.z))
        .add("unit", characterText(gps.unit()))
        .add("gpsString", QString::fromLatin1(gps.gpsString().toByteArray().toBase64()))
        .toJson();
}

QByteArray toJson(const RVXBlackBoxData& b) {
    QByteArray out = "{\"records\":[";
    for (size_t i = 0; i < b.m_Times.size(); ++i)
        out += (i ? ",\n" : "\n") + recordJson(b, i);
    out += "\n],\"nmeas\":[";
    for (size_t i = 0; i < b.m_NMEAs.size(); ++i)
        out += (i ? ",\n" : "\n") + gpsDataJson(b.m_NMEAs[i]);
    return out + "\n]}\n";
}

struct Position {
    double latitude, longitude;
};

// Hemisphere letters turned into signs, as the map is given them.
Position degreesOf(const RVXGpsData& fix) {
    Position p{};
    RVXNmeaToDegrees(fix.EW == 'E' ? fix.Longitude : -fix.Longitude,
                     fix.NS == 'N' ? fix.Latitude : -fix.Latitude, &p.longitude, &p.latitude);
    return p;
}

QByteArray toCsv(const RVXBlackBoxData& b) {
    QByteArray out = "index,time,x,y,z,unit,latitude,longitude,speed_kmh,hdop,satellites\n";
    for (size_t i = 0; i < b.m_Times.size(); ++i) {
        const RVXGSensor& g = b.m_GSensors[i];
        QByteArray line = QByteArray::number(qulonglong(i)) + ',' +
                          QByteArray::number(b.m_Times[i]) + ',' + CliJson::number(g.x) + ',' +
                          CliJson::number(g.y) + ',' + CliJson::number(g.z) + ',';
        const char unit = b.m_vGpsData[i].unit();
        // A unit that is not printable would break the line; the camera writes digits.
        if (unit > ' ' && unit < 0x7f && unit != ',')
            line += unit;
        line += ',';
        if (i < b.m_NMEAs.size()) {
            const RVXGpsData& fix = b.m_NMEAs[i];
            const Position p = degreesOf(fix);
            line += CliJson::number(p.latitude) + ',' + CliJson::number(p.longitude) + ',' +
                    CliJson::number(fix.SpeedOverGround * kKmhPerKnot) + ',' +
                    CliJson::number(fix.HDOP) + ',' + QByteArray::number(fix.SatelliteUsedCount);
        } else {
            line += ",,,,";
        }
        out += line + '\n';
    }
    return out;
}

std::optional<QDateTime> timeOf(const _SYSTEMTIME& t) {
    if (!t.isSet())
        return std::nullopt;
    const QDate date(t.wYear, t.wMonth, t.wDay);
    const QTime time(t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time, Qt::UTC);
}

QByteArray xmlEscaped(const QString& text) {
    return text.toHtmlEscaped().toUtf8();
}

// Every fix with a position, but one point for a run of fixes that say the same: the
// sentences of one second repeat the position, and a track should not.
QByteArray toGpx(const RVXBlackBoxData& b, const QString& name) {
    QByteArray out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<gpx version=\"1.1\" creator=\"ruvex-card\" xmlns=\"http://www.topografix.com/GPX/1/1\""
        " xmlns:gpxtpx=\"http://www.garmin.com/xmlschemas/TrackPointExtension/v2\">\n"
        "<trk><name>" +
        xmlEscaped(name) + "</name><trkseg>\n";
    QByteArray previous;
    for (const RVXGpsData& fix : b.m_NMEAs) {
        if (fix.Latitude == 0 && fix.Longitude == 0)
            continue;
        const Position p = degreesOf(fix);
        QByteArray point = "<trkpt lat=\"" + CliJson::number(p.latitude) + "\" lon=\"" +
                           CliJson::number(p.longitude) + "\">";
        if (const auto when = timeOf(fix.Now))
            point += "<time>" + when->toString(Qt::ISODateWithMs).toLatin1() + "</time>";
        point += "<extensions><gpxtpx:TrackPointExtension><gpxtpx:speed>" +
                 CliJson::number(fix.SpeedOverGround * kMetresPerSecondPerKnot) +
                 "</gpxtpx:speed></gpxtpx:TrackPointExtension></extensions></trkpt>\n";
        if (point != previous)
            out += point;
        previous = point;
    }
    return out + "</trkseg></trk>\n</gpx>\n";
}

} // namespace

int runTelemetry(const QStringList& args) {
    QString format = QStringLiteral("json");
    QStringList positional;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == u"--format" && i + 1 < args.size())
            format = args[++i];
        else if (args[i].startsWith(u"--format="))
            format = args[i].mid(9);
        else if (args[i].startsWith(u'-'))
            positional << QString(); // an unknown option is a usage error
        else
            positional << args[i];
    }
    if (positional.size() != 1 || positional[0].isEmpty() ||
        (format != u"json" && format != u"csv" && format != u"gpx")) {
        cliErr(QStringLiteral("usage: ruvex-card telemetry FILE [--format json|csv|gpx]\n"));
        return CliUsage;
    }
    RVXBlackBoxData data;
    if (!data.ExtractStreamInformation(QFile::encodeName(positional[0]).constData())) {
        cliErr(
            QStringLiteral(
                "ruvex-card telemetry: %1: no telemetry track found (missing file, or not a camera "
                "recording)\n")
                .arg(positional[0]));
        return CliNotFound;
    }
    if (format == u"csv")
        cliOut(toCsv(data));
    else if (format == u"gpx")
        cliOut(toGpx(data, QFileInfo(positional[0]).completeBaseName()));
    else
        cliOut(toJson(data));
    return CliOk;
}
