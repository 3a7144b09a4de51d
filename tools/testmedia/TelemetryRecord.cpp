// SPDX-License-Identifier: GPL-3.0-or-later
#include "TelemetryRecord.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>

#include <limits>

namespace {

void appendLe32(QByteArray& out, uint32_t v) {
    for (int i = 0; i < 4; ++i, v >>= 8)
        out.append(char(v & 0xff));
}

std::optional<QString> checkNmea(const QByteArray& nmea, qsizetype index) {
    if (nmea.size() > TelemetryRecord::kNmeaSize)
        return QStringLiteral("record %1: NMEA text of %2 bytes, at most %3 fit")
            .arg(index)
            .arg(nmea.size())
            .arg(TelemetryRecord::kNmeaSize);
    return std::nullopt;
}

std::optional<int64_t> integerOf(const QJsonValue& v) {
    if (!v.isDouble())
        return std::nullopt;
    const double d = v.toDouble();
    if (d != double(int64_t(d)))
        return std::nullopt;
    return int64_t(d);
}

bool inInt32(int64_t v) {
    return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
}

QByteArray unescapeLineEnds(QByteArray text) {
    text.replace("\\r", "\r");
    text.replace("\\n", "\n");
    return text;
}

} // namespace

QByteArray TelemetryRecord::toBytes() const {
    QByteArray out;
    out.reserve(kSize);
    appendLe32(out, time);
    appendLe32(out, 0);
    for (int32_t v : {X, Y, Z, T})
        appendLe32(out, uint32_t(v));
    out.append(unit);
    out += nmea.left(kNmeaSize);
    out.append(kSize - out.size(), '\0');
    return out;
}

TelemetryParseResult parseTelemetryJson(const QByteArray& text) {
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(text, &parseError);
    if (doc.isNull())
        return QStringLiteral("JSON: %1 at offset %2")
            .arg(parseError.errorString())
            .arg(parseError.offset);
    const QJsonArray list = doc.isArray() ? doc.array() : doc.object().value(u"records").toArray();
    if (!doc.isArray() && !doc.object().value(u"records").isArray())
        return QStringLiteral("JSON: expected a list of records or {\"records\": [...]}");
    TelemetryRecords records;
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QJsonObject o = list[i].toObject();
        TelemetryRecord r;
        const auto time = integerOf(o.value(u"time"));
        if (!time || *time < 0 || *time > std::numeric_limits<uint32_t>::max())
            return QStringLiteral("record %1: time must be an unsigned 32-bit integer").arg(i);
        r.time = uint32_t(*time);
        int32_t* axes[] = {&r.X, &r.Y, &r.Z, &r.T};
        const char16_t* names[] = {u"X", u"Y", u"Z", u"T"};
        for (int a = 0; a < 4; ++a) {
            const QJsonValue v = o.value(names[a]);
            const auto n = v.isUndefined() ? std::optional<int64_t>(0) : integerOf(v);
            if (!n || !inInt32(*n))
                return QStringLiteral("record %1: %2 must be a signed 32-bit integer")
                    .arg(i)
                    .arg(QString::fromUtf16(names[a]));
            *axes[a] = int32_t(*n);
        }
        const QString unit = o.value(u"unit").toString(QStringLiteral("9"));
        if (unit.size() != 1 || unit[0].unicode() > 0x7f)
            return QStringLiteral("record %1: unit must be one ASCII character").arg(i);
        r.unit = char(unit[0].unicode());
        r.nmea = o.value(u"nmea").toString().toLatin1();
        if (auto e = checkNmea(r.nmea, i))
            return *e;
        records.push_back(r);
    }
    return records;
}

TelemetryParseResult parseTelemetryCsv(const QByteArray& text) {
    TelemetryRecords records;
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QByteArray line = lines[n];
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        if (n == 0 && line.startsWith("time"))
            continue;
        QList<QByteArray> fields;
        qsizetype start = 0;
        for (int f = 0; f < 6; ++f) {
            const qsizetype comma = line.indexOf(',', start);
            if (comma < 0)
                return QStringLiteral("CSV line %1: expected 7 fields").arg(n + 1);
            fields << line.mid(start, comma - start).trimmed();
            start = comma + 1;
        }
        TelemetryRecord r;
        bool ok = false;
        const qulonglong time = fields[0].toULongLong(&ok);
        if (!ok || time > std::numeric_limits<uint32_t>::max())
            return QStringLiteral("CSV line %1: bad time value").arg(n + 1);
        r.time = uint32_t(time);
        int32_t* axes[] = {&r.X, &r.Y, &r.Z, &r.T};
        for (int a = 0; a < 4; ++a) {
            *axes[a] = fields[1 + a].toInt(&ok);
            if (!ok)
                return QStringLiteral("CSV line %1: bad G value '%2'")
                    .arg(n + 1)
                    .arg(QString::fromLatin1(fields[1 + a]));
        }
        if (fields[5].size() != 1)
            return QStringLiteral("CSV line %1: unit must be one character").arg(n + 1);
        r.unit = fields[5][0];
        r.nmea = unescapeLineEnds(line.mid(start));
        if (auto e = checkNmea(r.nmea, qsizetype(records.size())))
            return *e;
        records.push_back(r);
    }
    return records;
}
