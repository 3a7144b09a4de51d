// SPDX-License-Identifier: GPL-3.0-or-later
#include "RVXAviGSensorData.h"

namespace {
int32_t littleEndian32(const unsigned char* p) {
    return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                   uint32_t(p[3]) << 24);
}
} // namespace

RVXAviGSensorData RVXAviGSensorData::aviGSensorDataWithData(const unsigned char* data) {
    return {littleEndian32(data), littleEndian32(data + 4), littleEndian32(data + 8),
            littleEndian32(data + 12)};
}
