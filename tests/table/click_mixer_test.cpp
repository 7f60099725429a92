// SPDX-License-Identifier: GPL-3.0-or-later
#include "click_mixer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Samples = std::vector<std::int16_t>;

Samples render(ClickMixer& mixer, std::size_t frames) {
    Samples out(frames, 12345); // anything the mixer fails to write shows
    mixer.render(out.data(), frames);
    return out;
}

TEST(ClickMixer, SilentUntilStartedThenOneWholeClickFromTheNextBuffer) {
    ClickMixer mixer({100, -200, 300, -400, 500});
    EXPECT_FALSE(mixer.sounding());
    EXPECT_EQ(render(mixer, 3), Samples({0, 0, 0}));
    mixer.start();
    EXPECT_TRUE(mixer.sounding());
    // The click runs across buffers of any size, whole, and then the mixer falls silent.
    EXPECT_EQ(render(mixer, 2), Samples({100, -200}));
    EXPECT_EQ(render(mixer, 2), Samples({300, -400}));
    EXPECT_TRUE(mixer.sounding());
    EXPECT_EQ(render(mixer, 3), Samples({500, 0, 0}));
    EXPECT_FALSE(mixer.sounding());
    EXPECT_EQ(render(mixer, 2), Samples({0, 0}));
}

TEST(ClickMixer, OverlappingClicksAddAndClickOfOneBufferAddsAsOften) {
    ClickMixer mixer({1000, 2000, 3000, 4000});
    mixer.start();
    EXPECT_EQ(render(mixer, 2), Samples({1000, 2000}));
    mixer.start(); // starts while the first still sounds
    EXPECT_EQ(render(mixer, 2), Samples({3000 + 1000, 4000 + 2000}));
    EXPECT_EQ(render(mixer, 3), Samples({3000, 4000, 0}));
    mixer.start();
    mixer.start(2); // three clicks of the same tick: three times as loud
    EXPECT_EQ(render(mixer, 4), Samples({3000, 6000, 9000, 12000}));
    EXPECT_FALSE(mixer.sounding());
}

TEST(ClickMixer, SilencedClicksAreGoneAndLaterOnesWhole) {
    ClickMixer mixer({1, 2, 3});
    mixer.start(2);
    render(mixer, 1);
    mixer.silence(); // the stream under them was lost
    EXPECT_FALSE(mixer.sounding());
    EXPECT_EQ(render(mixer, 2), Samples({0, 0}));
    mixer.start();
    EXPECT_EQ(render(mixer, 4), Samples({1, 2, 3, 0}));
}

TEST(ClickMixer, SumsClipToTheSixteenBitRange) {
    ClickMixer mixer({30000, -30000, 20000});
    mixer.start(2);
    EXPECT_EQ(render(mixer, 3), Samples({32767, -32768, 32767}));
    mixer.start(1000000); // a long stall of the audio thread piles up clicks: still clipped
    EXPECT_EQ(render(mixer, 1), Samples({32767}));
}

TEST(ClickMixer, StartingNothingOrAnEmptyClickStaysSilent) {
    ClickMixer mixer({7});
    mixer.start(0);
    EXPECT_FALSE(mixer.sounding());
    ClickMixer empty({});
    empty.start();
    EXPECT_FALSE(empty.sounding());
    EXPECT_EQ(render(empty, 2), Samples({0, 0}));
    EXPECT_EQ(mixer.clickLength(), 1u);
}

} // namespace
