// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "controls.h"
#include "game_state.h"

namespace rink {

// The computer's sideways move: paddle2 steps toward the puck by at most the skill on the
// slider (twips per tick), then its Left is read back into p2X.
void opponentHorizontal(GameState& s, Controls& c);

// The computer's up-or-down move by its fixed rules; paddle2.Top is read back into p2Y whenever
// the paddle moves.
void opponentVertical(GameState& s, Controls& c);

} // namespace rink
