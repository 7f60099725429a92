// SPDX-License-Identifier: GPL-3.0-or-later
#include "soak.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>

namespace {

using ::testing::HasSubstr;

TEST(Watch, CatchesANonFiniteNumberInTheStateOrAShape) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    float rink::GameState::*fields[] = {&rink::GameState::puckX, &rink::GameState::vy,
                                        &rink::GameState::p1OldX, &rink::GameState::p2OldY};
    for (auto field : fields) {
        for (float bad : {nan, inf, -inf}) {
            rink::Game game;
            game.state.*field = bad;
            soak::Watch watch(soak::outsideLimit);
            EXPECT_THAT(watch.afterTick(game, soak::CountingHost{}), HasSubstr("not finite"));
        }
    }
    rink::Game game;
    game.controls.paddle2.Top = nan;
    soak::Watch watch(soak::outsideLimit);
    EXPECT_THAT(watch.afterTick(game, soak::CountingHost{}), HasSubstr("shape"));
}

TEST(Watch, LetsThePuckStayBeyondAWallUpToTheLimit) {
    rink::Game game;
    soak::CountingHost host;
    soak::Watch watch(2);
    game.state.puckY = 5481;
    EXPECT_EQ(watch.afterTick(game, host), "");
    game.state.puckX = -0.5f;
    EXPECT_EQ(watch.afterTick(game, host), "");
    game.state.puckX = 3200;
    game.state.puckY = 5480; // on the walls is inside
    EXPECT_EQ(watch.afterTick(game, host), "");
    game.state.puckX = 3200.5f;
    EXPECT_EQ(watch.afterTick(game, host), "");
    game.state.puckY = -1;
    EXPECT_EQ(watch.afterTick(game, host), "");
    EXPECT_THAT(watch.afterTick(game, host), HasSubstr("beyond a wall for 3 ticks"));
    EXPECT_EQ(watch.longestOutside(), 3);
}

TEST(Watch, APaddleMayPinThePuckBeyondAWallAsLongAsItStaysThere) {
    rink::Game game;
    soak::CountingHost host;
    soak::Watch watch(1);
    game.state.puckX = 3240;
    game.state.puckY = 2880;
    game.state.p1X = 3000;
    game.state.p1Y = 2880;
    for (int tick = 0; tick < 10; ++tick) {
        EXPECT_EQ(watch.afterTick(game, host), "") << tick;
    }
    game.state.p1X = 2990;
    EXPECT_EQ(watch.afterTick(game, host), "");
    EXPECT_THAT(watch.afterTick(game, host), HasSubstr("beyond a wall for 2 ticks"));
}

TEST(Watch, APendingGoalExcusesThePuckForOneTickOnly) {
    rink::Game game;
    soak::CountingHost host;
    soak::Watch watch(1);
    game.state.puckY = -300;
    EXPECT_EQ(watch.afterTick(game, host), "");
    game.state.goalPending = true;
    EXPECT_EQ(watch.afterTick(game, host), "");
    EXPECT_THAT(watch.afterTick(game, host), HasSubstr("still pending"));
}

TEST(Watch, TheCaptionsMustReadTheGoalsAnnounced) {
    rink::Game game;
    soak::CountingHost host;
    soak::Watch watch(soak::outsideLimit);
    host.messageBox("1 to 0", "Red goal");
    EXPECT_THAT(watch.afterTick(game, host), HasSubstr("captions read 0 to 0"));
    game.controls.Scorered.Caption = "1";
    EXPECT_EQ(watch.afterTick(game, host), "");
    host.messageBox("1 to 1", "Blue goal");
    game.controls.Scoreblue.Caption = "01";
    EXPECT_THAT(watch.afterTick(game, host), HasSubstr("blue 1"));
    game.controls.Scoreblue.Caption = "1";
    EXPECT_EQ(watch.afterTick(game, host), "");
    host.messageBox("2 to 1", "Goal");
    EXPECT_THAT(watch.afterTick(game, host), HasSubstr("neither side"));
}

TEST(Soak, TheSameSeedPlaysTheSameGameWithGoalsAtBothEnds) {
    const soak::Outcome first = soak::run(30000, 11);
    const soak::Outcome again = soak::run(30000, 11);
    EXPECT_EQ(first.fault, "");
    EXPECT_EQ(first.ticks, 30000);
    EXPECT_GT(first.red, 0);
    EXPECT_GT(first.blue, 0);
    EXPECT_EQ(again.red, first.red);
    EXPECT_EQ(again.blue, first.blue);
    EXPECT_EQ(again.longestOutside, first.longestOutside);
    const soak::Outcome other = soak::run(30000, 12);
    EXPECT_NE(other.red * 100000 + other.blue, first.red * 100000 + first.blue);
}

} // namespace
