// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;
class QWindow;

// Decides when the window draws what the ticks and the mouse changed. Where the platform has a
// frame clock (Wayland's frame callbacks drive QWindow::requestUpdate), a change asks for the
// next frame and is drawn when the compositor calls for it: never more often than the output
// refreshes, and never while the window is not exposed. Elsewhere (X11's raster windows have no
// frame clock) a change is drawn at once, as long as the window is exposed.
class FramePacer : public QObject {
  public:
    // How long a requested frame may keep the window waiting before it is drawn anyway: a
    // compositor that never answers must not freeze the picture.
    static constexpr int stallMilliseconds = 150;

    // What one call of the drawing function did.
    struct Drawn {
        bool painted; // something moved and was painted
        bool final;   // false while motion is still drawn between ticks: another frame is due
    };

    // Paces `window` (a top-level widget); `draw` paints what changed, at once.
    FramePacer(QWidget* window, std::function<Drawn()> draw, QObject* parent = nullptr);

    // Tells the pacer that something is to be drawn.
    void changed();

    // Whether frames wait for the compositor's frame clock.
    bool paced() const { return paced_; }
    // Frames painted so far through `draw`.
    long long frames() const { return frames_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool exposed() const;
    void request();
    void drawNow();
    void watch();

    QWidget* window_;
    QPointer<QWindow> watched_;
    std::function<Drawn()> draw_;
    bool paced_;
    bool pending_ = false;   // a change not drawn yet
    bool requested_ = false; // a frame asked of the compositor and not delivered yet
    QElapsedTimer requestedAt_;
    long long frames_ = 0;
};
