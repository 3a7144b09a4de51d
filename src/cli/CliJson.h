// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

// Writes one JSON object with its keys in the order given, which QJsonObject (sorted
// keys) cannot. Numbers take the shortest form that reads back to the same value.
class CliJson {
public:
    CliJson& add(const char* key, const QString& value);
    CliJson& add(const char* key, const std::optional<QString>& value);
    CliJson& add(const char* key, int64_t value);
    CliJson& add(const char* key, double value);
    CliJson& add(const char* key, bool value);
    // value is already JSON (a nested object or a list).
    CliJson& addRaw(const char* key, const QByteArray& value);
    QByteArray toJson() const { return '{' + m_body + '}'; }

    static QByteArray quoted(const QString& text);
    static QByteArray number(double value);

private:
    CliJson& field(const char* key, const QByteArray& value);
    QByteArray m_body;
};
