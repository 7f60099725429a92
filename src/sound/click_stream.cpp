// SPDX-License-Identifier: GPL-3.0-or-later
#include "click_stream.h"

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/mainloop.h>
#include <pulse/proplist.h>
#include <pulse/stream.h>

#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using namespace std::chrono_literals;

// A click that comes while another sounds starts at the next buffer of 256 samples (5.8 ms at
// 44.1 kHz) after the time it is asked for.
constexpr std::size_t bufferFrames = 256;
// What the stream asks of the server: a sink latency of 150 ms, and requests for more data no
// more often than every 40 ms. The latency is how often the server's sink wakes for us, corked
// or not, and how much of its mix a server rewrites for a click; it does not delay the click on
// a server that rewinds, which plays new data at once. A wake-up costs the server far more
// than the mixing, so the latency is long.
constexpr auto sinkLatency = 150ms;
constexpr auto requestInterval = 40ms;
// How long the stream stays uncorked after the end of a burst's last click, for the server to
// have played it out (corking earlier would cut the click's tail); a click in that time joins
// the burst.
constexpr auto playOutMargin = 30ms;
// How often a missing server is looked for.
constexpr auto retryInterval = 1s;

// Whether a sound server accepts connections at its local socket: a cheap look before a
// connection is set up, once a second while there is none.
bool serverReachable() {
    std::string path;
    if (const char* server = std::getenv("PULSE_SERVER"); server && *server) {
        const std::string first = std::string(server).substr(0, std::strcspn(server, " "));
        if (first.rfind("unix:", 0) == 0) {
            path = first.substr(5);
        } else if (first.front() == '/') {
            path = first;
        } else {
            return true; // a server on the network: let the connection try it
        }
    } else if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        path = std::string(runtime) + "/pulse/native";
    } else {
        path = "/run/user/" + std::to_string(getuid()) + "/pulse/native";
    }
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path) {
        return false;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    const bool reached = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return reached;
}

// Operations are fire-and-forget: the server carries them out in the order they were sent.
void forget(pa_operation* operation) {
    if (operation) {
        pa_operation_unref(operation);
    }
}

std::uint32_t bytesOf(std::chrono::microseconds time, int rate) {
    return std::uint32_t(time.count() * rate / 1000000 * std::int64_t(sizeof(std::int16_t)));
}

} // namespace

ClickStream::ClickStream(std::vector<std::int16_t> click, int rate)
    : rate_(rate), mixer_(std::move(click)), wakeFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      loop_(pa_mainloop_new()) {
    if (wakeFd_ >= 0 && loop_) {
        thread_ = std::thread([this] { run(); });
        pthread_setname_np(thread_.native_handle(), "velmaro-clicks");
    }
}

ClickStream::~ClickStream() {
    stopping_.store(true);
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        (void)!write(wakeFd_, &one, sizeof one);
        thread_.join();
    }
    if (loop_) {
        pa_mainloop_free(loop_);
    }
    if (wakeFd_ >= 0) {
        close(wakeFd_);
    }
}

bool ClickStream::play() {
    if (!open_.load()) {
        return false;
    }
    pending_.fetch_add(1);
    const std::uint64_t one = 1;
    (void)!write(wakeFd_, &one, sizeof one); // non-blocking: a full counter is awake anyway
    return true;
}

void ClickStream::run() {
    pa_mainloop_api* api = pa_mainloop_get_api(loop_);
    pa_io_event* wake = api->io_new(
        api, wakeFd_, PA_IO_EVENT_INPUT,
        [](pa_mainloop_api*, pa_io_event*, int fd, pa_io_event_flags_t, void*) {
            std::uint64_t count = 0;
            (void)!read(fd, &count, sizeof count);
        },
        nullptr);
    while (!stopping_.load()) {
        const Clock::time_point now = Clock::now();
        if (lost_) {
            disconnect(); // the server went away: look for it again from scratch
            retryAt_ = now + retryInterval;
        }
        if (!context_ && now >= retryAt_) {
            retryAt_ = now + retryInterval;
            if (serverReachable()) {
                connect();
            }
        }
        serve(now);
        if (pa_mainloop_prepare(loop_, timeout(Clock::now())) < 0 || pa_mainloop_poll(loop_) < 0 ||
            pa_mainloop_dispatch(loop_) < 0) {
            break;
        }
    }
    disconnect();
    api->io_free(wake);
}

void ClickStream::connect() {
    pa_proplist* properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, "Velmaro");
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, "io.github.velmaro.Velmaro");
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ICON_NAME, "velmaro");
    context_ = pa_context_new_with_proplist(pa_mainloop_get_api(loop_), "Velmaro", properties);
    pa_proplist_free(properties);
    if (!context_) {
        return;
    }
    pa_context_set_state_callback(
        context_,
        [](pa_context* context, void* self) {
            static_cast<ClickStream*>(self)->contextChanged(pa_context_get_state(context));
        },
        this);
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        lost_ = true;
    }
}

