// SPDX-License-Identifier: GPL-3.0-or-later
// Every line of the input is one sentence for one running parser, as a receiver log
// would be fed; the whole input is tried as one sentence too.
#include "core/telemetry/RVXNMEASentenceParser.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    RVXNMEASentenceParser parser;
    size_t start = 0;
    while (start <= input.size()) {
        const size_t end = std::min(input.find('\n', start), input.size());
        const std::string line = input.substr(start, end - start);
        parser.parse(line.c_str());
        start = end + 1;
    }
    parser.parse(QByteArrayView(input.data(), qsizetype(input.size())));
    return 0;
}
