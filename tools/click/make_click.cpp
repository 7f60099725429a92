// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the game's click: a short, crisp knock of puck on wall, as a 16-bit mono WAV file.
// Usage: velmaro-make-click OUT.wav

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <numbers>
#include <vector>

namespace {

constexpr int rate = 44100;
constexpr double seconds = 0.035;

void put16(std::ofstream& out, std::uint16_t v) {
    const char b[2] = {char(v & 0xff), char(v >> 8)};
    out.write(b, 2);
}

void put32(std::ofstream& out, std::uint32_t v) {
    put16(out, std::uint16_t(v & 0xffff));
    put16(out, std::uint16_t(v >> 16));
}

std::vector<std::int16_t> click() {
    const int n = int(rate * seconds);
    std::vector<std::int16_t> samples(n);
    std::uint32_t noise = 12345;
    for (int i = 0; i < n; ++i) {
        const double t = double(i) / rate;
        noise = noise * 1664525u + 1013904223u;
        const double hiss = (double(noise >> 8) / double(1u << 24) - 0.5) * std::exp(-t / 0.002);
        const double body = 0.6 * std::sin(2 * std::numbers::pi * 1900 * t) +
                            0.4 * std::sin(2 * std::numbers::pi * 3100 * t);
        const double attack = std::min(1.0, t / 0.0005);
        const double v = attack * std::exp(-t / 0.006) * body + 0.5 * hiss;
        samples[i] = std::int16_t(std::lround(std::clamp(v, -1.0, 1.0) * 0.7 * 32767));
    }
    return samples;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::cerr << "usage: velmaro-make-click OUT.wav\n";
        return 2;
    }
    const std::vector<std::int16_t> samples = click();
    const auto bytes = std::uint32_t(samples.size() * 2);
    std::ofstream out(argv[1], std::ios::binary);
    out.write("RIFF", 4);
    put32(out, 36 + bytes);
    out.write("WAVEfmt ", 8);
    put32(out, 16);
    put16(out, 1); // PCM
    put16(out, 1); // mono
    put32(out, rate);
    put32(out, rate * 2);
    put16(out, 2);
    put16(out, 16);
    out.write("data", 4);
    put32(out, bytes);
    for (std::int16_t s : samples) {
        put16(out, std::uint16_t(s));
    }
    return out ? 0 : 1;
}
