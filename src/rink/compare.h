// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The game's own comparison helpers. They are deliberately not symmetric, and live in this
// namespace so that they never meet std::max or std::min.
namespace rink {

// Returns a when a > b, otherwise b (so b on a tie).
float max(float a, float b);

// Returns b when a is negative, whatever b is; otherwise the smaller of the two, a on a tie.
// Not a minimum, and meant so: the computer's step toward a puck on its right is min(vx, skill),
// the full skill when that puck moves left (vx < 0). Do not replace it with std::min.
float min(float a, float b);

} // namespace rink
