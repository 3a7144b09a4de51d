// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/telemetry/RVXAviGSensorData.h"

#include "core/support/RVXLittleEndian.h"

namespace {
int32_t littleEndian32(const unsigned char* p) {
    return int32_t(RVXReadLittleEndian(p, 4));
}
} // namespace

RVXAviGSensorData RVXAviGSensorData::aviGSensorDataWithData(const unsigned char* data) {
    return {littleEndian32(data), littleEndian32(data + 4), littleEndian32(data + 8),
            littleEndian32(data + 12)};
}
