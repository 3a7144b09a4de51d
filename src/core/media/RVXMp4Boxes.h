// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>
#include <optional>
#include <vector>

// Boxes of an MP4 held in memory (a moov, not the media data): where each is, read
// defensively, and the few big-endian helpers the repair writes its index with.
struct RVXMp4Box {
    QByteArray type;
    qsizetype start = 0;   // of the header
    qsizetype payload = 0; // first byte after the header
    qsizetype end = 0;

    QByteArrayView bytes(QByteArrayView in) const { return in.sliced(start, end - start); }
    QByteArrayView body(QByteArrayView in) const { return in.sliced(payload, end - payload); }

    // The boxes in [from, to) of data; a damaged size ends the list.
    static std::vector<RVXMp4Box> children(QByteArrayView data, qsizetype from, qsizetype to);
    static std::optional<RVXMp4Box> child(QByteArrayView data, const RVXMp4Box& parent,
                                          const char* type);
    static std::optional<RVXMp4Box> descend(QByteArrayView data, const RVXMp4Box& parent,
                                            std::initializer_list<const char*> path);

    static uint32_t u32(QByteArrayView data, qsizetype at);
    static uint64_t u64(QByteArrayView data, qsizetype at);
    static void put32(QByteArray& out, uint32_t v);
    static void put64(QByteArray& out, uint64_t v);
    static void set32(QByteArray& data, qsizetype at, uint32_t v);
    // A box of type around payload.
    static QByteArray box(const char* type, const QByteArray& payload);
};
