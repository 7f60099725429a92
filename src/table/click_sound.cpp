// SPDX-License-Identifier: GPL-3.0-or-later
#include "click_sound.h"

#include <QApplication>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

namespace {

// Whether any audio output exists. A machine without a sound server is an ordinary place to play,
// so the audio backend's complaints about it are kept off the terminal while it is asked.
bool hasAudioOutput() {
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    const bool found = !QMediaDevices::audioOutputs().isEmpty();
    qInstallMessageHandler(previous);
    return found;
}

} // namespace

ClickSound::ClickSound(QObject* parent) : QObject(parent) {
    audible_ = hasAudioOutput();
    if (!audible_) {
        return;
    }
    for (QSoundEffect*& voice : voices_) {
        voice = new QSoundEffect(this);
        voice->setSource(QUrl(QStringLiteral("qrc:/sounds/click.wav")));
        voice->setVolume(0.8f);
    }
}

ClickSound::~ClickSound() = default;

void ClickSound::play() {
    if (!audible_) {
        QApplication::beep();
        return;
    }
    QSoundEffect* voice = voices_[next_];
    next_ = (next_ + 1) % voices_.size();
    voice->play();
}
