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

TEST(TickBlend, BothShapesFollowOneRuleOneTickBehind) {
    TickBlend blend(tick);
    blend.tick(1 * tick, placesAfter(1));
    blend.tick(2 * tick, placesAfter(2));
    const TickBlend::Places third = blend.at(2 * tick + 5 * ms);
    EXPECT_DOUBLE_EQ(third[0].x(), 600 + 100.0 * (1 + 1.0 / 3));
    EXPECT_DOUBLE_EQ(third[1].x(), 600 + 20.0 * (1 + 1.0 / 3));
    EXPECT_FALSE(blend.settled(2 * tick + 5 * ms));
    // A tick's time after the latest, the latest places, and they stay while no tick comes.
    EXPECT_EQ(blend.at(3 * tick), placesAfter(2));
    EXPECT_EQ(blend.at(9 * tick), placesAfter(2));
    EXPECT_TRUE(blend.settled(3 * tick));
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
    EXPECT_EQ(blend.at(3 * tick + 7500 * 1000)[0], QPointF(1750, 2880));
}

} // namespace
