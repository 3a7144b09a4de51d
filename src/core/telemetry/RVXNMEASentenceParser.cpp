// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/telemetry/RVXNMEASentenceParser.h"

#include "core/support/RVXWordScan.h"

#include <QStringDecoder>

#include <bit>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

namespace {

bool isCSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

using RVXWordScan::bytesEqual;
using RVXWordScan::kHigh;
using RVXWordScan::load;

// What the checks before the split need, found in one pass eight bytes at a time:
// whether every byte is ASCII (nearly every sentence is), how many '*' there are and
// where the first one is.
struct Survey {
    bool ascii;
    int stars;
    qsizetype firstStar;
};

Survey survey(QByteArrayView text) {
    const char* p = text.data();
    const qsizetype size = text.size();
    uint64_t high = 0;
    int stars = 0;
    qsizetype firstStar = -1, i = 0;
    for (; i + 8 <= size; i += 8) {
        const uint64_t word = load(p + i);
        high |= word;
        if (const uint64_t marks = bytesEqual(word, '*')) {
            if (firstStar < 0)
                firstStar = i + RVXWordScan::byteOf(marks);
            stars += std::popcount(marks);
        }
    }
    for (; i < size; ++i) {
        high |= uint8_t(p[i]);
        if (p[i] == '*') {
            if (firstStar < 0)
                firstStar = i;
            ++stars;
        }
    }
    return {(high & kHigh) == 0, stars, firstStar};
}

bool isValidUtf8(QByteArrayView text) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    [[maybe_unused]] const QString decoded = decoder(text);
    return !decoder.hasError();
}

QByteArrayView field(RVXNMEAFields f, size_t k) {
    return k < f.size() ? f[k] : QByteArrayView();
}

bool present(RVXNMEAFields f, size_t k) {
    return !field(f, k).isEmpty();
}

constexpr double kTenths[] = {1e0,   1e-1,  1e-2,  1e-3,  1e-4,  1e-5,  1e-6,  1e-7,
                              1e-8,  1e-9,  1e-10, 1e-11, 1e-12, 1e-13, 1e-14, 1e-15,
                              1e-16, 1e-17, 1e-18, 1e-19, 1e-20, 1e-21, 1e-22};

// Plain decimals (digits with at most one point, as every receiver writes them) without
// the general reader. The digits are exact in a double and their product with the
// power of ten is within two units of the double's last place from the exact value;
// narrowing it to float therefore rounds as the exact value would, unless it lies that
// close to halfway between two floats. Those few, and every other form, go to the
// general reader.
inline bool plainDecimal(const char* p, const char* end, float& out) {
    uint64_t digits = 0;
    const char* q = p;
    for (; q < end && unsigned(*q - '0') < 10; ++q)
        digits = digits * 10 + unsigned(*q - '0');
    qsizetype count = q - p, decimals = 0;
    if (q < end && *q == '.') {
        const char* first = ++q;
        for (; q < end && unsigned(*q - '0') < 10; ++q)
            digits = digits * 10 + unsigned(*q - '0');
        decimals = q - first;
        count += decimals;
    }
    // Up to 19 digits cannot wrap; more, or a number too long for a double, or an
    // exponent, go to the general reader.
    if (count == 0 || count > 19 || (q < end && (*q == 'e' || *q == 'E')) ||
        digits > (uint64_t(1) << 53) || decimals >= qsizetype(std::size(kTenths)))
        return false;
    const double value = double(digits) * kTenths[decimals];
    uint64_t bits;
    std::memcpy(&bits, &value, 8);
    constexpr uint64_t kBelowFloat = (uint64_t(1) << 29) - 1; // the bits a float drops
    constexpr int64_t kHalfway = int64_t(1) << 28;
    if (decimals > 0 && std::abs(int64_t(bits & kBelowFloat) - kHalfway) <= 4)
        return false;
    out = float(value);
    return true;
}

