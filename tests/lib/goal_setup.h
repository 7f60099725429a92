// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "form1.h"

// Sends the puck into the bottom goal mouth: the computer scores two ticks later. For the tests
// and probes of the real window.
inline void goalAtTheBottom(Form1& form) {
    rink::GameState& s = form.game().state;
    s.puckX = 1600;
    s.puckY = 5470;
    s.vx = 0;
    s.vy = 100;
}
