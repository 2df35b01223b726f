// JPEG pictures: decoding JFIF data into RGB pixels, and the stored picture value that carries
// them.
#pragma once

#include "platform/rtl/Streams.h"
#include "platform/ui/Graphics.h"

#include <QImage>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A JPEG that cannot be decoded: corrupt, truncated, too large, or of a colour layout not shown.
class EJPEGError : public EInvalidGraphic {
public:
    using EInvalidGraphic::EInvalidGraphic;
};

// A decoded JPEG picture held as 8-bit RGB rows, top row first.
class TJPEGImage {
public:
    // Pictures wider or taller than this, or with more pixels in all, are refused before any
    // pixel memory is set aside.
    static constexpr int MaxSide = 8192;
    static constexpr std::int64_t MaxPixels = 16 * 1024 * 1024;
    // The stored picture value's byte count is refused above this.
    static constexpr std::uint32_t MaxStoredBytes = 32 * 1024 * 1024;

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    bool Empty() const { return FWidth == 0 || FHeight == 0; }
    // Three bytes (red, green, blue) per pixel, Width() * 3 bytes per row, no padding.
    const std::vector<std::uint8_t>& Pixels() const { return FPixels; }

    // Decodes JFIF bytes. Any fault of the data (including a warning the decoder would otherwise
    // only print, such as premature end of data) raises EJPEGError and leaves the picture as it
    // was.
    void LoadFromBytes(const std::uint8_t* data, std::size_t size);

    // The stored picture value: one length byte, the class name "TJPEGImage", a 32-bit
    // little-endian byte count, then that many bytes of JFIF data. A count larger than what the
    // stream still holds is refused before anything is read. Raises EJPEGError, EReadError or
    // EInvalidGraphic; the picture is then left as it was.
    void ReadPictureData(TStream& stream);
    // Builds the stored picture value around JFIF bytes.
    static std::vector<std::uint8_t> MakePictureData(const std::uint8_t* data, std::size_t size);

    void Clear();
    // A copy of the pixels as an image (null for an empty picture).
    QImage ToImage() const;

private:
    int FWidth = 0;
    int FHeight = 0;
    std::vector<std::uint8_t> FPixels;
};
