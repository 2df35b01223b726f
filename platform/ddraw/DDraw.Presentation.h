// What a windowed primary surface presents: the window's pixels as the copies onto the primary
// left them, and the part of them that changed since whoever shows the window last took them.
#pragma once

#include <QImage>
#include <QRegion>

#include "platform/ddraw/DDraw.Internal.h"

namespace ddraw {

class Surface;

class Presentation {
public:
    // Copies the source rectangle src of source (or, without a source, the colour fillColour)
    // onto the screen rectangle dest, clipped to the window's client area (screen pixels). Only
    // pixels that differ from what the window shows are written, and only they count as changed.
    void Present(const Box& area, const Box& dest, const Surface* source, const Box& src,
                 bool keyed, bool mirrorX, bool mirrorY, QRgb fillColour);
    // The window's pixels (sharing memory until the caller lets go of them) and what changed
    // since the last call; the changed region starts empty again.
    void Take(QImage& image, QRegion& changed);
    // The window's pixels alone (sharing memory as above); what changed stays to be taken.
    const QImage& Pixels() const { return Image; }
    // The shared-memory segment holding the window's pixels, or -1 (see Fit).
    int Segment() const { return Image.constBits() == SegmentBits ? SegmentId : -1; }

private:
    // Sizes the image to the window's client area, keeping what it showed. The pixels go into a
    // System V shared-memory segment where the system gives one, else into ordinary memory.
    void Fit(int width, int height);
    QImage Image;
    QRegion Changed;
    int SegmentId = -1;
    // Where the segment's pixels start: an image that was ever copied away from them (a holder
    // kept it across a write) no longer counts as the segment's.
    const uchar* SegmentBits = nullptr;
};

// Counts one presentation, and whether it changed what the window shows. With the environment
// variable ZELVAN_DDRAW_COUNTERS naming a file, the counts and the refresh rate are written there
// about once a second, for measurements of the running program.
void CountPresentation(bool changed);

} // namespace ddraw
