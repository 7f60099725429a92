// SPDX-License-Identifier: GPL-3.0-or-later
// The real game window on Wayland, watched from inside for the tests of tests/wayland:
//   velmaro-wayland-probe box
//       scores a goal and prints, while the box is up (2 s), "box TITLE_PX FRAME_WIDTH FRAME_TOP":
//       the width of the box's title in the 14-pixel face Qt's own decoration draws it in, and
//       the box's width and title bar height with that decoration, in the compositor's pixels
//   velmaro-wayland-probe pacing SECONDS
//       plays SECONDS (marked "MARK start" and "MARK end" on stderr, where WAYLAND_DEBUG writes
//       the protocol) and prints "play ms M refresh R ticks T frames F rink_paints P"; then
//       minimises the window and prints "hidden ms M ticks T paints P" over 2 s once the window
//       is no longer exposed, and "box_hidden ms M paints P" over 1 s with a goal box up
// Paints are paint events of the game's window and its children, counted by an event filter;
// frames are those the game's frame pacer drew, by its own count.

#include "../lib/goal_setup.h"
#include "form1.h"
#include "frame_pacer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>

namespace {

// Counts the paint events of one window's widgets, and of its rink among them.
class PaintCounter : public QObject {
  public:
    explicit PaintCounter(QWidget* window) : window_(window) {}
    long long all = 0;
    long long rink = 0;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (widget && widget->window() == window_) {
                ++all;
                rink += widget->objectName() == QLatin1String("Picture1");
            }
        }
        return false;
    }

  private:
    QWidget* window_;
};

QMessageBox* openBox() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) {
            return box;
        }
    }
    return nullptr;
}

// Runs `then` once `ready` holds, polling every 10 ms; gives up (exit 1) after 10 s.
void when(std::function<bool()> ready, std::function<void()> then, const char* what) {
    auto* poll = new QTimer(qApp);
    auto* clock = new QElapsedTimer;
    clock->start();
    QObject::connect(poll, &QTimer::timeout, [=] {
        if (ready()) {
            poll->deleteLater();
            delete clock;
            then();
        } else if (clock->elapsed() > 10000) {
            std::fprintf(stderr, "velmaro-wayland-probe: timed out waiting for %s\n", what);
            QCoreApplication::exit(1);
        }
    });
    poll->start(10);
}

void mark(const char* what) {
    std::fprintf(stderr, "MARK %s\n", what);
    std::fflush(stderr);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const bool box = argc == 2 && std::strcmp(argv[1], "box") == 0;
    const bool pacing = argc == 3 && std::strcmp(argv[1], "pacing") == 0;
    const int seconds = pacing ? std::atoi(argv[2]) : 0;
    if (!box && !(pacing && seconds > 0)) {
        std::fprintf(stderr, "usage: velmaro-wayland-probe box | pacing SECONDS\n");
        return 2;
    }
    Form1 form;
    form.beeper = [] {};
    PaintCounter paints(&form);
    app.installEventFilter(&paints);
    form.show();
    const auto exposed = [&form] {
        return form.windowHandle() && form.windowHandle()->isExposed();
    };
    QElapsedTimer clock;
    long long ticks0 = 0, frames0 = 0, all0 = 0, rink0 = 0;
    const auto start = [&] {
        clock.start();
        ticks0 = form.ticks();
        frames0 = form.pacer().frames();
        all0 = paints.all;
        rink0 = paints.rink;
    };

    if (box) {
        when(
            exposed, [&] { goalAtTheBottom(form); }, "the window");
        when([] { return openBox() && openBox()->windowHandle()->isExposed(); },
             [&] {
                 QTimer::singleShot(500, [] {
                     // In the compositor's pixels: Qt's decoration is drawn at the output's
                     // scale whatever the application's own scale factor.
                     QMessageBox* open = openBox();
                     const qreal ratio = open->devicePixelRatioF();
                     QFont face = open->font();
                     face.setPixelSize(14);
                     const QRect frame = open->frameGeometry();
                     std::printf("box %d %ld %ld\n",
                                 QFontMetrics(face).horizontalAdvance(open->windowTitle()),
                                 std::lround(frame.width() * ratio),
                                 std::lround((open->geometry().top() - frame.top()) * ratio));
                     std::fflush(stdout);
                     // Up long enough for a screenshot.
                     QTimer::singleShot(1500, open, [open] {
                         open->accept();
                         QTimer::singleShot(100, qApp, &QCoreApplication::quit);
                     });
                 });
             },
             "the goal box");
        return QApplication::exec();
    }

    // Play: one second to settle, then the measured seconds.
    when(
        exposed,
        [&] {
            QTimer::singleShot(1000, [&] {
                mark("start");
                start();
                QTimer::singleShot(seconds * 1000, [&] {
                    mark("end");
                    std::printf("play ms %lld refresh %g ticks %lld frames %lld rink_paints %lld\n",
                                clock.elapsed(), form.screen()->refreshRate(),
                                form.ticks() - ticks0, form.pacer().frames() - frames0,
                                paints.rink - rink0);
                    std::fflush(stdout);
                    form.showMinimized();
                    when([&] { return !exposed(); },
                         [&] {
                             start();
                             QTimer::singleShot(2000, [&] {
                                 std::printf("hidden ms %lld ticks %lld paints %lld\n",
                                             clock.elapsed(), form.ticks() - ticks0,
                                             paints.all - all0);
                                 std::fflush(stdout);
                                 goalAtTheBottom(form);
                                 when([] { return openBox() != nullptr; },
                                      [&] {
                                          start();
                                          QTimer::singleShot(1000, [&] {
                                              std::printf("box_hidden ms %lld paints %lld\n",
                                                          clock.elapsed(), paints.all - all0);
                                              std::fflush(stdout);
                                              openBox()->accept();
                                              QTimer::singleShot(100, qApp,
                                                                 &QCoreApplication::quit);
                                          });
                                      },
                                      "the goal box");
                             });
                         },
                         "the window to be hidden");
                });
            });
        },
        "the window");
    return QApplication::exec();
}
