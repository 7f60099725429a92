// SPDX-License-Identifier: GPL-3.0-or-later
// The cost of one tick of play: a recorded game (mouse moves, skill changes and ticks) replayed
// over and over, one benchmark iteration per tick together with the input that came before it.
#include "game.h"

#include <benchmark/benchmark.h>

#include <charconv>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Step {
    enum Kind { mouse, skill, tick } kind;
    float x = 0;
    float y = 0;
};

bool parse(const std::string& word, float& value) {
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    return ec == std::errc() && end == word.data() + word.size();
}

// The mouse moves, skill changes and ticks of a trace script; the lines that set the state by
// hand are no part of play and are left out.
std::vector<Step> recording(const char* path) {
    std::ifstream file(path);
    std::vector<Step> steps;
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream words(line);
        std::string command, a, b;
        words >> command >> a >> b;
        Step step{Step::tick};
        if (command == "mouse" && parse(a, step.x) && parse(b, step.y)) {
            step.kind = Step::mouse;
        } else if (command == "skill" && parse(a, step.x)) {
            step.kind = Step::skill;
        } else if (command != "tick") {
            continue;
        }
        steps.push_back(step);
    }
    return steps;
}

// Beeps are silent and the goal box closes at once, as a player would want neither to count.
class Host : public rink::Host {
  public:
    void beep() override {}
    void messageBox(const std::string&, const std::string&) override {}
};

void TickOfPlay(benchmark::State& state) {
    static const std::vector<Step> steps = recording(VELMARO_RECORDED_GAME);
    if (steps.empty() || steps.back().kind != Step::tick) {
        state.SkipWithError("no recorded game at " VELMARO_RECORDED_GAME);
        return;
    }
    rink::Game game;
    Host host;
    std::size_t next = 0;
    for (auto _ : state) {
        for (;;) {
            const Step& step = steps[next++];
            if (step.kind == Step::mouse) {
                game.mouseMove(step.x, step.y);
            } else if (step.kind == Step::skill) {
                game.controls.cpu.Value = static_cast<int>(step.x);
            } else {
                game.tick(host);
                break;
            }
        }
        if (next == steps.size()) {
            next = 0;
            game = rink::Game();
        }
        benchmark::DoNotOptimize(game.state);
    }
}
BENCHMARK(TickOfPlay)->Repetitions(10)->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
