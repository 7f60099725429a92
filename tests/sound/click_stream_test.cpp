// SPDX-License-Identifier: GPL-3.0-or-later
#include "click_stream.h"
#include "scratch_socket.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <string>

namespace {

// The next client of `server` that says something within `milliseconds` (a sound client opens
// with its authentication; the stream's own look at whether the server listens says nothing),
// or -1. What it said is read and left unanswered.
int nextTalker(int server, int milliseconds) {
    for (int waited = 0; waited < milliseconds; waited += 100) {
        if (!readableWithin(server, 100)) {
            continue;
        }
        const int client = accept(server, nullptr, nullptr);
        std::array<char, 256> said{};
        if (client >= 0 && readableWithin(client, 1000) &&
            read(client, said.data(), said.size()) > 0) {
            return client;
        }
        close(client);
    }
    return -1;
}

// Whether the client at `fd` hangs up within `milliseconds`, whatever else it sends meanwhile.
bool hangsUpWithin(int fd, int milliseconds) {
    std::array<char, 256> said{};
    for (int waited = 0; waited < milliseconds; waited += 100) {
        if (readableWithin(fd, 100) && read(fd, said.data(), said.size()) == 0) {
            return true;
        }
    }
    return false;
}

TEST(ClickStream, GivesUpAServerThatTakesTheConnectionButNeverAnswersAndAsksAgain) {
    Scratch scratch;
    const std::string path = scratch.path + "/native";
    const int server = listenAt(path);
    setenv("PULSE_SERVER", ("unix:" + path).c_str(), 1);

    ClickStream stream({1000, -1000, 500}, 44100);
    const int first = nextTalker(server, 5000);
    ASSERT_GE(first, 0) << "the stream never connected";
    EXPECT_FALSE(stream.play()); // no stream: the bell's turn
    EXPECT_TRUE(hangsUpWithin(first, 5000)) << "the unanswered connection was kept";
    const int second = nextTalker(server, 5000);
    EXPECT_GE(second, 0) << "the server was not asked again";
    EXPECT_FALSE(stream.open());
    close(first);
    close(second);
    close(server);
}

} // namespace
