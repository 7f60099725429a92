// SPDX-License-Identifier: GPL-3.0-or-later
#include "compare.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct Case {
    float a, b, max, min;
};

TEST(Compare, MaxAndMinFollowTheirAsymmetricRules) {
    const Case cases[] = {
        {3, 5, 5, 3},  {5, 3, 5, 3},      {4, 4, 4, 4},       {0, -10, 0, -10},
        {-5, 3, 3, 3}, {-10, -5, -5, -5}, {-5, -10, -5, -10}, {-0.5f, 70, 70, 70},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(rink::max(c.a, c.b), c.max) << "max(" << c.a << ", " << c.b << ")";
        EXPECT_EQ(rink::min(c.a, c.b), c.min) << "min(" << c.a << ", " << c.b << ")";
    }
}

TEST(Compare, TiesGiveMaxItsSecondAndMinItsFirstArgument) {
    // +0 and -0 compare equal, so the sign of the result tells which argument came back.
    EXPECT_TRUE(std::signbit(rink::max(0.0f, -0.0f)));
    EXPECT_FALSE(std::signbit(rink::max(-0.0f, 0.0f)));
    EXPECT_FALSE(std::signbit(rink::min(0.0f, -0.0f)));
    // -0 is not below 0, so min treats it as non-negative and returns it on the tie.
    EXPECT_TRUE(std::signbit(rink::min(-0.0f, 0.0f)));
}

} // namespace
