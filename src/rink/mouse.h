// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "controls.h"

namespace rink {

// Mouse move over the rink, pointer at (X, Y) twips: paddle1 jumps to it, never above the
// centre line. Buttons and modifier keys are ignored. Writes the shape only, never GameState.
void Picture1_MouseMove(Controls& c, int Button, int Shift, float X, float Y);

} // namespace rink
