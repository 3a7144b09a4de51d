// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/support/RVXLog.h"

#include <cstdio>
#include <cstdlib>

#include <syslog.h>
#include <unistd.h>

namespace {
bool alsoToStderr() {
    static const bool enabled = isatty(STDERR_FILENO) || std::getenv("RUVEX_LOG_STDERR");
    return enabled;
}
} // namespace

void RVXLog(const char* line) {
    syslog(LOG_USER | LOG_INFO, "%s", line);
    if (alsoToStderr()) {
        std::fputs(line, stderr);
        std::fputc('\n', stderr);
    }
}

void RVXLog(const QString& line) {
    RVXLog(line.toUtf8().constData());
}