void ClickStream::contextChanged(int state) {
    if (state == PA_CONTEXT_READY) {
        openStream();
    } else if (state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED) {
        lost_ = true;
    }
}

void ClickStream::openStream() {
    const pa_sample_spec format{PA_SAMPLE_S16LE, std::uint32_t(rate_), 1};
    stream_ = pa_stream_new(context_, "Clicks", &format, nullptr);
    if (!stream_) {
        lost_ = true;
        return;
    }
    pa_stream_set_state_callback(
        stream_,
        [](pa_stream* stream, void* self) {
            auto* owner = static_cast<ClickStream*>(self);
            const pa_stream_state_t state = pa_stream_get_state(stream);
            if (state == PA_STREAM_READY) {
                owner->open_.store(true);
            } else if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED) {
                owner->lost_ = true;
            }
        },
        this);
    const std::uint32_t minreq = bytesOf(requestInterval, rate_);
    pa_buffer_attr buffer{};
    buffer.maxlength = std::uint32_t(-1);
    buffer.tlength = bytesOf(sinkLatency, rate_) + 2 * minreq; // the server's sink latency
    buffer.prebuf = 0; // play whatever is there at once, and go on after a gap
    buffer.minreq = minreq;
    buffer.fragsize = std::uint32_t(-1);
    // Not bound to a sink: the server moves the stream when the default output changes.
    if (pa_stream_connect_playback(stream_, nullptr, &buffer, PA_STREAM_START_CORKED, nullptr,
                                   nullptr) < 0) {
        lost_ = true;
    }
}

void ClickStream::disconnect() {
    open_.store(false);
    if (stream_) {
        pa_stream_set_state_callback(stream_, nullptr, nullptr);
        pa_stream_disconnect(stream_);
        pa_stream_unref(stream_);
        stream_ = nullptr;
    }
    if (context_) {
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        context_ = nullptr;
    }
    lost_ = false;
    sounding_ = false;
    // Clicks cut off with their stream are over: they must not sound on the next one.
    mixer_.clear();
    pending_.store(0);
}

ClickStream::Clock::duration ClickStream::played(std::size_t samples) const {
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::microseconds(std::int64_t(samples) * 1000000 / rate_));
}

// Writes the clicks asked for since the last time, and corks the stream once a burst is over.
void ClickStream::serve(Clock::time_point now) {
    if (!open_.load() || lost_) {
        return;
    }
    if (const unsigned count = pending_.exchange(0); count != 0) {
        std::int64_t offset = 0; // bytes, from where the seek mode says
        pa_seek_mode_t seek = PA_SEEK_RELATIVE_ON_READ;
        if (!sounding_) {
            // A new burst, at the stream's read position. Uncorked first, so that the data
            // ends an underrun: the server then rewrites what it has mixed ahead and plays the
            // click at once (written before, its head is cut).
            forget(pa_stream_cork(stream_, 0, nullptr, nullptr));
            mixer_.clear();
            mixer_.start(0, count);
            sounding_ = true;
            burstStart_ = now;
        } else {
            // Mixed into the burst from the next buffer on, which has not been played yet: the
            // burst started playing no earlier than it was written. The rest of the burst is
            // written again over what the stream has, from there on.
            const auto elapsed =
                std::chrono::duration_cast<std::chrono::microseconds>(now - burstStart_);
            const std::size_t sample = std::size_t(elapsed.count() * rate_ / 1000000);
            const std::size_t at = (sample + bufferFrames - 1) / bufferFrames * bufferFrames;
            const std::size_t written = mixer_.end();
            mixer_.start(at, count);
            offset = (std::int64_t(mixer_.from()) - std::int64_t(written)) *
                     std::int64_t(sizeof(std::int16_t));
            seek = PA_SEEK_RELATIVE;
        }
        pa_stream_write(stream_, mixer_.samples(),
                        (mixer_.end() - mixer_.from()) * sizeof(std::int16_t), nullptr, offset,
                        seek);
        corkAt_ = burstStart_ + played(mixer_.end()) + playOutMargin;
    }
    if (sounding_ && now >= corkAt_) {
        forget(pa_stream_cork(stream_, 1, nullptr, nullptr));
        sounding_ = false;
        mixer_.clear();
    }
}

// How long the thread may sleep, in microseconds for the main loop (-1: until woken).
int ClickStream::timeout(Clock::time_point now) const {
    if (lost_) {
        return 0;
    }
    Clock::time_point until = Clock::time_point::max();
    if (!context_) {
        until = retryAt_;
    }
    if (sounding_) {
        until = std::min(until, corkAt_);
    }
    if (until == Clock::time_point::max()) {
        return -1;
    }
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(until - now).count();
    return int(std::clamp<std::int64_t>(left + 1, 0, 1000000000));
}
