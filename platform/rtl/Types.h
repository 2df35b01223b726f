// Small value types shared by the layers: the old platform's integer names, points and rectangles.
#pragma once

#include <cstdint>

// Fixed-width integers under the names the platform interfaces (registry, display and sound
// devices) are written in.
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using WORD = std::uint16_t;
using BYTE = std::uint8_t;

struct TPoint {
    int X = 0;
    int Y = 0;
};

// A rectangle in pixels; Right and Bottom are exclusive.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }

    friend bool operator==(const TRect&, const TRect&) = default;
};

inline TRect Rect(int left, int top, int right, int bottom) {
    return TRect{left, top, right, bottom};
}

inline TRect Bounds(int left, int top, int width, int height) {
    return TRect{left, top, left + width, top + height};
}
