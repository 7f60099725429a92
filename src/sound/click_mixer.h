// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Mixes whole clicks on the timeline of one burst of sound, in 16-bit mono samples counted from
// the burst's first sample. Each start() adds clicks at a sample of the timeline; clicks that
// overlap add up, clipped to the 16-bit range. What lies before the latest start is dropped:
// it has been handed on and never changes again. Not thread-safe: the audio thread alone owns
// a mixer.
class ClickMixer {
  public:
    // Takes a copy of the click's samples.
    explicit ClickMixer(std::vector<std::int16_t> click);

    // Adds `count` clicks that begin `at` samples into the burst (no earlier than from()).
    void start(std::size_t at, std::size_t count = 1);

    // The mixed samples from sample from() up to end(), clipped: end() - from() of them.
    const std::int16_t* samples() const { return mixed_.data(); }
    std::size_t from() const { return from_; }
    std::size_t end() const { return from_ + mixed_.size(); }

    // Drops the samples before `upTo` (at most end()): they have been handed on.
    void handOn(std::size_t upTo);

    // Ends the burst: nothing sounds, and the next burst starts again at sample 0.
    void clear();

    // Samples of the click.
    std::size_t clickLength() const { return click_.size(); }

  private:
    std::vector<std::int16_t> click_;
    std::vector<long long> sums_; // from from_ on, unclipped
    std::vector<std::int16_t> mixed_;
    std::size_t from_ = 0;
};
