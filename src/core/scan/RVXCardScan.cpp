// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/scan/RVXCardScan.h"

#include "core/scan/RVXDriveFindings.h"
#include "core/settings/RVXSettingFile.h"
#include "core/telemetry/RVXBlackBoxData.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

namespace {

// The value at half the total weight; where half falls exactly between two values (an
// even count of equal weights), their mean.
double weightedMedian(std::vector<std::pair<double, double>> values) {
    std::sort(values.begin(), values.end());
    double total = 0;
    for (const auto& [value, weight] : values)
        total += weight;
    const double half = total / 2, tolerance = total * 1e-12;
    double sum = 0;
    for (size_t i = 0; i < values.size(); ++i) {
        sum += values[i].second;
        if (sum > half + tolerance)
            return values[i].first;
        if (sum >= half - tolerance)
            return i + 1 < values.size() ? (values[i].first + values[i + 1].first) / 2
                                         : values[i].first;
    }
    return values.empty() ? 0 : values.back().first;
}

// Telemetry records done with, kept for the next reads: a recording's lists take a few
// hundred KiB, and handed back to the heap each time they make it shrink and grow again
// for every recording (on this machine the scan took three times as long).
class RVXTelemetryPool {
public:
    std::unique_ptr<RVXBlackBoxData> take() {
        if (m_spare.empty())
            return std::make_unique<RVXBlackBoxData>();
        std::unique_ptr<RVXBlackBoxData> data = std::move(m_spare.back());
        m_spare.pop_back();
        return data;
    }
    void giveBack(std::unique_ptr<RVXBlackBoxData> data) {
        if (data)
            m_spare.push_back(std::move(data));
    }

private:
    std::vector<std::unique_ptr<RVXBlackBoxData>> m_spare;
};

// The unit's telemetry: its front's, else its rear's where the front is cut short,
// unreadable or holds no samples. None when neither side can be read.
std::unique_ptr<RVXBlackBoxData> readUnit(const RVXTripUnit& unit, RVXTelemetryPool& pool) {
    QStringList paths;
    if (unit.partner && unit.partner->isFrontMedia())
        paths << unit.partner->path();
    paths << unit.media->path();
    if (unit.partner && !unit.partner->isFrontMedia())
        paths << unit.partner->path();
    std::unique_ptr<RVXBlackBoxData> empty;
    for (const QString& path : paths) {
        std::unique_ptr<RVXBlackBoxData> data = pool.take();
        if (!data->ExtractStreamInformation(QFile::encodeName(path).constData())) {
            pool.giveBack(std::move(data));
        } else if (!data->m_GSensors.empty()) {
            pool.giveBack(std::move(empty));
            return data;
        } else if (!empty) {
            empty = std::move(data);
        } else {
            pool.giveBack(std::move(data));
        }
    }
    return empty;
}

QString durationWords(double seconds) {
    // "1 h 3 min", "3 min 12 s", "42 s": the parts that are not zero.
    const int64_t s = std::llround(std::fabs(seconds));
    QStringList parts;
    if (s >= 3600)
        parts << QStringLiteral("%1 h").arg(s / 3600);
    if (s / 60 % 60 != 0)
        parts << QStringLiteral("%1 min").arg(s / 60 % 60);
    if (s % 60 != 0 || parts.isEmpty())
        parts << QStringLiteral("%1 s").arg(s % 60);
    return parts.join(u' ');
}

} // namespace

RVXScanSettings RVXScanSettings::fromRecord(const _FILEDATA& record) {
    RVXScanSettings s;
    s.xThreshold = record.gsen_x_threshold;
    s.yThreshold = record.gsen_y_threshold;
    s.zThreshold = record.gsen_z_threshold;
    const size_t zone =
        size_t(std::clamp<int64_t>(record.time_gmt, 0, int64_t(kRVXTimeZoneTable.size()) - 1));
    const int v = kRVXTimeZoneTable[zone];
    const int minutes = std::abs(v) / 100 * 60 + std::abs(v) % 100;
    s.clockMinutesFromUtc = (v < 0 ? -minutes : minutes) + (record.summer_time ? 60 : 0);
    return s;
}

RVXScanSettings RVXScanSettings::forFolder(const QString& folder) {
    _FILEDATA record{};
    const QString path = QDir(folder).filePath(QStringLiteral("config.bin"));
    const bool sound =
        QFile::exists(path) && !settingFileDamage(path) && readSettingFile(path, record);
    if (!sound)
        makeDefaultSetting(record);
    RVXScanSettings s = fromRecord(record);
    s.zoneKnown = sound;
    return s;
}

const char* RVXScanEvent::kindName(Kind kind) {
    switch (kind) {
    case Kind::Impact:
        return "impact";
    case Kind::Braking:
        return "braking";
    case Kind::Acceleration:
        return "acceleration";
    }
    return "impact";
}

