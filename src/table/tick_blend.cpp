// SPDX-License-Identifier: GPL-3.0-or-later
#include "tick_blend.h"

#include <algorithm>
#include <cmath>

void TickBlend::tick(std::int64_t nanoseconds, const Places& places) {
    const bool blended = started_ && !jump_;
    const QPointF step = places[0] - ticks_[0].places[0];
    // Steps in free flight differ by the rounding of the rules' float positions only.
    const QPointF change = step - step_;
    const double tolerance = 1e-3 * std::hypot(step.x(), step.y()) + 1e-2;
    if (!blended || std::hypot(change.x(), change.y()) > tolerance) {
        ++run_;
    }
    step_ = blended ? step : QPointF();
    if (blended) {
        ticks_[2] = ticks_[1];
        ticks_[1] = ticks_[0];
    } else {
        // Nothing to blend from: the earlier ticks stand where this one does.
        ticks_[2] = ticks_[1] = Tick{nanoseconds - 2 * tick_, places, run_};
        ticks_[1].at = nanoseconds - tick_;
    }
    ticks_[0] = Tick{nanoseconds, places, run_};
    started_ = true;
    jump_ = false;
}

std::size_t TickBlend::segment(std::int64_t nanoseconds) const {
    const std::int64_t drawn = nanoseconds - behind();
    return drawn >= ticks_[1].at ? 0 : 1;
}

TickBlend::Places TickBlend::at(std::int64_t nanoseconds) const {
    const std::size_t newer = segment(nanoseconds);
    const Tick& from = ticks_[newer + 1];
    const Tick& to = ticks_[newer];
    const double span = double(std::max<std::int64_t>(to.at - from.at, 1));
    const double share = std::clamp(double(nanoseconds - behind() - from.at) / span, 0.0, 1.0);
    Places places;
    for (std::size_t i = 0; i < places.size(); ++i) {
        places[i] = from.places[i] + (to.places[i] - from.places[i]) * share;
    }
    return places;
}

std::int64_t Cadence::period() const {
    if (fixed_ > 0) {
        return fixed_;
    }
    const std::size_t n = std::min(count_, intervals_.size());
    auto sorted = intervals_;
    std::nth_element(sorted.begin(), sorted.begin() + std::ptrdiff_t(n / 2),
                     sorted.begin() + std::ptrdiff_t(n));
    return sorted[n / 2];
}

std::int64_t Cadence::at(std::int64_t nanoseconds) {
    if (!started_) {
        started_ = true;
        seen_ = on_ = nanoseconds;
        return on_;
    }
    intervals_[count_++ % intervals_.size()] = nanoseconds - seen_;
    seen_ = nanoseconds;
    const std::int64_t period = this->period();
    const std::int64_t expected = on_ + period;
    const std::int64_t late = nanoseconds - expected;
    on_ = std::abs(late) >= period ? nanoseconds : expected + late / 8;
    return on_;
}
