// SPDX-License-Identifier: GPL-3.0-or-later
#include "soak.h"

#include "contact.h"
#include "tick.h"

#include <cmath>
#include <initializer_list>

namespace soak {

namespace {

// Where the pointer can be over the rink's picture, in twips, and the size of one pixel.
constexpr double pointerWidth = 3480;
constexpr double pointerHeight = 5760;
constexpr double pixel = 15;

// The pointer snapped to the pixel grid and kept over the picture.
double onPicture(double v, double extent) {
    return std::fmin(std::fmax(std::round(v / pixel) * pixel, 0), extent - pixel);
}

std::string describe(const rink::Game& game) {
    std::string text;
    for (const auto& f : rink::numberFields) {
        text += ' ';
        text += f.name;
        text += '=';
        text += std::to_string(game.state.*f.member);
    }
    return text;
}

// A paddle standing against the puck, within its contact reach (and a twip for rounding): it may
// hold the puck against a wall, beyond it, for as long as it stays there.
bool held(const rink::GameState& s) {
    const auto near = [&s](float x, float y) {
        return std::hypot(double(s.puckX) - double(x), double(s.puckY) - double(y)) <=
               rink::contactRadius + 1;
    };
    return near(s.p1X, s.p1Y) || near(s.p2X, s.p2Y);
}

} // namespace

void CountingHost::messageBox(const std::string& /*prompt*/, const std::string& title) {
    if (title == "Red goal") {
        ++red;
    } else if (title == "Blue goal") {
        ++blue;
    } else {
        ++strange;
    }
}

Player::Player(std::uint64_t seed) : random_(seed) {}

double Player::uniform(double low, double high) {
    // 53 random bits, so that the same seed plays the same game with any standard library.
    const double unit = static_cast<double>(random_() >> 11) * 0x1.0p-53;
    return low + (high - low) * unit;
}

bool Player::chance(double p) {
    return uniform(0, 1) < p;
}

void Player::chooseStroke(const rink::Game& game) {
    const double pick = uniform(0, 1);
    if (pick < 0.55) {
        // After the puck: the pointer aims near its centre.
        targetX_ = double(game.controls.puck.Left + 120) + uniform(-200, 200);
        targetY_ = double(game.controls.puck.Top + 120) + uniform(-200, 200);
        speed_ = uniform(40, 400);
        strokeTicks_ = static_cast<int>(uniform(3, 30));
    } else if (pick < 0.8) {
        targetX_ = uniform(0, pointerWidth);
        targetY_ = uniform(0, pointerHeight);
        speed_ = uniform(20, 300);
        strokeTicks_ = static_cast<int>(uniform(5, 40));
    } else if (pick < 0.92) {
        // A flick across the table.
        targetX_ = uniform(0, pointerWidth);
        targetY_ = uniform(0, pointerHeight);
        speed_ = uniform(400, 1500);
        strokeTicks_ = static_cast<int>(uniform(1, 5));
    } else if (pick < 0.98) {
        speed_ = 0;
        strokeTicks_ = static_cast<int>(uniform(5, 60));
    } else {
        // The pointer leaves the picture and comes back somewhere else.
        x_ = targetX_ = uniform(0, pointerWidth);
        y_ = targetY_ = uniform(0, pointerHeight);
        speed_ = 0;
        strokeTicks_ = 1;
    }
}

void Player::play(rink::Game& game) {
    bool jumped = false;
    if (strokeTicks_ <= 0) {
        chooseStroke(game);
        jumped = speed_ == 0 && strokeTicks_ == 1;
    }
    --strokeTicks_;
    if (chance(0.002)) {
        game.controls.cpu.Value = static_cast<int>(uniform(5, 151));
    }
    if (jumped) {
        game.mouseMove(static_cast<float>(onPicture(x_, pointerWidth)),
                       static_cast<float>(onPicture(y_, pointerHeight)));
        return;
    }
    if (speed_ == 0) {
        return;
    }
    const int moves = 1 + static_cast<int>(uniform(0, 3));
    for (int i = 0; i < moves; ++i) {
        const double dx = targetX_ - x_;
        const double dy = targetY_ - y_;
        const double distance = std::hypot(dx, dy);
        const double step = speed_ / moves;
        if (distance <= step) {
            x_ = targetX_;
            y_ = targetY_;
        } else {
            x_ += dx * step / distance;
            y_ += dy * step / distance;
        }
        game.mouseMove(static_cast<float>(onPicture(x_, pointerWidth)),
                       static_cast<float>(onPicture(y_, pointerHeight)));
    }
}

std::string Watch::afterTick(const rink::Game& game, const CountingHost& host) {
    const rink::GameState& s = game.state;
    const rink::Controls& c = game.controls;
    for (const auto& f : rink::numberFields) {
        if (!std::isfinite(s.*f.member)) {
            return "a game-state number is not finite:" + describe(game);
        }
    }
    for (const rink::Shape* shape : {&c.puck, &c.paddle1, &c.paddle2}) {
        if (!std::isfinite(shape->Left) || !std::isfinite(shape->Top) ||
            !std::isfinite(shape->Width) || !std::isfinite(shape->Height)) {
            return "a shape's position is not finite:" + describe(game);
        }
    }

    if (pending_ && s.goalPending) {
        return "the goal was still pending a tick later:" + describe(game);
    }
    pending_ = s.goalPending;

    if (host.strange != 0) {
        return "a goal box named neither side";
    }
    if (c.Scorered.Caption != std::to_string(host.red) ||
        c.Scoreblue.Caption != std::to_string(host.blue)) {
        return "the captions read " + c.Scorered.Caption + " to " + c.Scoreblue.Caption +
               " after goals announced red " + std::to_string(host.red) + ", blue " +
               std::to_string(host.blue);
    }

    const bool inside =
        s.puckX >= 0 && s.puckX <= rink::rightLimit && s.puckY >= 0 && s.puckY <= rink::bottomLimit;
    if (inside || s.goalPending || held(s)) {
        outside_ = 0;
        return "";
    }
    ++outside_;
    if (outside_ > longestOutside_) {
        longestOutside_ = outside_;
    }
    if (outside_ > outsideLimit_) {
        return "the puck has been beyond a wall for " + std::to_string(outside_) +
               " ticks:" + describe(game);
    }
    return "";
}

Outcome run(long long ticks, std::uint64_t seed) {
    rink::Game game;
    CountingHost host;
    Player player(seed);
    Watch watch(outsideLimit);
    Outcome outcome;
    while (outcome.ticks < ticks) {
        player.play(game);
        game.tick(host);
        ++outcome.ticks;
        outcome.fault = watch.afterTick(game, host);
        if (!outcome.fault.empty()) {
            outcome.fault = "tick " + std::to_string(outcome.ticks) + ": " + outcome.fault;
            break;
        }
    }
    outcome.red = host.red;
    outcome.blue = host.blue;
    outcome.longestOutside = watch.longestOutside();
    return outcome;
}

} // namespace soak
