// Fuzz target for the picture readers: bitmap files, stored picture values and bare DIB data.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "graphics/DIB.h"

namespace {

std::vector<std::uint8_t> WriteOut(TDIB& dib) {
    TMemoryStream s;
    dib.WriteDIBData(s);
    return s.Bytes();
}

// Whatever was read must decode, draw, and survive a write/read round trip unchanged.
void Exercise(TDIB& dib) {
    if (dib.Empty()) return;
    const std::vector<std::uint8_t> first = WriteOut(dib);
    TDIB copy;
    TMemoryStream in(first);
    copy.ReadDIBData(in);
    if (WriteOut(copy) != first) std::abort();

    std::vector<std::uint32_t> pixels(32 * 32);
    TDeviceContext dc{
        QImage(reinterpret_cast<uchar*>(pixels.data()), 32, 32, 32 * 4, QImage::Format_RGB32)};
    TCanvas canvas(&dc);
    canvas.StretchDraw(Rect(-3, -3, 29, 35), dib);
    for (int y = 0; y < dib.Height(); ++y) {
        const std::uint8_t* row = dib.ScanLine(y);
        volatile std::uint8_t sink = row[0] ^ row[dib.WidthBytes() - 1];
        (void)sink;
    }
    if (dib.BitCount() <= 8) {
        TRGBQuads table = dib.ColorTable();
        table[0].rgbRed ^= 0xFF;
        copy.SetColorTable(table);
    }
}

template <class Read> void Attempt(const std::uint8_t* data, std::size_t size, Read read) {
    TDIB dib;
    TReadOnlyMemoryStream stream(data, size);
    try {
        read(dib, stream);
        Exercise(dib);
    } catch (const Exception&) {
        // Malformed input is reported with the picture errors; anything else is a finding.
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Attempt(data, size, [](TDIB& d, TStream& s) { d.LoadBitmapFile(s); });
    Attempt(data, size, [](TDIB& d, TStream& s) { d.ReadPictureData(s); });
    Attempt(data, size, [](TDIB& d, TStream& s) { d.ReadDIBData(s); });
    return 0;
}
