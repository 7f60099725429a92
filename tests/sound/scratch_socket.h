// SPDX-License-Identifier: GPL-3.0-or-later
// What the tests of the sound's connection share: a scratch folder, and a server socket in it.
#pragma once

#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

// A scratch folder, removed again with everything in it.
struct Scratch {
    std::string path;
    Scratch() {
        char name[] = "/tmp/velmaro-sound-XXXXXX";
        path = mkdtemp(name);
    }
    ~Scratch() { std::filesystem::remove_all(path); }
};

// Whether `fd` has something to read, or a client to accept, within `milliseconds`.
inline bool readableWithin(int fd, int milliseconds) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, milliseconds) == 1;
}

// Binds a listening socket at `path`, as a server does; returns its descriptor.
inline int listenAt(const std::string& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(listen(fd, 4), 0);
    return fd;
}
