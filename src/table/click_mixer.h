// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Mixes whole clicks into buffers of 16-bit mono samples. Each start() adds one click that begins
// at the first sample of the next render(); clicks that overlap add up, clipped to the 16-bit
// range. Not thread-safe: the audio thread alone owns a mixer.
class ClickMixer {
  public:
    // Takes a copy of the click's samples.
    explicit ClickMixer(std::vector<std::int16_t> click);

    // Adds `count` clicks, all starting at the next render().
    void start(std::size_t count = 1);

    // Fills `out` (`frames` samples) with the sounding clicks, or silence, and moves on.
    void render(std::int16_t* out, std::size_t frames);

    // Drops every click still sounding; the next render() is silence.
    void silence() { voices_.clear(); }

    // True while some click has samples left to render.
    bool sounding() const { return !voices_.empty(); }

    // Samples of the click.
    std::size_t clickLength() const { return click_.size(); }

  private:
    struct Voice {
        std::size_t position;
        std::size_t copies;
    };
    std::vector<std::int16_t> click_;
    std::vector<Voice> voices_;
};
