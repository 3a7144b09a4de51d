// SPDX-License-Identifier: GPL-3.0-or-later
#include "Mp4Box.h"

void appendU8(QByteArray& out, uint8_t v) {
    out.append(char(v));
}

void appendU16(QByteArray& out, uint16_t v) {
    appendU8(out, uint8_t(v >> 8));
    appendU8(out, uint8_t(v));
}

void appendU32(QByteArray& out, uint32_t v) {
    appendU16(out, uint16_t(v >> 16));
    appendU16(out, uint16_t(v));
}

void appendU64(QByteArray& out, uint64_t v) {
    appendU32(out, uint32_t(v >> 32));
    appendU32(out, uint32_t(v));
}

uint32_t readU32(QByteArrayView data, qsizetype offset) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v = (v << 8) | uint8_t(data[offset + i]);
    return v;
}

uint64_t readU64(QByteArrayView data, qsizetype offset) {
    return (uint64_t(readU32(data, offset)) << 32) | readU32(data, offset + 4);
}

void writeU32(QByteArray& data, qsizetype offset, uint32_t v) {
    for (int i = 3; i >= 0; --i, v >>= 8)
        data[offset + i] = char(v & 0xff);
}

void writeU64(QByteArray& data, qsizetype offset, uint64_t v) {
    writeU32(data, offset, uint32_t(v >> 32));
    writeU32(data, offset + 4, uint32_t(v));
}

Mp4Box Mp4Box::leaf(const char* type, QByteArray payload) {
    Mp4Box box;
    box.type = type;
    box.payload = std::move(payload);
    return box;
}

Mp4Box Mp4Box::node(const char* type, std::vector<Mp4Box> children) {
    Mp4Box box;
    box.type = type;
    box.container = true;
    box.children = std::move(children);
    return box;
}

bool Mp4Box::isContainerType(QByteArrayView type) {
    for (const char* t : {"moov", "trak", "mdia", "minf", "stbl", "edts", "dinf"}) {
        if (type == QByteArrayView(t))
            return true;
    }
    return false;
}

std::optional<std::vector<Mp4Box>> Mp4Box::parseList(QByteArrayView data, QString* error) {
    std::vector<Mp4Box> boxes;
    qsizetype offset = 0;
    while (offset < data.size()) {
        if (data.size() - offset < 8) {
            *error = QStringLiteral("truncated box header at %1").arg(offset);
            return std::nullopt;
        }
        uint64_t size = readU32(data, offset);
        qsizetype header = 8;
        if (size == 1) {
            if (data.size() - offset < 16) {
                *error = QStringLiteral("truncated large box header at %1").arg(offset);
                return std::nullopt;
            }
            size = readU64(data, offset + 8);
            header = 16;
        } else if (size == 0) {
            size = uint64_t(data.size() - offset);
        }
        if (size < uint64_t(header) || size > uint64_t(data.size() - offset)) {
            *error = QStringLiteral("box at %1 claims %2 bytes, %3 remain")
                         .arg(offset)
                         .arg(size)
                         .arg(data.size() - offset);
            return std::nullopt;
        }
        Mp4Box box;
        box.type = data.sliced(offset + 4, 4).toByteArray();
        const QByteArrayView body = data.sliced(offset + header, qsizetype(size) - header);
        if (isContainerType(box.type)) {
            auto children = parseList(body, error);
            if (!children)
                return std::nullopt;
            box.container = true;
            box.children = std::move(*children);
        } else {
            box.payload = body.toByteArray();
        }
        boxes.push_back(std::move(box));
        offset += qsizetype(size);
    }
    return boxes;
}

uint64_t Mp4Box::size() const {
    uint64_t body = 0;
    if (container) {
        for (const Mp4Box& c : children)
            body += c.size();
    } else {
        body = uint64_t(payload.size());
    }
    return body + 8 > UINT32_MAX ? body + 16 : body + 8;
}

void Mp4Box::serializeInto(QByteArray& out) const {
    const uint64_t total = size();
    if (total > UINT32_MAX) {
        appendU32(out, 1);
        out += type;
        appendU64(out, total);
    } else {
        appendU32(out, uint32_t(total));
        out += type;
    }
    if (!container) {
        out += payload;
        return;
    }
    for (const Mp4Box& c : children)
        c.serializeInto(out);
}

QByteArray Mp4Box::serialize() const {
    QByteArray out;
    out.reserve(qsizetype(size()));
    serializeInto(out);
    return out;
}

Mp4Box* Mp4Box::child(QByteArrayView childType) {
    for (Mp4Box& c : children) {
        if (c.type == childType)
            return &c;
    }
    return nullptr;
}

const Mp4Box* Mp4Box::child(QByteArrayView childType) const {
    return const_cast<Mp4Box*>(this)->child(childType);
}

Mp4Box* Mp4Box::descend(std::initializer_list<const char*> path) {
    Mp4Box* box = this;
    for (const char* t : path) {
        box = box->child(QByteArrayView(t));
        if (!box)
            return nullptr;
    }
    return box;
}
