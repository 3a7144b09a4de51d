// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/media/RVXMp4Boxes.h"

std::vector<RVXMp4Box> RVXMp4Box::children(QByteArrayView data, qsizetype from, qsizetype to) {
    std::vector<RVXMp4Box> out;
    qsizetype at = from;
    to = std::min(to, data.size());
    while (at + 8 <= to) {
        uint64_t size = u32(data, at);
        qsizetype header = 8;
        if (size == 1 && at + 16 <= to) {
            size = u64(data, at + 8);
            header = 16;
        } else if (size == 0) {
            size = uint64_t(to - at);
        }
        if (size < uint64_t(header) || size > uint64_t(to - at))
            break;
        out.push_back(
            {data.sliced(at + 4, 4).toByteArray(), at, at + header, at + qsizetype(size)});
        at += qsizetype(size);
    }
    return out;
}

std::optional<RVXMp4Box> RVXMp4Box::child(QByteArrayView data, const RVXMp4Box& parent,
                                          const char* type) {
    for (const RVXMp4Box& b : children(data, parent.payload, parent.end)) {
        if (b.type == type)
            return b;
    }
    return std::nullopt;
}

std::optional<RVXMp4Box> RVXMp4Box::descend(QByteArrayView data, const RVXMp4Box& parent,
                                            std::initializer_list<const char*> path) {
    std::optional<RVXMp4Box> at = parent;
    for (const char* type : path) {
        at = child(data, *at, type);
        if (!at)
            return std::nullopt;
    }
    return at;
}

uint32_t RVXMp4Box::u32(QByteArrayView d, qsizetype at) {
    if (at < 0 || at + 4 > d.size())
        return 0;
    const auto* p = reinterpret_cast<const uchar*>(d.data() + at);
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

uint64_t RVXMp4Box::u64(QByteArrayView d, qsizetype at) {
    return uint64_t(u32(d, at)) << 32 | u32(d, at + 4);
}

void RVXMp4Box::put32(QByteArray& out, uint32_t v) {
    const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    out.append(b, 4);
}

void RVXMp4Box::put64(QByteArray& out, uint64_t v) {
    put32(out, uint32_t(v >> 32));
    put32(out, uint32_t(v));
}

void RVXMp4Box::set32(QByteArray& data, qsizetype at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        data[at + i] = char(v >> (24 - 8 * i));
}

QByteArray RVXMp4Box::box(const char* type, const QByteArray& payload) {
    QByteArray out;
    put32(out, uint32_t(8 + payload.size()));
    out.append(type, 4);
    return out + payload;
}
