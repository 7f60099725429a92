// SPDX-License-Identifier: GPL-3.0-or-later
#include "game.h"

#include "mouse.h"
#include "tick.h"

namespace rink {

Game::Game() {
    Form_Load(state, controls);
}

void Game::tick(Host& host) {
    Timer1_Timer(state, controls, host);
}

void Game::mouseMove(float x, float y) {
    Picture1_MouseMove(controls, 0, 0, x, y);
}

} // namespace rink
