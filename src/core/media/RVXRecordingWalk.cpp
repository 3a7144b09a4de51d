// SPDX-License-Identifier: GPL-3.0-or-later
// The walk over a broken recording's media data: chunk by chunk in the reference's order,
// each sample checked as what its track holds, ending at the last whole chunk.
#include "core/media/RVXRecordingRepair.h"

#include "core/media/RVXAacFrames.h"
#include "core/media/RVXH264Order.h"
#include "core/media/RVXQuietLibav.h"

#include <QFile>

#include <algorithm>
#include <memory>

namespace {

using Kind = RVXRecordingReference::Kind;

constexpr uint64_t kWindow = 1 << 20;
constexpr uint32_t kMaxAacFrame = 2048;
// Past the reference's own chunks the walk goes on by the signatures alone, with chunks
// of at most this many samples.
constexpr uint32_t kMaxSamplesBeyond = 16;

// A read-only window sliding over the file, so that the walk's memory does not grow with
// the file.
class Source {
public:
    explicit Source(const QString& path, uint64_t end)
        : m_file(path)
        , m_end(end) {
        m_open = m_file.open(QIODevice::ReadOnly);
    }
    bool isOpen() const { return m_open; }
    uint64_t end() const { return m_end; }
    // n bytes at pos, or none past the end of what may be read.
    const uchar* at(uint64_t pos, uint64_t n) {
        if (!m_open || n > kWindow || pos > m_end || n > m_end - pos)
            return nullptr;
        if (pos < m_start || pos + n > m_start + uint64_t(m_buffer.size())) {
            m_start = pos;
            if (!m_file.seek(qint64(pos)))
                return nullptr;
            m_buffer = m_file.read(qint64(std::min<uint64_t>(kWindow, m_end - pos)));
            if (uint64_t(m_buffer.size()) < n)
                return nullptr;
        }
        return reinterpret_cast<const uchar*>(m_buffer.constData()) + (pos - m_start);
    }

private:
    QFile m_file;
    uint64_t m_end;
    bool m_open = false;
    QByteArray m_buffer;
    uint64_t m_start = 0;
};

class Walker {
public:
    Walker(const RVXRecordingReference& r, Source& s)
        : m_ref(r)
        , m_src(s)
        , m_video(r.trackOf(Kind::Video))
        , m_audio(r.trackOf(Kind::Audio))
        , m_telemetry(r.trackOf(Kind::Telemetry)) {
        if (m_audio >= 0)
            m_aac = std::make_unique<RVXAacFrames>(r.tracks[size_t(m_audio)]);
        const auto& v = r.tracks[size_t(m_video)];
        m_lengthSize = v.nalLengthSize;
        m_maxNal = std::max<uint64_t>(uint64_t(v.maxNal) * 4, 1 << 20);
        m_order = RVXH264Order::fromAvcC(r.videoConfig);
    }

    // The order counts of the pictures read so far; none once one could not be read.
    std::optional<std::vector<int64_t>>& pocs() { return m_pocs; }

    // The size of track's chunk at pos holding samples (0: as many as the bytes show), its
    // sample sizes in sizes; none when the bytes are not such a chunk. nextTrack is the
    // track whose chunk follows, -1 when that is not known.
    std::optional<uint64_t> chunk(int track, uint64_t pos, uint32_t samples, int nextTrack,
                                  std::vector<uint32_t>& sizes, std::vector<uint32_t>& idr) {
        sizes.clear();
        idr.clear();
        // A chunk not taken must leave the order counts as they were: the same bytes may
        // be read again as another chunk.
        m_orderBefore = m_order;
        m_pendingFailed = false;
        if (track == m_video)
            return videoChunk(pos, samples, sizes, idr);
        if (track == m_telemetry)
            return telemetryChunk(pos, sizes);
        if (track == m_audio && m_aac && m_aac->ok())
            return audioChunk(pos, samples, nextTrack, sizes);
        return std::nullopt;
    }

    // Which track's chunk begins at pos, by its signature; audio when neither other does.
    int classify(uint64_t pos) {
        if (m_telemetry >= 0 && isTelemetry(pos))
            return m_telemetry;
        if (startsAccessUnit(pos))
            return m_video;
        return m_audio;
    }

private:
    struct Nal {
        uint64_t size; // with its length field
        uint8_t header;
        bool firstMbZero;
    };

