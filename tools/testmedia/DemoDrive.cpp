// SPDX-License-Identifier: GPL-3.0-or-later
#include "DemoDrive.h"

#include <QByteArray>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kStep = 0.1;
constexpr double kDriveSeconds = 900;
constexpr double kEarthRadius = 6371000.0;
constexpr double kPi = 3.14159265358979323846;
constexpr double kG = 9.80665;

double radians(double d) {
    return d * kPi / 180.0;
}

double distanceMetres(double lat1, double lon1, double lat2, double lon2) {
    const double dlat = radians(lat2 - lat1), dlon = radians(lon2 - lon1);
    const double a =
        std::sin(dlat / 2) * std::sin(dlat / 2) +
        std::cos(radians(lat1)) * std::cos(radians(lat2)) * std::sin(dlon / 2) * std::sin(dlon / 2);
    return 2 * kEarthRadius * std::asin(std::sqrt(a));
}

double bearing(double lat1, double lon1, double lat2, double lon2) {
    const double y = std::sin(radians(lon2 - lon1)) * std::cos(radians(lat2));
    const double x =
        std::cos(radians(lat1)) * std::sin(radians(lat2)) -
        std::sin(radians(lat1)) * std::cos(radians(lat2)) * std::cos(radians(lon2 - lon1));
    return std::fmod(std::atan2(y, x) * 180.0 / kPi + 360.0, 360.0);
}

// Small deterministic noise in [-1, 1], like a sensor's jitter.
double jitter(uint32_t n) {
    n = (n ^ 61) ^ (n >> 16);
    n *= 9;
    n ^= n >> 4;
    n *= 0x27d4eb2d;
    n ^= n >> 15;
    return double(n % 2001) / 1000.0 - 1.0;
}

} // namespace

DemoDrive::DemoDrive() {
    // Schwarzenbergplatz, along the Ring anticlockwise, round to the Stubenring.
    m_route = {{48.20090, 16.37370}, {48.20262, 16.36880}, {48.20590, 16.36050},
               {48.20810, 16.35900}, {48.21070, 16.35780}, {48.21550, 16.36270},
               {48.21680, 16.37000}, {48.21180, 16.37750}, {48.20780, 16.38100},
               {48.20300, 16.37900}, {48.20090, 16.37370}};
    m_routeDistance.push_back(0);
    for (size_t i = 1; i < m_route.size(); ++i)
        m_routeDistance.push_back(
            m_routeDistance.back() +
            distanceMetres(m_route[i - 1].lat, m_route[i - 1].lon, m_route[i].lat, m_route[i].lon));
    double d = 0;
    for (double t = 0; t <= kDriveSeconds + kStep; t += kStep) {
        const double v = speedProfile(t);
        m_distance.push_back(d);
        m_speed.push_back(v);
        d = std::fmod(d + v * kStep, m_routeDistance.back());
    }
}

// Speed in m/s: pull away, cruise between 30 and 55 km/h, a red light every 75 s. The
// second light is seen late: a hard stop of about 3.8 m/s^2 in 3.5 s.
double DemoDrive::speedProfile(double t) const {
    const double cycle = std::fmod(t, 75.0);
    const double stopEnd = (t >= 75 && t < 150) ? 65.5 : 68;
    double kmh = 42 + 12 * std::sin(t / 9.0) + 4 * std::sin(t / 3.1);
    if (cycle < 10)
        kmh *= cycle / 10.0; // moving off
    else if (cycle > 62 && cycle < stopEnd)
        kmh *= (stopEnd - cycle) / (stopEnd - 62); // braking for the light
    else if (cycle >= stopEnd)
        kmh = 0; // waiting
    return std::max(0.0, kmh) / 3.6;
}

DemoDrive::Point DemoDrive::pointAtDistance(double d, double* course) const {
    d = std::clamp(d, 0.0, m_routeDistance.back());
    size_t i = size_t(std::upper_bound(m_routeDistance.begin(), m_routeDistance.end(), d) -
                      m_routeDistance.begin());
    i = std::clamp<size_t>(i, 1, m_route.size() - 1);
    const Point& a = m_route[i - 1];
    const Point& b = m_route[i];
    const double span = m_routeDistance[i] - m_routeDistance[i - 1];
    const double f = span > 0 ? (d - m_routeDistance[i - 1]) / span : 0;
    if (course)
        *course = bearing(a.lat, a.lon, b.lat, b.lon);
    return {a.lat + (b.lat - a.lat) * f, a.lon + (b.lon - a.lon) * f};
}

