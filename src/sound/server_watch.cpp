// SPDX-License-Identifier: GPL-3.0-or-later
#include "server_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cstdint>
#include <utility>

namespace {

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos || slash == 0 ? std::string("/") : path.substr(0, slash);
}

// What makes a socket, or the folder it lives in: made, or moved in.
constexpr std::uint32_t madeHere = IN_CREATE | IN_MOVED_TO;

} // namespace

ServerWatch::ServerWatch(std::string socketPath)
    : socket_(std::move(socketPath)), fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    arm();
}

ServerWatch::~ServerWatch() {
    if (fd_ >= 0) {
        close(fd_);
    }
}

void ServerWatch::arm() {
    if (fd_ < 0 || folderWatch_ >= 0) {
        return;
    }
    const std::string folder = folderOf(socket_);
    folderWatch_ = inotify_add_watch(fd_, folder.c_str(), madeHere | IN_DELETE_SELF);
    if (folderWatch_ >= 0) {
        if (aboveWatch_ >= 0) {
            inotify_rm_watch(fd_, aboveWatch_);
            aboveWatch_ = -1;
        }
    } else if (aboveWatch_ < 0) {
        aboveWatch_ = inotify_add_watch(fd_, folderOf(folder).c_str(), madeHere);
    }
}

bool ServerWatch::changed() {
    if (fd_ < 0) {
        return false;
    }
    bool made = false;
    alignas(inotify_event) char events[4096];
    for (;;) {
        const ssize_t n = read(fd_, events, sizeof events);
        if (n <= 0) {
            break;
        }
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(events + at);
            if (event->mask & madeHere) {
                made = true;
            }
            if (event->wd == folderWatch_ && (event->mask & (IN_DELETE_SELF | IN_IGNORED))) {
                folderWatch_ = -1; // the folder went: watch for it above again
            }
            at += ssize_t(sizeof(inotify_event)) + ssize_t(event->len);
        }
    }
    arm();
    return made;
}
