// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/telemetry/RVXGpsData.h"

#include <QByteArray>

// Every field of a fix under its own name, in the record's order.
QByteArray gpsDataJson(const RVXGpsData& fix);
QByteArray systemTimeJson(const _SYSTEMTIME& time);
// A single character as a one-character JSON string; bytes above ASCII as Latin-1.
QString characterText(char c);
