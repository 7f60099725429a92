// SPDX-License-Identifier: GPL-3.0-or-later
#include "trace_script.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <sstream>
#include <string>

namespace {

struct Result {
    int status;
    std::string out;
    std::string err;
};

Result run(const std::string& script) {
    std::istringstream in(script);
    std::ostringstream out, err;
    const int status = trace::run(in, out, err);
    return {status, out.str(), err.str()};
}

TEST(Trace, FirstThreeTicksFromTheStart) {
    const Result r = run("tick\n\n# a comment\n   \ntick\ntick\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(
        r.out,
        "1 600 3560 0 200 0 1200 0 4800 0 600 0 120 0 0 0 600 3560 1200 4800 600 120 0\n"
        "2 600 3760 0 200 1200 1200 4800 4800 600 600 120 0 0 0 0 600 3760 1200 4800 600 0 0\n"
        "3 600 3960 0 200 1200 1200 4800 4800 600 600 0 0 0 0 0 600 3960 1200 4800 600 0 0\n");
}

TEST(Trace, GoalLineComesBeforeTheTickThatCompletedIt) {
    const Result r = run("set goalPending 1\nset puckY -5\nset hit2 1\ntick\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "goal Red goal | 1 to 0\n"
                     "1 600 2880 100 0 0 0 0 0 0 0 0 0 0 1 0 600 3360 1200 4800 600 240 0\n");
}

TEST(Trace, MouseSkillAndSetReachTheTable) {
    const Result r = run("mouse 720 4000\nskill 150\nset vx -50.5\nset paddle2.Left 1e3\ntick\n");
    EXPECT_EQ(r.status, 0);
    // The puck (549.5, moving left) is right of the last sample p2X = 0, so the computer steps
    // right by the skill: min of a negative vx gives its second argument.
    EXPECT_EQ(r.out, "1 549.5 3560 -50.5 200 0 600 0 3880 0 1150 0 120 0 0 0 549.5 3560 600 3880 "
                     "1150 120 0\n");
}

TEST(Trace, BadInputStopsWithOneMessageNamingTheLine) {
    const struct {
        const char* script;
        const char* mentions;
    } cases[] = {
        // (one case a line)
        // clang-format off
        {"jump\n", "unknown command"},
        {"set puckZ 1\n", "unknown field"},
        {"set\n", "missing"},
        {"mouse 1\n", "missing"},
        {"mouse 1 2 3\n", "extra"},
        {"tick now\n", "extra"},
        {"mouse 1 x2\n", "malformed"},
        {"mouse 1 2.5.1\n", "malformed"},
        {"mouse +-5 1\n", "malformed"},
        {"mouse nan 1\n", "malformed"},
        {"mouse inf 1\n", "malformed"},
        {"set vx 1e39\n", "out of range"},
        {"skill 4\n", "out of range"},
        {"skill 151\n", "out of range"},
        {"skill 70.5\n", "malformed"},
        {"skill 99999999999999999999\n", "out of range"},
        {"set hit1 2\n", "0 or 1"},
        {"set goalPending 0.5\n", "0 or 1"},
        // clang-format on
    };
    for (const auto& c : cases) {
        const Result r = run(std::string("tick\n# fine so far\n") + c.script + "tick\n");
        EXPECT_EQ(r.status, trace::badInput) << c.script;
        EXPECT_EQ(r.out.find("1 600 3560"), 0u) << "the first tick stays printed: " << c.script;
        EXPECT_EQ(r.out.find("\n2 "), std::string::npos) << c.script;
        EXPECT_NE(r.err.find("line 3"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.mentions), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(std::string(c.script, std::string(c.script).size() - 1)),
                  std::string::npos)
            << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
}

TEST(Trace, AcceptsTheNumberFormsOfAScenario) {
    const Result r = run("set vx +3\nset vy -0.25\nset puckY 3.5e3\n\tset hit1   1 \r\ntick\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, 16), "1 603 3499.75 3 ");
}

} // namespace
