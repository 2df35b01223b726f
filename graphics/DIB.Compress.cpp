// Run-length encoding of 8-bit pictures, the inverse of the reader's decoding.
#include <algorithm>

#include "graphics/DIB.Internal.h"

std::vector<std::uint8_t> EncodeRLE8(const std::uint8_t* pixels, int width, int height,
                                     int widthBytes) {
    std::vector<std::uint8_t> out;
    // Rows go bottom-up, as the decoder reads them; each ends with an end-of-line code.
    for (int y = height - 1; y >= 0; --y) {
        const std::uint8_t* row = pixels + std::size_t(y) * std::size_t(widthBytes);
        int x = 0;
        while (x < width) {
            int run = 1;
            while (x + run < width && run < 255 && row[x + run] == row[x])
                ++run;
            if (run >= 2) {
                out.push_back(std::uint8_t(run));
                out.push_back(row[x]);
                x += run;
                continue;
            }
            // Literal: up to the next pair of equal pixels. Fewer than three pixels cannot be a
            // literal (codes 0 to 2 mean end of line, end of bitmap and delta): they go as runs.
            int end = x + 1;
            while (end < width && end - x < 255 && !(end + 1 < width && row[end] == row[end + 1]))
                ++end;
            const int count = end - x;
            if (count < 3) {
                for (int k = 0; k < count; ++k) {
                    out.push_back(1);
                    out.push_back(row[x + k]);
                }
            } else {
                out.push_back(0);
                out.push_back(std::uint8_t(count));
                out.insert(out.end(), row + x, row + end);
                if (count & 1) out.push_back(0); // literals are padded to 16 bits
            }
            x = end;
        }
        out.push_back(0);
        out.push_back(y == 0 ? 1 : 0); // the last row ends the bitmap
    }
    if (height == 0) out.insert(out.end(), {0, 1});
    return out;
}

void TDIB::Compress() {
    const TDIBSharedImage& s = *FImage;
    if (s.Compressed || s.BitCount != 8 || s.Size == 0 || s.Context) return;
    std::vector<std::uint8_t> data = EncodeRLE8(s.Pixels(), s.Width, s.Height, s.WidthBytes);
    if (data.size() >= s.Size) return; // nothing gained
    auto store =
        TDIBSharedImage::Create(s.Width, s.Height, 8, s.PixelFormat, s.ColorTable, true, true);
    store->Memory = std::move(data);
    store->Size = store->Memory.size();
    store->PaletteChanged = s.PaletteChanged;
    store->BuildInfo();
    SetImage(std::move(store));
}
