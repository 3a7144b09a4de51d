// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/scan/RVXCardScan.h"

#include "core/settings/RVXSettingFile.h"
#include "core/support/RVXCFormat.h"
#include "core/telemetry/RVXBlackBoxData.h"
#include "core/telemetry/RVXNmeaToDegrees.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kKnotsToMs = 0.514444;
constexpr double kKnotsToKmh = 1.852;

// For an even count the mean of the two middle values. Linear: a recording's samples are
// many and only the middle is wanted.
double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    const size_t n = values.size();
    const auto middle = values.begin() + ptrdiff_t(n / 2);
    std::nth_element(values.begin(), middle, values.end());
    if (n % 2)
        return *middle;
    return (*std::max_element(values.begin(), middle) + *middle) / 2;
}

double axisMedian(const std::vector<RVXGSensor>& samples, float RVXGSensor::*axis,
                  std::vector<float>& buffer) {
    buffer.clear();
    for (const RVXGSensor& s : samples)
        buffer.push_back(s.*axis);
    const size_t n = buffer.size();
    const auto middle = buffer.begin() + ptrdiff_t(n / 2);
    std::nth_element(buffer.begin(), middle, buffer.end());
    if (n % 2)
        return *middle;
    return (double(*std::max_element(buffer.begin(), middle)) + *middle) / 2;
}

bool hasDate(const _SYSTEMTIME& t) {
    return t.wYear > 0 && t.wMonth >= 1 && t.wMonth <= 12 && t.wDay >= 1 && t.wDay <= 31;
}

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's days_from_civil):
// arithmetic only, as it runs for every fix of every recording.
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + int64_t(doe) - 719468;
}

// The fix's UTC in seconds; without a date, the time of day alone.
double utcSeconds(const _SYSTEMTIME& t) {
    const double day = t.wHour * 3600.0 + t.wMinute * 60.0 + t.wSecond + t.wMilliseconds / 1000.0;
    if (!hasDate(t))
        return day;
    return double(daysFromCivil(t.wYear, t.wMonth, t.wDay)) * 86400 + day;
}

// The valid RMC fixes (status 'A') in record order.
std::vector<RVXScanFix> validFixes(const RVXBlackBoxData& data) {
    std::vector<RVXScanFix> out;
    const size_t n = std::min(data.m_RMCIndexes.size(), data.m_RMCRecords.size());
    for (size_t j = 0; j < n; ++j) {
        const RVXGpsData& gps = data.m_NMEAs[data.m_RMCIndexes[j]];
        if (gps.gpsValid)
            out.push_back({data.m_RMCRecords[j], &gps});
    }
    return out;
}

void placeAt(RVXScanEvent& event, const RVXGpsData& gps) {
    event.speedKmh = gps.SpeedOverGround * kKnotsToKmh;
    if (gps.Latitude == 0 && gps.Longitude == 0)
        return;
    double longitude = 0, latitude = 0;
    RVXFixToDegrees(gps, &longitude, &latitude);
    event.latitude = latitude;
    event.longitude = longitude;
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
    RVXClockCheck c;
    c.units = int(offsets.size());
    if (offsets.empty())
        return c;
    const double m = median(std::move(offsets));
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
    return impacts(unit, data, settings, validFixes(data));
}

std::vector<RVXScanEvent> RVXCardScan::impacts(const RVXTripUnit& unit, const RVXBlackBoxData& data,
                                               const RVXScanSettings& settings,
                                               const std::vector<RVXScanFix>& fixes) {
    const std::vector<RVXGSensor>& g = data.m_GSensors;
    std::vector<RVXScanEvent> out;
    if (g.empty())
        return out;
    // The mounting and gravity: what each axis reads all along.
    std::vector<float> buffer;
    const double mx = axisMedian(g, &RVXGSensor::x, buffer);
    const double my = axisMedian(g, &RVXGSensor::y, buffer);
    const double mz = axisMedian(g, &RVXGSensor::z, buffer);
    // A threshold of 0 or less would take every sample for a knock; that axis is not used.
    const auto over = [](double value, int threshold) {
        return threshold > 0 && std::fabs(value) >= threshold / 100.0;
    };
    double lastOver = -1e300;
    size_t peak = 0;
    bool open = false;
    QString axes;
    const auto close = [&] {
        RVXScanEvent e;
        e.kind = RVXScanEvent::Kind::Impact;
        e.media = unit.media;
        e.moment = sampleTime(unit, data, peak);
        e.offset = e.moment - double(unit.start);
        e.x = g[peak].x - mx;
        e.y = g[peak].y - my;
        e.z = g[peak].z - mz;
        e.magnitude = std::sqrt(e.x * e.x + e.y * e.y + e.z * e.z);
        for (const char axis : {'x', 'y', 'z'}) {
            if (axes.contains(QLatin1Char(axis)))
                e.axes += QLatin1Char(axis);
        }
        // The last valid fix at or before the peak's sample.
        for (const RVXScanFix& f : fixes) {
            if (f.record > peak)
                break;
            placeAt(e, *f.gps);
        }
        out.push_back(e);
    };
    double peakMagnitude = 0;
    for (size_t k = 0; k < g.size(); ++k) {
        const double dx = g[k].x - mx, dy = g[k].y - my, dz = g[k].z - mz;
        const bool ox = over(dx, settings.xThreshold), oy = over(dy, settings.yThreshold),
                   oz = over(dz, settings.zThreshold);
        if (!ox && !oy && !oz)
            continue;
        const double t = sampleTime(unit, data, k);
        if (open && t - lastOver > kImpactJoinSeconds) {
            close();
            open = false;
        }
        const double magnitude = std::sqrt(dx * dx + dy * dy + dz * dz);
        if (!open) {
            open = true;
            axes.clear();
            peak = k;
            peakMagnitude = magnitude;
        } else if (magnitude > peakMagnitude) {
            peak = k;
            peakMagnitude = magnitude;
        }
        if (ox)
            axes += u'x';
        if (oy)
            axes += u'y';
        if (oz)
            axes += u'z';
        lastOver = t;
    }
    if (open)
        close();
    return out;
}

