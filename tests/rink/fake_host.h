// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "host.h"

#include <functional>
#include <string>
#include <vector>

// Counts beeps and answers the goal box at once, remembering what it showed.
class FakeHost : public rink::Host {
  public:
    struct Box {
        std::string prompt;
        std::string title;
    };

    void beep() override { ++beeps; }
    void messageBox(const std::string& prompt, const std::string& title) override {
        boxes.push_back({prompt, title});
        if (onBox) {
            onBox();
        }
    }

    int beeps = 0;
    std::vector<Box> boxes;
    std::function<void()> onBox; // runs while the box is "open"
};
