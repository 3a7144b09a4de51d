// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliCommands.h"
#include "cli/CliJson.h"
#include "cli/CliLibrary.h"

#include "core/support/RVXCFormat.h"

#include <QHash>

#include <cmath>

namespace {

constexpr const char* kUsage = "usage: ruvex-card library list [--library DIR] [--database URL] "
                               "[--from yyyy-MM-dd] [--to yyyy-MM-dd] "
                               "[--kind event|motion|loop] [--events] [--near LAT,LON --radius M] "
                               "[--box LAT1,LON1,LAT2,LON2] [--trips] [--json]\n";

std::optional<std::vector<double>> numbers(const QString& text, qsizetype count) {
    const QStringList parts = text.split(u',');
    if (parts.size() != count)
        return std::nullopt;
    std::vector<double> out;
    for (const QString& p : parts) {
        bool ok = false;
        const double v = p.trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(v))
            return std::nullopt;
        out.push_back(v);
    }
    return out;
}

bool validPoint(double lat, double lon) {
    return std::abs(lat) <= 90 && std::abs(lon) <= 180;
}

// The query the options ask for; none for options that make no sense.
std::optional<RVXLibraryQuery> queryOf(const CliLibraryArgs& a) {
    RVXLibraryQuery q;
    for (const char* option : {"--from", "--to"}) {
        if (const auto v = a.value(option)) {
            const QDate d = QDate::fromString(*v, QStringLiteral("yyyy-MM-dd"));
            if (!d.isValid())
                return std::nullopt;
            (option[2] == 'f' ? q.from : q.to) = d;
        }
    }
    if (const auto kind = a.value("--kind")) {
        q.kind = RVXLibraryRecording::kindNamed(*kind);
        if (!q.kind)
            return std::nullopt;
    }
    q.eventsOnly = a.has("--events");
    const auto near = a.value("--near"), radius = a.value("--radius"), box = a.value("--box");
    if (bool(near) != bool(radius) || (near && box))
        return std::nullopt;
    if (near) {
        const auto p = numbers(*near, 2);
        bool ok = false;
        const double r = radius->toDouble(&ok);
        if (!p || !ok || !(r > 0) || !validPoint((*p)[0], (*p)[1]))
            return std::nullopt;
        q.place = RVXLibraryPlace::circle((*p)[0], (*p)[1], r);
    }
    if (box) {
        const auto p = numbers(*box, 4);
        if (!p || !validPoint((*p)[0], (*p)[1]) || !validPoint((*p)[2], (*p)[3]))
            return std::nullopt;
        q.place = RVXLibraryPlace::corners((*p)[0], (*p)[1], (*p)[2], (*p)[3]);
    }
    return q;
}

QString momentText(double moment) {
    return RVXLibraryRecording::momentText(int64_t(std::floor(moment)));
}

const char* sideName(int32_t side) {
    switch (side) {
    case 0:
        return "front";
    case 1:
        return "rear";
    default:
        return "none";
    }
}

class Names {
public:
    explicit Names(RVXLibraryIndex& index)
        : m_index(index) {}
    QString fileOf(int64_t id) {
        if (!m_names.contains(id)) {
            const auto r = m_index.recording(id);
            m_names.insert(id, r ? r->path.section(u'/', -1) : QString());
        }
        return m_names.value(id);
    }
    void add(const RVXLibraryRecording& r) { m_names.insert(r.id, r.path.section(u'/', -1)); }

private:
    RVXLibraryIndex& m_index;
    QHash<int64_t, QString> m_names;
};

