// SPDX-License-Identifier: GPL-3.0-or-later
#include "tick_blend.h"

#include <algorithm>

void TickBlend::tick(std::int64_t nanoseconds, const Places& places) {
    before_ = started_ && !jump_ ? latest_ : places;
    latest_ = places;
    latestAt_ = nanoseconds;
    started_ = true;
    jump_ = false;
}

TickBlend::Places TickBlend::at(std::int64_t nanoseconds) const {
    const double past = double(nanoseconds - latestAt_) / double(tick_);
    const double share = std::clamp(past, 0.0, 1.0);
    Places places;
    for (std::size_t i = 0; i < places.size(); ++i) {
        places[i] = before_[i] + (latest_[i] - before_[i]) * share;
    }
    return places;
}
