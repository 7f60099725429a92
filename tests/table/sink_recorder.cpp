// SPDX-License-Identifier: GPL-3.0-or-later
// Records the default capture source of the sound server (set PULSE_SOURCE to a sink's monitor)
// as 16-bit mono samples at 44.1 kHz, until SIGTERM or SIGINT: a test tool.
//   velmaro-sink-recorder OUT.raw OUT.times
// OUT.times receives one line per buffer received: the number of samples recorded up to its end
// and the monotonic time (CLOCK_MONOTONIC, ns) at which it arrived. A sample is thus dated no
// earlier than it was captured, so delays measured against it are upper bounds, and samples the
// server dropped do not shift the dates of those after them.

#include <SDL.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

namespace {

std::atomic<bool> stop{false};
std::FILE* out = nullptr;
std::FILE* times = nullptr;
long long samples = 0;
constexpr int rate = 44100;

void capture(void*, Uint8* data, int bytes) {
    const long long now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                              std::chrono::steady_clock::now().time_since_epoch())
                              .count();
    std::fwrite(data, 1, std::size_t(bytes), out);
    samples += bytes / 2;
    std::fprintf(times, "%lld %lld\n", samples, now);
    std::fflush(times);
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: velmaro-sink-recorder OUT.raw OUT.times\n");
        return 2;
    }
    std::signal(SIGTERM, [](int) { stop = true; });
    std::signal(SIGINT, [](int) { stop = true; });
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_AUDIODRIVER, "pulseaudio");
    if (SDL_Init(SDL_INIT_AUDIO) != 0) {
        std::fprintf(stderr, "velmaro-sink-recorder: %s\n", SDL_GetError());
        return 1;
    }
    out = std::fopen(argv[1], "wb");
    times = std::fopen(argv[2], "w");
    if (!out || !times) {
        std::perror("velmaro-sink-recorder");
        return 1;
    }
    SDL_AudioSpec want{};
    want.freq = rate;
    want.format = AUDIO_S16SYS;
    want.channels = 1;
    want.samples = 256;
    want.callback = capture;
    SDL_AudioSpec have{};
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 1, &want, &have, 0);
    if (device == 0) {
        std::fprintf(stderr, "velmaro-sink-recorder: %s\n", SDL_GetError());
        return 1;
    }
    SDL_PauseAudioDevice(device, 0);
    while (!stop && SDL_GetAudioDeviceStatus(device) != SDL_AUDIO_STOPPED) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    SDL_CloseAudioDevice(device);
    std::fclose(out);
    std::fclose(times);
    SDL_Quit();
    return 0;
}
