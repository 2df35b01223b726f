// Pixel formats of the display device and their descriptions.
#include "platform/ddraw/DDraw.Internal.h"

namespace ddraw {

DDPIXELFORMAT Format::Describe() const {
    DDPIXELFORMAT pf{};
    pf.dwSize = sizeof(DDPIXELFORMAT);
    pf.dwRGBBitCount = static_cast<DWORD>(Bits);
    if (Bits == 8) {
        pf.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
    } else if (Bits == 16) {
        pf.dwFlags = DDPF_RGB;
        pf.dwRBitMask = 0xF800;
        pf.dwGBitMask = 0x07E0;
        pf.dwBBitMask = 0x001F;
    } else {
        pf.dwFlags = DDPF_RGB;
        pf.dwRBitMask = 0xFF0000;
        pf.dwGBitMask = 0x00FF00;
        pf.dwBBitMask = 0x0000FF;
    }
    return pf;
}

bool Format::FromPixelFormat(const DDPIXELFORMAT& pf, Format& out) {
    if (pf.dwFlags & DDPF_PALETTEINDEXED8) {
        if (pf.dwRGBBitCount != 8 && pf.dwRGBBitCount != 0) return false;
        out.Bits = 8;
        return true;
    }
    if (!(pf.dwFlags & DDPF_RGB)) return false;
    switch (pf.dwRGBBitCount) {
    case 16:
        if (pf.dwRBitMask != 0xF800 || pf.dwGBitMask != 0x07E0 || pf.dwBBitMask != 0x001F)
            return false;
        out.Bits = 16;
        return true;
    case 24:
    case 32:
        if (pf.dwRBitMask != 0xFF0000 || pf.dwGBitMask != 0xFF00 || pf.dwBBitMask != 0xFF)
            return false;
        out.Bits = static_cast<int>(pf.dwRGBBitCount);
        return true;
    default:
        return false;
    }
}

} // namespace ddraw
