// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliJson.h"

#include "core/telemetry/RVXTelemetryExport.h"

#include <charconv>
#include <cmath>

CliJson& CliJson::field(const char* key, const QByteArray& value) {
    if (!m_body.isEmpty())
        m_body += ',';
    m_body += quoted(QString::fromUtf8(key)) + ':' + value;
    return *this;
}

CliJson& CliJson::add(const char* key, const QString& value) {
    return field(key, quoted(value));
}

CliJson& CliJson::add(const char* key, const std::optional<QString>& value) {
    return field(key, value ? quoted(*value) : QByteArray("null"));
}

CliJson& CliJson::add(const char* key, int64_t value) {
    return field(key, QByteArray::number(qlonglong(value)));
}

CliJson& CliJson::add(const char* key, double value) {
    return field(key, number(value));
}

CliJson& CliJson::add(const char* key, bool value) {
    return field(key, value ? "true" : "false");
}

CliJson& CliJson::addRaw(const char* key, const QByteArray& value) {
    return field(key, value);
}

QByteArray CliJson::quoted(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    out.reserve(utf8.size() + 2);
    out += '"';
    for (const char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20)
                out += QByteArray("\\u00") + QByteArray::number(c, 16).rightJustified(2, '0');
            else
                out += ch;
        }
    }
    out += '"';
    return out;
}

QByteArray CliJson::number(double value) {
    return RVXTelemetryExport::number(value);
}
