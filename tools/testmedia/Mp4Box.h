// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

// An ISO base media box held in memory: either a payload or, for the container types
// the recording writer has to edit, a list of children. Enough to rearrange what
// ffmpeg writes into the camera's layout; not a general MP4 library.
struct Mp4Box {
    QByteArray type; // four characters
    QByteArray payload;
    std::vector<Mp4Box> children;
    bool container = false;

    static Mp4Box leaf(const char* type, QByteArray payload);
    static Mp4Box node(const char* type, std::vector<Mp4Box> children);
    static bool isContainerType(QByteArrayView type);

    // Parses a sequence of boxes; 64-bit sizes and size 0 ("to the end") are understood.
    static std::optional<std::vector<Mp4Box>> parseList(QByteArrayView data, QString* error);

    uint64_t size() const;
    QByteArray serialize() const;
    void serializeInto(QByteArray& out) const;

    Mp4Box* child(QByteArrayView childType);
    const Mp4Box* child(QByteArrayView childType) const;
    // Follows a path of child types such as {"mdia", "minf", "stbl"}.
    Mp4Box* descend(std::initializer_list<const char*> path);
};

// Big-endian helpers for box payloads.
void appendU8(QByteArray& out, uint8_t v);
void appendU16(QByteArray& out, uint16_t v);
void appendU32(QByteArray& out, uint32_t v);
void appendU64(QByteArray& out, uint64_t v);
uint32_t readU32(QByteArrayView data, qsizetype offset);
uint64_t readU64(QByteArrayView data, qsizetype offset);
void writeU32(QByteArray& data, qsizetype offset, uint32_t v);
void writeU64(QByteArray& data, qsizetype offset, uint64_t v);
