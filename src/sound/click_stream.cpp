// SPDX-License-Identifier: GPL-3.0-or-later
#include "click_stream.h"

#include "server_watch.h"

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/mainloop.h>
#include <pulse/proplist.h>
#include <pulse/stream.h>
#include <pulse/timeval.h>

#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

using namespace std::chrono_literals;

// What the stream asks of the server: at most 50 ms of sound between a click being mixed and
// the sink playing it, of which the server keeps about 20 ms in the sink and asks for the rest in
// steps of 5 ms (PA_STREAM_ADJUST_LATENCY splits it so). A click asked for while a burst sounds
// is mixed into what has not been handed on: it starts within that span. A burst's first click
// is written at the server's read position and PulseAudio plays it at once. Longer spans cost
// the server fewer wake-ups but delay the later clicks of a burst (docs/performance.md).
constexpr auto targetLatency = 50ms;
constexpr auto requestStep = 5ms;
// How often a missing server is looked for, when nothing tells where it will appear.
constexpr auto retryInterval = 1s;
// Once something is made where the server's socket lives, it is looked for again this soon, and
// then half as often each time, up to once a second: a server binds its socket a moment before
// it listens on it, and may need a moment more before it takes a stream.
constexpr std::chrono::milliseconds firstRetry = 20ms;
// A server that has not answered for this long while a burst sounds has stopped (it hangs, or
// was stopped): what it holds is flushed and the stream replaced once it answers, so that the
// clicks asked for meanwhile are not all played at once when it goes on; the bell stands in. Well
// above the server's silence between two answers in a burst (it is asked for its play position
// again at most a buffer's length later), and above the half second a server just started, or kept
// waiting by a busy machine, was seen to take.
constexpr auto staleAfter = 1s;

// Where the sound server is: the first of the servers PULSE_SERVER lists (blanks around it
// skipped), or the local socket in the user's runtime folder.
struct Server {
    enum Kind { none, local, network } kind;
    std::string socket; // for a local server
};

Server whereIsServer() {
    if (const char* server = std::getenv("PULSE_SERVER"); server && *server) {
        const char* from = server + std::strspn(server, " \t");
        const std::string first(from, std::strcspn(from, " \t"));
        if (first.empty()) {
            return {Server::none, {}};
        } else if (first.rfind("unix:", 0) == 0) {
            return {Server::local, first.substr(5)};
        } else if (first.front() == '/') {
            return {Server::local, first};
        }
        return {Server::network, {}};
    } else if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        return {Server::local, std::string(runtime) + "/pulse/native"};
    }
    return {Server::local, "/run/user/" + std::to_string(getuid()) + "/pulse/native"};
}

