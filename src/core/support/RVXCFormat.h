// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// printf-style text by the C library's rules under the "C" numeric locale: the camera's
// own program prints this way. QString::asprintf rounds ties up (a G value of 160/256
// would read +0.63 where the camera shows +0.62, an HDOP of 1.25 would read 1.3), and
// the user's locale would put a comma into numbers that scripts and files read back.
QString RVXCFormat(const char* pattern, ...) __attribute__((format(printf, 1, 2)));