DemoDrive::State DemoDrive::stateAt(double t) const {
    const size_t last = m_distance.size() - 2;
    // The small margin keeps 13.7 / 0.1 on step 137: truncation alone gives 136 now and
    // then, which made the speed between fixes jump unevenly.
    const size_t i = std::min(size_t(std::max(0.0, t) / kStep + 1e-6), last);
    double course = 0, courseAhead = 0;
    const Point p = pointAtDistance(m_distance[i], &course);
    pointAtDistance(m_distance[i] + 15, &courseAhead);
    double turn = courseAhead - course;
    turn = std::fmod(turn + 540.0, 360.0) - 180.0;
    const double v = m_speed[i];
    return {p.lat, p.lon, v * 3.6, course, (m_speed[i + 1] - v) / kStep, v * radians(turn) / 2.0};
}

double DemoDrive::distanceAt(double t) const {
    double metres = 0;
    const size_t last = std::min(size_t(std::max(0.0, t) / kStep), m_speed.size());
    for (size_t i = 0; i < last; ++i)
        metres += m_speed[i] * kStep;
    return metres;
}

DemoFix DemoDrive::fixAt(double t, const QDateTime& utc) const {
    const State s = stateAt(t);
    DemoFix fix;
    fix.utc = utc;
    fix.latitude = s.latitude;
    fix.longitude = s.longitude;
    fix.speedKnots = s.speedKmh / 1.852;
    fix.course = s.course;
    fix.altitude = 171.0 + 2 * std::sin(t / 40.0);
    // Buildings of the inner city shade some satellites now and then.
    fix.satellites = 7 + int(std::lround(2 * std::sin(t / 23.0)));
    fix.glonassSatellites = 4 + int(std::lround(std::sin(t / 31.0)));
    fix.hdop = 0.8 + 0.4 * (1 + std::sin(t / 17.0));
    return fix;
}

TelemetryRecords DemoDrive::recordsFor(double driveOffset, double duration,
                                       const QDateTime& startUtc, double impactAt) const {
    TelemetryRecords records;
    const int count = int(std::lround(duration * kRecordsPerSecond));
    for (int k = 0; k < count; ++k) {
        const double local = double(k) / kRecordsPerSecond;
        const double t = driveOffset + local;
        const State s = stateAt(t);
        const uint32_t seed = uint32_t(std::lround(t * 100));
        double gx = s.accelerationMs2 / kG + 0.02 * jitter(seed);
        double gy = s.lateralMs2 / kG + 0.02 * jitter(seed + 7919);
        double gz = 1.0 + 0.03 * jitter(seed + 104729);
        if (impactAt >= 0 && local >= impactAt && local < impactAt + 0.4) {
            // A knock from behind: a sharp shove forward that dies away within 0.4 s.
            const double fade = 1.0 - (local - impactAt) / 0.4;
            gx += 3.4 * fade;
            gy -= 1.2 * fade;
            gz += 0.9 * fade;
        }
        TelemetryRecord r;
        r.time = uint32_t(k * (1000 / kRecordsPerSecond));
        r.X = int32_t(std::lround(gx * 256));
        r.Y = int32_t(std::lround(gy * 256));
        r.Z = int32_t(std::lround(gz * 256));
        r.T = 0;
        r.unit = '9';
        const QDateTime utc = startUtc.addMSecs(qint64(r.time));
        const DemoFix fix = fixAt(t, utc);
        switch (k % 3) {
        case 0:
            r.nmea = NmeaSentenceWriter::rmc(fix);
            break;
        case 1:
            r.nmea = NmeaSentenceWriter::gga(fix);
            break;
        default:
            r.nmea = NmeaSentenceWriter::gsa(fix, (k / 3) % 2 == 1);
            break;
        }
        r.nmea += "\r\n";
        records.push_back(r);
    }
    return records;
}
