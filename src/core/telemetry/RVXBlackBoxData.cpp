// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/telemetry/RVXBlackBoxData.h"

#include "core/support/RVXLittleEndian.h"
#include "core/support/RVXLog.h"
#include "core/support/RVXWordScan.h"
#include "core/telemetry/RVXFileReader.h"

#include <QFile>

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

constexpr int kChunkSize = RVXBlackBoxData::kChunkPrefixSize + RVXBlackBoxData::kRecordSize;
// Table entries read at once, and how far ahead neighbouring chunks are fetched with one read.
constexpr size_t kTableBlock = 16384;
constexpr size_t kWindowBytes = 64 * 1024;
constexpr size_t kBatch = 256;

// The camera's readers compute offsets in unsigned 32-bit arithmetic; a sum that would
// wrap points nowhere sensible, so it ends the search instead.
std::optional<uint64_t> add(std::optional<uint64_t> a, std::optional<uint64_t> b) {
    if (!a || !b || *a + *b > UINT32_MAX)
        return std::nullopt;
    return *a + *b;
}

bool typeIs(const RVXFileReader& file, std::optional<uint64_t> offset, const char* type) {
    char t[4];
    return offset && file.read(*offset, t, 4) && std::memcmp(t, type, 4) == 0;
}

std::optional<uint64_t> sizeAt(const RVXFileReader& file, std::optional<uint64_t> offset) {
    if (!offset)
        return std::nullopt;
    const auto size = file.bigEndian32(*offset);
    return size ? std::optional<uint64_t>(*size) : std::nullopt;
}

// Box after box by their sizes, from the first at offset.
std::optional<uint64_t> skip(const RVXFileReader& file, std::optional<uint64_t> offset, int boxes) {
    for (int i = 0; i < boxes; ++i)
        offset = add(offset, sizeAt(file, offset));
    return offset;
}

uint32_t bigEndian32(const unsigned char* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

// Chunks that lie close together (the camera writes them one after another) are
// fetched with one read; a chunk far from the last is read alone.
class ChunkWindow {
public:
    explicit ChunkWindow(const RVXFileReader& file)
        : m_file(file) {}

    // Copies the chunk at offsets[index] to out; false when the file does not hold it
    // whole (past its end or cut short by it).
    bool copy(const uint32_t* offsets, size_t index, size_t count, unsigned char* out) {
        const uint64_t at = offsets[index];
        if (!contains(at)) {
            uint64_t end = at + kChunkSize;
            for (size_t j = index + 1; j < count; ++j) {
                const uint64_t next = offsets[j];
                if (next < at || next + kChunkSize > at + kWindowBytes)
                    break;
                end = std::max(end, next + kChunkSize);
            }
            // A chunk far from the next is read straight to where it goes.
            if (end == at + kChunkSize)
                return m_file.read(at, out, kChunkSize);
            m_bytes.resize(size_t(end - at));
            m_start = at;
            m_bytes.resize(m_file.readSome(at, m_bytes.data(), m_bytes.size()));
            if (!contains(at))
                return false;
        }
        std::memcpy(out, m_bytes.data() + (at - m_start), kChunkSize);
        return true;
    }

private:
    bool contains(uint64_t at) const {
        return at >= m_start && at + kChunkSize <= m_start + m_bytes.size();
    }

    const RVXFileReader& m_file;
    std::vector<unsigned char> m_bytes;
    uint64_t m_start = 0;
};

} // namespace

void RVXBlackBoxData::clear() {
    m_NMEAParser.clear();
    m_Times.clear();
    m_vGSensorData.clear();
    m_GSensors.clear();
    m_vGpsData.clear();
    m_NMEAs.clear();
    m_RMCIndexes.clear();
    m_RMCRecords.clear();
}

// The track is found by the fixed path of boxes the camera writes, not by reading the
// MP4 structure in general: ftyp (major brand avc1), a second box, moov; moov's fifth
// child is the telemetry trak, whose third child's third child's third child is stbl,
// and stbl's fifth child is the chunk offset table.
std::optional<RVXBlackBoxData::ChunkTable>
RVXBlackBoxData::findChunkOffsetTable(const RVXFileReader& file) {
    const std::optional<uint64_t> start = 0;
    if (!typeIs(file, add(start, 4), "ftyp") || !typeIs(file, add(start, 8), "avc1"))
        return std::nullopt;
    const auto second = sizeAt(file, start);
    const auto moov = skip(file, second, 1);
    if (!typeIs(file, add(moov, 4), "moov"))
        return std::nullopt;
    const auto trak = skip(file, add(moov, 8), 4);
    if (!sizeAt(file, trak))
        return std::nullopt;
    // Into the third child at each of three levels: trak, mdia, minf.
    std::optional<uint64_t> box = add(trak, 8);
    for (int level = 0; level < 3; ++level) {
        const auto third = skip(file, box, 2);
        if (level == 0 && !sizeAt(file, add(skip(file, box, 1), 4)))
            return std::nullopt;
        box = add(third, 8);
    }
    const auto stco = skip(file, box, 4);
    if (!typeIs(file, add(stco, 4), "stco") || !sizeAt(file, add(stco, 8)))
        return std::nullopt;
    const auto count = file.bigEndian32(*stco + 12);
    const auto boxSize = sizeAt(file, stco);
    if (!count || !boxSize)
        return std::nullopt;
    // A count larger than its box, or than the file, could hold is cut to what is there.
    const uint64_t entries = *stco + 16;
    const uint64_t inBox = *boxSize >= 16 ? (*boxSize - 16) / 4 : 0;
    const uint64_t inFile = file.size() > entries ? (file.size() - entries) / 4 : 0;
    return ChunkTable{entries,
                      uint32_t(std::min({uint64_t(*count), inBox, inFile, uint64_t(kMaxRecords)}))};
}

