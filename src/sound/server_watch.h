// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// Watches for a sound server's local socket to appear, at no cost while nothing changes: an
// inotify descriptor that becomes readable when something is made in the socket's folder (or,
// while that folder is missing, in the folder above it). Not thread-safe: one thread owns it.
class ServerWatch {
  public:
    // Watches for `socketPath` (an absolute path). Without inotify, fd() is -1.
    explicit ServerWatch(std::string socketPath);
    ~ServerWatch();

    ServerWatch(const ServerWatch&) = delete;
    ServerWatch& operator=(const ServerWatch&) = delete;

    // The descriptor to poll for reading, or -1; owned by the watch.
    int fd() const { return fd_; }

    // Reads what is waiting on fd() and watches the socket's folder if it has appeared since.
    // Returns true if anything was made or moved in where the socket is looked for: time to
    // look for the server again. Never blocks.
    bool changed();

  private:
    void arm();

    const std::string socket_;
    int fd_ = -1;
    int folderWatch_ = -1; // the socket's own folder
    int aboveWatch_ = -1;  // the folder above it, while the socket's folder is missing
};
