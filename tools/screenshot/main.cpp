// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the real game window, mid-game, to a PNG for the documentation.
// Usage: velmaro-screenshot OUT.png [SCALE]   (SCALE: window size over the laid-out size, 2)

#include "form1.h"

#include <QApplication>
#include <QEventLoop>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <cstdio>

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: velmaro-screenshot OUT.png [SCALE]\n");
        return 2;
    }
    const double scale = argc == 3 ? QString(argv[2]).toDouble() : 2.0;
    if (!(scale >= 1 && scale <= 8)) {
        std::fprintf(stderr, "velmaro-screenshot: SCALE must be between 1 and 8\n");
        return 2;
    }

    Form1 form;
    form.beeper = [] {};
    form.resize(form.minimumSize() * scale);
    rink::Game& game = form.game();
    form.show();
    // Red has just scored to lead 2 to 1: a real goal, its box answered, so that the labels show
    // what the window itself shows after one.
    game.controls.Scorered.Caption = "1";
    game.controls.Scoreblue.Caption = "1";
    game.state.puckX = 1600;
    game.state.puckY = 10;
    game.state.vx = 0;
    game.state.vy = -100;
    QEventLoop goal;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            box->close();
        } else if (game.controls.Scorered.Caption == "2" && !game.state.goalPending) {
            goal.quit();
        }
    });
    answer.start(5);
    goal.exec();
    answer.stop();
    // A moment of play: a stroke from the red paddle sending the puck up toward the blue goal.
    game.mouseMove(2000, 4300);
    game.state.puckX = 1500;
    game.state.puckY = 3500;
    game.state.vx = 20;
    game.state.vy = -150;
    // A few real ticks, so that the shapes show what the window itself draws.
    QEventLoop play;
    QTimer::singleShot(60, &play, &QEventLoop::quit);
    play.exec();

    if (!form.grab().save(argv[1], "PNG")) {
        std::fprintf(stderr, "velmaro-screenshot: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
