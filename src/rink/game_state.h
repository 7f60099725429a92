// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace rink {

// The game variables of one table. Positions are shape corners in twips (origin at the top-left
// of the rink, y downward); velocities are twips per tick. Every number is a 32-bit float.
struct GameState {
    float puckX = 0;          // puck Left
    float puckY = 0;          // puck Top
    float vx = 0;             // puck velocity along x
    float vy = 0;             // puck velocity along y, positive toward the player's end
    float p1OldX = 0;         // paddle1.Left sampled on the previous tick
    float p1X = 0;            // paddle1.Left sampled on this tick
    float p1OldY = 0;         // paddle1.Top sampled on the previous tick
    float p1Y = 0;            // paddle1.Top sampled on this tick
    float p2OldX = 0;         // paddle2.Left of the previous tick
    float p2X = 0;            // paddle2.Left as read back after the opponent moved it
    float p2OldY = 0;         // paddle2.Top of the previous tick
    float p2Y = 0;            // paddle2.Top as read back after the opponent moved it
    bool hit1 = false;        // paddle1 has struck; blocks a second contact until cleared
    bool hit2 = false;        // the same for paddle2
    bool goalPending = false; // the puck went out through a goal mouth; the next tick scores
};

// GameState's fields by name, numbers then flags, in the order the trace tool prints them: the
// one list of them for the tools and tests that name or walk the fields.
template <typename T> struct StateField {
    const char* name;
    T GameState::*member;
};
inline constexpr StateField<float> numberFields[] = {
    {"puckX", &GameState::puckX},   {"puckY", &GameState::puckY},   {"vx", &GameState::vx},
    {"vy", &GameState::vy},         {"p1OldX", &GameState::p1OldX}, {"p1X", &GameState::p1X},
    {"p1OldY", &GameState::p1OldY}, {"p1Y", &GameState::p1Y},       {"p2OldX", &GameState::p2OldX},
    {"p2X", &GameState::p2X},       {"p2OldY", &GameState::p2OldY}, {"p2Y", &GameState::p2Y},
};
inline constexpr StateField<bool> flagFields[] = {
    {"hit1", &GameState::hit1},
    {"hit2", &GameState::hit2},
    {"goalPending", &GameState::goalPending},
};

} // namespace rink
