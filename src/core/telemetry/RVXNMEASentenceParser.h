// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/telemetry/RVXGpsData.h"

#include <QByteArrayView>

#include <span>

// The comma-separated fields of one sentence; f[0] is the identifier with its '$'.
using RVXNMEAFields = std::span<const QByteArrayView>;

// Decodes one sentence at a time into a running fix. Each handled sentence changes only
// the fields it carries; refused sentences change nothing.
class RVXNMEASentenceParser {
public:
    // At most this many fields of a sentence are looked at; handlers read up to 14.
    static constexpr int kMaxFields = 32;

    void clear() { m_Current.clear(); }
    // One sentence without its line end; true when it was recognised and applied.
    bool parse(const char* sentence);
    bool parse(QByteArrayView sentence);

    bool parseGPRMC(RVXNMEAFields f);
    bool parseGPGGA(RVXNMEAFields f);
    bool parseGNGSA(RVXNMEAFields f);
    bool parseGNGNS(RVXNMEAFields f);

    const RVXGpsData& current() const { return m_Current; }

    // The conversions of the camera's reader: decimal text through single precision
    // (12658.2 reads as 12658.2001953125), integers as the C library reads them.
    static double decimalField(QByteArrayView text);
    static int32_t integerField(QByteArrayView text);

    RVXGpsData m_Current;
};