    std::optional<Nal> nalAt(uint64_t pos) {
        const uchar* p = m_src.at(pos, uint64_t(m_lengthSize) + 2);
        if (!p)
            return std::nullopt;
        uint64_t len = 0;
        for (int i = 0; i < m_lengthSize; ++i)
            len = len << 8 | p[i];
        const uint8_t header = p[m_lengthSize];
        if (len < 2 || len > m_maxNal || (header & 0x80) ||
            !m_ref.tracks[size_t(m_video)].nalHeaders[header])
            return std::nullopt;
        const uint64_t total = uint64_t(m_lengthSize) + len;
        if (pos + total > m_src.end())
            return std::nullopt;
        return Nal{total, header, (p[m_lengthSize + 1] & 0x80) != 0};
    }

    static bool isSlice(uint8_t header) {
        const int type = header & 0x1f;
        return type == 1 || type == 5;
    }

    // A NAL unit that can open an access unit: anything but a slice that goes on a
    // picture (first_mb_in_slice not 0).
    bool startsAccessUnit(uint64_t pos) {
        const std::optional<Nal> n = nalAt(pos);
        return n && (!isSlice(n->header) || n->firstMbZero);
    }

    // One access unit: the NAL units up to and with its slices.
    std::optional<uint64_t> accessUnit(uint64_t pos, bool* isIdr) {
        uint64_t size = 0;
        bool haveSlice = false;
        *isIdr = false;
        while (true) {
            const std::optional<Nal> n = nalAt(pos + size);
            if (!n)
                break;
            if (haveSlice && (!isSlice(n->header) || n->firstMbZero))
                break;
            if (isSlice(n->header)) {
                if (!haveSlice)
                    readOrder(pos + size);
                haveSlice = true;
                *isIdr = *isIdr || (n->header & 0x1f) == 5;
            }
            size += n->size;
        }
        return haveSlice ? std::optional(size) : std::nullopt;
    }

    std::optional<uint64_t> videoChunk(uint64_t pos, uint32_t samples, std::vector<uint32_t>& sizes,
                                       std::vector<uint32_t>& idr) {
        uint64_t size = 0;
        const uint32_t limit = samples ? samples : kMaxSamplesBeyond;
        for (uint32_t k = 0; k < limit; ++k) {
            if (!samples && k > 0 && !startsAccessUnit(pos + size))
                break;
            bool isIdr = false;
            const std::optional<uint64_t> au = accessUnit(pos + size, &isIdr);
            if (!au || *au > UINT32_MAX)
                return std::nullopt;
            if (isIdr)
                idr.push_back(k);
            sizes.push_back(uint32_t(*au));
            size += *au;
        }
        return size;
    }

    void readOrder(uint64_t nalPos) {
        if (!m_order || !m_pocs)
            return;
        const uint64_t n = std::min<uint64_t>(64, m_src.end() - nalPos - uint64_t(m_lengthSize));
        const uchar* p = m_src.at(nalPos + uint64_t(m_lengthSize), n);
        const std::optional<int64_t> poc = p ? m_order->next(p, size_t(n)) : std::nullopt;
        if (poc)
            m_pending.push_back(*poc);
        else
            m_pendingFailed = true;
    }

public:
    // The order counts of a chunk's pictures, once the chunk is taken.
    void takeChunkOrder(bool taken) {
        if (taken && m_pendingFailed)
            m_pocs.reset();
        else if (taken && m_pocs)
            m_pocs->insert(m_pocs->end(), m_pending.begin(), m_pending.end());
        else if (!taken)
            m_order = m_orderBefore;
        m_pending.clear();
    }

