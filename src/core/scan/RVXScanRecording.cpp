// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/scan/RVXScanRecording.h"

#include "core/scan/RVXCardScan.h"
#include "core/telemetry/RVXBlackBoxData.h"
#include "core/telemetry/RVXNmeaToDegrees.h"

#include <algorithm>
#include <functional>

namespace {

constexpr double kKnotsToKmh = 1.852;
// Sample seconds come from integer ticks over a timescale; a sample exactly on a
// segment's border must not fall on the wrong side of it by a rounding.
constexpr double kTolerance = 1e-9;

// For an even count the mean of the two middle values. Linear: a recording's samples are
// many and only the middle is wanted.
double axisMedian(const std::vector<RVXGSensor>& samples, float RVXGSensor::*axis,
                  std::vector<float>& buffer) {
    buffer.clear();
    for (const RVXGSensor& s : samples)
        buffer.push_back(s.*axis);
    const size_t n = buffer.size();
    if (n == 0)
        return 0;
    const auto middle = buffer.begin() + ptrdiff_t(n / 2);
    std::nth_element(buffer.begin(), middle, buffer.end());
    if (n % 2)
        return *middle;
    return (double(*std::max_element(buffer.begin(), middle)) + *middle) / 2;
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

} // namespace

RVXScanRecording::RVXScanRecording(const RVXTripUnit& unit, const RVXBlackBoxData& data)
    : m_unit(&unit)
    , m_data(&data)
    , m_fixes(validFixes(data)) {
    std::vector<float> buffer;
    buffer.reserve(data.m_GSensors.size());
    m_medianX = axisMedian(data.m_GSensors, &RVXGSensor::x, buffer);
    m_medianY = axisMedian(data.m_GSensors, &RVXGSensor::y, buffer);
    m_medianZ = axisMedian(data.m_GSensors, &RVXGSensor::z, buffer);
    const std::vector<uint32_t>& times = data.m_Times;
    m_byLength = unit.length > 0 && !data.m_GSensors.empty();
    m_byTimes = !m_byLength && times.size() > 1 &&
                std::adjacent_find(times.begin(), times.end(), std::greater_equal<uint32_t>()) ==
                    times.end();
}

size_t RVXScanRecording::samples() const {
    return m_data->m_GSensors.size();
}

double RVXScanRecording::time(size_t k) const {
    return double(m_unit->start) + second(k);
}

double RVXScanRecording::second(size_t k) const {
    if (m_byLength)
        return double(k) / double(samples()) * m_unit->length;
    if (m_byTimes && k < m_data->m_Times.size())
        return double(m_data->m_Times[k] - m_data->m_Times[0]) / 1000.0;
    return double(k) / 10.0;
}

std::pair<size_t, size_t> RVXScanRecording::samplesBetween(double from, double to) const {
    // Sample seconds rise with k under every rule.
    const auto firstAt = [&](double second) {
        size_t low = 0, high = samples();
        while (low < high) {
            const size_t mid = low + (high - low) / 2;
            if (this->second(mid) < second - kTolerance)
                low = mid + 1;
            else
                high = mid;
        }
        return low;
    };
    const size_t first = firstAt(from);
    return {first, std::max(first, firstAt(to))};
}

double RVXScanRecording::seconds() const {
    if (m_byLength)
        return m_unit->length;
    // Ten records a second, as the camera writes them, after the last one's time.
    return samples() == 0 ? 0 : second(samples() - 1) + 0.1;
}

std::vector<RVXScanFix> RVXScanRecording::validFixes(const RVXBlackBoxData& data) {
    std::vector<RVXScanFix> out;
    const size_t n = std::min(data.m_RMCIndexes.size(), data.m_RMCRecords.size());
    for (size_t j = 0; j < n; ++j) {
        const RVXGpsData& gps = data.m_NMEAs[data.m_RMCIndexes[j]];
        if (gps.gpsValid)
            out.push_back({data.m_RMCRecords[j], &gps});
    }
    return out;
}

void RVXScanRecording::placeAt(RVXScanEvent& event, const RVXGpsData& gps) {
    event.speedKmh = gps.SpeedOverGround * kKnotsToKmh;
    if (gps.Latitude == 0 && gps.Longitude == 0)
        return;
    double longitude = 0, latitude = 0;
    RVXFixToDegrees(gps, &longitude, &latitude);
    event.latitude = latitude;
    event.longitude = longitude;
}

bool RVXScanRecording::hasDate(const _SYSTEMTIME& t) {
    return t.wYear > 0 && t.wMonth >= 1 && t.wMonth <= 12 && t.wDay >= 1 && t.wDay <= 31;
}

double RVXScanRecording::utcSeconds(const _SYSTEMTIME& t) {
    const double day = t.wHour * 3600.0 + t.wMinute * 60.0 + t.wSecond + t.wMilliseconds / 1000.0;
    if (!hasDate(t))
        return day;
    return double(daysFromCivil(t.wYear, t.wMonth, t.wDay)) * 86400 + day;
}
