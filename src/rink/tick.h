// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "controls.h"
#include "game_state.h"
#include "host.h"

namespace rink {

// Load handler: gives the game state its starting values from the laid-out puck. The window sets
// the crosshair pointer itself.
void Form_Load(GameState& s, const Controls& c);

// One timer tick: either completes a pending goal, or clears a latch, folds the puck at the walls
// (or detects a goal), advances and draws it, samples the paddles, moves the computer's paddle
// and resolves both contacts. Beeps and the goal box go through `host`.
void Timer1_Timer(GameState& s, Controls& c, Host& host);

} // namespace rink