void RVXBlackBoxData::readRecords(const RVXFileReader& file, const ChunkTable& table) {
    // The count is already cut to what the file holds, so this stays in proportion to it.
    m_Times.reserve(table.count);
    m_vGSensorData.reserve(table.count);
    m_GSensors.reserve(table.count);
    m_vGpsData.reserve(table.count);
    m_NMEAs.reserve(table.count);
    ChunkWindow window(file);
    std::vector<unsigned char> batch(kBatch * kChunkSize);
    std::vector<unsigned char> raw;
    std::vector<uint32_t> offsets;
    for (uint64_t first = 0; first < table.count; first += kTableBlock) {
        const size_t n = size_t(std::min<uint64_t>(kTableBlock, table.count - first));
        raw.resize(n * 4);
        if (!file.read(table.entries + first * 4, raw.data(), raw.size()))
            return;
        offsets.resize(n);
        for (size_t i = 0; i < n; ++i)
            offsets[i] = bigEndian32(raw.data() + 4 * i);
        // The chunks of a batch are read first and decoded after: reads and decoding
        // interleaved chunk by chunk evict each other's code and data from the caches.
        for (size_t from = 0; from < n; from += kBatch) {
            const size_t to = std::min(n, from + kBatch);
            size_t held = 0;
            for (size_t i = from; i < to; ++i) {
                if (window.copy(offsets.data(), i, n, batch.data() + held * kChunkSize))
                    ++held;
            }
            for (size_t k = 0; k < held; ++k) {
                // Each record adds at most one fix per 2 bytes of text.
                if (m_NMEAs.size() + kRecordSize / 2 > kMaxFixes)
                    return;
                appendRecord(batch.data() + k * kChunkSize + kChunkPrefixSize);
            }
        }
    }
}

void RVXBlackBoxData::appendRecord(const unsigned char* record) {
    m_Times.push_back(RVXReadLittleEndian(record, 4));
    m_vGSensorData.push_back(RVXAviGSensorData::aviGSensorDataWithData(record + 8));
    ParseGSensor(record + 8, RVXAviGSensorData::kSize);
    // The block is kept as the scan leaves it, its line ends turned into NUL.
    RVXAviGpsData& gps = m_vGpsData.emplace_back();
    std::memcpy(gps.data.data(), record + 24, RVXAviGpsData::kSize);
    ParseNMEA(gps.data.data() + 1, RVXAviGpsData::kSize - 1);
    m_RMCRecords.resize(m_RMCIndexes.size(), uint32_t(m_Times.size() - 1));
}

bool RVXBlackBoxData::ExtractStreamInformation(const char* path) {
    RVXLog("#############################   START");
    clear();
    RVXFileReader file;
    if (!path || !file.open(path))
        return false;
    const auto table = findChunkOffsetTable(file);
    if (!table)
        return false;
    readRecords(file, *table);
    RVXLog("#############################  FINISH");
    return true;
}

bool RVXBlackBoxData::extractFirstReadable(const QStringList& paths) {
    for (const QString& path : paths) {
        if (ExtractStreamInformation(QFile::encodeName(path).constData()))
            return true;
    }
    return false;
}

bool RVXBlackBoxData::ParseGSensor(const unsigned char* buffer, int) {
    const RVXAviGSensorData raw = RVXAviGSensorData::aviGSensorDataWithData(buffer);
    constexpr float kPerUnit = 0.00390625f; // 1/256 g
    m_GSensors.emplace_back(float(raw.X) * kPerUnit, float(raw.Y) * kPerUnit,
                            float(raw.Z) * kPerUnit);
    return true;
}

// Sentences are cut at NUL, CR or LF; a '$' restarts the sentence, so a sentence still
// open at the end of the block is dropped. Only "$G..." sentences reach the parser, and
// every one of them adds the fix as it stands afterwards, accepted or not.
bool RVXBlackBoxData::ParseNMEA(char* buffer, int bufferSize) {
    if (!buffer || bufferSize <= 0)
        return false;
    int start = 0;
    auto mark = [&](int k) {
        if (buffer[k] == '$') {
            start = k;
            return;
        }
        buffer[k] = '\0';
        if (buffer[start] == '$' && buffer[start + 1] == 'G') {
            const QByteArrayView sentence(buffer + start, k - start);
            m_NMEAParser.parse(sentence);
            if (sentence.size() > 6 && sentence.sliced(3, 3) == "RMC")
                m_RMCIndexes.push_back(uint32_t(m_NMEAs.size()));
            m_NMEAs.push_back(m_NMEAParser.current());
        }
        start = k + 1;
    };
    // A word at a time: the text between the marks is passed over, and so is the NUL
    // padding after the last line, where every byte would end an empty sentence.
    using namespace RVXWordScan;
    int base = 0;
    for (; base + 8 <= bufferSize; base += 8) {
        const uint64_t word = load(buffer + base);
        if (word == 0 && start == base) {
            start = base + 8;
            continue;
        }
        for (uint64_t marks = bytesEqual(word, '$') | bytesEqual(word, '\0') |
                              bytesEqual(word, '\n') | bytesEqual(word, '\r');
             marks; marks &= marks - 1)
            mark(base + byteOf(marks));
    }
    for (int k = base; k < bufferSize; ++k) {
        const char c = buffer[k];
        if (c == '$' || c == '\0' || c == '\n' || c == '\r')
            mark(k);
    }
    return true;
}
