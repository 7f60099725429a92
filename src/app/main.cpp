// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1.h"
#include "quit_on_signal.h"
#include "start_up_guard.h"

#include <QApplication>
#include <QIcon>

#include <memory>

int main(int argc, char* argv[]) {
    // Each tick repaints a few rectangles of some hundred pixels. On X11, sending those through
    // the socket costs less than shared memory, whose every frame waits for the server to be done
    // with the segment; this roughly halves the game's CPU time there. Other platforms ignore it.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) {
        qputenv("QT_XCB_NO_MITSHM", "1");
    }
    // Without a display Qt would abort; the guard says in one line what was tried, and exits 1.
    auto guard = std::make_unique<StartUpGuard>();
    QApplication app(argc, argv);
    guard.reset();
    QApplication::setApplicationName(QStringLiteral("velmaro"));
    QApplication::setDesktopFileName(QStringLiteral(VELMARO_APP_ID));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/velmaro.png")));

    QuitOnSignal quitOnSignal;
    Form1 form;
    form.show();
    return QApplication::exec();
}
