// SPDX-License-Identifier: GPL-3.0-or-later
#include "contact.h"
#include "fake_host.h"
#include "game.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(Nvitesse, WorkedValues) {
    float vx = 0, vy = 200;
    rink::nvitesse(vx, vy, 0.05f, 240);
    EXPECT_NEAR(vx, 0.083, 0.001);
    EXPECT_NEAR(vy, -200, 0.001);

    vx = -100, vy = 0; // level to the right, moving toward the paddle
    rink::nvitesse(vx, vy, 240.05f, 0);
    EXPECT_EQ(vx, 100);
    EXPECT_EQ(vy, 0);

    vx = 100, vy = 0; // moving away: still mirrored
    rink::nvitesse(vx, vy, 240.05f, 0);
    EXPECT_EQ(vx, -100);
    EXPECT_EQ(vy, 0);

    vx = 0, vy = 200; // 45 degrees above and to the right
    rink::nvitesse(vx, vy, 169.76f, 169.71f);
    EXPECT_NEAR(vx, 200, 0.01);
    EXPECT_NEAR(vy, 0.06, 0.01);
}

TEST(Nvitesse, KeepsTheSpeedAndDependsOnlyOnTheLine) {
    float ax = 37, ay = -121, bx = 37, by = -121;
    rink::nvitesse(ax, ay, 100, 60);
    rink::nvitesse(bx, by, -100, -60); // the same line, the other side of the paddle
    EXPECT_EQ(ax, bx);
    EXPECT_EQ(ay, by);
    EXPECT_NEAR(std::hypot(ax, ay), std::hypot(37, -121), 1e-3);
}

// A still paddle at (1200, 4000) and a puck `above` it, moving at (vx, vy).
struct Contact : ::testing::Test {
    void SetUp() override { paddleAt(1200, 4000, 1200, 4000); }
    void paddleAt(float x, float y, float oldX, float oldY) {
        s.p1X = x;
        s.p1Y = y;
        s.p1OldX = oldX;
        s.p1OldY = oldY;
    }
    void puckAt(float x, float y, float vx, float vy) {
        s.puckX = x;
        s.puckY = y;
        s.vx = vx;
        s.vy = vy;
    }
    rink::GameState s;
    FakeHost host;
};

TEST_F(Contact, WholeContactPushesOutMirrorsAndAddsThePaddlesMotion) {
    paddleAt(1200, 4000, 1200, 4060); // moving up by 60 a tick
    puckAt(1200, 3800, 0, 200);
    rink::contactPaddle1(s, host);
    EXPECT_EQ(s.puckX, 1200);
    EXPECT_EQ(s.puckY, 3760);
    EXPECT_NEAR(s.vx, 0.083, 0.001);
    EXPECT_NEAR(s.vy, -260, 0.001);
    EXPECT_TRUE(s.hit1);
    EXPECT_EQ(host.beeps, 1);
}

TEST_F(Contact, ExactlyTheContactDistanceIsNoContactJustInsideIs) {
    puckAt(1200 + 144, 4000 - 192, 5, 7); // a 3-4-5 triangle: exactly 240 apart
    const rink::GameState was = s;
    rink::contactPaddle1(s, host);
    EXPECT_EQ(s.puckX, was.puckX);
    EXPECT_EQ(s.puckY, was.puckY);
    EXPECT_EQ(s.vx, 5);
    EXPECT_FALSE(s.hit1);
    EXPECT_EQ(host.beeps, 0);

    s.puckY = std::nextafter(s.puckY, 5000.0f);
    rink::contactPaddle1(s, host);
    EXPECT_TRUE(s.hit1);
    EXPECT_EQ(host.beeps, 1);
}

TEST_F(Contact, ASetLatchIgnoresAnyOverlap) {
    puckAt(1210, 3990, 3, 4);
    s.hit1 = true;
    const rink::GameState was = s;
    rink::contactPaddle1(s, host);
    EXPECT_EQ(s.puckX, was.puckX);
    EXPECT_EQ(s.puckY, was.puckY);
    EXPECT_EQ(s.vx, was.vx);
    EXPECT_EQ(s.vy, was.vy);
    EXPECT_EQ(host.beeps, 0);
}

TEST_F(Contact, StillPaddleGivesThePureMirrorImage) {
    puckAt(1400, 4000, -100, 0); // level, to the right
    rink::contactPaddle1(s, host);
    EXPECT_EQ(s.puckX, 1440);
    EXPECT_EQ(s.vx, 100);
    EXPECT_EQ(s.vy, 0);
}

