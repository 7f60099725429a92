// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "click_mixer.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

struct pa_context;
struct pa_mainloop;
struct pa_stream;

// One audio stream for the clicks, on the sound server (PulseAudio's protocol, which PipeWire
// speaks too). A thread of its own connects, keeps the stream corked whenever no click sounds,
// and connects again whenever the server goes away and comes back. A click is written whole
// the moment it is asked for, and the stream uncorked: the server plays new data at once, so
// the server's buffer can stay long and its wake-ups few. A click that comes while another
// sounds is mixed in, and the rest of the burst rewritten from the next buffer on. The UI
// thread only counts clicks into it.
class ClickStream {
  public:
    // Starts connecting, for 16-bit mono `click` samples at `rate` samples a second.
    ClickStream(std::vector<std::int16_t> click, int rate);
    // Disconnects; waits for its thread.
    ~ClickStream();

    ClickStream(const ClickStream&) = delete;
    ClickStream& operator=(const ClickStream&) = delete;

    // Sounds one click from the stream's next buffer and returns true, or returns false at once
    // when no stream is open. Never blocks: any thread, any state of the server.
    bool play();

    // True while a stream is open.
    bool open() const { return open_.load(); }

  private:
    using Clock = std::chrono::steady_clock;

    void run();
    void connect();
    void contextChanged(int state);
    void openStream();
    void disconnect();
    void serve(Clock::time_point now);
    int timeout(Clock::time_point now) const;
    Clock::duration played(std::size_t samples) const;

    const int rate_;
    ClickMixer mixer_;                 // this thread's alone
    std::atomic<unsigned> pending_{0}; // clicks asked for and not yet written
    std::atomic<bool> open_{false};
    std::atomic<bool> stopping_{false};
    int wakeFd_ = -1; // an eventfd: play() and the destructor wake the thread through it

    // The stream's thread alone touches these.
    pa_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    bool lost_ = false;           // the server went away: disconnect and look for it again
    Clock::time_point retryAt_{}; // when to look for a missing server next
    bool sounding_ = false;       // uncorked, a burst under way
    Clock::time_point burstStart_{}, corkAt_{};
    std::thread thread_;
};
