// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/catalogue/RVXMediaPair.h"

RVXMediaRef RVXMediaPair::partnerOf(const RVXMedia& media) const {
    if (media.isFrontMedia())
        return m_rearMedia;
    if (media.isRearMedia())
        return m_frontMedia;
    return nullptr;
}
