// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The program's diagnostics: one line to the system log, and to stderr as well when
// stderr is a terminal or RUVEX_LOG_STDERR is set (tests read it there).
void RVXLog(const QString& line);
void RVXLog(const char* line);