// Spaces, a sign, exponents, infinities: everything that is not a plain decimal.
[[gnu::noinline]] double generalDecimal(QByteArrayView text) {
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end && isCSpace(*p))
        ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    if (float plain; plainDecimal(p, end, plain))
        return double(negative ? -plain : plain);
    // from_chars reads the same decimal forms as strtof but ignores the locale, which
    // a desktop program sets from the user's environment.
    float value = 0;
    const auto result = std::from_chars(p, end, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        double wide = 0;
        std::from_chars(p, end, wide, std::chars_format::general);
        value = wide > 1 ? std::numeric_limits<float>::infinity() : 0.0f;
    } else if (result.ec != std::errc()) {
        value = 0;
    }
    return double(negative ? -value : value);
}

// Saturates like strtol, then narrows like atoi does on this platform.
[[gnu::noinline]] int32_t generalInteger(QByteArrayView text) {
    qsizetype i = 0;
    while (i < text.size() && isCSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value < std::numeric_limits<int64_t>::max() / 10 - 9)
            value = value * 10 + (text[i] - '0');
        else
            value = std::numeric_limits<int64_t>::max();
    }
    return int32_t(negative ? -value : value);
}

// Receivers write counts and satellite numbers as a few bare digits.
inline bool bareDigits(QByteArrayView text, int32_t& out) {
    if (text.isEmpty() || text.size() > 9)
        return false;
    int32_t value = 0;
    for (const char c : text) {
        const unsigned d = unsigned(c - '0');
        if (d >= 10)
            return false;
        value = value * 10 + int32_t(d);
    }
    out = value;
    return true;
}

} // namespace

double RVXNMEASentenceParser::decimalField(QByteArrayView text) {
    float plain;
    if (!text.isEmpty() && unsigned(text[0] - '0') < 10 &&
        plainDecimal(text.data(), text.data() + text.size(), plain))
        return double(plain);
    return generalDecimal(text);
}

int32_t RVXNMEASentenceParser::integerField(QByteArrayView text) {
    int32_t value;
    return bareDigits(text, value) ? value : generalInteger(text);
}

bool RVXNMEASentenceParser::parse(const char* sentence) {
    return sentence && parse(QByteArrayView(sentence, qsizetype(std::strlen(sentence))));
}

bool RVXNMEASentenceParser::parse(QByteArrayView sentence) {
    const char* text = sentence.data();
    const qsizetype size = sentence.size();
    // The identifier is the first field: six characters, then a ',' or the '*'.
    if (size < 7 || text[0] != '$' || text[1] != 'G' || (text[6] != ',' && text[6] != '*'))
        return false;
    const char talker = text[2];
    auto is = [text](const char(&type)[4]) {
        return text[3] == type[0] && text[4] == type[1] && text[5] == type[2];
    };
    const bool gps = talker == 'P', combined = talker == 'N';
    enum Kind { RMC, GGA, GSA, GNS } kind;
    if ((gps || combined) && is("RMC"))
        kind = RMC;
    else if ((gps || combined) && is("GGA"))
        kind = GGA;
    else if (combined && is("GSA"))
        kind = GSA;
    else if (combined && is("GNS"))
        kind = GNS;
    else
        return false;
    // The fields each handler reads, the identifier included.
    constexpr size_t kNeeded[] = {10, 9, 15, 9};
    const size_t needed = kNeeded[kind];

    // Exactly one '*'; the checksum after it is not checked.
    const Survey seen = survey(sentence);
    if (seen.stars != 1 || (!seen.ascii && !isValidUtf8(sentence)))
        return false;
    const qsizetype end = seen.firstStar;
    // The fields before the '*' that the handler reads, eight bytes at a time:
    // sentences are short, so this beats a library search per field. The field array is
    // left uninitialised: clearing it cost more than the split.
    alignas(QByteArrayView) unsigned char storage[sizeof(QByteArrayView) * kMaxFields];
    auto* fields = reinterpret_cast<QByteArrayView*>(storage);
    size_t count = 0;
    qsizetype fieldStart = 0;
    auto endField = [&](qsizetype at) {
        new (&fields[count++]) QByteArrayView(text + fieldStart, at - fieldStart);
        fieldStart = at + 1;
    };
    qsizetype i = 0;
    for (; i + 8 <= end && count < needed; i += 8) {
        const uint64_t word = load(text + i);
        for (uint64_t commas = bytesEqual(word, ','); commas && count < needed;
             commas &= commas - 1)
            endField(i + RVXWordScan::byteOf(commas));
    }
    for (; i < end && count < needed; ++i) {
        if (text[i] == ',')
            endField(i);
    }
    if (count < needed)
        endField(end);
    const RVXNMEAFields f(fields, count);
    switch (kind) {
    case RMC:
        return parseGPRMC(f);
    case GGA:
        return parseGPGGA(f);
    case GSA:
        return parseGNGSA(f);
    case GNS:
        return parseGNGNS(f);
    }
    return false;
}

