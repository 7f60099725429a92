// SPDX-License-Identifier: GPL-3.0-or-later
#include "click_stream.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using namespace std::chrono_literals;

// 256 samples are 5.8 ms at 44.1 kHz: the mixer runs at most two of them ahead of the server.
constexpr int chunkFrames = 256;
// While clicks play, how often finished buffers are refilled.
constexpr auto refillInterval = 2ms;
// How often an idle stream's connection is checked, and a missing server looked for.
constexpr auto watchInterval = 250ms;
constexpr auto retryInterval = 1s;

// OpenAL Soft reads its settings once, at its first call: speak only to a sound server (its
// other drivers complain on the terminal when there is no sound card and would keep it from
// ever using a server started later), with buffers short enough for a click's latency, follow
// the default output when it changes, and say nothing on the terminal. The settings go in a
// file in memory; a user's own ALSOFT_CONF or ALSOFT_LOGLEVEL is left alone.
void configureOpenAL() {
    static const bool done = [] {
        setenv("ALSOFT_LOGLEVEL", "0", 0);
        if (std::getenv("ALSOFT_CONF")) {
            return true;
        }
        static const char settings[] = "[general]\n"
                                       "drivers = pulse\n"
                                       "frequency = 44100\n"
                                       "period_size = 256\n"
                                       "periods = 3\n"
                                       "hrtf = false\n"
                                       "[pulse]\n"
                                       "allow-moves = true\n"
                                       "spawn-server = false\n";
        const int fd = memfd_create("velmaro-openal", MFD_CLOEXEC);
        if (fd < 0 || write(fd, settings, sizeof settings - 1) != ssize_t(sizeof settings - 1)) {
            return false;
        }
        setenv("ALSOFT_CONF", ("/proc/self/fd/" + std::to_string(fd)).c_str(), 0);
        return true;
    }();
    (void)done;
}

// Whether a sound server accepts connections at its local socket. OpenAL Soft gives up on the
// server for good if it is missing at OpenAL's first call, so that call waits for this.
bool serverReachable() {
    std::string path;
    if (const char* server = std::getenv("PULSE_SERVER"); server && *server) {
        const std::string first = std::string(server).substr(0, std::strcspn(server, " "));
        if (first.rfind("unix:", 0) == 0) {
            path = first.substr(5);
        } else if (first.front() == '/') {
            path = first;
        } else {
            return true; // a server on the network: let OpenAL try it
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

} // namespace

ClickStream::ClickStream(std::vector<std::int16_t> click, int rate)
    : rate_(rate), mixer_(std::move(click)), pending_(0), open_(false), mono_(chunkFrames),
      stereo_(2 * chunkFrames) {
    configureOpenAL();
    thread_ = std::thread([this] { run(); });
}

ClickStream::~ClickStream() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

bool ClickStream::play() {
    if (!open_.load()) {
        return false;
    }
    pending_.fetch_add(1);
    {
        // The stream's thread holds this only to test its flags; taking it here keeps a click
        // from slipping in between its test and its wait.
        std::lock_guard lock(mutex_);
    }
    wake_.notify_one();
    return true;
}

// Waits up to `interval` for a click or the end; true unless the stream is stopping.
bool ClickStream::waitFor(std::chrono::milliseconds interval) {
    std::unique_lock lock(mutex_);
    wake_.wait_for(lock, interval, [this] { return stopping_ || pending_.load() != 0; });
    return !stopping_;
}

void ClickStream::run() {
    bool first = true;
    while (waitFor(device_ ? watchInterval : (first ? 0ms : retryInterval))) {
        first = false;
        if (!device_) {
            if (serverReachable()) {
                openDevice();
            }
        } else if (!connected()) {
            closeDevice(); // the server went away: look for it again from scratch
        } else if (pending_.load() != 0) {
            playOut();
        }
    }
    closeDevice();
}

bool ClickStream::openDevice() {
    ALCdevice* device = alcOpenDevice(nullptr);
    if (!device) {
        return false;
    }
    const ALCint attributes[] = {ALC_FREQUENCY, rate_, ALC_HRTF_SOFT, ALC_FALSE, 0};
    ALCcontext* context = alcCreateContext(device, attributes);
    if (!context || !alcMakeContextCurrent(context)) {
        if (context) {
            alcDestroyContext(context);
        }
        alcCloseDevice(device);
        return false;
    }
    device_ = device;
    context_ = context;
    alGenSources(1, &source_);
    alGenBuffers(ALsizei(buffers_.size()), buffers_.data());
    // The click's samples go to both speakers as they are, not panned.
    alSourcei(source_, AL_DIRECT_CHANNELS_SOFT, AL_TRUE);
    alSourcei(source_, AL_SOURCE_RELATIVE, AL_TRUE);
    free_.assign(buffers_.begin(), buffers_.end());
    // Pausing corks the stream: the server stops asking for data until the next click.
    pause_ = LPALCDEVICEPAUSESOFT(alcGetProcAddress(device_, "alcDevicePauseSOFT"));
    resume_ = LPALCDEVICERESUMESOFT(alcGetProcAddress(device_, "alcDeviceResumeSOFT"));
    if (pause_) {
        pause_(device_);
    }
    pending_.store(0);
    open_.store(true);
    return true;
}

void ClickStream::closeDevice() {
    if (!device_) {
        return;
    }
    open_.store(false);
    alSourceStop(source_);
    alDeleteSources(1, &source_);
    alDeleteBuffers(ALsizei(buffers_.size()), buffers_.data());
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(context_);
    alcCloseDevice(device_);
    device_ = nullptr;
    context_ = nullptr;
    pause_ = nullptr;
    resume_ = nullptr;
    free_.clear();
    // A click cut off with its stream is over: it must not sound on the next one.
    mixer_.silence();
}

bool ClickStream::connected() const {
    ALCint connected = ALC_FALSE;
    alcGetIntegerv(device_, ALC_CONNECTED, 1, &connected);
    return connected == ALC_TRUE;
}

// Plays pending clicks, and any that come while they sound, then pauses the device.
void ClickStream::playOut() {
    if (resume_) {
        resume_(device_);
    }
    for (;;) {
        ALint processed = 0;
        alGetSourcei(source_, AL_BUFFERS_PROCESSED, &processed);
        for (; processed > 0; --processed) {
            ALuint buffer = 0;
            alSourceUnqueueBuffers(source_, 1, &buffer);
            free_.push_back(buffer);
        }
        while (!free_.empty() && (mixer_.sounding() || pending_.load() != 0)) {
            mixer_.start(pending_.exchange(0));
            mixer_.render(mono_.data(), mono_.size());
            for (std::size_t i = 0; i < mono_.size(); ++i) {
                stereo_[2 * i] = stereo_[2 * i + 1] = mono_[i];
            }
            const ALuint buffer = free_.back();
            free_.pop_back();
            alBufferData(buffer, AL_FORMAT_STEREO16, stereo_.data(),
                         ALsizei(stereo_.size() * sizeof(std::int16_t)), rate_);
            alSourceQueueBuffers(source_, 1, &buffer);
        }
        ALint state = AL_STOPPED;
        alGetSourcei(source_, AL_SOURCE_STATE, &state);
        if (state != AL_PLAYING) {
            if (free_.size() == buffers_.size()) {
                break; // everything played
            }
            alSourcePlay(source_);
        }
        if (!connected()) {
            return;
        }
        std::unique_lock lock(mutex_);
        wake_.wait_for(lock, refillInterval, [this] { return stopping_; });
        if (stopping_) {
            return;
        }
    }
    if (pause_) {
        pause_(device_);
    }
}
