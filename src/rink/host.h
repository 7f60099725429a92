// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace rink {

// What the game needs from the window around it. The window (or a test fake) owns the object;
// the game only borrows it for the length of one call.
class Host {
  public:
    virtual ~Host() = default;
    // Sounds the beep once. Must return at once.
    virtual void beep() = 0;
    // Shows a modal message box with one OK button and no icon; returns when it is closed.
    virtual void messageBox(const std::string& prompt, const std::string& title) = 0;
};

} // namespace rink
