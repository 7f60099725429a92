// SPDX-License-Identifier: GPL-3.0-or-later
#include "contact.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace rink {

void nvitesse(float& vx, float& vy, const float& dx, const float& dy) {
    // An exact 0 in dx would make the quotient infinite (or 0 / 0); the line through the two
    // centres is then as good as vertical, and the mirror image depends on the line alone.
    const float theta = dx == 0 ? static_cast<float>(std::numbers::pi / 2)
                                : static_cast<float>(std::atan(double(dy) / double(dx)));
    const double s = std::sin(double(theta));
    const double c = std::cos(double(theta));
    const double T = double(vx) * s + double(vy) * c;
    const float N = static_cast<float>(double(vy) * s - double(vx) * c);
    vx = static_cast<float>(T * s + double(N) * c);
    vy = static_cast<float>(T * c - double(N) * s);
}

void contact(GameState& s, Striker p, Host& host) {
    const double ox = double(s.puckX) - double(p.X);
    const double oy = double(s.puckY) - double(p.Y);
    const double d = std::sqrt(ox * ox + oy * oy);
    if (!(d < contactRadius) || p.H) {
        return;
    }
    // Coincident corners (or ones so close that the push-out factor overflows) leave no line of
    // centres: the puck then goes straight out toward the opponent's end.
    const float k =
        d > 0 ? static_cast<float>(contactRadius / d) : std::numeric_limits<float>::infinity();
    if (std::isfinite(k)) {
        s.puckX = static_cast<float>((double(s.puckX) - double(p.X)) * double(k) + double(p.X));
        s.puckY = static_cast<float>((double(s.puckY) - double(p.Y)) * double(k) + double(p.Y));
    } else {
        s.puckX = p.X;
        s.puckY = static_cast<float>(double(p.Y) + double(p.away) * contactRadius);
    }
    host.beep();
    const float dy = static_cast<float>(double(p.Y) - double(s.puckY));
    p.H = true;
    const float dx = static_cast<float>((double(s.puckX) - double(p.X)) + 0.05);
    nvitesse(s.vx, s.vy, dx, dy);
    s.vx = static_cast<float>(std::fabs(double(s.puckX) - double(p.X)) *
                                  (double(p.X) - double(p.OldX)) / contactRadius +
                              double(s.vx));
    s.vy = static_cast<float>(std::fabs(double(s.puckY) - double(p.Y)) *
                                  (double(p.Y) - double(p.OldY)) / contactRadius +
                              double(s.vy));
}

void contactPaddle1(GameState& s, Host& host) {
    contact(s, Striker{s.p1X, s.p1Y, s.p1OldX, s.p1OldY, s.hit1, -1}, host);
}

void contactPaddle2(GameState& s, Host& host) {
    contact(s, Striker{s.p2X, s.p2Y, s.p2OldX, s.p2OldY, s.hit2, +1}, host);
}

} // namespace rink
