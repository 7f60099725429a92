// SPDX-License-Identifier: GPL-3.0-or-later
#include "server_watch.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

// A scratch folder, removed again with everything in it.
struct Scratch {
    std::string path;
    Scratch() {
        char name[] = "/tmp/velmaro-watch-XXXXXX";
        path = mkdtemp(name);
    }
    ~Scratch() { std::filesystem::remove_all(path); }
};

bool readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, 0) == 1;
}

// Binds a listening socket at `path`, as a server does; returns its descriptor.
int listenAt(const std::string& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(listen(fd, 1), 0);
    return fd;
}

TEST(ServerWatch, TellsWhenTheSocketIsMadeAndNothingElseMeanwhile) {
    Scratch scratch;
    const std::string folder = scratch.path + "/pulse";
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    ServerWatch watch(folder + "/native");
    ASSERT_GE(watch.fd(), 0);
    EXPECT_FALSE(readable(watch.fd()));
    EXPECT_FALSE(watch.changed());

    const int server = listenAt(folder + "/native");
    EXPECT_TRUE(readable(watch.fd()));
    EXPECT_TRUE(watch.changed());
    EXPECT_FALSE(readable(watch.fd()));
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
