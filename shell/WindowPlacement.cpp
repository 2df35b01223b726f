// Placing top-level windows on their screen.
#include "shell/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void CentreOnScreen(QWidget* window) {
    QScreen* screen = window->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QRect outer = window->frameGeometry();
    // QRect::center() rounds towards the top left ((left + right) / 2 with right = left + width -
    // 1), which puts an even-sized window one pixel off on an even-sized screen; work with sizes
    // instead.
    window->move(area.x() + (area.width() - outer.width()) / 2,
                 area.y() + (area.height() - outer.height()) / 2);
}