    // Why no chunk of the camera's begins at pos.
    QString whyNot(uint64_t pos) {
        if (pos >= m_src.end())
            return QStringLiteral("end of data");
        if (isCutShort(pos))
            return QStringLiteral("a partial chunk at byte %1").arg(pos);
        return QStringLiteral("unrecognised bytes at %1").arg(pos);
    }

private:
    // Whether the bytes from pos to the end begin a chunk that the end cuts short: a
    // telemetry chunk's prefix with fewer bytes than a chunk after it, NAL units of the
    // stream's kind the last of which runs past the end, or fewer bytes than the largest
    // sound frame (which has no header of its own to tell it by).
    bool isCutShort(uint64_t pos) {
        const uint64_t left = m_src.end() - pos;
        if (left < uint64_t(m_lengthSize) + 2 || left < kMaxAacFrame)
            return true;
        if (m_telemetry >= 0) {
            const auto& t = m_ref.tracks[size_t(m_telemetry)];
            const uchar* p = m_src.at(pos, 2);
            if (left < t.chunkSize && t.chunkPrefix.size() == 2 && p &&
                p[0] == uchar(t.chunkPrefix[0]) && p[1] == uchar(t.chunkPrefix[1]))
                return true;
        }
        for (uint64_t at = pos; m_src.end() - at >= uint64_t(m_lengthSize) + 2;) {
            const uchar* p = m_src.at(at, uint64_t(m_lengthSize) + 2);
            uint64_t len = 0;
            for (int i = 0; p && i < m_lengthSize; ++i)
                len = len << 8 | p[i];
            if (!p || len < 2 || len > m_maxNal || (p[m_lengthSize] & 0x80) ||
                !m_ref.tracks[size_t(m_video)].nalHeaders[p[m_lengthSize]])
                return false;
            if (len > m_src.end() - at - uint64_t(m_lengthSize))
                return true;
            at += uint64_t(m_lengthSize) + len;
        }
        return true;
    }

    bool isTelemetry(uint64_t pos) {
        const auto& t = m_ref.tracks[size_t(m_telemetry)];
        if (t.chunkSize < 26 || t.chunkPrefix.size() != 2)
            return false;
        const uchar* p = m_src.at(pos, t.chunkSize);
        if (!p || p[0] != uchar(t.chunkPrefix[0]) || p[1] != uchar(t.chunkPrefix[1]))
            return false;
        // The NMEA text: printable characters, line ends and the zeros after them.
        for (uint32_t i = 2 + 25; i < t.chunkSize; ++i) {
            const uchar c = p[i];
            if (c != 0 && c != '\r' && c != '\n' && c != '\t' && (c < 0x20 || c > 0x7e))
                return false;
        }
        return true;
    }

    std::optional<uint64_t> telemetryChunk(uint64_t pos, std::vector<uint32_t>& sizes) {
        if (!isTelemetry(pos))
            return std::nullopt;
        const uint32_t size = m_ref.tracks[size_t(m_telemetry)].chunkSize;
        sizes.push_back(size);
        return size;
    }

    bool startsChunkOf(int track, uint64_t pos) {
        if (track == m_telemetry)
            return isTelemetry(pos);
        if (track == m_video)
            return startsAccessUnit(pos);
        return false;
    }

    // Where the last frame of an audio chunk that starts at from ends: where the next
    // chunk's signature begins and the bytes before it are exactly one frame.
    std::optional<uint64_t> lastFrameEnd(uint64_t from, int nextTrack) {
        const uint64_t limit = std::min(m_src.end(), from + kMaxAacFrame);
        for (uint64_t p = from + 1; p <= limit; ++p) {
            const bool boundary = p == m_src.end() ? nextTrack < 0
                                                   : (nextTrack >= 0 ? startsChunkOf(nextTrack, p)
                                                                     : classify(p) != m_audio);
            if (!boundary)
                continue;
            const uchar* bytes = m_src.at(from, p - from);
            if (bytes && m_aac->isOneFrame(bytes, int(p - from)))
                return p;
        }
        if (nextTrack >= 0)
            return std::nullopt;
        // Where the camera stopped writing no chunk follows (the bytes after are cut short
        // or were never written): the frame ends at the first length its bytes decode as
        // exactly one frame, since fewer bytes leave it unfinished and more add another.
        // A decode a byte, so only once nothing else tells.
        for (uint64_t p = from + 1; p <= limit; ++p) {
            const uchar* bytes = m_src.at(from, p - from);
            if (bytes && m_aac->isOneFrame(bytes, int(p - from)))
                return p;
        }
        return std::nullopt;
    }

