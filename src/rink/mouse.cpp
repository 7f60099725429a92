// SPDX-License-Identifier: GPL-3.0-or-later
#include "mouse.h"

#include "compare.h"

namespace rink {

namespace {
// The pointer sits this far right of and below the paddle's corner, in twips.
constexpr double pointerOffset = 120;
} // namespace

void Picture1_MouseMove(Controls& c, int /*Button*/, int /*Shift*/, float X, float Y) {
    c.paddle1.Left = static_cast<float>(double(X) - pointerOffset);
    const float centreLine = c.Line1.Y1;
    c.paddle1.Top = max(static_cast<float>(double(Y) - pointerOffset), centreLine);
}

} // namespace rink
