// SPDX-License-Identifier: GPL-3.0-or-later
#include "fake_host.h"
#include "goal.h"

#include <gtest/gtest.h>

namespace {

struct Goal : ::testing::Test {
    // A pending goal with the puck out at the top (y < 100) or the bottom.
    void pending(float puckY, const char* red, const char* blue) {
        s.puckX = 1500;
        s.puckY = puckY;
        s.vx = -33;
        s.vy = 77;
        s.goalPending = true;
        c.Scorered.Caption = red;
        c.Scoreblue.Caption = blue;
    }
    rink::GameState s;
    rink::Controls c;
    FakeHost host;
};

TEST_F(Goal, ScoresAnnouncesHighFirstAndServes) {
    const struct {
        float puckY;
        const char *red, *blue, *title, *prompt, *redAfter, *blueAfter;
    } cases[] = {
        {-50, "0", "0", "Red goal", "1 to 0", "1", "0"},
        {99.5f, "1", "2", "Red goal", "2 to 2", "2", "2"},
        {100, "1", "2", "Blue goal", "3 to 1", "1", "3"},
        {5600, "1", "2", "Blue goal", "3 to 1", "1", "3"},
        {-1, "9", "3", "Red goal", "10 to 3", "10", "3"},
        {5500, "0", "0", "Blue goal", "1 to 0", "0", "1"},
        {-1, "99999", "3", "Red goal", "100000 to 3", "100000", "3"}, // never "1e+05"
    };
    for (const auto& k : cases) {
        host.boxes.clear();
        pending(k.puckY, k.red, k.blue);
        rink::completeGoal(s, c, host);
        ASSERT_EQ(host.boxes.size(), 1u);
        EXPECT_EQ(host.boxes[0].title, k.title) << k.puckY;
        EXPECT_EQ(host.boxes[0].prompt, k.prompt) << k.puckY;
        EXPECT_EQ(c.Scorered.Caption, k.redAfter);
        EXPECT_EQ(c.Scoreblue.Caption, k.blueAfter);
        EXPECT_EQ(s.vx, 100);
        EXPECT_EQ(s.vy, 0);
        EXPECT_EQ(s.puckY, 2880);
        EXPECT_FALSE(s.goalPending);
    }
}

TEST_F(Goal, TouchesNothingElseAndServesOnlyAfterTheBoxCloses) {
    pending(-20, "0", "0");
    s.hit1 = true;
    s.p1X = 11;
    s.p1OldY = 12;
    s.p2X = 13;
    s.p2OldY = 14;
    const rink::Controls before = c;
    host.onBox = [&] {
        // While the box is open the captions already stand, the puck is not yet served.
        EXPECT_EQ(c.Scorered.Caption, "1");
        EXPECT_EQ(s.puckY, -20);
        EXPECT_TRUE(s.goalPending);
    };
    rink::completeGoal(s, c, host);
    EXPECT_EQ(s.puckX, 1500);
    EXPECT_TRUE(s.hit1);
    EXPECT_FALSE(s.hit2);
    EXPECT_EQ(s.p1X, 11);
    EXPECT_EQ(s.p1OldY, 12);
    EXPECT_EQ(s.p2X, 13);
    EXPECT_EQ(s.p2OldY, 14);
    EXPECT_EQ(c.puck.Left, before.puck.Left);
    EXPECT_EQ(c.puck.Top, before.puck.Top);
    EXPECT_EQ(c.paddle1.Left, before.paddle1.Left);
    EXPECT_EQ(c.paddle2.Top, before.paddle2.Top);
    EXPECT_EQ(host.beeps, 0);
}

TEST_F(Goal, ServeUsesTheCentreLineAsLaidOut) {
    c.Line1.Y1 = 2000;
    pending(5600, "0", "0");
    rink::completeGoal(s, c, host);
    EXPECT_EQ(s.puckY, 2000);
}

} // namespace
