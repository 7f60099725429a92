// SPDX-License-Identifier: GPL-3.0-or-later
#include "scratch_socket.h"
#include "server_watch.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace {

TEST(ServerWatch, TellsWhenTheSocketIsMadeAndNothingElseMeanwhile) {
    Scratch scratch;
    const std::string folder = scratch.path + "/pulse";
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    ServerWatch watch(folder + "/native");
    ASSERT_GE(watch.fd(), 0);
    EXPECT_FALSE(readableWithin(watch.fd(), 0));
    EXPECT_FALSE(watch.changed());

    const int server = listenAt(folder + "/native");
    EXPECT_TRUE(readableWithin(watch.fd(), 0));
    EXPECT_TRUE(watch.changed());
    EXPECT_FALSE(readableWithin(watch.fd(), 0));
    EXPECT_FALSE(watch.changed());
    close(server);
}

TEST(ServerWatch, FollowsTheSocketsFolderWhenItIsMadeOrRemoved) {
    Scratch scratch;
    const std::string folder = scratch.path + "/pulse";
    ServerWatch watch(folder + "/native");
    ASSERT_GE(watch.fd(), 0);

    // The folder appears: news, and from now on the folder itself is watched.
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    EXPECT_TRUE(watch.changed());
    int server = listenAt(folder + "/native");
    EXPECT_TRUE(watch.changed());
    close(server);

    // The folder goes and comes back, as a server's runtime folder may between two runs.
    std::filesystem::remove_all(folder);
    watch.changed();
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    EXPECT_TRUE(watch.changed());
    server = listenAt(folder + "/native");
    EXPECT_TRUE(watch.changed());
    close(server);
}

} // namespace
