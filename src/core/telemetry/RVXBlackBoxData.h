// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/telemetry/RVXAviGSensorData.h"
#include "core/telemetry/RVXAviGpsData.h"
#include "core/telemetry/RVXGSensor.h"
#include "core/telemetry/RVXGpsData.h"
#include "core/telemetry/RVXNMEASentenceParser.h"

#include <QStringList>

#include <cstdint>
#include <vector>

class RVXFileReader;

// The telemetry track of one recording in parallel lists. Refilled for every recording:
// each extraction starts empty, and after a failed one everything stays empty.
class RVXBlackBoxData {
public:
    static constexpr int kChunkPrefixSize = 2;
    static constexpr int kRecordSize = 153;
    // Far beyond any recording (a day at ten records a second); damaged tables that
    // promise more cannot make an extraction take unbounded memory.
    static constexpr size_t kMaxRecords = size_t(1) << 20;
    static constexpr size_t kMaxFixes = size_t(1) << 21;

    void clear();
    // path: the recording, NUL-terminated UTF-8. True when the track was found and read.
    bool ExtractStreamInformation(const char* path);
    // The first of paths whose track can be read (a pair's front, then the recording
    // itself); false, everything empty, when none can.
    bool extractFirstReadable(const QStringList& paths);
    // A 16-byte raw block to one sample in g; the size is not used.
    bool ParseGSensor(const unsigned char* buffer, int bufferSize);
    // Decodes the sentences of one NMEA block, writing NUL over its line ends.
    bool ParseNMEA(char* buffer, int bufferSize);

    RVXNMEASentenceParser m_NMEAParser;
    std::vector<uint32_t> m_Times;
    std::vector<RVXAviGSensorData> m_vGSensorData;
    std::vector<RVXGSensor> m_GSensors;
    std::vector<RVXAviGpsData> m_vGpsData;
    std::vector<RVXGpsData> m_NMEAs;
    // The entries of m_NMEAs that an RMC sentence made, in order, each
    // holding the sentence's status (gpsValid), speed and time.
    std::vector<uint32_t> m_RMCIndexes;
    // The record (sample) each of those RMC sentences came in.
    std::vector<uint32_t> m_RMCRecords;

private:
    struct ChunkTable {
        uint64_t entries; // file offset of the first entry
        uint32_t count;
    };
    static std::optional<ChunkTable> findChunkOffsetTable(const RVXFileReader& file);
    void readRecords(const RVXFileReader& file, const ChunkTable& table);
    void appendRecord(const unsigned char* record);
};
