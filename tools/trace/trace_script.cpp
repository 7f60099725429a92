// SPDX-License-Identifier: GPL-3.0-or-later
#include "trace_script.h"

#include "game.h"

#include <charconv>
#include <cmath>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <system_error>
#include <variant>
#include <vector>

namespace trace {

namespace {

// Answers the goal box at once and counts the beeps of one tick.
class AnsweringHost : public rink::Host {
  public:
    void beep() override { ++beeps; }
    void messageBox(const std::string& prompt, const std::string& title) override {
        goalLine = "goal " + title + " | " + prompt;
    }

    int beeps = 0;
    std::string goalLine;
};

struct BadInput {
    std::string what;
};

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    const auto isSpace = [](char ch) { return ch == ' ' || ch == '\t' || ch == '\r'; };
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isSpace(line[i])) {
            ++i;
        }
        const std::size_t start = i;
        while (i < line.size() && !isSpace(line[i])) {
            ++i;
        }
        if (i > start) {
            out.push_back(line.substr(start, i - start));
        }
    }
    return out;
}

// A decimal number as a finite 32-bit float; a leading '+' is allowed.
float number(std::string_view word) {
    std::string_view digits = word;
    const bool plus = !digits.empty() && digits.front() == '+';
    if (plus) {
        digits.remove_prefix(1);
    }
    float value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec == std::errc::result_out_of_range) {
        throw BadInput{"number out of range '" + std::string(word) + "'"};
    }
    const bool decimal = !digits.empty() && (std::isdigit(static_cast<unsigned char>(digits[0])) ||
                                             digits[0] == '.' || (digits[0] == '-' && !plus));
    if (ec != std::errc() || end != digits.data() + digits.size() || !decimal ||
        !std::isfinite(value)) {
        throw BadInput{"malformed number '" + std::string(word) + "'"};
    }
    return value;
}

int wholeNumber(std::string_view word, int lowest, int highest) {
    int value = 0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (ec == std::errc::result_out_of_range) {
        throw BadInput{"number out of range '" + std::string(word) + "'"};
    }
    if (ec != std::errc() || end != word.data() + word.size()) {
        throw BadInput{"malformed whole number '" + std::string(word) + "'"};
    }
    if (value < lowest || value > highest) {
        throw BadInput{"number out of range '" + std::string(word) + "' (" +
                       std::to_string(lowest) + " to " + std::to_string(highest) + ")"};
    }
    return value;
}

using Field = std::variant<float*, bool*>;

std::optional<Field> field(rink::Game& game, std::string_view name) {
    for (const auto& f : rink::numberFields) {
        if (f.name == name) {
            return &(game.state.*f.member);
        }
    }
    for (const auto& f : rink::flagFields) {
        if (f.name == name) {
            return &(game.state.*f.member);
        }
    }
    rink::Controls& c = game.controls;
    const std::pair<std::string_view, float*> shapes[] = {
        {"paddle1.Left", &c.paddle1.Left},
        {"paddle1.Top", &c.paddle1.Top},
        {"paddle2.Left", &c.paddle2.Left},
        {"paddle2.Top", &c.paddle2.Top},
    };
    for (const auto& [shapeName, target] : shapes) {
        if (shapeName == name) {
            return target;
        }
    }
    return std::nullopt;
}

void expectWords(const std::vector<std::string_view>& w, std::size_t count) {
    if (w.size() > count) {
        throw BadInput{"extra words after '" + std::string(w[count - 1]) + "'"};
    }
    if (w.size() < count) {
        throw BadInput{"missing " + std::string(count - w.size() == 1 ? "value" : "values") +
                       " for '" + std::string(w[0]) + "'"};
    }
}

void put(std::string& line, float value) {
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    line += ' ';
    line.append(buffer, end);
}

void put(std::string& line, bool value) {
    line += value ? " 1" : " 0";
}

std::string tickLine(long long n, const rink::Game& game, int beeps) {
    const rink::GameState& s = game.state;
    const rink::Controls& c = game.controls;
    std::string line = std::to_string(n);
    for (const auto& f : rink::numberFields) {
        put(line, s.*f.member);
    }
    for (const auto& f : rink::flagFields) {
        put(line, s.*f.member);
    }
    for (float v :
         {c.puck.Left, c.puck.Top, c.paddle1.Left, c.paddle1.Top, c.paddle2.Left, c.paddle2.Top}) {
        put(line, v);
    }
    line += ' ';
    line += std::to_string(beeps);
    return line;
}

class Interpreter {
  public:
    explicit Interpreter(std::ostream& out) : out_(out) {}

    void execute(const std::vector<std::string_view>& w) {
        const std::string_view command = w[0];
        if (command == "tick") {
            expectWords(w, 1);
            tick();
        } else if (command == "mouse") {
            expectWords(w, 3);
            const float x = number(w[1]);
            const float y = number(w[2]);
            game_.mouseMove(x, y);
        } else if (command == "skill") {
            expectWords(w, 2);
            const rink::Slider& cpu = game_.controls.cpu;
            game_.controls.cpu.Value = wholeNumber(w[1], cpu.Min, cpu.Max);
        } else if (command == "set") {
            expectWords(w, 3);
            set(w[1], w[2]);
        } else {
            throw BadInput{"unknown command '" + std::string(command) + "'"};
        }
    }

  private:
    void tick() {
        AnsweringHost host;
        game_.tick(host);
        ++ticks_;
        if (!host.goalLine.empty()) {
            out_ << host.goalLine << '\n';
        }
        out_ << tickLine(ticks_, game_, host.beeps) << '\n';
    }

    void set(std::string_view name, std::string_view word) {
        const auto target = field(game_, name);
        if (!target) {
            throw BadInput{"unknown field '" + std::string(name) + "'"};
        }
        const float value = number(word);
        if (auto* flag = std::get_if<bool*>(&*target)) {
            if (value != 0 && value != 1) {
                throw BadInput{"a Boolean takes 0 or 1, not '" + std::string(word) + "'"};
            }
            **flag = value == 1;
        } else {
            *std::get<float*>(*target) = value;
        }
    }

    std::ostream& out_;
    rink::Game game_;
    long long ticks_ = 0;
};

} // namespace

int run(std::istream& in, std::ostream& out, std::ostream& err) {
    Interpreter interpreter(out);
    std::string line;
    long long lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        const auto w = words(line);
        if (w.empty() || w[0].front() == '#') {
            continue;
        }
        try {
            interpreter.execute(w);
        } catch (const BadInput& bad) {
            out.flush();
            err << "velmaro-trace: line " << lineNumber << ": " << bad.what << ": " << line << '\n';
            return badInput;
        }
    }
    out.flush();
    return 0;
}

} // namespace trace
