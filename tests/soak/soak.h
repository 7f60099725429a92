// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "game.h"
#include "host.h"

#include <cstdint>
#include <random>
#include <string>

namespace soak {

// Answers the goal box at once and counts the goals it announced, side by side.
class CountingHost : public rink::Host {
  public:
    void beep() override {}
    void messageBox(const std::string& prompt, const std::string& title) override;

    long long red = 0;
    long long blue = 0;
    long long strange = 0; // boxes whose title names neither side
};

// A player who never tires: strokes toward the puck or anywhere on the table, flicks, pauses,
// lets go of the mouse and comes back elsewhere, and now and then moves the skill slider. The
// same seed always plays the same game.
class Player {
  public:
    explicit Player(std::uint64_t seed);

    // What the player does before one tick: zero or more mouse moves, perhaps a new skill.
    void play(rink::Game& game);

  private:
    double uniform(double low, double high);
    bool chance(double p);
    void chooseStroke(const rink::Game& game);

    std::mt19937_64 random_;
    double x_ = 1320;
    double y_ = 4920;
    double targetX_ = 1320;
    double targetY_ = 4920;
    double speed_ = 0; // twips per tick toward the target
    int strokeTicks_ = 0;
};

// Watches a table tick after tick and names the first broken rule:
// - every game-state number and shape position is finite;
// - the puck is back inside the rink within `outsideLimit` ticks of leaving it, unless a goal
//   is pending or a paddle stands against it (a paddle can pin the puck beyond a wall for as
//   long as the player holds it there);
// - the score captions read exactly the goals the host announced;
// - a pending goal is completed on the very next tick.
class Watch {
  public:
    explicit Watch(int outsideLimit) : outsideLimit_(outsideLimit) {}

    // Checks the table as it stands after a tick; returns the fault, or "" when all is well.
    std::string afterTick(const rink::Game& game, const CountingHost& host);

    int longestOutside() const { return longestOutside_; }

  private:
    int outsideLimit_;
    int outside_ = 0;
    int longestOutside_ = 0;
    bool pending_ = false;
};

// How long the puck may stay beyond a wall, in ticks, before the soak calls it lost: it is drawn
// up to a step beyond a wall and folded back on the next tick; a fast puck near a corner can
// need a fold at each of two walls, and long soaks have seen three ticks.
inline constexpr int outsideLimit = 4;

struct Outcome {
    long long ticks = 0; // ticks played, up to and including the faulty one
    long long red = 0;
    long long blue = 0;
    int longestOutside = 0; // most consecutive ticks the puck spent beyond a wall, unheld
    std::string fault;      // "" when every tick passed
};

// Plays `ticks` ticks with the player seeded by `seed`, watching every one; stops at a fault.
Outcome run(long long ticks, std::uint64_t seed);

} // namespace soak
