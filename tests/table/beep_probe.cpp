// SPDX-License-Identifier: GPL-3.0-or-later
// The real game window, left alone, with a log of what it sounded: a test-only probe.
//   velmaro-beep-probe SECONDS [BOX_MS]
// Plays for SECONDS and answers each goal box BOX_MS (default 300) after it opens. Prints one
// line per event with the monotonic time in nanoseconds (CLOCK_MONOTONIC):
//   beep T        the game beeped (the click, or the bell when no stream is open)
//   tick T        a tick ended
//   box T         a goal box opened;  answered T  it was closed
//   audible T 0|1 the click went to an audio stream (1) or to the bell (0) from T on

#include "click_sound.h"
#include "form1.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

long long now() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void log(const char* what) {
    std::printf("%s %lld\n", what, now());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 2 || std::atof(argv[1]) <= 0) {
        std::fprintf(stderr, "usage: velmaro-beep-probe SECONDS [BOX_MS]\n");
        return 2;
    }
    const double seconds = std::atof(argv[1]);
    const int boxMs = argc > 2 ? std::atoi(argv[2]) : 300;
    QApplication app(argc, argv);
    Form1 form;
    const ClickSound* click = form.findChild<ClickSound*>();
    const auto sound = form.beeper;
    form.beeper = [&sound] {
        log("beep");
        sound();
    };
    QObject::connect(&form.timer(), &QTimer::timeout, [] { log("tick"); });

    // Watches for the goal box and for the stream coming and going.
    int audible = -1;
    QMessageBox* seen = nullptr;
    QTimer watch;
    watch.setInterval(20);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const int now = click && click->audible() ? 1 : 0;
        if (now != audible) {
            audible = now;
            std::printf("audible %lld %d\n", ::now(), now);
            std::fflush(stdout);
        }
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box && box != seen) {
            seen = box;
            log("box");
            QTimer::singleShot(boxMs, box, [box] {
                box->accept();
                log("answered");
            });
        }
    });
    watch.start();
    form.show();
    QTimer::singleShot(int(seconds * 1000), &app, &QCoreApplication::quit);
    return QApplication::exec();
}
