// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <array>

class QSoundEffect;

// The click of a fold or a contact. The sound is built into the program and loaded once; each
// play() starts at once on the next free voice, so clicks may overlap, and never blocks. Where
// no audio output exists it falls back to the system bell.
class ClickSound : public QObject {
    Q_OBJECT

  public:
    explicit ClickSound(QObject* parent = nullptr);
    ~ClickSound() override;

    // Plays the click once, or rings the bell when there is no audio output.
    void play();

    // True when the click goes to an audio output rather than the bell.
    bool audible() const { return audible_; }

  private:
    std::array<QSoundEffect*, 4> voices_{};
    std::size_t next_ = 0;
    bool audible_ = false;
};
