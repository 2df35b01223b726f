// The device's view of a window: a handle that notices the window's end, and where the window's
// client area lies on the screen. The only part of the module that looks at windows.
#pragma once

#include <QObject>
#include <QPointer>

#include "platform/ddraw/DDraw.Internal.h"

namespace ddraw {

// A window handle that reads null once the window is gone.
class WindowRef {
public:
    WindowRef() = default;
    explicit WindowRef(HWND window);
    HWND Get() const;

private:
    QPointer<QObject> Tracked;
    HWND Window = nullptr;
};

// The window's client area in screen pixels (at least 1 x 1).
Box ClientArea(HWND window);

} // namespace ddraw
