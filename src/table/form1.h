// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame_pacer.h"
#include "game.h"
#include "host.h"
#include "tick_blend.h"
#include "twips_scale.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <functional>

class QLabel;
class QMessageBox;
class RinkView;
class SkillBar;

// Form1, the one window of the game: lays out the rink, the score labels and the skill slider
// in twips, scaled uniformly to the window, runs the timer and hands its ticks and the mouse
// moves to the game. The game's beep and goal box come back to it through rink::Host.
class Form1 : public QWidget, private rink::Host {
    Q_OBJECT

  public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    // The client area as laid out, in twips; the window is never smaller than this at 15 twips
    // to a pixel.
    static constexpr QSizeF layoutTwips{3495, 6225};

    // The table's game; tests may set it up through the mutable one.
    const rink::Game& game() const { return game_; }
    rink::Game& game() { return game_; }
    const QTimer& timer() const { return Timer1; }
    // Ticks run since start-up, goal completions included.
    long long ticks() const { return ticks_; }
    // When the rink is drawn: at once on X11, at the compositor's frames on Wayland.
    const FramePacer& pacer() const { return *pacer_; }

    // Sounds the beep: the click by default; replaceable so that tests can count beeps.
    std::function<void()> beeper;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void Timer1_Timer();
    // Draws the rink for the pacer: each tick as it comes, or blended at the frame's time.
    FramePacer::Drawn draw();
    void Picture1_MouseMove(QPointF twips);
    void layoutControls();
    void showScores();
    void placeScores();

    void beep() override;
    void messageBox(const std::string& prompt, const std::string& title) override;

    rink::Game game_;
    TwipsScale scale_;
    RinkView* Picture1;
    SkillBar* cpu;
    FramePacer* pacer_;
    QLabel* Label1;
    QLabel* Scorered;
    QLabel* Scoreblue;
    QTimer Timer1;
    QElapsedTimer clock_;
    TickBlend blend_;
    Cadence tickTimes_;    // the ticks' times, on the timer's own cadence
    Cadence frameTimes_;   // the frames' times, on the compositor's
    bool offBeat_ = false; // the last frame painted nothing: the next one is not the compositor's
    QMessageBox* box_ = nullptr;
    bool inTick_ = false;
    bool closing_ = false;
    long long ticks_ = 0;
};
