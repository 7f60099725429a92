// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "controls.h"
#include "game_state.h"
#include "host.h"

namespace rink {

// One table: the controls as laid out and the game state, loaded and ready for the first tick.
// The window owns one for as long as it lives; so does the trace tool.
class Game {
  public:
    Game();

    // One timer tick; beeps and the goal box go through `host`, borrowed for the call.
    void tick(Host& host);

    // A mouse move over the rink, pointer at (x, y) twips.
    void mouseMove(float x, float y);

    GameState state;
    Controls controls;
};

} // namespace rink
