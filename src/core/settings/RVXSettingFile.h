// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/settings/_FILEDATA.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QTimeZone>

#include <array>
#include <optional>

// The camera's time zones: offsets from UTC as hours x 100 + minutes; time_gmt holds
// an index into this table.
inline constexpr std::array<int, 34> kRVXTimeZoneTable = {
    -1200, -1100, -1000, -900, -800, -700, -600, -500, -430, -400, -330, -300,
    -200,  -100,  0,     100,  200,  300,  330,  400,  430,  500,  530,  545,
    600,   630,   700,   800,  900,  930,  1000, 1100, 1200, 1300};

// The record as it lies on the card, and back. A short input changes only the bytes
// that arrived.
QByteArray RVXSettingBytes(const _FILEDATA& record);
void RVXSettingFromBytes(const QByteArray& bytes, _FILEDATA& record);

// Reads up to 500 bytes of path into record; false (record unchanged) when the file
// cannot be opened.
bool readSettingFile(const QString& path, _FILEDATA& record);
// Nothing on success, else "msg.file_open_fail". The old file stays whole until the new
// one is safely on the card.
std::optional<QString> writeSettingFile(const _FILEDATA& record, const QString& path);
// The same for bytes as they are (a kept copy put back).
std::optional<QString> writeSettingBytes(const QByteArray& bytes, const QString& path);
void makeDefaultSetting(_FILEDATA& record);
std::optional<QString> writeDefaultSettingFile(const QString& path);
// What is wrong with a config.bin, for the user: of the wrong size, or sealed with a
// checksum its bytes do not give (an unsealed record, checksum 0, is a camera's fresh
// one); nothing when it is sound or absent.
std::optional<QString> settingFileDamage(const QString& path);

// The editor's step before a save: the overlay flag from the plate text, then the
// checksum over everything after the first four bytes.
void RVXSealSetting(_FILEDATA& record);
uint16_t RVXSettingChecksum(const _FILEDATA& record);

// Text fields hold UTF-8, cut to the field, NUL-padded, with no terminator when full.
void RVXSetSettingText(char* field, int width, const QString& text);
QString RVXSettingText(const char* field, int width);

int findTimeZoneIndex();
int findTimeZoneIndex(const QTimeZone& zone, const QDateTime& at);
int findTimeZoneIndexForOffset(int secondsFromUtc);
