// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <variant>

// Copies of a card's config.bin kept where a reboot does not clear them, before anything
// could lose the card's own: a format, an overwrite in place. One file a copy,
// <yyyyMMdd-HHmmss>-<label>.bin, never removed by the program. They hold the Wi-Fi
// password and the plate: each file 0600 in a folder of 0700.
class RVXKeptSettings {
public:
    // The folder: kept-settings in the program's data folder.
    static QString folder();
    // Keeps the bytes; the path of the copy, or why it could not be written.
    struct Kept {
        QString path;
    };
    static std::variant<Kept, QString> keep(const QByteArray& bytes, const QString& label);
    // The same for a file; a missing or unreadable file is an error.
    static std::variant<Kept, QString> keepFile(const QString& source, const QString& label);
};
