// SPDX-License-Identifier: GPL-3.0-or-later
#include "tick_blend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr std::int64_t ms = 1000 * 1000;
constexpr std::int64_t tick = 15 * ms;

// The puck and the computer's paddle in steady motion: their places after tick `n`.
TickBlend::Places placesAfter(std::int64_t n) {
    const auto ticks = static_cast<double>(n);
    return {QPointF(600 + 100.0 * ticks, 3360 - 150.0 * ticks), QPointF(600 + 20.0 * ticks, 240)};
}

// The puck's distance between successive frames at `hertz` over one second of ticks every
// 15 ms, drawn blended or at the latest tick.
std::vector<double> puckSteps(double hertz, bool blended) {
    TickBlend blend(tick);
    std::vector<double> steps;
    std::int64_t ticks = 0;
    QPointF last;
    for (int frame = 0; frame < int(hertz); ++frame) {
        const auto now = std::int64_t(std::llround(1e9 * (0.1 + frame / hertz)));
        while ((ticks + 1) * tick <= now) {
            ++ticks;
            blend.tick(ticks * tick, placesAfter(ticks));
        }
        const QPointF puck = blended ? blend.at(now)[0] : placesAfter(ticks)[0];
        if (frame > 0) {
            steps.push_back(std::hypot(puck.x() - last.x(), puck.y() - last.y()));
        }
        last = puck;
    }
    return steps;
}

TEST(TickBlend, FramesShowEvenStepsAtAnyRefreshRate) {
    for (const double hertz : {60.0, 75.0, 120.0, 144.0}) {
        // The puck moves 180.3 twips a tick, 12 020 a second: each frame shows 1/hertz of that.
        const double even = std::hypot(100.0, 150.0) / 0.015 / hertz;
        for (const double step : puckSteps(hertz, true)) {
            EXPECT_NEAR(step, even, 1e-6 * even) << "at " << hertz << " Hz";
        }
    }
    // Drawn at the latest tick instead, some frames at 60 Hz show two ticks' motion.
    const std::vector<double> latest = puckSteps(60, false);
    EXPECT_GT(*std::max_element(latest.begin(), latest.end()), 1.25 * std::hypot(100.0, 150.0));
}

TEST(TickBlend, BothShapesFollowOneRuleATickAndAQuarterBehind) {
    TickBlend blend(tick);
    EXPECT_EQ(blend.behind(), tick + tick / 4);
    blend.tick(1 * tick, placesAfter(1));
    blend.tick(2 * tick, placesAfter(2));
    blend.tick(3 * tick, placesAfter(3));
    const std::int64_t third = 2 * tick + 5 * ms + blend.behind(); // a third past tick 2
    EXPECT_DOUBLE_EQ(blend.at(third)[0].x(), 600 + 100.0 * (2 + 1.0 / 3));
    EXPECT_DOUBLE_EQ(blend.at(third)[1].x(), 600 + 20.0 * (2 + 1.0 / 3));
    // Drawn from the two ticks before the latest where the time lies between them.
    const std::int64_t before = 1 * tick + 10 * ms + blend.behind();
    EXPECT_DOUBLE_EQ(blend.at(before)[0].x(), 600 + 100.0 * (1 + 2.0 / 3));
    EXPECT_FALSE(blend.settled(third));
    // From the latest tick's time plus behind() on, the latest places, and they stay while no
    // tick comes.
    EXPECT_EQ(blend.at(3 * tick + blend.behind()), placesAfter(3));
    EXPECT_EQ(blend.at(9 * tick), placesAfter(3));
    EXPECT_TRUE(blend.settled(3 * tick + blend.behind()));
}

TEST(TickBlend, AServeIsDrawnAtOnceNotSlidAcrossTheRink) {
    TickBlend blend(tick);
    blend.tick(1 * tick, {QPointF(1600, 5500), QPointF(600, 240)}); // the puck beyond the end
    blend.jump();
    blend.tick(2 * tick, {QPointF(1700, 2880), QPointF(610, 240)}); // served
    EXPECT_EQ(blend.at(2 * tick)[0], QPointF(1700, 2880));
    EXPECT_EQ(blend.at(2 * tick)[1], QPointF(610, 240));
    // The tick after blends again.
    blend.tick(3 * tick, {QPointF(1800, 2880), QPointF(620, 240)});
    EXPECT_EQ(blend.at(2 * tick + 7500 * 1000 + blend.behind())[0], QPointF(1750, 2880));
}

