// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/catalogue/RVXMedia.h"

// The front and the rear recording of one moment; either side may be empty.
class RVXMediaPair {
public:
    static std::shared_ptr<RVXMediaPair> mediaPair() { return std::make_shared<RVXMediaPair>(); }

    const RVXMediaRef& frontMedia() const { return m_frontMedia; }
    void setFrontMedia(RVXMediaRef media) { m_frontMedia = std::move(media); }
    const RVXMediaRef& rearMedia() const { return m_rearMedia; }
    void setRearMedia(RVXMediaRef media) { m_rearMedia = std::move(media); }

    // The member on the other side from media's: the recording to play beside it.
    RVXMediaRef partnerOf(const RVXMedia& media) const;

private:
    RVXMediaRef m_frontMedia;
    RVXMediaRef m_rearMedia;
};

using RVXMediaPairRef = std::shared_ptr<const RVXMediaPair>;