// Whether a local server accepts connections at `path`: a cheap look before a connection is set
// up.
bool accepting(const std::string& path) {
    sockaddr_un address{};
    if (path.empty() || path.size() >= sizeof address.sun_path) {
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

bool reachable(const Server& server) {
    return server.kind == Server::network ||
           (server.kind == Server::local && accepting(server.socket));
}

// Operations are fire-and-forget: the server carries them out in the order they were sent.
void forget(pa_operation* operation) {
    if (operation) {
        pa_operation_unref(operation);
    }
}

std::uint32_t bytesOf(std::chrono::microseconds time, int rate, int channels) {
    return std::uint32_t(time.count() * rate / 1000000 * channels *
                         std::int64_t(sizeof(std::int16_t)));
}

// The stream's buffer: at most targetLatency between a click being mixed and the sink playing
// it, asked for in steps of requestStep; whatever is there plays at once.
pa_buffer_attr bufferFor(int rate, int channels) {
    pa_buffer_attr buffer{};
    buffer.maxlength = std::uint32_t(-1);
    buffer.tlength = bytesOf(targetLatency, rate, channels);
    buffer.prebuf = 0; // play whatever is there at once, and go on after a gap
    buffer.minreq = bytesOf(requestStep, rate, channels);
    buffer.fragsize = std::uint32_t(-1);
    return buffer;
}

// Which channels of `map` carry the click: those in front of the listener, as the server itself
// would play a mono stream (both of a stereo output, the centre of a surround one); all of them
// where none is named so.
std::vector<bool> frontOf(const pa_channel_map& map) {
    std::vector<bool> front(map.channels);
    bool any = false;
    for (int c = 0; c < map.channels; ++c) {
        switch (map.map[c]) {
        case PA_CHANNEL_POSITION_MONO:
        case PA_CHANNEL_POSITION_FRONT_LEFT:
        case PA_CHANNEL_POSITION_FRONT_RIGHT:
        case PA_CHANNEL_POSITION_FRONT_CENTER:
            front[std::size_t(c)] = any = true;
            break;
        default:
            break;
        }
    }
    if (!any) {
        front.assign(map.channels, true);
    }
    return front;
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
    const Server server = whereIsServer();
    // A local server's socket is watched for, so that a server started again is found at once.
    pa_io_event* watching = nullptr;
    if (server.kind == Server::local) {
        watch_ = std::make_unique<ServerWatch>(server.socket);
        if (watch_->fd() >= 0) {
            watching = api->io_new(
                api, watch_->fd(), PA_IO_EVENT_INPUT,
                [](pa_mainloop_api*, pa_io_event*, int, pa_io_event_flags_t, void* self) {
                    auto* owner = static_cast<ClickStream*>(self);
                    if (owner->watch_->changed()) {
                        owner->socketMade_ = true;
                    }
                },
                this);
        }
    }
    const auto later = [this](std::chrono::steady_clock::time_point now) {
        retryAt_ = now + retryDelay_;
        retryDelay_ = std::min<std::chrono::milliseconds>(2 * retryDelay_, retryInterval);
    };
    while (!stopping_.load()) {
        auto now = std::chrono::steady_clock::now();
        if (lost_) {
            // The server went away, or would not take the stream: look for it again from scratch.
            const bool hadStream = open_.load();
            disconnect();
            if (retryNow_) {
                retryAt_ = now;
            } else if (hadStream) {
                retryDelay_ = retryInterval;
                retryAt_ = now + retryDelay_;
            } else {
                later(now);
            }
            retryNow_ = false;
        }
        if (!context_ && socketMade_) {
            socketMade_ = false;
            retryAt_ = now;
            retryDelay_ = firstRetry;
        }
        if (!context_ && now >= retryAt_) {
            if (reachable(server)) {
                connect();
            } else {
                later(now);
            }
        }
        serve();
        // Sleeps until woken, or until the next look for a missing server; libpulse's own
        // timers (the recheck of a burst's end) are the main loop's.
        int timeout = -1;
        if (lost_) {
            timeout = 0;
        } else if (!context_) {
            now = std::chrono::steady_clock::now();
            const auto left = std::chrono::duration_cast<std::chrono::microseconds>(retryAt_ - now);
            timeout = int(std::clamp<std::int64_t>(left.count() + 1, 0, 10000000));
        }
        if (pa_mainloop_prepare(loop_, timeout) < 0 || pa_mainloop_poll(loop_) < 0 ||
            pa_mainloop_dispatch(loop_) < 0) {
            break;
        }
    }
    disconnect();
    if (watching) {
        api->io_free(watching);
    }
    watch_.reset();
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
        return;
    }
    arm(opening_, pa_usec_t(std::chrono::microseconds(staleAfter).count()));
}

// The server took the connection but has not given the stream within staleAfter: it is given up
// and asked again at once (pipewire-pulse was seen to hold a stream's creation unanswered for as
// long as the client stayed, while it answered a new one at once).
void ClickStream::notOpened() {
    lost_ = true;
    retryNow_ = true;
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
                owner->disarm(owner->opening_);
                owner->shaped();
                owner->placed();
                owner->socketMade_ = false; // found: what made it is no news any more
                owner->retryDelay_ = retryInterval;
            } else if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED) {
                owner->lost_ = true;
            }
        },
        this);
    // The server asks for more: hand on the next stretch of the burst.
    pa_stream_set_write_callback(
        stream_,
        [](pa_stream*, std::size_t, void* self) {
            auto* owner = static_cast<ClickStream*>(self);
            owner->answered();
            owner->feed();
        },
        this);
    // The output went away or came back, or the player moved the stream.
    pa_stream_set_moved_callback(
        stream_, [](pa_stream*, void* self) { static_cast<ClickStream*>(self)->placed(); }, this);
    // The server ran out: whatever comes next starts where the server now reads.
    pa_stream_set_underflow_callback(
        stream_, [](pa_stream*, void* self) { static_cast<ClickStream*>(self)->dry_ = true; },
        this);
    const pa_buffer_attr buffer = bufferFor(rate_, 1);
    // Not bound to a sink: the server moves the stream when the default output changes. In the
    // output's own channels: PulseAudio cannot take back what its sink has mixed ahead for a
    // stream it has to convert, so the first click of a burst would wait for the sink's whole
    // latency (21 ms on a stereo output) instead of starting at once.
    const auto flags = pa_stream_flags_t(PA_STREAM_START_CORKED | PA_STREAM_ADJUST_LATENCY |
                                         PA_STREAM_FIX_CHANNELS);
    if (pa_stream_connect_playback(stream_, nullptr, &buffer, flags, nullptr, nullptr) < 0) {
        lost_ = true;
    }
}

