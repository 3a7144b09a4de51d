// SPDX-License-Identifier: GPL-3.0-or-later
// Extraction of a one-hour recording (3600 records, two sentences each) from a warm page
// cache, against reading the same bytes with the fewest reads possible: the table in
// one read, then one read per chunk. Two layouts: chunks back to back, as the demo
// card has them, and chunks 256 KiB apart, as when video lies between them.
#include "BenchSupport.h"
#include "core/telemetry/RVXBlackBoxData.h"
#include "testmedia/CameraRecordingWriter.h"
#include "testmedia/DemoDrive.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kRecords = 3600;

TelemetryRecords hourOfRecords() {
    const DemoDrive drive;
    TelemetryRecords records;
    const QDateTime start(QDate(2026, 3, 14), QTime(7, 0), Qt::UTC);
    for (int i = 0; i < kRecords; ++i) {
        DemoFix fix = drive.fixAt(i, start.addSecs(i));
        // Both sentences must fit the record's 128 bytes.
        fix.satellites = 5;
        fix.glonassSatellites = 3;
        TelemetryRecord r;
        r.time = uint32_t(i * 1000);
        r.X = i % 50;
        r.Y = -(i % 30);
        r.Z = 256;
        r.nmea =
            NmeaSentenceWriter::gga(fix) + "\r\n" + NmeaSentenceWriter::gsa(fix, i % 2) + "\r\n";
        records.push_back(r);
    }
    return records;
}

QString recording(uint32_t gap) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("hour_%1_F.MP4").arg(gap));
    if (!QFile::exists(path)) {
        if (auto error = CameraRecordingWriter::writeSkeletonFile(path, hourOfRecords(), gap))
            qFatal("%s", qPrintable(*error));
    }
    return path;
}

// The fewest reads: where the table is comes from the writer's layout, not a search.
size_t bareReads(const QByteArray& path) {
    const int fd = open(path.constData(), O_RDONLY);
    const off_t size = lseek(fd, 0, SEEK_END);
    std::vector<unsigned char> table(kRecords * 4);
    const off_t tableAt = size - off_t(table.size());
    size_t bytes = size_t(pread(fd, table.data(), table.size(), tableAt));
    unsigned char chunk[155];
    for (int i = 0; i < kRecords; ++i) {
        const unsigned char* p = table.data() + 4 * i;
        const uint32_t offset =
            uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
        bytes += size_t(pread(fd, chunk, sizeof chunk, offset));
    }
    close(fd);
    return bytes;
}

void BM_ExtractOverBareReads(benchmark::State& state) {
    const uint32_t gap = uint32_t(state.range(0));
    const QByteArray path = QFile::encodeName(recording(gap));
    RVXBlackBoxData data;
    data.ExtractStreamInformation(path.constData()); // warms the page cache
    if (data.m_Times.size() != size_t(kRecords) || data.m_NMEAs.size() != size_t(2 * kRecords))
        state.SkipWithError("the recording did not extract as written");
    double extract = 0, bare = 0;
    for (auto _ : state) {
        extract += secondsOf([&] { data.ExtractStreamInformation(path.constData()); });
        bare += secondsOf([&] { benchmark::DoNotOptimize(bareReads(path)); });
    }
    const double n = double(state.iterations());
    state.counters["extract_ms"] = 1000 * extract / n;
    state.counters["bare_ms"] = 1000 * bare / n;
    state.counters["ratio"] = extract / bare;
    state.counters["sentences_per_s"] = 2.0 * kRecords * n / extract;
}

// Sentences as the extraction hands them over: views of the record's text, the length
// known. The loop steps without a division, which would cost a third of a parse.
void BM_ParseSentence(benchmark::State& state) {
    const TelemetryRecords records = hourOfRecords();
    std::vector<QByteArray> sentences;
    for (const TelemetryRecord& r : records)
        for (const QByteArray& s : r.nmea.split('\n'))
            if (s.size() > 1)
                sentences.push_back(s.chopped(1));
    RVXNMEASentenceParser parser;
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(parser.parse(QByteArrayView(sentences[i])));
        if (++i == sentences.size())
            i = 0;
    }
    state.SetItemsProcessed(state.iterations());
}

} // namespace

BENCHMARK(BM_ExtractOverBareReads)
    ->Arg(0)
    ->Arg(256 * 1024)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(50);
BENCHMARK(BM_ParseSentence);
BENCHMARK_MAIN();
