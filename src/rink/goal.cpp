// SPDX-License-Identifier: GPL-3.0-or-later
#include "goal.h"

#include "compare.h"

#include <charconv>
#include <string>

namespace rink {

namespace {

// A caption read as a number. Captions only ever hold whole numbers written by the game.
template <typename Number> Number captionValue(const Label& label) {
    Number value = 0;
    const std::string& text = label.Caption;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// A number in its shortest plain decimal form: 1, 2, ... 10, 100000, never an exponent.
template <typename Number> std::string text(Number value) {
    char buffer[64];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed).ptr;
    return std::string(buffer, end);
}

} // namespace

void completeGoal(GameState& s, Controls& c, Host& host) {
    s.vx = 100;
    s.vy = 0;
    const bool redScored = s.puckY < 100;
    Label& raised = redScored ? c.Scorered : c.Scoreblue;
    const char* title = redScored ? "Red goal" : "Blue goal";
    raised.Caption = text(captionValue<double>(raised) + 1);

    const float high = max(captionValue<float>(c.Scorered), captionValue<float>(c.Scoreblue));
    const float low = min(captionValue<float>(c.Scorered), captionValue<float>(c.Scoreblue));
    host.messageBox(text(high) + " to " + text(low), title);

    s.puckY = c.Line1.Y1;
    s.goalPending = false;
}

} // namespace rink
