// Resolution of system colours to RGB values.
#include "platform/ui/Colors.h"

#include <iterator>

TColor ColorToRGB(TColor color) {
    if ((color & 0x80000000u) == 0) return color & 0x00FFFFFFu;
    // Classic desktop scheme, indexed by the system colour number.
    static const TColor kSystem[] = {
        0xC0C0C0, 0x808000, 0x800000, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x000000, 0x000000,
        0x000000, 0xFFFFFF, 0xC0C0C0, 0xC0C0C0, 0x808080, 0x800000, 0xFFFFFF, 0xC0C0C0,
        0x808080, 0x808080, 0x000000, 0xC0C0C0, 0xFFFFFF, 0x000000, 0xDFDFDF, 0x000000,
        0xE1FFFF, 0xB5B5B5, 0x800000, 0xF0CAA6, 0xC0C0C0, 0xC0C0C0, 0xC0C0C0};
    const unsigned index = color & 0xFF;
    return index < std::size(kSystem) ? kSystem[index] : 0;
}
