// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/media/RVXRecordingDiagnosis.h"

#include <QFile>

#include <optional>

namespace {

struct BoxHeader {
    uint64_t size = 0; // 0: to the end of the file
    uint32_t headerSize = 8;
    QByteArray type;
};

uint32_t u32(const uchar* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

std::optional<BoxHeader> readHeader(QFile& f, uint64_t at) {
    uchar bytes[16];
    if (!f.seek(qint64(at)) || f.read(reinterpret_cast<char*>(bytes), 8) != 8)
        return std::nullopt;
    BoxHeader h;
    h.size = u32(bytes);
    h.type = QByteArray(reinterpret_cast<const char*>(bytes + 4), 4);
    if (h.size == 1) {
        // A 64-bit size follows; a file cut before it has none.
        if (f.read(reinterpret_cast<char*>(bytes + 8), 8) != 8)
            h.size = 0;
        else
            h.size = uint64_t(u32(bytes + 8)) << 32 | u32(bytes + 12);
        h.headerSize = 16;
    }
    return h;
}

} // namespace

RVXRecordingDiagnosis::Result RVXRecordingDiagnosis::diagnose(const QString& path) {
    Result r;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return r;
    const uint64_t end = uint64_t(f.size());
    const std::optional<BoxHeader> ftyp = readHeader(f, 0);
    if (!ftyp || ftyp->type != "ftyp" || ftyp->size < 8 || ftyp->size > end)
        return r;
    bool haveMdat = false, haveMoov = false;
    uint64_t at = ftyp->size;
    // Each step moves on by at least a header, so a hostile file ends the loop.
    while (at + 8 <= end) {
        const std::optional<BoxHeader> box = readHeader(f, at);
        if (!box)
            break;
        const bool open = box->size == 0 || (box->size != 0 && box->size < box->headerSize) ||
                          at + box->size > end;
        if (box->type == "mdat") {
            haveMdat = true;
            r.mdatPayloadOffset = at + box->headerSize;
            r.mdatPayloadBytes =
                open ? end - std::min(end, r.mdatPayloadOffset) : box->size - box->headerSize;
            if (open) {
                r.state = State::CutShort;
                return r;
            }
        } else if (box->type == "moov") {
            haveMoov = !open;
        } else if (open) {
            break;
        }
        if (open)
            break;
        at += box->size;
    }
    if (!haveMdat)
        return r;
    r.state = haveMoov ? State::Healthy : State::CutShort;
    return r;
}

const char* RVXRecordingDiagnosis::stateName(State state) {
    switch (state) {
    case State::Healthy:
        return "ok";
    case State::CutShort:
        return "cut";
    case State::NotARecording:
        return "none";
    }
    return "none";
}
