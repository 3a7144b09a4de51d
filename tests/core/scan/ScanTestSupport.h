// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/catalogue/RVXMedia.h"
#include "core/catalogue/RVXTrip.h"

// A unit of a recording named name on a card, its length given rather than read.
inline RVXTripUnit unitOf(const char* name, double length) {
    RVXTripUnit u = RVXTrip::unitOf(RVXMedia::mediaWithPath(QStringLiteral("/card/") + name));
    u.length = length;
    return u;
}