void ClickStream::disconnect() {
    open_.store(false);
    disarm(opening_);
    disarm(recheck_);
    disarm(watchdog_);
    if (stream_) {
        pa_stream_set_state_callback(stream_, nullptr, nullptr);
        pa_stream_set_write_callback(stream_, nullptr, nullptr);
        pa_stream_set_underflow_callback(stream_, nullptr, nullptr);
        pa_stream_set_moved_callback(stream_, nullptr, nullptr);
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
    stalled_ = false;
    sounding_ = false;
    sent_ = 0;
    checkAfter_ = 0;
    // Clicks cut off with their stream are over: they must not sound on the next one.
    mixer_.clear();
    pending_.store(0);
}

// The stream is open, in the channels of its output: the buffer is asked for again in them.
void ClickStream::shaped() {
    const pa_channel_map* map = pa_stream_get_channel_map(stream_);
    front_ = map ? frontOf(*map) : std::vector<bool>{true};
    if (front_.size() != 1) {
        const pa_buffer_attr buffer = bufferFor(rate_, int(front_.size()));
        forget(pa_stream_set_buffer_attr(stream_, &buffer, nullptr, nullptr));
    }
}

// The stream is on an output, or was moved to another: it is open unless that output is the
// stand-in both servers give a stream when no real one is left ("auto_null": PulseAudio's
// module-always-sink, PipeWire's pipewire-pulse), which nobody hears; the bell stands in for it.
void ClickStream::placed() {
    const char* output = pa_stream_get_device_name(stream_);
    open_.store(!stalled_ && !(output && std::strcmp(output, "auto_null") == 0));
}

// Mixes the clicks asked for since the last time into the burst, starting one when none sounds.
void ClickStream::serve() {
    if (!open_.load() || lost_) {
        return;
    }
    const unsigned count = pending_.exchange(0);
    if (count == 0 || stalled_) {
        return;
    }
    if (!sounding_) {
        // A new burst: uncorked first, then written at the server's read position, which ends
        // the stream's underrun: the server plays it at once.
        forget(pa_stream_cork(stream_, 0, nullptr, nullptr));
        mixer_.clear();
        sent_ = 0;
        sounding_ = true;
        dry_ = true;
        answered(); // from now on the server must answer, or it has stopped
    }
    // Into what the server has not been given yet: it never rewrites what it holds.
    mixer_.start(sent_, count);
    checkAfter_ = 0; // a check asked for before this click no longer ends the burst
    disarm(recheck_);
    feed();
}

// Hands the server as much of the burst as it asks for; once all of it is handed on, asks the
// server how far it has played.
void ClickStream::feed() {
    if (!sounding_ || !stream_ || stalled_) {
        return;
    }
    const std::size_t channels = front_.size();
    const std::size_t left = mixer_.end() - sent_;
    const std::size_t n =
        std::min(left, pa_stream_writable_size(stream_) / (channels * sizeof(std::int16_t)));
    if (n > 0) {
        const std::int16_t* from = mixer_.samples() + (sent_ - mixer_.from());
        if (channels > 1) {
            // Each frame: the click on the channels in front, silence on the others.
            frames_.resize(n * channels);
            for (std::size_t i = 0; i < n; ++i) {
                for (std::size_t c = 0; c < channels; ++c) {
                    frames_[i * channels + c] = front_[c] ? from[i] : std::int16_t(0);
                }
            }
            from = frames_.data();
        }
        pa_stream_write(stream_, from, n * channels * sizeof(std::int16_t), nullptr, 0,
                        dry_ ? PA_SEEK_RELATIVE_ON_READ : PA_SEEK_RELATIVE);
        dry_ = false;
        sent_ += n;
        mixer_.handOn(sent_);
        ++writes_;
    }
    if (sent_ == mixer_.end() && checkAfter_ == 0) {
        checkAfter_ = writes_;
        checkPlayed();
    }
}

// Asks the server how far it has played.
void ClickStream::checkPlayed() {
    forget(pa_stream_update_timing_info(
        stream_,
        [](pa_stream*, int success, void* self) {
            static_cast<ClickStream*>(self)->timed(success);
        },
        this));
}

// Corks the stream once the server's play position (its read index less what its sink holds) has
// passed the end of what was written; until then asks again when it says that will be. (Not a
// drain: on PulseAudio a drain answers once the sink has taken the data, before it has played
// it, and on a stream that starts at once it may not answer at all.)
void ClickStream::timed(int success) {
    if (success) {
        answered();
    }
    if (!sounding_ || stalled_ || checkAfter_ != writes_) {
        return; // a click came since: the check after its own writes ends the burst
    }
    const pa_timing_info* timing = success ? pa_stream_get_timing_info(stream_) : nullptr;
    pa_usec_t played = 0;
    if (!timing || pa_stream_get_time(stream_, &played) < 0) {
        return; // the stream is going away with its server
    }
    const pa_sample_spec* format = pa_stream_get_sample_spec(stream_);
    const pa_usec_t end =
        pa_bytes_to_usec(std::uint64_t(std::max<std::int64_t>(timing->write_index, 0)), format);
    if (played >= end) {
        endBurst();
        return;
    }
    arm(recheck_, end - played + 1000);
}

// Corks the stream: the burst is over, and nothing is asked of the server until the next one.
void ClickStream::endBurst() {
    forget(pa_stream_cork(stream_, 1, nullptr, nullptr));
    sounding_ = false;
    checkAfter_ = 0;
    sent_ = 0;
    mixer_.clear();
    disarm(watchdog_);
}

// The server answered while a burst sounds: it has staleAfter to answer again.
void ClickStream::answered() {
    if (!sounding_ || stalled_) {
        return;
    }
    arm(watchdog_, pa_usec_t(std::chrono::microseconds(staleAfter).count()));
}

// The server stopped answering in a burst (it hangs, or was stopped): what it holds is flushed
// and the stream corked, so that nothing owed for the stop sounds when it goes on, and the bell
// stands in. Once the server answers, the stream is given up for a new one at once (the stream
// flushed in a burst went on to replay pieces of its next clicks on PulseAudio).
void ClickStream::stall() {
    open_.store(false);
    stalled_ = true;
    pending_.store(0);
    mixer_.clear();
    forget(pa_stream_flush(stream_, nullptr, nullptr));
    forget(pa_stream_cork(
        stream_, 1,
        [](pa_stream* stream, int, void* self) {
            auto* owner = static_cast<ClickStream*>(self);
            if (stream == owner->stream_) {
                owner->lost_ = true;
                owner->retryNow_ = true;
            }
        },
        this));
}

// Sets `timer` to go off `afterUs` microseconds from now, once, whether or not it was set already.
void ClickStream::arm(Timer& timer, std::uint64_t afterUs) {
    pa_mainloop_api* api = pa_mainloop_get_api(loop_);
    timeval at{};
    gettimeofday(&at, nullptr);
    pa_timeval_add(&at, afterUs);
    if (timer.event) {
        api->time_restart(timer.event, &at);
        return;
    }
    timer.event = api->time_new(
        api, &at,
        [](pa_mainloop_api* a, pa_time_event* event, const timeval*, void* data) {
            auto& fired = *static_cast<Timer*>(data);
            a->time_free(event);
            fired.event = nullptr;
            (fired.owner->*fired.then)();
        },
        &timer);
}

// Unsets `timer`, if it is set.
void ClickStream::disarm(Timer& timer) {
    if (timer.event) {
        pa_mainloop_get_api(loop_)->time_free(timer.event);
        timer.event = nullptr;
    }
}
