#include "form1.h"
#include "quit_on_signal.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velmaro"));
    QApplication::setDesktopFileName(QStringLiteral(VELMARO_APP_ID));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/velmaro.png")));

    QuitOnSignal quitOnSignal;
    Form1 form;
    form.show();
    return QApplication::exec();
}
