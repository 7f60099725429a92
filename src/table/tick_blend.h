// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointF>

#include <array>
#include <cstdint>

// Where the moving shapes stand between two ticks, for drawing at a frame's own time: the two
// latest ticks' places, blended by how far the frame lies past the later tick, one tick behind,
// so that frames at any refresh rate show motion in steps as even as their times. The rules
// never see it; it only decides where things are drawn.
class TickBlend {
  public:
    // The puck and the computer's paddle, the shapes that move only at ticks.
    using Places = std::array<QPointF, 2>;

    explicit TickBlend(std::int64_t tickNanoseconds) : tick_(tickNanoseconds) {}

    // Records the places after a tick that ended at `nanoseconds` (a monotonic clock).
    void tick(std::int64_t nanoseconds, const Places& places);
    // The next tick's places are a jump (a serve), drawn at once rather than blended.
    void jump() { jump_ = true; }

    // The places to draw at `nanoseconds`: those of one tick before, between the two latest
    // ticks, and the latest ones from a tick after the latest on.
    Places at(std::int64_t nanoseconds) const;
    // Whether frames at `nanoseconds` and later all show the latest tick.
    bool settled(std::int64_t nanoseconds) const { return nanoseconds - latestAt_ >= tick_; }

  private:
    std::int64_t tick_;
    std::int64_t latestAt_ = 0;
    Places before_{};
    Places latest_{};
    bool started_ = false;
    bool jump_ = false;
};
