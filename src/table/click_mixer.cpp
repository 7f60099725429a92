// SPDX-License-Identifier: GPL-3.0-or-later
#include "click_mixer.h"

#include <algorithm>
#include <limits>
#include <utility>

ClickMixer::ClickMixer(std::vector<std::int16_t> click) : click_(std::move(click)) {
    voices_.reserve(64);
}

void ClickMixer::start(std::size_t count) {
    if (count == 0 || click_.empty()) {
        return;
    }
    // Clicks started together are one voice played `count` times as loud.
    if (!voices_.empty() && voices_.back().position == 0) {
        voices_.back().copies += count;
        return;
    }
    voices_.push_back({0, count});
}

void ClickMixer::render(std::int16_t* out, std::size_t frames) {
    constexpr long lowest = std::numeric_limits<std::int16_t>::min();
    constexpr long highest = std::numeric_limits<std::int16_t>::max();
    for (std::size_t i = 0; i < frames; ++i) {
        long sum = 0;
        for (const Voice& v : voices_) {
            if (v.position + i < click_.size()) {
                sum += long(click_[v.position + i]) * long(v.copies);
            }
        }
        out[i] = std::int16_t(std::clamp(sum, lowest, highest));
    }
    for (Voice& v : voices_) {
        v.position += frames;
    }
    std::erase_if(voices_, [this](const Voice& v) { return v.position >= click_.size(); });
}
