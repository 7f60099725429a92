// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointF>

#include <array>
#include <cstdint>

// Where the moving shapes stand between ticks, for drawing at a frame's own time: the places of
// the latest ticks, blended by the frame's time a tick and a quarter behind, so that frames at
// any refresh rate show motion in steps as even as their times. The quarter is room for a tick
// or a frame that the event loop got to late: the time drawn stays between two ticks already
// played. The rules never see it; it only decides where things are drawn.
class TickBlend {
  public:
    // The puck and the computer's paddle, the shapes that move only at ticks.
    using Places = std::array<QPointF, 2>;

    explicit TickBlend(std::int64_t tickNanoseconds) : tick_(tickNanoseconds) {}

    // Records the places after a tick that ended at `nanoseconds` (a monotonic clock).
    void tick(std::int64_t nanoseconds, const Places& places);
    // The next tick's places are a jump (a serve), drawn at once rather than blended.
    void jump() { jump_ = true; }

    // How far behind a frame's time the places are drawn.
    std::int64_t behind() const { return tick_ + tick_ / 4; }
    // The places to draw at `nanoseconds`: those at behind() before it, between the two ticks
    // round that time, the latest ones once it has passed the latest tick.
    Places at(std::int64_t nanoseconds) const;
    // Whether frames at `nanoseconds` and later all show the latest tick.
    bool settled(std::int64_t nanoseconds) const { return nanoseconds - behind() >= ticks_[0].at; }

    // Which straight run of the puck the places drawn at `nanoseconds` lie on: it changes
    // whenever the puck's step from one tick to the next does (a wall, a stroke, a serve). Two
    // frames drawn on the same run show the puck in free flight between them.
    long long runAt(std::int64_t nanoseconds) const { return ticks_[segment(nanoseconds)].run; }

  private:
    struct Tick {
        std::int64_t at = 0;
        Places places{};
        long long run = 0; // of the motion that led to these places
    };
    // The newer end of the two ticks round `nanoseconds` - behind(): 0 the latest.
    std::size_t segment(std::int64_t nanoseconds) const;

    std::int64_t tick_;
    std::array<Tick, 3> ticks_{}; // the latest first
    QPointF step_;                // the puck's latest step
    long long run_ = 0;
    bool started_ = false;
    bool jump_ = false;
};

// The times of a periodic event (a tick, a frame) put back on an even cadence: each event is
// dated where the cadence expects it, pulled an eighth of the way toward when the event loop got
// to it, so that a late wake-up does not show as an uneven step while a drifting source is still
// followed. An event off the cadence by a whole period or more (a pause, a missed frame) starts
// it afresh: Qt's timers, too, keep their cadence after a late tick unless it is that late. The
// period is fixed, or the median of the latest intervals.
class Cadence {
  public:
    // `periodNanoseconds` 0: found from the events' own intervals.
    explicit Cadence(std::int64_t periodNanoseconds = 0) : fixed_(periodNanoseconds) {}

    // Records an event seen at `nanoseconds`; returns its time on the cadence.
    std::int64_t at(std::int64_t nanoseconds);

  private:
    std::int64_t period() const;

    std::int64_t fixed_;
    std::array<std::int64_t, 15> intervals_{};
    std::size_t count_ = 0; // intervals recorded, all time
    std::int64_t seen_ = 0; // when the latest event was seen
    std::int64_t on_ = 0;   // and its time on the cadence
    bool started_ = false;
};
