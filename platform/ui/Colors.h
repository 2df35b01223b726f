// Colours: the 0x00BBGGRR colour value, the named colours and the system colours.
#pragma once

#include <cstdint>

// 0x00BBGGRR, red in the low byte. Values with the high bit set name system colours (index in the
// low byte) and are resolved by ColorToRGB.
using TColor = std::uint32_t;
constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clNavy = 0x800000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clBtnFace = 0x8000000F;
constexpr TColor clWindow = 0x80000005;
constexpr TColor clWindowText = 0x80000008;
constexpr TColor clBtnText = 0x80000012;
constexpr TColor clNone = 0x1FFFFFFF;

// Resolves a system colour to its RGB value (fixed classic desktop values, so drawing does not
// depend on the desktop theme); plain colours come back with the high byte cleared.
TColor ColorToRGB(TColor color);
inline int GetRValue(TColor c) {
    return static_cast<int>(c & 0xFF);
}
inline int GetGValue(TColor c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
inline int GetBValue(TColor c) {
    return static_cast<int>((c >> 16) & 0xFF);
}
inline TColor RGB(int r, int g, int b) {
    return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
