// Fuzz target for the JPEG reader: raw JFIF bytes and the stored picture value around them.
#include <cstdint>
#include <cstdlib>

#include "graphics/JPEG.h"

namespace {

// A decoded picture must be whole: its pixel store exactly covers its size, and every byte of it
// can be read.
void Check(const TJPEGImage& image) {
    if (image.Empty()) {
        if (!image.Pixels().empty()) std::abort();
        return;
    }
    if (image.Width() > TJPEGImage::MaxSide || image.Height() > TJPEGImage::MaxSide) std::abort();
    if (image.Pixels().size() != std::size_t(image.Width()) * std::size_t(image.Height()) * 3)
        std::abort();
    unsigned sum = 0;
    for (std::uint8_t b : image.Pixels())
        sum += b;
    volatile unsigned sink = sum;
    (void)sink;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        TJPEGImage image;
        try {
            image.LoadFromBytes(data, size);
        } catch (const Exception&) {
            // Malformed data is refused with a picture error; anything else is a finding.
        }
        Check(image);
    }
    {
        TJPEGImage image;
        TReadOnlyMemoryStream stream(data, size);
        try {
            image.ReadPictureData(stream);
        } catch (const Exception&) {
        }
        Check(image);
    }
    return 0;
}
