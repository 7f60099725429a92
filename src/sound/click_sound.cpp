// SPDX-License-Identifier: GPL-3.0-or-later
#include "click_sound.h"

#include "click_stream.h"

#include <QFile>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr int clickRate = 44100;

// The samples of the built-in click: 16-bit mono PCM after a 44-byte WAV header.
std::vector<std::int16_t> clickSamples() {
    QFile file(QStringLiteral(":/sounds/click.wav"));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray bytes = file.readAll();
    constexpr qsizetype header = 44;
    if (bytes.size() <= header) {
        return {};
    }
    std::vector<std::int16_t> samples(std::size_t(bytes.size() - header) / 2);
    std::memcpy(samples.data(), bytes.constData() + header, samples.size() * 2);
    return samples;
}

} // namespace

ClickSound::ClickSound(std::function<void()> bell, QObject* parent)
    : QObject(parent), bell_(std::move(bell)),
      stream_(std::make_unique<ClickStream>(clickSamples(), clickRate)) {}

ClickSound::~ClickSound() = default;

void ClickSound::play() {
    if (!stream_->play() && bell_) {
        bell_();
    }
}

bool ClickSound::audible() const {
    return stream_->open();
}
