// SPDX-License-Identifier: GPL-3.0-or-later
// The input is a whole recording file; the extraction reads it by path, so it is handed
// over in an anonymous memory file.
#include "core/telemetry/RVXBlackBoxData.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const int fd = memfd_create("recording", 0);
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);
    if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != ssize_t(size))
        return 0;
    static RVXBlackBoxData blackBox;
    if (blackBox.ExtractStreamInformation(path.c_str())) {
        // The lists stay parallel whatever the input.
        if (blackBox.m_Times.size() != blackBox.m_GSensors.size() ||
            blackBox.m_Times.size() != blackBox.m_vGpsData.size() ||
            blackBox.m_Times.size() != blackBox.m_vGSensorData.size())
            __builtin_trap();
    } else if (!blackBox.m_Times.empty() || !blackBox.m_NMEAs.empty()) {
        __builtin_trap();
    }
    return 0;
}
