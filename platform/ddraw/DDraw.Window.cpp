// The device's view of a window: its lifetime and its client area on the screen.
#include <QWidget>

#include "platform/ddraw/DDraw.Window.h"

namespace ddraw {

WindowRef::WindowRef(HWND window) : Tracked(window), Window(window) {}

HWND WindowRef::Get() const {
    return Tracked ? Window : nullptr;
}

Box ClientArea(HWND window) {
    const QPoint origin = window->mapToGlobal(QPoint(0, 0));
    const QSize size = window->size().expandedTo(QSize(1, 1));
    return Box{origin.x(), origin.y(), origin.x() + size.width(), origin.y() + size.height()};
}

} // namespace ddraw
