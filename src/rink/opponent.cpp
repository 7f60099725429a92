// SPDX-License-Identifier: GPL-3.0-or-later
#include "opponent.h"

#include "compare.h"

#include <cmath>

namespace rink {

namespace {
constexpr float attackSpeedLimit = 20;
constexpr float attackDistance = -240;
constexpr double attackRetreatStep = 240;
constexpr double advanceStep = 100;
constexpr float defenceDepth = 500;
constexpr double retreatStep = 120;
constexpr float retreatLimit = 0;
} // namespace

void opponentHorizontal(GameState& s, Controls& c) {
    const auto skill = static_cast<float>(c.cpu.Value);
    if (s.puckX > s.p2X) {
        c.paddle2.Left = static_cast<float>(double(c.paddle2.Left) + double(min(s.vx, skill)));
    } else {
        c.paddle2.Left =
            static_cast<float>(double(c.paddle2.Left) - double(min(std::fabs(s.vx), skill)));
    }
    s.p2X = c.paddle2.Left;
}

void opponentVertical(GameState& s, Controls& c) {
    // puckY against Line1.X1 (the centre line's left end, x = 0), not Line1.Y1: as the rules have
    // it, the computer attacks only a puck above the rink's top edge. Pinned by a test; keep it.
    const bool attack = s.puckY < c.Line1.X1 && s.vy < attackSpeedLimit;
    const auto reach = static_cast<float>(double(s.p2Y) - double(s.puckY));
    if (attack && reach > attackDistance) {
        c.paddle2.Top = static_cast<float>(double(c.paddle2.Top) - attackRetreatStep);
        s.p2Y = c.paddle2.Top;
    } else if (attack && reach <= attackDistance) {
        c.paddle2.Top = static_cast<float>(double(c.paddle2.Top) + advanceStep);
        s.p2Y = c.paddle2.Top;
    } else if (!attack && s.puckY < defenceDepth && s.puckY > s.p2Y) {
        c.paddle2.Top = static_cast<float>(double(c.paddle2.Top) + advanceStep);
        s.p2Y = c.paddle2.Top;
    } else if (c.paddle2.Top > retreatLimit) {
        c.paddle2.Top = static_cast<float>(double(c.paddle2.Top) - retreatStep);
        s.p2Y = c.paddle2.Top;
    }
}

} // namespace rink
