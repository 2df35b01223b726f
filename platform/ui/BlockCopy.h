// Block copies between device contexts (StretchBlt, BitBlt) and nearest colour-table lookup.
#pragma once

#include <QList>
#include <QRgb>

#include <cstdint>

#include "platform/ui/DeviceContext.h"

constexpr std::uint32_t SRCCOPY = 0x00CC0020;

// Copies (sx, sy, sw, sh) of the source onto (x, y, w, h) of the destination, scaling by nearest
// pixel when the sizes differ, between any of the image formats a context can carry (1/8-bit
// indexed with a colour table, 16-bit 5-6-5 and 5-5-5, 24 and 32 bits). Indexed destinations take
// the nearest entry of their colour table. Parts outside either image are left out. Only SRCCOPY
// is supported; negative sizes are refused. Returns false when nothing could be copied because of
// bad arguments.
bool StretchBlt(HDC dest, int x, int y, int w, int h, HDC source, int sx, int sy, int sw, int sh,
                std::uint32_t rop);
bool BitBlt(HDC dest, int x, int y, int w, int h, HDC source, int sx, int sy, std::uint32_t rop);

// Index of the colour-table entry nearest to an RGB colour (squared distance; first one on ties).
int NearestColorIndex(const QList<QRgb>& table, QRgb color);