const char* RVXClockCheck::stateName(State state) {
    switch (state) {
    case State::Ok:
        return "ok";
    case State::Fast:
        return "fast";
    case State::Slow:
        return "slow";
    case State::Unknown:
        return "unknown";
    }
    return "unknown";
}

RVXClockCheck RVXClockCheck::fromOffsets(std::vector<double> offsets) {
    std::vector<std::pair<double, double>> weighted;
    weighted.reserve(offsets.size());
    for (const double offset : offsets)
        weighted.emplace_back(offset, 1.0);
    return fromWeightedOffsets(std::move(weighted));
}

RVXClockCheck RVXClockCheck::fromWeightedOffsets(std::vector<std::pair<double, double>> offsets) {
    RVXClockCheck c;
    c.units = int(offsets.size());
    if (offsets.empty())
        return c;
    const double m = weightedMedian(std::move(offsets));
    c.offsetSeconds = m;
    c.state = std::fabs(m) < RVXCardScan::kClockToleranceSeconds ? State::Ok
              : m > 0                                            ? State::Fast
                                                                 : State::Slow;
    const double quarters = std::round(m / 900);
    if (quarters != 0 && std::fabs(m - quarters * 900) <= 60)
        c.zoneMinutesOff = int(quarters) * 15;
    return c;
}

QString RVXClockCheck::sentence() const {
    switch (state) {
    case State::Unknown:
        return zoneUnknown ? QStringLiteral("The camera's clock cannot be checked: the card holds "
                                            "no config.bin to tell its time zone.")
                           : QStringLiteral("The camera's clock cannot be checked: no recording "
                                            "holds a dated GPS fix.");
    case State::Ok:
        return QStringLiteral("The camera's clock is right to within 2 s.");
    case State::Fast:
    case State::Slow:
        break;
    }
    QString text = QStringLiteral("The camera's clock is %1 %2.")
                       .arg(durationWords(*offsetSeconds),
                            state == State::Fast ? QStringLiteral("fast") : QStringLiteral("slow"));
    if (zoneMinutesOff != 0)
        text += QStringLiteral(" Its time zone or summer time setting is likely off by %1 min.")
                    .arg(std::abs(zoneMinutesOff));
    return text;
}

double RVXCardScan::sampleTime(const RVXTripUnit& unit, const RVXBlackBoxData& data, size_t k) {
    const size_t n = data.m_GSensors.size();
    if (unit.length > 0 && n > 0)
        return double(unit.start) + double(k) / double(n) * unit.length;
    const std::vector<uint32_t>& times = data.m_Times;
    const bool rising =
        times.size() > 1 && std::adjacent_find(times.begin(), times.end(),
                                               std::greater_equal<uint32_t>()) == times.end();
    if (rising && k < times.size())
        return double(unit.start) + double(times[k] - times[0]) / 1000.0;
    return double(unit.start) + double(k) / 10.0;
}

std::vector<RVXScanEvent> RVXCardScan::impacts(const RVXTripUnit& unit, const RVXBlackBoxData& data,
                                               const RVXScanSettings& settings) {
    const RVXScanRecording recording(unit, data);
    RVXDriveFindings findings(settings);
    findings.add(recording, 0, recording.samples());
    findings.finish();
    return findings.impacts();
}

std::vector<RVXScanEvent> RVXCardScan::harshEvents(const RVXTripUnit& unit,
                                                   const RVXBlackBoxData& data) {
    const RVXScanRecording recording(unit, data);
    RVXDriveFindings findings(RVXScanSettings{});
    findings.add(recording, 0, recording.samples());
    return findings.harshEvents();
}

std::optional<double> RVXCardScan::clockOffset(const RVXTripUnit& unit, const RVXBlackBoxData& data,
                                               const RVXScanSettings& settings) {
    return clockOffset(RVXScanRecording(unit, data), settings);
}

std::optional<double> RVXCardScan::clockOffset(const RVXScanRecording& recording,
                                               const RVXScanSettings& settings) {
    for (const RVXScanFix& f : recording.fixes()) {
        if (!RVXScanRecording::hasDate(f.gps->Now))
            continue;
        const double gpsLocal =
            RVXScanRecording::utcSeconds(f.gps->Now) + settings.clockMinutesFromUtc * 60.0;
        return recording.time(f.record) - gpsLocal;
    }
    return std::nullopt;
}

