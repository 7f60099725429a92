// SPDX-License-Identifier: GPL-3.0-or-later
#include "click_mixer.h"

#include <algorithm>
#include <limits>
#include <utility>

ClickMixer::ClickMixer(std::vector<std::int16_t> click) : click_(std::move(click)) {
    sums_.reserve(2 * click_.size());
    mixed_.reserve(2 * click_.size());
}

void ClickMixer::start(std::size_t at, std::size_t count) {
    if (count == 0 || click_.empty()) {
        return;
    }
    at = std::max(at, from_);
    const std::size_t dropped = std::min(at - from_, sums_.size());
    sums_.erase(sums_.begin(), sums_.begin() + std::ptrdiff_t(dropped));
    from_ = at;
    if (sums_.size() < click_.size()) {
        sums_.resize(click_.size(), 0);
    }
    // A long stall can pile up very many clicks on one sample: the sum only has to stay past
    // the clipping range, so the count is capped well below any overflow.
    const auto copies = static_cast<long long>(std::min<std::size_t>(count, 1u << 20));
    for (std::size_t i = 0; i < click_.size(); ++i) {
        sums_[i] += click_[i] * copies;
    }
    mixed_.resize(sums_.size());
    std::transform(sums_.begin(), sums_.end(), mixed_.begin(), [](long long sum) {
        return std::int16_t(std::clamp<long long>(sum, std::numeric_limits<std::int16_t>::min(),
                                                  std::numeric_limits<std::int16_t>::max()));
    });
}

void ClickMixer::handOn(std::size_t upTo) {
    const std::size_t dropped = std::min(upTo, end()) - std::min(upTo, from_);
    sums_.erase(sums_.begin(), sums_.begin() + std::ptrdiff_t(dropped));
    mixed_.erase(mixed_.begin(), mixed_.begin() + std::ptrdiff_t(dropped));
    from_ += dropped;
}

void ClickMixer::clear() {
    sums_.clear();
    mixed_.clear();
    from_ = 0;
}
