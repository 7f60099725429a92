// SPDX-License-Identifier: GPL-3.0-or-later
// Records the default capture source of the sound server (set PULSE_SOURCE to a sink's monitor)
// as 16-bit samples at 44.1 kHz, CHANNELS of them interleaved (1 unless given: a stereo sink's
// monitor recorded in mono would mix its channels into one), until SIGTERM or SIGINT: a test tool.
//   velmaro-sink-recorder OUT.raw OUT.times [FRAGMENT_MS [CHANNELS]]
// It listens without changing what it hears: it asks for fragments of FRAGMENT_MS (500 unless
// given), so the sink keeps the timing its players ask for (a recorder asking for short buffers
// pulls the whole sink down to them, and hides a player that counts on a long one). On PipeWire,
// whose graph stops whenever no player runs, pass a fragment no shorter than the player's own
// latency: the graph keeps the player's quantum, and each quantum arrives as it is played.
// OUT.times receives one line per fragment received: the number of frames recorded up to its
// end and the monotonic time (CLOCK_MONOTONIC, ns) at which it arrived. Every sample of a
// fragment had reached the sink by then, so delays measured against it are upper bounds, and
// samples the server dropped do not shift the dates of those after them.

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/mainloop-signal.h>
#include <pulse/mainloop.h>
#include <pulse/stream.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <signal.h>
#include <sys/time.h>

namespace {

constexpr int rate = 44100;

struct Recorder {
    pa_mainloop* loop = nullptr;
    pa_stream* stream = nullptr;
    std::FILE* out = nullptr;
    std::FILE* times = nullptr;
    long long samples = 0; // frames: one sample of each channel
    int channels = 1;
    std::uint32_t fragmentBytes = rate / 2 * 2; // half a second
    int status = 0;
    bool stopping = false; // asked to stop: after the next fragment, which holds the last sound
};

long long nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void fail(Recorder& r, const char* what, int error) {
    std::fprintf(stderr, "velmaro-sink-recorder: %s: %s\n", what, pa_strerror(error));
    r.status = 1;
    pa_mainloop_quit(r.loop, 1);
}

// Everything the server has sent so far, dated by its arrival.
void readable(pa_stream* stream, std::size_t, void* data) {
    auto& r = *static_cast<Recorder*>(data);
    const long long arrived = nowNs();
    bool any = false;
    while (pa_stream_readable_size(stream) > 0) {
        const void* bytes = nullptr;
        std::size_t length = 0;
        if (pa_stream_peek(stream, &bytes, &length) < 0) {
            fail(r, "peek", pa_context_errno(pa_stream_get_context(stream)));
            return;
        }
        if (length == 0) {
            break;
        }
        if (bytes) {
            std::fwrite(bytes, 1, length, r.out);
        } else { // a hole: the server lost what was there; keep the timeline
            for (std::size_t i = 0; i < length; ++i) {
                std::fputc(0, r.out);
            }
        }
        r.samples += static_cast<long long>(length / 2 / std::size_t(r.channels));
        any = true;
        pa_stream_drop(stream);
    }
    if (any) {
        long long played = -1;
        pa_usec_t position = 0; // of the sample the sink plays now, on the recording's timeline
        if (pa_stream_get_time(stream, &position) == 0) {
            played = arrived -
                     (static_cast<long long>(position) * 1000 - r.samples * 1000000000LL / rate);
        }
        std::fprintf(r.times, "%lld %lld %lld\n", r.samples, arrived, played);
        std::fflush(r.times);
        if (r.stopping) {
            pa_mainloop_quit(r.loop, 0);
        }
    }
}

void contextChanged(pa_context* context, void* data) {
    auto& r = *static_cast<Recorder*>(data);
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY: {
        const pa_sample_spec format{PA_SAMPLE_S16LE, rate, std::uint8_t(r.channels)};
        r.stream = pa_stream_new(context, "Sink recording", &format, nullptr);
        pa_stream_set_read_callback(r.stream, readable, &r);
        pa_buffer_attr buffer{};
        buffer.maxlength = std::uint32_t(-1);
        buffer.tlength = buffer.prebuf = buffer.minreq = std::uint32_t(-1);
        buffer.fragsize = r.fragmentBytes;
        // ADJUST_LATENCY: the source's latency follows the fragment; the sink's
        // own latency is left to its players. DONT_INHIBIT_AUTO_SUSPEND: a listener keeps no
        // output awake.
        const auto flags =
            pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_DONT_INHIBIT_AUTO_SUSPEND |
                              PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE);
        if (pa_stream_connect_record(r.stream, nullptr, &buffer, flags) < 0) {
            fail(r, "record", pa_context_errno(context));
        }
        break;
    }
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        fail(r, "server", pa_context_errno(context));
        break;
    default:
        break;
    }
}

} // namespace

int main(int argc, char* argv[]) {
    const int fragmentMs = argc >= 4 ? std::atoi(argv[3]) : 500;
    const int channels = argc == 5 ? std::atoi(argv[4]) : 1;
    if (argc < 3 || argc > 5 || fragmentMs <= 0 || fragmentMs > 2000 || channels < 1 ||
        channels > 8) {
        std::fprintf(stderr,
                     "usage: velmaro-sink-recorder OUT.raw OUT.times [FRAGMENT_MS [CHANNELS]]\n");
        return 2;
    }
    Recorder r;
    r.channels = channels;
    r.fragmentBytes = std::uint32_t(rate * fragmentMs / 1000 * 2 * channels);
    r.out = std::fopen(argv[1], "wb");
    r.times = std::fopen(argv[2], "w");
    if (!r.out || !r.times) {
        std::perror("velmaro-sink-recorder");
        return 1;
    }
    r.loop = pa_mainloop_new();
    pa_mainloop_api* api = pa_mainloop_get_api(r.loop);
    pa_signal_init(api);
    // A stop waits for the fragment under way (at most a second, then it quits anyway).
    const auto stop = [](pa_mainloop_api* a, pa_signal_event*, int, void* data) {
        auto& rec = *static_cast<Recorder*>(data);
        rec.stopping = true;
        timeval at{};
        gettimeofday(&at, nullptr);
        at.tv_sec += 1;
        a->time_new(
            a, &at,
            [](pa_mainloop_api* b, pa_time_event*, const timeval*, void*) { b->quit(b, 0); },
            nullptr);
    };
    pa_signal_new(SIGTERM, stop, &r);
    pa_signal_new(SIGINT, stop, &r);
    pa_context* context = pa_context_new(api, "velmaro-sink-recorder");
    pa_context_set_state_callback(context, contextChanged, &r);
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        std::fprintf(stderr, "velmaro-sink-recorder: no server\n");
        return 1;
    }
    int result = 0;
    pa_mainloop_run(r.loop, &result);
    if (r.stream) {
        pa_stream_disconnect(r.stream);
        pa_stream_unref(r.stream);
    }
    pa_context_disconnect(context);
    pa_context_unref(context);
    pa_signal_done();
    pa_mainloop_free(r.loop);
    std::fclose(r.out);
    std::fclose(r.times);
    return r.status ? r.status : result;
}
