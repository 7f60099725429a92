// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "controls.h"
#include "game_state.h"
#include "host.h"

namespace rink {

// The walls the puck folds at, in twips: its corner stays within 0..rightLimit across and
// 0..bottomLimit down (the rink less the puck's own size).
inline constexpr float rightLimit = 3200;
inline constexpr float bottomLimit = 5480;

// Load handler: gives the game state its starting values from the laid-out puck. The window sets
// the crosshair pointer itself.
void Form_Load(GameState& s, const Controls& c);

// One timer tick: either completes a pending goal, or clears a latch, folds the puck at the walls
// (or detects a goal), advances and draws it, samples the paddles, moves the computer's paddle
// and resolves both contacts. Beeps and the goal box go through `host`.
void Timer1_Timer(GameState& s, Controls& c, Host& host);

} // namespace rink
