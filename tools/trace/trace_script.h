// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <iosfwd>

namespace trace {

// Exit status of a script with bad input.
inline constexpr int badInput = 2;

// Runs a trace script read from `in` against a freshly loaded table, one command a line:
//   mouse X Y         a mouse move over the rink, pointer at (X, Y) twips
//   skill N           the slider's value becomes N
//   set NAME VALUE    a game-state field or paddle1/paddle2 Left/Top takes VALUE
//   tick              one timer tick, printed to `out` as one line (after a goal line, if any)
// Blank lines and lines starting with '#' are skipped. Returns 0, or badInput after one message
// on `err` naming the line; what was printed before stays printed.
int run(std::istream& in, std::ostream& out, std::ostream& err);

} // namespace trace
