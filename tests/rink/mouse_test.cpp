// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls.h"
#include "mouse.h"

#include <gtest/gtest.h>

namespace {

struct Move {
    float x, y, left, top;
};

TEST(Mouse, PaddleJumpsToPointerButNeverAboveTheCentreLine) {
    const Move moves[] = {
        {720, 4000, 600, 3880},  // ordinary move in the player's half
        {1000, 3000, 880, 2880}, // y - 120 on the centre line
        {1000, 2999, 880, 2880}, // just above it: clamped
        {500, 0, 380, 2880},     // far above: Left still follows x
        {0, 4000, -120, 3880},   // no bound at the left
        {3600, 5700, 3480, 5580} // nor at the right or the bottom
    };
    for (const Move& m : moves) {
        rink::Controls c;
        rink::Picture1_MouseMove(c, 1, 0, m.x, m.y);
        EXPECT_EQ(c.paddle1.Left, m.left) << m.x << ", " << m.y;
        EXPECT_EQ(c.paddle1.Top, m.top) << m.x << ", " << m.y;
    }
}

TEST(Mouse, ReadsTheCentreLineOnEveryMoveAndRoundsOnce) {
    rink::Controls c;
    c.Line1.Y1 = 1000;
    rink::Picture1_MouseMove(c, 0, 0, 120, 500);
    EXPECT_EQ(c.paddle1.Top, 1000);
    // 16777217 is not a float: the pointer arrives as 16777216, and x - 120 is then exact.
    rink::Picture1_MouseMove(c, 0, 0, 16777216.0f, 2000);
    EXPECT_EQ(c.paddle1.Left, 16777096.0f);
    EXPECT_EQ(c.paddle1.Top, 1880);
}

} // namespace
