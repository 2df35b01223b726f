// Program body: creates the application and its windows, then runs the message loop.
#include <QApplication>

#include "game/MainForm.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Zelvan Free"));
    Form1 = new TForm1;
    Form1->show();
    const int rc = QApplication::exec();
    delete Form1;
    Form1 = nullptr;
    return rc;
}
