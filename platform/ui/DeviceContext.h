// Device contexts and window handles: what drawing calls and the display device target.
#pragma once

#include <QImage>

class QWidget;

// A device context is a QImage view over pixel memory owned by someone else (a surface, a
// picture's pixels). 8-bit views carry the owner's colour table. Whoever hands one out keeps the
// memory alive until the matching release.
struct TDeviceContext {
    QImage Image;
};
using HDC = TDeviceContext*;

// A window handle is the Qt widget that stands for the window.
using HWND = QWidget*;
