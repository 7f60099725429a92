// SPDX-License-Identifier: GPL-3.0-or-later
// velmaro-soak [TICKS [SEED]]: a random player drives the table headless for TICKS ticks
// (100000 by default), every tick checked; prints what was played and how long it took.
// Exits 1 at the first broken rule, 2 on bad arguments.
#include "soak.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

template <typename Number> bool parse(const char* text, Number& value) {
    const char* end = text + std::strlen(text);
    const auto [stop, ec] = std::from_chars(text, end, value);
    return ec == std::errc() && stop == end;
}

} // namespace

int main(int argc, char** argv) {
    long long ticks = 100000;
    unsigned long long seed = 1;
    if (argc > 3 || (argc > 1 && (!parse(argv[1], ticks) || ticks < 1)) ||
        (argc > 2 && !parse(argv[2], seed))) {
        std::fprintf(stderr, "usage: velmaro-soak [TICKS [SEED]]\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const soak::Outcome outcome = soak::run(ticks, seed);
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
    std::printf("soak: seed %llu, ticks %lld, goals %lld (red %lld, blue %lld), puck beyond a "
                "wall unheld at most %d ticks in a row, wall time %.3f s\n",
                seed, outcome.ticks, outcome.red + outcome.blue, outcome.red, outcome.blue,
                outcome.longestOutside, wall.count());
    if (!outcome.fault.empty()) {
        std::fprintf(stderr, "velmaro-soak: %s\n", outcome.fault.c_str());
        return 1;
    }
    return 0;
}