void listRecordings(RVXLibrary& library, const RVXLibraryQuery& q, bool json) {
    const std::vector<RVXLibraryRecording> found = library.index().recordings(q);
    Names names(library.index());
    for (const RVXLibraryRecording& r : found)
        names.add(r);
    if (!json) {
        if (found.empty())
            return;
        std::vector<QStringList> rows{{QStringLiteral("MOMENT"), QStringLiteral("KIND"),
                                       QStringLiteral("SIDE"), QStringLiteral("SIZE"),
                                       QStringLiteral("STATE"), QStringLiteral("PATH")}};
        for (const RVXLibraryRecording& r : found)
            rows.push_back({RVXLibraryRecording::momentText(r.moment),
                            QLatin1String(RVXLibraryRecording::kindName(r.kind)),
                            QLatin1String(sideName(r.side)), RVXLibraryImport::sizeText(r.size),
                            QLatin1String(RVXLibraryRecording::stateName(r.state)) +
                                (r.isProtected ? QStringLiteral(",protected") : QString()) +
                                (r.clash ? QStringLiteral(",beside") : QString()),
                            r.path});
        cliPrintTable(rows);
        return;
    }
    for (const RVXLibraryRecording& r : found) {
        CliJson j;
        j.add("file", r.path.section(u'/', -1))
            .add("path", library.absolutePath(r.path))
            .add("name", r.name)
            .add("kind", QString::fromLatin1(RVXLibraryRecording::kindName(r.kind)))
            .add("side", QString::fromLatin1(sideName(r.side)))
            .add("moment", RVXLibraryRecording::momentText(r.moment))
            .add("length", r.length)
            .add("size", int64_t(r.size))
            .add("sha256", r.sha256)
            .add("state", QString::fromLatin1(RVXLibraryRecording::stateName(r.state)))
            .add("protected", r.isProtected)
            .add("beside", r.clash)
            .add("partner", r.partner ? std::optional(names.fileOf(r.partner)) : std::nullopt);
        if (r.placeMoment)
            j.add("placeMoment", momentText(*r.placeMoment));
        cliOut(j.toJson() + '\n');
    }
}

void listTrips(RVXLibrary& library, const RVXLibraryQuery& q, bool json) {
    const std::vector<RVXLibraryTrip> found = library.index().trips(q);
    Names names(library.index());
    if (!json) {
        if (found.empty())
            return;
        std::vector<QStringList> rows{{QStringLiteral("ID"), QStringLiteral("START"),
                                       QStringLiteral("END"), QStringLiteral("UNITS"),
                                       QStringLiteral("KM"), QStringLiteral("MAX KM/H")}};
        for (const RVXLibraryTrip& t : found)
            rows.push_back(
                {QString::number(t.id), RVXLibraryRecording::momentText(t.start),
                 momentText(double(t.start) + t.seconds), QString::number(t.units.size()),
                 RVXCFormat("%.3f", t.distanceKm),
                 t.maxSpeedKmh ? RVXCFormat("%.1f", *t.maxSpeedKmh) : QStringLiteral("-")});
        cliPrintTable(rows);
        return;
    }
    for (const RVXLibraryTrip& t : found) {
        QByteArray units = "[";
        for (const RVXLibraryTripUnit& u : t.units) {
            if (units.size() > 1)
                units += ',';
            CliJson uj;
            uj.add("file", names.fileOf(u.recording))
                .add("offset", u.offset)
                .add("length", u.length)
                .add("partner", u.partner ? std::optional(names.fileOf(u.partner)) : std::nullopt);
            units += uj.toJson();
        }
        units += ']';
        CliJson j;
        j.add("id", int64_t(t.id))
            .add("start", RVXLibraryRecording::momentText(t.start))
            .add("end", momentText(double(t.start) + t.seconds))
            .add("seconds", t.seconds)
            .addRaw("units", units)
            .add("distanceKm", std::round(t.distanceKm * 1000) / 1000)
            .addRaw("maxSpeedKmh", t.maxSpeedKmh
                                       ? CliJson::number(std::round(*t.maxSpeedKmh * 10) / 10)
                                       : QByteArray("null"))
            .add("protected", t.isProtected);
        if (t.placeMoment)
            j.add("placeMoment", momentText(*t.placeMoment))
                .add("placeOffset", *t.placeMoment - double(t.start));
        cliOut(j.toJson() + '\n');
    }
}

} // namespace

int runLibraryList(const QStringList& args) {
    const auto a = CliLibraryArgs::parse(
        "list", kUsage, args,
        {QStringLiteral("--from"), QStringLiteral("--to"), QStringLiteral("--kind"),
         QStringLiteral("--near"), QStringLiteral("--radius"), QStringLiteral("--box")},
        {QStringLiteral("--events"), QStringLiteral("--trips"), QStringLiteral("--json")});
    if (!a)
        return CliUsage;
    const std::optional<RVXLibraryQuery> q = queryOf(*a);
    if (!q || !a->positional.isEmpty()) {
        cliErr(QString::fromLatin1(kUsage));
        return CliUsage;
    }
    const std::unique_ptr<RVXLibrary> library = cliOpenLibrary("list", *a, false);
    if (!library)
        return CliNotFound;
    if (a->has("--trips"))
        listTrips(*library, *q, a->has("--json"));
    else
        listRecordings(*library, *q, a->has("--json"));
    return CliOk;
}
