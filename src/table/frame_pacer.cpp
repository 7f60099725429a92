// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame_pacer.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <utility>

FramePacer::FramePacer(QWidget* window, std::function<Drawn()> draw, QObject* parent)
    : QObject(parent), window_(window), draw_(std::move(draw)),
      paced_(QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {}

void FramePacer::changed() {
    pending_ = true;
    watch();
    if (!exposed()) {
        // Covered or minimised: nothing is drawn or queued; the expose that ends it redraws.
        return;
    }
    if (!paced_) {
        drawNow();
        return;
    }
    if (requested_ && requestedAt_.elapsed() >= stallMilliseconds) {
        // The frame asked for never came although the window counts as exposed (a compositor
        // that dropped the frame callback). Drawing commits a frame, and with it a new callback
        // that delivers the request still pending in Qt.
        drawNow();
        return;
    }
    request();
}

bool FramePacer::exposed() const {
    return watched_ && watched_->isExposed();
}

void FramePacer::watch() {
    QWindow* const window = window_->windowHandle();
    if (window && window != watched_) {
        if (watched_) {
            watched_->removeEventFilter(this);
        }
        watched_ = window;
        window->installEventFilter(this);
    }
}

void FramePacer::request() {
    if (requested_) {
        return;
    }
    requested_ = true;
    requestedAt_.start();
    watched_->requestUpdate();
}

void FramePacer::drawNow() {
    const Drawn drawn = draw_();
    frames_ += drawn.painted;
    pending_ = !drawn.final;
    // A frame that painted nothing committed nothing, and the compositor then has no frame to
    // call back for: Qt would deliver a request at once, over and over. The next tick asks.
    if (pending_ && paced_ && drawn.painted) {
        request();
    }
}

bool FramePacer::eventFilter(QObject* watched, QEvent* event) {
    if (watched == watched_) {
        switch (event->type()) {
        case QEvent::UpdateRequest:
            if (requested_) {
                // The frame asked for. Qt's own handling would repaint the whole window: the
                // event ends here (widgets ask for their own updates through their own events).
                requested_ = false;
                if (pending_ && exposed()) {
                    drawNow();
                }
                return true;
            }
            break;
        case QEvent::Expose:
            // No longer exposed: the frame asked for may never come. The next change after the
            // window is exposed again asks afresh (and Qt repaints the whole window itself).
            if (!exposed()) {
                requested_ = false;
            }
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}
