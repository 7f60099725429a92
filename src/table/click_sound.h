// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <QObject>

#include <functional>

#include <memory>

class ClickStream;

// The click of a fold or a contact. The sound is built into the program and goes to one audio
// stream opened at start-up and kept; each play() starts one whole click at the stream's next
// buffer, clicks may overlap, and play() never blocks. While there is no sound server (at
// start, or after it went away until it comes back) the system bell stands in.
class ClickSound : public QObject {
    Q_OBJECT

  public:
    explicit ClickSound(QObject* parent = nullptr);
    ~ClickSound() override;

    // Plays the click once, or rings the bell when no stream is open.
    void play();

    // True when the click goes to an audio stream rather than the bell.
    bool audible() const;

    // Rings the bell: the system's own by default; replaceable so that tests can count rings.
    std::function<void()> bell = &QApplication::beep;

  private:
    std::unique_ptr<ClickStream> stream_;
};
