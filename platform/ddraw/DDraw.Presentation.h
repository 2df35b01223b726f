// The presentation of a window: the image copies onto the primary surface land in, which the
// window paints from.
#pragma once

#include <QImage>
#include <QWidget>

#include "platform/ddraw/DDraw.Surface.h"

namespace ddraw {

// The presentation image of a window, made or resized to the window's size.
QImage& PresentationFor(QWidget* window);
// The image presented into a window so far, or null.
const QImage* PresentationOf(QWidget* window);

// Copies the source rectangle src of source (or, without a source, the colour fillColour) onto
// the screen rectangle dest, clipped to window, and asks the window to repaint what changed.
HRESULT PresentToWindow(QWidget* window, const Box& dest, const Surface* source, const Box& src,
                        bool keyed, bool mirrorX, bool mirrorY, QRgb fillColour);

// Counts one presentation, and whether it changed what the window shows. With the environment
// variable ZELVAN_DDRAW_COUNTERS naming a file, the counts and the refresh rate are written there
// about once a second, for measurements of the running program.
void CountPresentation(bool changed);

} // namespace ddraw
