// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: any bytes as a trace script (tools/fuzz.sh builds and runs it).
#include "trace_input.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string fault = fuzz::traceFault(data, size);
    if (!fault.empty()) {
        std::fprintf(stderr, "trace_fuzzer: %s\n", fault.c_str());
        std::abort();
    }
    return 0;
}
