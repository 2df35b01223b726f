// The main window of the game.
#include "game/MainForm.h"

#include <QScreen>
#include <QShowEvent>

TForm1* Form1 = nullptr;

TForm1::TForm1(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Zelvan Free v1.0"));
    // Single fixed border with system menu, minimise and close; no maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(600, 480);
}

void TForm1::showEvent(QShowEvent* event) {
    if (!FShown) {
        FShown = true;
        if (QScreen* screen = this->screen()) {
            const QRect area = screen->availableGeometry();
            move(area.center() - rect().center());
        }
    }
    QWidget::showEvent(event);
}