TEST_F(Contact, SidewaysMotionCountsOnlyWhenThePuckIsLevel) {
    paddleAt(1200, 4000, 1150, 4000); // moved right by 50
    puckAt(1200, 3800, 0, 200);       // straight above
    rink::contactPaddle1(s, host);
    EXPECT_NEAR(s.vx, 0.083, 0.001);

    s = {};
    paddleAt(1200, 4000, 1150, 4000);
    puckAt(1400, 4000, -100, 0); // level: the whole 50 is added
    rink::contactPaddle1(s, host);
    EXPECT_EQ(s.vx, 150);
}

TEST_F(Contact, APaddleThatCaughtUpTurnsThePuckBackBeforeAddingItsMotion) {
    paddleAt(1200, 4000, 1200, 4300); // moved up by 300
    puckAt(1200, 3800, 0, -100);
    rink::contactPaddle1(s, host);
    EXPECT_NEAR(s.vx, -0.04, 0.01);
    EXPECT_NEAR(s.vy, -200, 0.01);
}

TEST_F(Contact, Paddle2SeesWhatPaddle1Left) {
    rink::Game game;
    rink::GameState& g = game.state;
    game.controls.paddle1 = {1200, 3000};
    game.controls.paddle2 = {1200, 2700};
    g.p2X = 1200;
    g.p2Y = 2700;
    g.puckX = 1200;
    g.puckY = 2850 - 200; // advanced to 2850 by the tick: within 240 of both paddles
    g.vx = 0;
    g.vy = 200;
    g.p1X = 1200; // paddle1 still since the last tick
    g.p1Y = 3000;
    game.controls.cpu.Value = 5;
    game.tick(host);
    // paddle1 sends the puck up to 2760 and away upward; paddle2 (moved by the computer to
    // 1200, 2580) then finds it 180 below and pushes it down to 2820.
    EXPECT_EQ(host.beeps, 2);
    EXPECT_TRUE(g.hit1);
    EXPECT_TRUE(g.hit2);
    EXPECT_EQ(g.p2Y, 2580);
    EXPECT_EQ(g.puckY, 2820);
    EXPECT_GT(g.vy, 0);
}

TEST_F(Contact, CoincidentCornersPushThePuckTowardTheOpponent) {
    puckAt(1200, 4000, 30, 40);
    rink::contactPaddle1(s, host);
    EXPECT_EQ(s.puckX, 1200);
    EXPECT_EQ(s.puckY, 3760);
    EXPECT_TRUE(s.hit1);
    EXPECT_EQ(host.beeps, 1);
    EXPECT_TRUE(std::isfinite(s.vx) && std::isfinite(s.vy));
    EXPECT_LT(s.vy, 0); // mirrored across the line of centres, toward the computer

    s.p2X = 500;
    s.p2Y = 100;
    s.p2OldX = 500;
    s.p2OldY = 100;
    puckAt(500, 100, 30, -40);
    rink::contactPaddle2(s, host);
    EXPECT_EQ(s.puckX, 500);
    EXPECT_EQ(s.puckY, 340);
    EXPECT_TRUE(s.hit2);
    EXPECT_GT(s.vy, 0);
}

TEST_F(Contact, CornersTooCloseForThePushOutFactorAreTreatedAsCoincident) {
    paddleAt(1e-41f, 1e-41f, 0, 0); // a subnormal offset: 240 / d overflows a float
    puckAt(0, 0, 10, 10);
    rink::contactPaddle1(s, host);
    EXPECT_TRUE(std::isfinite(s.puckX) && std::isfinite(s.puckY));
    EXPECT_FLOAT_EQ(s.puckY, -240);
    EXPECT_TRUE(std::isfinite(s.vx) && std::isfinite(s.vy));
}

TEST(NvitesseFault, AZeroDxTakesTheLineAsVertical) {
    float vx = 0, vy = 200;
    rink::nvitesse(vx, vy, 0, 240);
    EXPECT_NEAR(vx, 0, 1e-4);
    EXPECT_NEAR(vy, -200, 1e-4);

    vx = 50, vy = 0; // across the vertical line: unchanged
    rink::nvitesse(vx, vy, 0, 0);
    EXPECT_NEAR(vx, 50, 1e-4);
    EXPECT_NEAR(vy, 0, 1e-4);
}

} // namespace
