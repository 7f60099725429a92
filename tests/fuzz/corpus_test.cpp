// SPDX-License-Identifier: GPL-3.0-or-later
// Every input the fuzzer kept, and every hand-written seed, runs through the trace language
// without breaking its promise (see trace_input.h).
#include "trace_input.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::vector<std::filesystem::path> inputs(const char* folder) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files.push_back(entry.path());
        }
    }
    return files;
}

void runAll(const char* folder) {
    const auto files = inputs(folder);
    ASSERT_FALSE(files.empty()) << "no inputs in " << folder;
    for (const auto& file : files) {
        std::ifstream stream(file, std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(stream),
                                              std::istreambuf_iterator<char>()};
        EXPECT_EQ(fuzz::traceFault(bytes.data(), bytes.size()), "") << file;
    }
}

TEST(FuzzCorpus, EveryKeptInputRunsCleanly) {
    runAll(VELMARO_FUZZ_DIR "/corpus");
}

TEST(FuzzCorpus, EveryHandWrittenSeedRunsCleanly) {
    runAll(VELMARO_FUZZ_DIR "/seeds");
}

} // namespace
