#include "form1.h"
#include "quit_on_signal.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velmaro"));

    QuitOnSignal quitOnSignal;
    Form1 form;
    form.show();
    return QApplication::exec();
}
