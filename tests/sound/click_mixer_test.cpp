// SPDX-License-Identifier: GPL-3.0-or-later
#include "click_mixer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Samples = std::vector<std::int16_t>;

// What the mixer would hand on: its samples from from() to end().
Samples mixed(const ClickMixer& mixer) {
    return Samples(mixer.samples(), mixer.samples() + (mixer.end() - mixer.from()));
}

TEST(ClickMixer, OneWholeClickFromWhereItStarts) {
    ClickMixer mixer({100, -200, 300, -400, 500});
    EXPECT_EQ(mixer.end(), 0u);
    mixer.start(0);
    EXPECT_EQ(mixer.from(), 0u);
    EXPECT_EQ(mixed(mixer), Samples({100, -200, 300, -400, 500}));
    // A later click after a gap: the gap is gone (handed on), the click whole where it starts.
    mixer.start(7);
    EXPECT_EQ(mixer.from(), 7u);
    EXPECT_EQ(mixer.end(), 12u);
    EXPECT_EQ(mixed(mixer), Samples({100, -200, 300, -400, 500}));
}

TEST(ClickMixer, OverlappingClicksAddAndTheRestOfTheBurstIsRemixed) {
    ClickMixer mixer({1000, 2000, 3000, 4000});
    mixer.start(0);
    mixer.start(2); // while the first still sounds: from there on, both
    EXPECT_EQ(mixer.from(), 2u);
    EXPECT_EQ(mixed(mixer), Samples({3000 + 1000, 4000 + 2000, 3000, 4000}));
    mixer.start(3, 2); // two clicks of one tick: twice as loud, over the other two
    EXPECT_EQ(mixed(mixer),
              Samples({4000 + 2000 + 2 * 1000, 3000 + 2 * 2000, 4000 + 2 * 3000, 2 * 4000}));
    // Asked for before what has been handed on: starts where the mix stands, never earlier.
    mixer.start(1);
    EXPECT_EQ(mixer.from(), 3u);
    EXPECT_EQ(mixed(mixer)[0], 8000 + 1000);
}

TEST(ClickMixer, ClicksMixOnlyIntoWhatHasNotBeenHandedOn) {
    ClickMixer mixer({1000, 2000, 3000, 4000});
    mixer.start(0);
    mixer.handOn(3); // three samples gone to the server: they never change again
    EXPECT_EQ(mixer.from(), 3u);
    EXPECT_EQ(mixed(mixer), Samples({4000}));
    mixer.start(mixer.from()); // a second click, from the first sample not handed on
    EXPECT_EQ(mixed(mixer), Samples({4000 + 1000, 2000, 3000, 4000}));
    EXPECT_EQ(mixer.end(), 7u);
    // Handing on past the end hands on what there is; handing on again what is gone, nothing.
    mixer.handOn(100);
    EXPECT_EQ(mixer.from(), 7u);
    EXPECT_EQ(mixer.end(), 7u);
    mixer.handOn(2);
    EXPECT_EQ(mixer.from(), 7u);
    // A click after everything was handed on starts whole where the burst stands.
    mixer.start(mixer.end());
    EXPECT_EQ(mixed(mixer), Samples({1000, 2000, 3000, 4000}));
}

TEST(ClickMixer, ClearedBurstsStartAgainAtZeroWithNothingLeft) {
    ClickMixer mixer({1, 2, 3});
    mixer.start(0, 2);
    mixer.start(1);
    mixer.clear(); // the stream under them was lost, or the burst played out
    EXPECT_EQ(mixer.from(), 0u);
    EXPECT_EQ(mixer.end(), 0u);
    mixer.start(0);
    EXPECT_EQ(mixed(mixer), Samples({1, 2, 3}));
}

TEST(ClickMixer, SumsClipToTheSixteenBitRange) {
    ClickMixer mixer({30000, -30000, 20000});
    mixer.start(0, 2);
    EXPECT_EQ(mixed(mixer), Samples({32767, -32768, 32767}));
    mixer.start(0, 1000000); // a long stall of the audio thread piles up clicks: still clipped
    mixer.start(0, 4000000000u);
    EXPECT_EQ(mixed(mixer), Samples({32767, -32768, 32767}));
}

TEST(ClickMixer, StartingNothingOrAnEmptyClickStaysSilent) {
    ClickMixer mixer({7});
    mixer.start(0, 0);
    EXPECT_EQ(mixer.end(), 0u);
    ClickMixer empty({});
    empty.start(0);
    EXPECT_EQ(empty.end(), 0u);
    EXPECT_EQ(mixer.clickLength(), 1u);
}

} // namespace