    std::optional<uint64_t> audioChunk(uint64_t pos, uint32_t samples, int nextTrack,
                                       std::vector<uint32_t>& sizes) {
        const uint32_t wanted = samples ? samples : kMaxSamplesBeyond;
        const uint64_t window =
            std::min<uint64_t>(m_src.end() - pos, uint64_t(wanted) * kMaxAacFrame + 64);
        const uchar* bytes = m_src.at(pos, window);
        if (!bytes || window == 0)
            return std::nullopt;
        const std::vector<int> left = m_aac->remaining(bytes, int(window), wanted + 1);
        uint64_t size = 0;
        for (size_t i = 0; i + 1 < left.size() && sizes.size() < wanted; ++i) {
            const uint32_t frame = uint32_t(left[i] - left[i + 1]);
            if (frame == 0 || frame > kMaxAacFrame)
                return std::nullopt;
            sizes.push_back(frame);
            size += frame;
            // Beyond the reference the chunk ends where another track's chunk begins.
            if (!samples && classify(pos + size) != m_audio)
                return size;
        }
        if (sizes.size() == wanted)
            return size;
        if (samples && sizes.size() + 1 != wanted)
            return std::nullopt;
        // The chunk's last frame: the decoder cannot tell where it ends, the next chunk can.
        const std::optional<uint64_t> end = lastFrameEnd(pos + size, nextTrack);
        // Beyond the reference the frames that are known to be whole are kept; the walk
        // stops at the next.
        if (!end && !samples && size > 0)
            return size;
        if (!end)
            return std::nullopt;
        sizes.push_back(uint32_t(*end - pos - size));
        return *end - pos;
    }

    const RVXRecordingReference& m_ref;
    Source& m_src;
    int m_video, m_audio, m_telemetry;
    int m_lengthSize = 4;
    uint64_t m_maxNal = 0;
    std::unique_ptr<RVXAacFrames> m_aac;
    std::optional<RVXH264Order> m_order, m_orderBefore;
    std::optional<std::vector<int64_t>> m_pocs = std::vector<int64_t>();
    std::vector<int64_t> m_pending;
    bool m_pendingFailed = false;
};

} // namespace

RVXRecordingRepair::Walk RVXRecordingRepair::walk(const RVXRecordingReference& reference,
                                                  const QString& path, uint64_t start, uint64_t end,
                                                  const std::atomic<bool>* cancel,
                                                  const Progress& progress) {
    Walk w;
    w.tracks.resize(reference.tracks.size());
    w.dataStart = w.dataEnd = start;
    Source source(path, end);
    if (!source.isOpen() || reference.trackOf(Kind::Video) < 0) {
        w.stoppedBecause = QStringLiteral("nothing to walk");
        return w;
    }
    const RVXQuietLibav quiet;
    Walker walker(reference, source);
    std::vector<uint32_t> sizes, idr;
    uint64_t pos = start;
    uint64_t reported = 0;
    // The reference's last chunk holds what was left when it stopped (the sound it had
    // not yet written, in one chunk), which is no part of the rhythm of a recording that
    // went on; from there, or from the first chunk of this recording that departs from
    // the reference's order, the walk goes by the chunks' signatures alone.
    const size_t regular = reference.pattern.empty() ? 0 : reference.pattern.size() - 1;
    bool byPattern = regular > 0;
    for (size_t c = 0; pos < end; ++c) {
        if (cancel && cancel->load()) {
            w.stoppedBecause = QStringLiteral("cancelled");
            return w;
        }
        byPattern = byPattern && c < regular;
        int track = -1;
        std::optional<uint64_t> size;
        if (byPattern) {
            track = reference.pattern[c].track;
            // The track whose chunk follows, -1 past the reference's regular chunks.
            const int next = c + 1 < regular ? reference.pattern[c + 1].track : -1;
            size = walker.chunk(track, pos, reference.pattern[c].samples, next, sizes, idr);
            walker.takeChunkOrder(size && *size > 0);
            byPattern = size && *size > 0;
        }
        if (!byPattern) {
            track = walker.classify(pos);
            size = walker.chunk(track, pos, 0, -1, sizes, idr);
            walker.takeChunkOrder(size && *size > 0);
        }
        if (!size || *size == 0) {
            w.stoppedBecause = walker.whyNot(pos);
            break;
        }
        Walk::Track& t = w.tracks[size_t(track)];
        for (uint32_t k : idr)
            t.syncSamples.push_back(uint32_t(t.sizes.size()) + k + 1);
        t.chunkOffsets.push_back(pos);
        t.chunkSamples.push_back(uint32_t(sizes.size()));
        t.sizes.insert(t.sizes.end(), sizes.begin(), sizes.end());
        pos += *size;
        w.dataEnd = pos;
        if (progress && pos - reported > (8u << 20)) {
            reported = pos;
            progress(double(pos - start) / double(end - start));
        }
    }
    if (pos >= end)
        w.stoppedBecause = walker.whyNot(pos);
    const int video = reference.trackOf(Kind::Video);
    Walk::Track& v = w.tracks[size_t(video)];
    if (walker.pocs() && walker.pocs()->size() == v.sizes.size()) {
        v.pocs = std::move(*walker.pocs());
        v.ordered = true;
    }
    return w;
}
