// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "game_state.h"
#include "host.h"

namespace rink {

// Centre distance, in twips, below which a paddle touches the puck and to which it is pushed out.
inline constexpr double contactRadius = 240;

// Mirrors the puck velocity (vx, vy), in twips per tick, in the tangent line of a contact.
// (dx, -dy) points from the paddle's centre to the puck's, dx carrying a small offset.
// Overwrites vx and vy; reads dx and dy only. When dx is exactly 0 the line of centres is taken
// as vertical.
void nvitesse(float& vx, float& vy, const float& dx, const float& dy);

// One paddle's side of a contact: where it stands this tick and where it stood on the previous
// one (corners, twips), its contact latch, and the y direction (-1 up, +1 down) toward the
// opponent's end, used when the puck sits exactly on the paddle and no line of centres exists.
struct Striker {
    float X;
    float Y;
    float OldX;
    float OldY;
    bool& H;
    float away;
};

// Resolves a contact between the puck in `s` and one paddle: push-out to the contact radius,
// beep through `host`, mirror and transfer of the paddle's motion, latch. Does nothing when the
// puck is not within the radius or the latch is set.
void contact(GameState& s, Striker paddle, Host& host);

// The player's paddle1 (samples p1*, latch hit1), then the computer's paddle2 (p2*, hit2).
void contactPaddle1(GameState& s, Host& host);
void contactPaddle2(GameState& s, Host& host);

} // namespace rink
