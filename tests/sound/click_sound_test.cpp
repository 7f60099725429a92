// SPDX-License-Identifier: GPL-3.0-or-later
#include "click_sound.h"

#include <gtest/gtest.h>

namespace {

// The tests run with no sound server: CMake points PULSE_SERVER nowhere.
TEST(ClickSound, WithoutAnAudioOutputEveryClickRingsTheBellOnce) {
    int rings = 0;
    ClickSound click([&rings] { ++rings; });
    for (int i = 1; i <= 3; ++i) {
        click.play();
        EXPECT_EQ(rings, i);
    }
    EXPECT_FALSE(click.audible());
}

} // namespace