TEST(TickBlend, ARunOfThePuckEndsWhereItsStepChanges) {
    TickBlend blend(tick);
    blend.tick(1 * tick, placesAfter(1));
    blend.tick(2 * tick, placesAfter(2));
    const auto run = [&blend] { return blend.runAt(blend.behind() + 100 * tick); };
    const long long straight = run();
    blend.tick(3 * tick, placesAfter(3));
    EXPECT_EQ(run(), straight); // the same step: the same run
    // A wall: back along x at four fifths of the speed.
    const QPointF wall = placesAfter(3)[0] + QPointF(-80, -120);
    blend.tick(4 * tick, {wall, placesAfter(4)[1]});
    const long long bounced = run();
    EXPECT_NE(bounced, straight);
    blend.tick(5 * tick, {wall + QPointF(-80, -120), placesAfter(5)[1]});
    EXPECT_EQ(run(), bounced);
    blend.jump();
    blend.tick(6 * tick, {QPointF(1700, 2880), placesAfter(6)[1]});
    EXPECT_NE(run(), bounced);
}

// Frames every `period` seen late by up to `jitter` (a busy event loop): their steps of the
// puck in free flight, drawn at the times seen or at those of a cadence.
std::vector<double> jitteredSteps(std::int64_t period, std::int64_t jitter, bool onCadence) {
    TickBlend blend(tick);
    Cadence ticks(tick);
    Cadence frames;
    std::vector<double> steps;
    std::int64_t ticked = 0;
    QPointF last;
    // A fixed scramble of lateness, so that the test sees the same frames every run.
    std::uint32_t seed = 12345;
    const auto late = [&](std::int64_t most) {
        seed = seed * 1664525U + 1013904223U;
        return std::int64_t((seed >> 8) % std::uint32_t(most + 1));
    };
    std::int64_t tickSeen = tick + late(jitter);
    for (int frame = 0; frame < 200; ++frame) {
        const std::int64_t seen = 100 * ms + frame * period + late(jitter);
        // The ticks the event loop got to before this frame.
        while (tickSeen <= seen) {
            ++ticked;
            blend.tick(onCadence ? ticks.at(tickSeen) : tickSeen, placesAfter(ticked));
            tickSeen = (ticked + 1) * tick + late(jitter);
        }
        const QPointF puck = blend.at(onCadence ? frames.at(seen) : seen)[0];
        if (frame >= 20) { // once the cadence has its period
            steps.push_back(std::hypot(puck.x() - last.x(), puck.y() - last.y()));
        }
        last = puck;
    }
    return steps;
}

TEST(Cadence, LateWakeUpsDoNotShowAsUnevenSteps) {
    for (const double hertz : {60.0, 144.0}) {
        const auto period = std::int64_t(std::llround(1e9 / hertz));
        const double even = std::hypot(100.0, 150.0) / 0.015 / hertz;
        // Up to a third of a frame late, as weston's headless output answers now and then.
        const std::int64_t jitter = period / 3;
        for (const double step : jitteredSteps(period, jitter, true)) {
            EXPECT_NEAR(step, even, 0.1 * even) << "at " << hertz << " Hz";
        }
        // At the times seen, the same frames are off by more than a quarter now and then.
        const std::vector<double> seen = jitteredSteps(period, jitter, false);
        const auto [least, most] = std::minmax_element(seen.begin(), seen.end());
        EXPECT_TRUE(*least < 0.75 * even || *most > 1.25 * even) << "at " << hertz << " Hz";
    }
}

TEST(Cadence, FollowsADriftingSourceAndStartsAfreshAfterAPause) {
    Cadence cadence(tick);
    std::int64_t on = 0;
    // A timer 2 microseconds slow a tick: the cadence keeps within a millisecond of it.
    for (std::int64_t n = 1; n <= 5000; ++n) {
        const std::int64_t seen = n * (tick + 2000);
        on = cadence.at(seen);
        ASSERT_LT(std::abs(on - seen), 1 * ms) << "tick " << n;
    }
    // A goal box held the ticks for a second: the next one is dated when it came.
    const std::int64_t resumed = on + 1000 * ms;
    EXPECT_EQ(cadence.at(resumed), resumed);
    // A frame cadence finds its period: frames every 25 ms, the fourth one missed.
    Cadence frames;
    for (const std::int64_t seen : {0, 25, 50, 100, 125, 150, 175, 200}) {
        on = frames.at(seen * ms);
    }
    EXPECT_EQ(frames.at(225 * ms + 2 * ms), 225 * ms + 2 * ms / 8);
}

} // namespace
