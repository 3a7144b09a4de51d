// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/telemetry/RVXNMEASentenceParser.h"

#include <QStringDecoder>

#include <charconv>
#include <cstring>
#include <limits>
#include <new>

namespace {

bool isCSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Eight bytes at a time: nearly every sentence is plain ASCII.
bool isAscii(QByteArrayView text) {
    const char* p = text.data();
    qsizetype n = text.size();
    uint64_t bits = 0;
    for (; n >= 8; p += 8, n -= 8) {
        uint64_t word;
        std::memcpy(&word, p, 8);
        bits |= word;
    }
    for (; n > 0; ++p, --n)
        bits |= uint8_t(*p);
    return (bits & 0x8080808080808080ull) == 0;
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

} // namespace

double RVXNMEASentenceParser::decimalField(QByteArrayView text) {
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end && isCSpace(*p))
        ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
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

int32_t RVXNMEASentenceParser::integerField(QByteArrayView text) {
    qsizetype i = 0;
    while (i < text.size() && isCSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Saturates like strtol, then narrows like atoi does on this platform.
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value < std::numeric_limits<int64_t>::max() / 10 - 9)
            value = value * 10 + (text[i] - '0');
        else
            value = std::numeric_limits<int64_t>::max();
    }
    return int32_t(negative ? -value : value);
}

bool RVXNMEASentenceParser::parse(const char* sentence) {
    return sentence && parse(QByteArrayView(sentence, qsizetype(std::strlen(sentence))));
}

bool RVXNMEASentenceParser::parse(QByteArrayView sentence) {
    if (!isAscii(sentence) && !isValidUtf8(sentence))
        return false;
    // One pass finds the fields before the '*' and checks that there is exactly one;
    // sentences are short, so this beats a library search per field. The field array
    // is left uninitialised: clearing it cost more than the rest of the split.
    alignas(QByteArrayView) unsigned char storage[sizeof(QByteArrayView) * kMaxFields];
    auto* fields = reinterpret_cast<QByteArrayView*>(storage);
    size_t count = 0;
    qsizetype fieldStart = 0, star = -1;
    const char* text = sentence.data();
    for (qsizetype i = 0; i < sentence.size(); ++i) {
        const char c = text[i];
        if (c != ',' && c != '*')
            continue;
        if (c == '*') {
            if (star >= 0)
                return false;
            star = i;
        } else if (star >= 0) {
            continue; // commas after the '*' belong to the checksum text
        }
        if (count < size_t(kMaxFields))
            new (&fields[count++]) QByteArrayView(text + fieldStart, i - fieldStart);
        fieldStart = i + 1;
    }
    // The checksum after the '*' is not checked.
    if (star < 0)
        return false;
    const RVXNMEAFields f(fields, count);
    const QByteArrayView id = f[0];
    if (id.size() != 6 || id[0] != '$' || id[1] != 'G')
        return false;
    const char talker = id[2];
    auto is = [&id](const char(&type)[4]) {
        return id[3] == type[0] && id[4] == type[1] && id[5] == type[2];
    };
    const bool gps = talker == 'P', combined = talker == 'N';
    if ((gps || combined) && is("RMC"))
        return parseGPRMC(f);
    if ((gps || combined) && is("GGA"))
        return parseGPGGA(f);
    if (combined && is("GSA"))
        return parseGNGSA(f);
    if (combined && is("GNS"))
        return parseGNGNS(f);
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
