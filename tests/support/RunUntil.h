// Waiting on a window system that answers asynchronously (a window manager, a compositor).
#pragma once

#include <QApplication>
#include <QDeadlineTimer>
#include <QRect>
#include <QSize>

#include <functional>

// Runs the loop until Done holds or a generous deadline passes; returns whether it held.
inline bool RunUntil(const std::function<bool()>& Done) {
    QDeadlineTimer deadline(20000);
    while (!Done()) {
        if (deadline.hasExpired()) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

// The window edges a child's rectangle lies on, in a window of the given size.
inline Qt::Edges EdgesTouched(const QRect& Place, const QSize& Window) {
    Qt::Edges touched;
    if (Place.left() == 0) touched |= Qt::LeftEdge;
    if (Place.top() == 0) touched |= Qt::TopEdge;
    if (Place.right() == Window.width() - 1) touched |= Qt::RightEdge;
    if (Place.bottom() == Window.height() - 1) touched |= Qt::BottomEdge;
    return touched;
}