std::vector<RVXScanEvent> RVXCardScan::harshEvents(const RVXTripUnit& unit,
                                                   const RVXBlackBoxData& data) {
    return harshEvents(unit, data, validFixes(data));
}

std::vector<RVXScanEvent> RVXCardScan::harshEvents(const RVXTripUnit& unit,
                                                   const RVXBlackBoxData& data,
                                                   const std::vector<RVXScanFix>& fixes) {
    std::vector<RVXScanEvent> out;
    int sign = 0;
    for (size_t i = 0; i + 1 < fixes.size(); ++i) {
        const RVXGpsData& a = *fixes[i].gps;
        const RVXGpsData& b = *fixes[i + 1].gps;
        const double dt = utcSeconds(b.Now) - utcSeconds(a.Now);
        int stepSign = 0;
        double acceleration = 0;
        if (dt > 0 && dt <= kMaxFixStepSeconds) {
            acceleration = (b.SpeedOverGround - a.SpeedOverGround) * kKnotsToMs / dt;
            stepSign = acceleration <= -kHarshMs2 ? -1 : acceleration >= kHarshMs2 ? 1 : 0;
        }
        if (stepSign == 0) {
            sign = 0;
            continue;
        }
        if (stepSign != sign) {
            RVXScanEvent e;
            e.kind = stepSign < 0 ? RVXScanEvent::Kind::Braking : RVXScanEvent::Kind::Acceleration;
            e.media = unit.media;
            e.moment = sampleTime(unit, data, fixes[i].record);
            e.offset = e.moment - double(unit.start);
            placeAt(e, a);
            out.push_back(e);
            sign = stepSign;
        }
        out.back().acceleration = std::max(out.back().acceleration, std::fabs(acceleration));
    }
    return out;
}

std::optional<double> RVXCardScan::clockOffset(const RVXTripUnit& unit, const RVXBlackBoxData& data,
                                               const RVXScanSettings& settings) {
    return clockOffset(unit, data, settings, validFixes(data));
}

std::optional<double> RVXCardScan::clockOffset(const RVXTripUnit& unit, const RVXBlackBoxData& data,
                                               const RVXScanSettings& settings,
                                               const std::vector<RVXScanFix>& fixes) {
    for (const RVXScanFix& f : fixes) {
        if (!hasDate(f.gps->Now))
            continue;
        const double gpsLocal = utcSeconds(f.gps->Now) + settings.clockMinutesFromUtc * 60.0;
        return sampleTime(unit, data, f.record) - gpsLocal;
    }
    return std::nullopt;
}

std::optional<RVXCardScan::Result> RVXCardScan::scan(const std::vector<RVXTripUnit>& units,
                                                     const RVXScanSettings& settings,
                                                     const std::atomic<bool>* cancel,
                                                     const Progress& progress) {
    Result result;
    std::vector<double> offsets;
    const int total = int(units.size());
    for (int i = 0; i < total; ++i) {
        if (cancel && cancel->load())
            return std::nullopt;
        const RVXTripUnit& unit = units[size_t(i)];
        RVXBlackBoxData data;
        ++result.units;
        if (!data.ExtractStreamInformation(QFile::encodeName(unit.media->path()).constData())) {
            ++result.skipped;
        } else {
            // The fixes once for all three findings.
            const std::vector<RVXScanFix> fixes = validFixes(data);
            std::vector<RVXScanEvent> knocks = impacts(unit, data, settings, fixes);
            if (knocks.empty() && unit.media->isEventMedia())
                result.quietEventRecordings.push_back(unit.media);
            std::vector<RVXScanEvent> harsh = harshEvents(unit, data, fixes);
            result.events.insert(result.events.end(), knocks.begin(), knocks.end());
            result.events.insert(result.events.end(), harsh.begin(), harsh.end());
            if (const std::optional<double> offset = clockOffset(unit, data, settings, fixes))
                offsets.push_back(*offset);
        }
        if (progress)
            progress(i + 1, total);
    }
    std::stable_sort(
        result.events.begin(), result.events.end(),
        [](const RVXScanEvent& a, const RVXScanEvent& b) { return a.moment < b.moment; });
    result.clock = RVXClockCheck::fromOffsets(std::move(offsets));
    // Against the defaults' zone a right clock would read hours off.
    if (!settings.zoneKnown) {
        result.clock =
            RVXClockCheck{result.clock.units, std::nullopt, RVXClockCheck::State::Unknown, 0, true};
    }
    return result;
}
