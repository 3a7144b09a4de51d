// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

extern "C" {
#include <libavutil/log.h>
}

// libav's own messages held back while it lives: what goes wrong comes back to the caller
// as a value, and the repair asks the decoders about bytes that are not what they decode,
// on purpose, so their complaints are the answer, not news.
class RVXQuietLibav {
public:
    RVXQuietLibav()
        : m_level(av_log_get_level()) {
        av_log_set_level(AV_LOG_QUIET);
    }
    ~RVXQuietLibav() { av_log_set_level(m_level); }
    RVXQuietLibav(const RVXQuietLibav&) = delete;
    RVXQuietLibav& operator=(const RVXQuietLibav&) = delete;

private:
    int m_level;
};
