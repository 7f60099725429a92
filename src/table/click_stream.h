// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "click_mixer.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

struct ALCdevice_struct;
struct ALCcontext_struct;

// One audio stream for the clicks, through OpenAL Soft on the sound server. A thread of its own
// opens the stream, feeds it from a ClickMixer, pauses it (the server stops asking for data)
// as soon as the last click has played, watches it, and opens it again whenever the server
// goes away and comes back. The UI thread only counts clicks into it.
class ClickStream {
  public:
    // Starts opening the stream for 16-bit mono `click` samples at `rate` samples a second.
    ClickStream(std::vector<std::int16_t> click, int rate);
    // Closes the stream; waits for its thread.
    ~ClickStream();

    ClickStream(const ClickStream&) = delete;
    ClickStream& operator=(const ClickStream&) = delete;

    // Sounds one click from the stream's next buffer and returns true, or returns false at once
    // when no stream is open. Never blocks: any thread, any state of the server.
    bool play();

    // True while a stream is open.
    bool open() const { return open_.load(); }

  private:
    void run();
    bool openDevice();
    void closeDevice();
    bool connected() const;
    void playOut();
    bool waitFor(std::chrono::milliseconds interval);

    const int rate_;
    ClickMixer mixer_;              // this thread's alone
    std::atomic<unsigned> pending_; // clicks asked for and not yet started
    std::atomic<bool> open_;

    std::mutex mutex_; // held only to test or change a flag, never while mixing or in OpenAL
    std::condition_variable wake_; // a click is pending, or the stream stops
    bool stopping_ = false;        // guarded by mutex_

    ALCdevice_struct* device_ = nullptr;
    ALCcontext_struct* context_ = nullptr;
    void (*pause_)(ALCdevice_struct*) = nullptr;  // the device's pause and resume, looked up once
    void (*resume_)(ALCdevice_struct*) = nullptr; // at open; null where OpenAL lacks them
    unsigned source_ = 0;
    std::array<unsigned, 2> buffers_{};
    std::vector<unsigned> free_;
    std::vector<std::int16_t> mono_, stereo_;
    std::thread thread_;
};
