// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "controls.h"
#include "game_state.h"
#include "host.h"

namespace rink {

// Completes a pending goal: serve velocity, the scoring side's caption raised by one, the score
// announced through `host` (returns once the box is closed), the puck put on the centre line and
// the goal latch cleared. Touches no shape and no other field.
void completeGoal(GameState& s, Controls& c, Host& host);

} // namespace rink