std::optional<RVXCardScan::Result> RVXCardScan::scan(const std::vector<RVXTripUnit>& units,
                                                     const RVXScanSettings& settings,
                                                     const std::atomic<bool>* cancel,
                                                     const Progress& progress) {
    // What became of each unit, in the order given.
    struct Scanned {
        bool read = false;
        bool readable = false;
        // Seconds of the drive it gives: where it plays on the timeline, or all its own
        // when it has no length to be placed with.
        double played = 0;
        double seconds = 0;
        std::optional<double> clockOffset;
    };
    std::vector<Scanned> scanned(units.size());
    Result result;
    result.units = int(units.size());
    int done = 0;
    size_t base = 0;
    RVXTelemetryPool pool;
    for (const RVXTrip& trip : RVXTrip::tripsFromUnits(units)) {
        const std::vector<RVXTripUnit>& tripUnits = trip.units();
        const std::vector<RVXTripSegment>& segments = trip.segments();
        // A unit's telemetry is held from its first segment to its last (a loop comes back
        // after the event recording cut from it), no longer.
        std::vector<size_t> lastSegment(tripUnits.size(), SIZE_MAX);
        for (size_t s = 0; s < segments.size(); ++s)
            lastSegment[segments[s].unit] = s;
        struct Held {
            std::unique_ptr<RVXBlackBoxData> data;
            std::optional<RVXScanRecording> recording;
        };
        std::map<size_t, Held> held;
        const auto recordingOf = [&](size_t j) -> const RVXScanRecording* {
            Scanned& u = scanned[base + j];
            if (!u.read) {
                u.read = true;
                if (std::unique_ptr<RVXBlackBoxData> data = readUnit(tripUnits[j], pool)) {
                    Held& h = held[j];
                    h.data = std::move(data);
                    h.recording.emplace(tripUnits[j], *h.data);
                    u.readable = true;
                    u.seconds = h.recording->seconds();
                    u.clockOffset = clockOffset(*h.recording, settings);
                }
                if (progress)
                    progress(++done, result.units);
            }
            const auto it = held.find(j);
            return it == held.end() ? nullptr : &*it->second.recording;
        };
        const auto release = [&](size_t j) {
            if (const auto it = held.find(j); it != held.end()) {
                pool.giveBack(std::move(it->second.data));
                held.erase(it);
            }
        };

        RVXDriveFindings findings(settings);
        for (size_t s = 0; s < segments.size(); ++s) {
            if (cancel && cancel->load())
                return std::nullopt;
            const RVXTripSegment& segment = segments[s];
            if (const RVXScanRecording* recording = recordingOf(segment.unit)) {
                const auto [first, end] = recording->samplesBetween(
                    segment.unitStart, segment.unitStart + segment.end - segment.start);
                findings.add(*recording, first, end);
                scanned[base + segment.unit].played += segment.end - segment.start;
            }
            if (lastSegment[segment.unit] == s)
                release(segment.unit);
        }
        findings.finish();
        std::vector<RVXScanEvent> found = findings.impacts();
        found.insert(found.end(), findings.harshEvents().begin(), findings.harshEvents().end());

        // Units the timeline does not play: without a length they cannot be placed, so
        // they are scanned whole on their own; the others are covered by units that
        // started later and are only read.
        for (size_t j = 0; j < tripUnits.size(); ++j) {
            if (scanned[base + j].read)
                continue;
            if (cancel && cancel->load())
                return std::nullopt;
            const RVXScanRecording* recording = recordingOf(j);
            if (recording && tripUnits[j].length <= 0) {
                RVXDriveFindings own(settings);
                own.add(*recording, 0, recording->samples());
                own.finish();
                found.insert(found.end(), own.impacts().begin(), own.impacts().end());
                found.insert(found.end(), own.harshEvents().begin(), own.harshEvents().end());
                scanned[base + j].played = recording->seconds();
            }
            release(j);
        }
        result.events.insert(result.events.end(), found.begin(), found.end());
        base += tripUnits.size();
    }
    std::stable_sort(
        result.events.begin(), result.events.end(),
        [](const RVXScanEvent& a, const RVXScanEvent& b) { return a.moment < b.moment; });

    std::vector<double> knocks;
    for (const RVXScanEvent& e : result.events) {
        if (e.kind == RVXScanEvent::Kind::Impact)
            knocks.push_back(e.moment);
    }
    std::vector<std::pair<double, double>> offsets;
    for (size_t i = 0; i < units.size(); ++i) {
        const Scanned& u = scanned[i];
        if (!u.readable) {
            ++result.skipped;
            continue;
        }
        if (u.clockOffset && u.played > 0)
            offsets.emplace_back(*u.clockOffset, u.played);
        // Quiet when no impact lies in its seconds, whichever recording it was found in
        // (where a loop started after it plays over its end, the knock is the loop's).
        if (units[i].media->isEventMedia()) {
            const double start = double(units[i].start);
            const auto knock = std::lower_bound(knocks.begin(), knocks.end(), start);
            if (knock == knocks.end() || *knock >= start + u.seconds)
                result.quietEventRecordings.push_back(units[i].media);
        }
    }
    result.clock = RVXClockCheck::fromWeightedOffsets(std::move(offsets));
    // Against the defaults' zone a right clock would read hours off.
    if (!settings.zoneKnown) {
        result.clock =
            RVXClockCheck{result.clock.units, std::nullopt, RVXClockCheck::State::Unknown, 0, true};
    }
    return result;
}
