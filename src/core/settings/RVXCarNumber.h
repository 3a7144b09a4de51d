// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The licence-plate filter of the car-number field: ASCII letters and digits in order,
// at most 8 of them; everything else is dropped.
QString RVXFilterCarNumber(const QString& text);
