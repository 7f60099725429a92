// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "click_mixer.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

struct pa_context;
struct pa_mainloop;
struct pa_stream;
struct pa_time_event;
class ServerWatch;

// One audio stream for the clicks, on the sound server (PulseAudio's protocol, which PipeWire
// speaks too). A thread of its own connects, keeps the stream corked whenever no click sounds,
// and connects again whenever the server goes away and comes back. The clicks of a burst are
// mixed on one timeline and handed to the server only as far as it asks for them, a short
// stretch ahead of what it plays: a click asked for meanwhile is mixed into what has not been
// handed on yet, so nothing the server holds is ever written again. The stream is corked only
// once the server says it has played everything written. The UI thread only counts clicks in.
class ClickStream {
  public:
    // Starts connecting, for 16-bit mono `click` samples at `rate` samples a second.
    ClickStream(std::vector<std::int16_t> click, int rate);
    // Disconnects; waits for its thread.
    ~ClickStream();

    ClickStream(const ClickStream&) = delete;
    ClickStream& operator=(const ClickStream&) = delete;

    // Sounds one click as soon as the stream can and returns true, or returns false at once when
    // no stream is open. Never blocks: any thread, any state of the server.
    bool play();

    // True while a stream is open.
    bool open() const { return open_.load(); }

  private:
    void run();
    void connect();
    void notOpened();
    void contextChanged(int state);
    void openStream();
    void shaped();
    void placed();
    void disconnect();
    void serve();
    void feed();
    void checkPlayed();
    void timed(int success);
    void endBurst();
    void answered();
    void stall();

    // A one-shot timer of the stream's main loop that calls a member function of the stream.
    struct Timer {
        ClickStream* owner;
        void (ClickStream::*then)();
        pa_time_event* event = nullptr; // set while the timer is
    };
    void arm(Timer& timer, std::uint64_t afterUs);
    void disarm(Timer& timer);

    const int rate_;
    ClickMixer mixer_;                 // this thread's alone
    std::atomic<unsigned> pending_{0}; // clicks asked for and not yet mixed
    std::atomic<bool> open_{false};
    std::atomic<bool> stopping_{false};
    int wakeFd_ = -1; // an eventfd: play() and the destructor wake the thread through it

    // The stream's thread alone touches these.
    pa_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    Timer opening_{this, &ClickStream::notOpened};   // from connecting until the stream is open
    Timer recheck_{this, &ClickStream::checkPlayed}; // asks again whether the burst has played
    Timer watchdog_{this, &ClickStream::stall}; // while a burst sounds: the server's time to answer
    bool lost_ = false;     // the server went away: disconnect and look for it again
    bool retryNow_ = false; // ... and look at once: it is there, the stream is given up
    bool stalled_ = false;  // the server stopped answering: nothing is sent until it answers
    std::chrono::steady_clock::time_point retryAt_{}; // when to look for a missing server next
    std::chrono::milliseconds retryDelay_{1000};      // and the time after that
    std::unique_ptr<ServerWatch> watch_;              // while run() runs, for a local server
    bool socketMade_ = false;          // something was made where the server's socket lives
    bool sounding_ = false;            // uncorked, a burst under way
    bool dry_ = false;                 // the server ran out of data: what comes next plays at once
    std::vector<bool> front_{true};    // the stream's channels, and which of them carry the click
    std::vector<std::int16_t> frames_; // a stretch of the burst in all of them, to hand on
    std::size_t sent_ = 0;             // samples of the burst handed to the server
    std::uint64_t writes_ = 0;         // writes to the stream, to tell a check overtaken by one
    std::uint64_t checkAfter_ = 0;     // the writes a pending end-of-burst check follows (0: none)
    std::thread thread_;
};
