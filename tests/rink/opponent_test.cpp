// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls.h"
#include "game_state.h"
#include "opponent.h"

#include <gtest/gtest.h>

namespace {

struct Opponent : ::testing::Test {
    // paddle2 and its read-back sample at (x, y); the puck at (px, py) moving at (vx, vy).
    void set(float x, float y, float px, float py, float vx, float vy) {
        c.paddle2 = {x, y};
        s.p2X = x;
        s.p2Y = y;
        s.puckX = px;
        s.puckY = py;
        s.vx = vx;
        s.vy = vy;
    }
    float sideways() {
        const float before = c.paddle2.Left;
        rink::opponentHorizontal(s, c);
        EXPECT_EQ(s.p2X, c.paddle2.Left);
        return c.paddle2.Left - before;
    }
    rink::GameState s;
    rink::Controls c;
};

TEST_F(Opponent, SidewaysStepFollowsMinWithTheSignOfVx) {
    const struct {
        float puckX, vx;
        int skill;
        float step;
    } cases[] = {
        {1000, -50, 70, 70}, // puck to the right moving left: full skill to the right
        {1000, 50, 70, 50},  {1000, 90, 70, 70}, {200, 50, 30, -30},  {200, -50, 70, -50},
        {1000, 0, 70, 0},    {200, 0, 70, 0},    {600, -40, 70, -40}, // level with the paddle:
                                                                      // counts as not to the right
    };
    for (const auto& k : cases) {
        set(600, 0, k.puckX, 2000, k.vx, 0);
        c.cpu.Value = k.skill;
        EXPECT_EQ(sideways(), k.step) << k.puckX << " " << k.vx << " " << k.skill;
    }
}

TEST_F(Opponent, SidewaysStepStartsFromTheShapeNotTheSample) {
    set(600, 0, 1000, 2000, 10, 0);
    s.p2X = 0;
    c.paddle2.Left = 300;
    rink::opponentHorizontal(s, c);
    EXPECT_EQ(c.paddle2.Left, 310);
    EXPECT_EQ(s.p2X, 310);
}

TEST_F(Opponent, VerticalRules) {
    const struct {
        const char* rule;
        float top, puckY, vy, after;
    } cases[] = {
        {"a: attack, paddle near", 0, -10, -50, -240},
        {"b: attack, exactly -240 apart", -250, -10, -50, -150},
        {"a: attack, just inside -240", -249, -10, -50, -489},
        {"not attack at vy 20: d", 100, -10, 20, -20},
        {"c: puck below paddle in the top 500", 100, 400, 50, 200},
        {"puck at 500: d", 100, 500, 50, -20},
        {"puck above paddle: d", 300, 200, 50, 180},
        {"d from 60 overshoots", 60, 3000, 50, -60},
        {"attack needs puckY below Line1.X1", 0, 0, -50, 0},
    };
    for (const auto& k : cases) {
        set(600, k.top, 1000, k.puckY, 0, k.vy);
        rink::opponentVertical(s, c);
        EXPECT_EQ(c.paddle2.Top, k.after) << k.rule;
        EXPECT_EQ(s.p2Y, k.after) << k.rule;
    }
}

TEST_F(Opponent, AtTheTopWithNothingToDoThePaddleStaysAndTheSampleIsKept) {
    set(600, 0, 1000, 3000, 0, 200);
    s.p2Y = 7; // not read back on this path
    rink::opponentVertical(s, c);
    EXPECT_EQ(c.paddle2.Top, 0);
    EXPECT_EQ(s.p2Y, 7);
}

TEST_F(Opponent, AttackReadsTheCentreLinesLeftEnd) {
    set(600, 0, 1000, 50, 0, -50);
    c.Line1.X1 = 100; // puckY 50 < 100: attack, p2Y - puckY = -50 > -240: rule a
    rink::opponentVertical(s, c);
    EXPECT_EQ(c.paddle2.Top, -240);
}

TEST_F(Opponent, ConditionsUseTheStoredSampleAndMovesTheShape) {
    // p2Y says 450 (puck above): rule d, moving the shape from its own Top of 100.
    set(600, 100, 1000, 400, 0, 50);
    s.p2Y = 450;
    rink::opponentVertical(s, c);
    EXPECT_EQ(c.paddle2.Top, -20);
}

} // namespace
