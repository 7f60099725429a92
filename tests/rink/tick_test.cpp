// SPDX-License-Identifier: GPL-3.0-or-later
#include "fake_host.h"
#include "game.h"

#include <gtest/gtest.h>

namespace {

// A loaded table whose paddles are kept far from the puck, so that only the walls act.
struct Table : ::testing::Test {
    void SetUp() override {
        game.controls.paddle1 = {100000, 100000};
        game.controls.paddle2 = {-100000, 0};
        game.state.p2X = -100000;
    }
    void place(float x, float y, float vx, float vy) {
        game.state.puckX = x;
        game.state.puckY = y;
        game.state.vx = vx;
        game.state.vy = vy;
    }
    rink::Game game;
    FakeHost host;
};

TEST(Start, LoadGivesTheServeDownwardAndZeroSamples) {
    rink::Game game;
    const rink::GameState& s = game.state;
    EXPECT_EQ(s.puckX, 600);
    EXPECT_EQ(s.puckY, 3360);
    EXPECT_EQ(s.vx, 0);
    EXPECT_EQ(s.vy, 200);
    EXPECT_EQ(s.p1OldX + s.p1X + s.p1OldY + s.p1Y + s.p2OldX + s.p2X + s.p2OldY + s.p2Y, 0);
    EXPECT_FALSE(s.hit1 || s.hit2 || s.goalPending);
    EXPECT_EQ(game.controls.Scorered.Caption, "0");
    EXPECT_EQ(game.controls.Scoreblue.Caption, "0");
}

TEST(Start, FirstTicksDrawThePuckSampleThePaddlesAndWithdrawTheComputer) {
    rink::Game game;
    FakeHost host;
    game.state.hit1 = true;
    game.tick(host);
    const rink::GameState& s = game.state;
    EXPECT_FALSE(s.hit1);
    EXPECT_EQ(game.controls.puck.Left, 600);
    EXPECT_EQ(game.controls.puck.Top, 3560);
    EXPECT_EQ(s.p1OldX, 0);
    EXPECT_EQ(s.p1OldY, 0);
    EXPECT_EQ(s.p1X, 1200);
    EXPECT_EQ(s.p1Y, 4800);
    EXPECT_EQ(s.p2OldX, 0);
    EXPECT_EQ(s.p2OldY, 0);
    EXPECT_EQ(s.p2X, 600);
    EXPECT_EQ(s.p2Y, 120);
    game.tick(host);
    EXPECT_EQ(s.p2Y, 0);
    game.tick(host);
    EXPECT_EQ(s.p2Y, 0);
    EXPECT_EQ(game.controls.paddle2.Top, 0);
    EXPECT_EQ(game.controls.puck.Top, 3960);
    EXPECT_EQ(host.beeps, 0);
}

TEST_F(Table, LatchResetClearsHit2OnlyFromFifteenUpward) {
    const struct {
        float vy;
        bool hit1, hit2;
    } cases[] = {{-15, true, false},
                 {-100, true, false},
                 {-14.9f, false, true},
                 {0, false, true},
                 {50, false, true}};
    for (const auto& c : cases) {
        place(1600, 2000, 0, c.vy);
        game.state.hit1 = game.state.hit2 = true;
        game.tick(host);
        EXPECT_EQ(game.state.hit1, c.hit1) << "vy " << c.vy;
        EXPECT_EQ(game.state.hit2, c.hit2) << "vy " << c.vy;
    }
}

TEST_F(Table, CornersExactlyOnTheLimitsAreNotFolded) {
    for (auto [x, y] : {std::pair{0.0f, 0.0f}, {3200.0f, 5480.0f}, {0.0f, 5480.0f}}) {
        place(x, y, 0, 0);
        game.tick(host);
        EXPECT_EQ(game.state.puckX, x);
        EXPECT_EQ(game.state.puckY, y);
    }
    EXPECT_EQ(host.beeps, 0);
}

TEST_F(Table, FoldsMirrorThePositionAndKeepFourFifthsOfTheSpeed) {
    place(-30, 2000, -50, 10);
    game.tick(host);
    EXPECT_EQ(game.state.vx, 40);
    EXPECT_EQ(game.state.puckX, 70); // folded to 30, then advanced by 40
    EXPECT_EQ(game.state.vy, 10);
    EXPECT_EQ(host.beeps, 1);

    place(3250, 5500, 100, 100);
    game.tick(host);
    EXPECT_EQ(game.state.vx, -80);
    EXPECT_EQ(game.state.vy, -80);
    EXPECT_EQ(game.state.puckX, 3150 - 80);
    EXPECT_EQ(game.state.puckY, 5460 - 80);
    EXPECT_EQ(host.beeps, 3);
}

TEST_F(Table, WallFactorIsADoubleRoundedOnceToFloat) {
    place(-1, 2000, 0.1f, 0);
    game.tick(host);
    EXPECT_EQ(game.state.vx, static_cast<float>(double(0.1f) * -0.8));
    EXPECT_NE(game.state.vx, 0.1f * -0.8f);
}

TEST_F(Table, GoalMouthEndsFoldButJustInsideScores) {
    for (float end : {-1.0f, 5481.0f}) {
        for (float x : {1320.0f, 2160.0f}) {
            place(x, end, 0, end < 0 ? -50 : 50);
            game.tick(host);
            EXPECT_FALSE(game.state.goalPending) << x << ", " << end;
        }
        const int beeps = host.beeps;
        place(1320.5f, end, 0, end < 0 ? -50 : 50);
        game.tick(host);
        EXPECT_TRUE(game.state.goalPending) << end;
        EXPECT_EQ(host.beeps, beeps);
        game.state.goalPending = false;
    }
}

TEST_F(Table, CornerFoldsLeftThenTopWithTwoBeeps) {
    place(-10, -20, -100, -100);
    game.tick(host);
    EXPECT_EQ(host.beeps, 2);
    EXPECT_EQ(game.state.vx, 80);
    EXPECT_EQ(game.state.vy, 80);
    EXPECT_EQ(game.state.puckX, 90);
    EXPECT_EQ(game.state.puckY, 100);
}

TEST_F(Table, TopGoalTestUsesThePositionFoldedAtTheLeftWall) {
    // -1400 folds to 1400, inside the mouth.
    place(-1400, -5, -10, -50);
    game.tick(host);
    EXPECT_TRUE(game.state.goalPending);
    EXPECT_EQ(game.state.puckX, 1400);
    EXPECT_EQ(game.state.vx, 8);
    EXPECT_EQ(host.beeps, 1);
}

TEST_F(Table, GoalDetectionLeavesShapesSamplesAndVelocityAlone) {
    place(1500, 5500, 3, 60);
    game.state.hit1 = true;
    game.state.hit2 = true;
    const rink::Controls before = game.controls;
    const rink::GameState was = game.state;
    game.tick(host);
    const rink::GameState& s = game.state;
    EXPECT_TRUE(s.goalPending);
    EXPECT_FALSE(s.hit1); // the latch reset ran first
    EXPECT_TRUE(s.hit2);
    EXPECT_EQ(s.puckX, was.puckX);
    EXPECT_EQ(s.puckY, was.puckY);
    EXPECT_EQ(s.vx, was.vx);
    EXPECT_EQ(s.vy, was.vy);
    EXPECT_EQ(s.p1X, was.p1X);
    EXPECT_EQ(s.p2X, was.p2X);
    EXPECT_EQ(game.controls.puck.Left, before.puck.Left);
    EXPECT_EQ(game.controls.puck.Top, before.puck.Top);
    EXPECT_EQ(game.controls.paddle2.Left, before.paddle2.Left);
    EXPECT_EQ(game.controls.paddle2.Top, before.paddle2.Top);
}

TEST_F(Table, FoldBeyondTwiceTheWidthIsNotClamped) {
    place(6500, 2000, 0, 0);
    game.tick(host);
    EXPECT_EQ(game.state.puckX, -100);
    game.tick(host);
    EXPECT_EQ(game.state.puckX, 100);
}

TEST_F(Table, AGoalIsCompletedTwoTicksAfterTheAdvanceThatCrossedTheLine) {
    place(1600, 5400, 0, 100);
    game.tick(host); // advance to 5500
    EXPECT_FALSE(game.state.goalPending);
    game.tick(host); // detected
    EXPECT_TRUE(game.state.goalPending);
    EXPECT_TRUE(host.boxes.empty());
    game.tick(host); // completed
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].title, "Blue goal");
    EXPECT_FALSE(game.state.goalPending);
    game.tick(host); // served along the centre line
    EXPECT_EQ(game.controls.puck.Left, 1700);
    EXPECT_EQ(game.controls.puck.Top, 2880);
}

} // namespace
