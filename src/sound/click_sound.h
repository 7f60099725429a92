// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

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
    // `bell` rings the system bell (the window's to give; tests count it) and is kept.
    explicit ClickSound(std::function<void()> bell, QObject* parent = nullptr);
    ~ClickSound() override;

    // Plays the click once, or rings the bell when no stream is open.
    void play();

    // True when the click goes to an audio stream rather than the bell.
    bool audible() const;

  private:
    std::function<void()> bell_;
    std::unique_ptr<ClickStream> stream_;
};
