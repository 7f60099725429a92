// SPDX-License-Identifier: GPL-3.0-or-later
// The real game window with a goal set up for the window tests: after DELAY milliseconds the puck
// is put just short of the END goal (top: red scores, bottom: blue scores) with the scores at RED
// and BLUE less the goal to come. Once the box is closed the puck is parked at the left, away
// from the labels, and the window's parts are printed in device pixels of the screen:
//   NAME X Y WIDTH HEIGHT   for Scorered, Scoreblue, Picture1 and cpu
// Usage: velmaro-window-probe RED BLUE top|bottom DELAY

#include "form1.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <string>

namespace {

void print(const QWidget* widget) {
    const qreal ratio = widget->devicePixelRatioF();
    const QPoint at = widget->mapToGlobal(QPoint(0, 0));
    std::printf("%s %ld %ld %ld %ld\n", qPrintable(widget->objectName()),
                std::lround(at.x() * ratio), std::lround(at.y() * ratio),
                std::lround(widget->width() * ratio), std::lround(widget->height() * ratio));
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: velmaro-window-probe RED BLUE top|bottom DELAY\n");
        return 2;
    }
    const long red = std::stol(argv[1]);
    const long blue = std::stol(argv[2]);
    const bool top = std::string(argv[3]) == "top";
    const int delay = std::stoi(argv[4]);

    Form1 form;
    form.beeper = [] {};
    form.show();
    rink::Game& game = form.game();
    bool armed = false;
    QTimer::singleShot(delay, &form, [&] {
        game.controls.Scorered.Caption = std::to_string(top ? red - 1 : red);
        game.controls.Scoreblue.Caption = std::to_string(top ? blue : blue - 1);
        game.state.puckX = 1600;
        game.state.puckY = top ? 10 : 5470;
        game.state.vx = 0;
        game.state.vy = top ? -100 : 100;
        armed = true;
    });
    // After the goal: the puck parked where it covers nothing the tests look at.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!armed || game.state.goalPending || game.state.vx != 100) {
            return;
        }
        watch.stop();
        game.state.puckX = 300;
        game.state.puckY = 4500;
        game.state.vx = 0;
        game.state.vy = 0;
        for (const char* name : {"Scorered", "Scoreblue", "Picture1", "cpu"}) {
            print(form.findChild<QWidget*>(name));
        }
        std::fflush(stdout);
    });
    watch.start(5);
    return QApplication::exec();
}
