// SPDX-License-Identifier: GPL-3.0-or-later
#include "tick.h"

#include "contact.h"
#include "goal.h"
#include "opponent.h"

namespace rink {

namespace {

constexpr double wallFactor = -0.8;
constexpr float latchSpeed = -15;
constexpr float leftLimit = 0;
constexpr float topLimit = 0;
constexpr double rightMirror = 6400;
constexpr double bottomMirror = 10960;

float scaled(float v) {
    return static_cast<float>(double(v) * wallFactor);
}

bool inGoalMouth(float x, const Line& mouth) {
    return mouth.X1 < x && x < mouth.X2;
}

// Folds the puck at the four walls in their fixed order. Returns true when the puck went out
// through a goal mouth instead, with goalPending set.
bool foldAtWalls(GameState& s, const Controls& c, Host& host) {
    if (s.puckX < leftLimit) {
        host.beep();
        s.vx = scaled(s.vx);
        s.puckX = -s.puckX;
    }
    if (s.puckY < topLimit) {
        if (inGoalMouth(s.puckX, c.Line3)) {
            s.goalPending = true;
            return true;
        }
        host.beep();
        s.vy = scaled(s.vy);
        s.puckY = -s.puckY;
    }
    if (s.puckX > rightLimit) {
        host.beep();
        s.vx = scaled(s.vx);
        s.puckX = static_cast<float>(rightMirror - double(s.puckX));
    }
    if (s.puckY > bottomLimit) {
        if (inGoalMouth(s.puckX, c.Line3)) {
            s.goalPending = true;
            return true;
        }
        host.beep();
        s.vy = scaled(s.vy);
        s.puckY = static_cast<float>(bottomMirror - double(s.puckY));
    }
    return false;
}

} // namespace

void Form_Load(GameState& s, const Controls& c) {
    s.puckX = c.puck.Left;
    s.puckY = c.puck.Top;
    s.vx = 0;
    s.vy = 200;
}

void Timer1_Timer(GameState& s, Controls& c, Host& host) {
    if (s.goalPending) {
        completeGoal(s, c, host);
        return;
    }
    if (s.vy <= latchSpeed) {
        s.hit2 = false;
    } else {
        s.hit1 = false;
    }
    if (foldAtWalls(s, c, host)) {
        return;
    }
    s.puckX = static_cast<float>(double(s.puckX) + double(s.vx));
    s.puckY = static_cast<float>(double(s.puckY) + double(s.vy));
    c.puck.Left = s.puckX;
    c.puck.Top = s.puckY;

    s.p1OldX = s.p1X;
    s.p1OldY = s.p1Y;
    s.p2OldX = s.p2X;
    s.p2OldY = s.p2Y;
    s.p1X = c.paddle1.Left;
    s.p1Y = c.paddle1.Top;

    opponentHorizontal(s, c);
    opponentVertical(s, c);
    contactPaddle1(s, host);
    contactPaddle2(s, host);
}

} // namespace rink