// A short sentence is read as if its missing fields were empty.
bool RVXNMEASentenceParser::parseGPRMC(RVXNMEAFields f) {
    RVXGpsData& c = m_Current;
    c.SpeedOverGround = decimalField(field(f, 7));
    c.CourseOverGround = decimalField(field(f, 8));
    const QByteArrayView status = field(f, 2);
    c.gpsValid = status.size() == 1 && status[0] == 'A' ? 1 : 0;
    const QByteArrayView date = field(f, 9), time = field(f, 1);
    if (date.size() == 6 && time.size() == 10) {
        // The position of each part decides; the '.' at index 6 is not looked at.
        auto two = [](QByteArrayView t, int at) { return uint16_t(integerField(t.sliced(at, 2))); };
        c.Now.wDay = two(date, 0);
        c.Now.wMonth = two(date, 2);
        c.Now.wYear = uint16_t(2000 + integerField(date.sliced(4, 2)));
        c.Now.wDayOfWeek = 0;
        c.Now.wHour = two(time, 0);
        c.Now.wMinute = two(time, 2);
        c.Now.wSecond = two(time, 4);
        c.Now.wMilliseconds = uint16_t(integerField(time.sliced(7, 3)));
    }
    c.Cnt_GNGSA = 0;
    return true;
}

bool RVXNMEASentenceParser::parseGPGGA(RVXNMEAFields f) {
    RVXGpsData& c = m_Current;
    if (present(f, 2))
        c.Latitude = decimalField(f[2]);
    if (present(f, 3))
        c.NS = f[3][0];
    if (present(f, 4))
        c.Longitude = decimalField(f[4]);
    if (present(f, 5))
        c.EW = f[5][0];
    if (f[0][2] == 'P' && !c.Enable_GNGNS && !c.Enable_GNGSA) // "$GPGGA", not "$GNGGA"
        c.SatelliteUsedCount = uint32_t(integerField(field(f, 7)));
    if (!c.Enable_GNGNS && present(f, 8))
        c.HDOP = decimalField(f[8]);
    c.Cnt_GNGSA = 0;
    return true;
}

bool RVXNMEASentenceParser::parseGNGNS(RVXNMEAFields f) {
    RVXGpsData& c = m_Current;
    c.Enable_GNGNS = 1;
    c.SatelliteUsedCount = uint32_t(integerField(field(f, 7)));
    if (present(f, 8))
        c.HDOP = decimalField(f[8]);
    return true;
}

// A receiver of GPS and GLONASS sends one GSA per system; the first satellite number
// tells them apart (GLONASS numbers start at 65) and the two counts are added.
bool RVXNMEASentenceParser::parseGNGSA(RVXNMEAFields f) {
    RVXGpsData& c = m_Current;
    c.Enable_GNGSA = 1;
    if (c.Enable_GNGNS)
        return true;
    uint32_t used = 0;
    for (size_t k = 3; k <= 14; ++k) {
        c.SatelliteUsed[k - 3] = present(f, k) ? uint8_t(integerField(f[k])) : 0;
        used += c.SatelliteUsed[k - 3] != 0;
    }
    const uint8_t first = c.SatelliteUsed[0];
    if (first == 0) {
        c.Cnt_GNGSA = 255;
        if (!c.gpsValid)
            c.SatelliteUsedCount = 0;
    } else if (first <= 64) {
        c.SatelliteUsedCount_GPS = used;
        c.Cnt_GNGSA = 1;
        c.SatelliteUsedCount = c.SatelliteUsedCount_GPS;
    } else {
        c.SatelliteUsedCount_GLONASS = used;
        c.Cnt_GNGSA = 0;
        c.SatelliteUsedCount = c.SatelliteUsedCount_GPS + c.SatelliteUsedCount_GLONASS;
    }
    return true;
}
