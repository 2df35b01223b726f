// Device-independent bitmaps (TDIB): pixel stores shared with copy on write, and their streams.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/Streams.h"
#include "platform/ui/Graphics.h"

struct TRGBQuad {
    std::uint8_t rgbBlue = 0;
    std::uint8_t rgbGreen = 0;
    std::uint8_t rgbRed = 0;
    std::uint8_t rgbReserved = 0;
    bool operator==(const TRGBQuad&) const = default;
};
using TRGBQuads = std::array<TRGBQuad, 256>;

// Direct-colour layout: masks, bit counts, and the shifts derived from the counts r, g, b
// (Shift: r+g+b-8, g+b-8, 8-b; Shift2: 8-r, 8-g, 8-b) that move a component between its place in
// the pixel and 8 bits.
struct TPixelFormat {
    std::uint32_t RBitMask = 0, GBitMask = 0, BBitMask = 0;
    std::uint32_t RBitCount = 0, GBitCount = 0, BBitCount = 0;
    std::uint32_t RShift = 0, GShift = 0, BShift = 0;
    std::uint32_t RShift2 = 0, GShift2 = 0, BShift2 = 0;
    bool operator==(const TPixelFormat&) const = default;
};

// Layout from bit counts (masks packed red-green-blue from the top down).
TPixelFormat MakeDIBPixelFormat(int rBitCount, int gBitCount, int bBitCount);
// Layout from masks: each count is the run of 1 bits from the mask's lowest set bit.
TPixelFormat MakeDIBPixelFormatMask(std::uint32_t rBitMask, std::uint32_t gBitMask,
                                    std::uint32_t bBitMask);
bool IsFormat888(const TPixelFormat& f);
bool IsFormat555(const TPixelFormat& f);
bool IsFormat565(const TPixelFormat& f);

// Bytes of one pixel row: rows are padded to whole 32-bit words.
inline std::int64_t WidthBytes(std::int64_t width, int bitCount) {
    return ((bitCount * width + 31) / 32) * 4;
}

// Largest picture the reader and SetSize accept, in pixel bytes and in either dimension.
constexpr std::int64_t kMaxDIBBytes = std::int64_t(1) << 26;
constexpr int kMaxDIBDimension = 1 << 16;

// One pixel store. Rows are kept top-down in memory (TopRow is row 0 of the picture and NextLine
// is +WidthBytes) so that a device context can view them directly; the stream formats are
// bottom-up and are turned round on reading and writing. Run-length data are kept as read until
// pixels are needed. A store is shared between TDIB objects until one of them changes it.
class TDIBSharedImage {
public:
    int BitCount = 0;
    std::vector<std::uint8_t> BitmapInfo; // header, masks when used, colour table
    int BitmapInfoSize = 0;
    bool PaletteChanged = false;
    TRGBQuads ColorTable{};
    int ColorTablePos = 40;
    bool Compressed = false;
    int Height = 0;
    bool MemoryImage = true; // no device context made over the pixels yet
    int NextLine = 0;
    int PaletteCount = 0;
    TPixelFormat PixelFormat;
    std::size_t Size = 0; // pixel bytes, or the bytes of run-length data while compressed
    int Width = 0;
    int WidthBytes = 0;

    std::uint8_t* Pixels() { return Memory.data(); }
    const std::uint8_t* Pixels() const { return Memory.data(); }
    std::uint8_t* TopRow() { return Memory.data(); }

    // Builds a store (the creation algorithm); raises on a bad bit count or pixel format.
    static std::shared_ptr<TDIBSharedImage> Create(int width, int height, int bitCount,
                                                   const TPixelFormat& format,
                                                   const TRGBQuads& colorTable, bool memoryImage,
                                                   bool compressed);
    static std::shared_ptr<TDIBSharedImage> Empty();

    // A device context over the pixels (made on first request; the store stops being a memory
    // image). 4-bit pixels cannot be viewed directly: their context holds an 8-bit copy that
    // SyncFromDC folds back before the raw pixels are used.
    HDC DC();
    void SyncFromDC();
    void DropDC();
    void SetColorTable(const TRGBQuads& table);
    // A private, uncompressed copy of this store.
    std::shared_ptr<TDIBSharedImage> Clone(bool memoryImage);

    // Rebuilds the information block from the fields above.
    void BuildInfo();

    std::vector<std::uint8_t> Memory; // pixels, or run-length data while Compressed
    std::unique_ptr<TDeviceContext> Context;
    bool ShadowDC = false; // Context holds an 8-bit copy of 4-bit pixels
};

class TDIB;

// The canvas of a TDIB: takes its device context from the picture on first use.
class TDIBCanvas : public TCanvas {
public:
    explicit TDIBCanvas(TDIB* owner) : Owner(owner) {}

protected:
    void CreateHandle() override;

private:
    TDIB* Owner;
};

class TDIB : public TGraphic {
public:
    TDIB();
    ~TDIB() override;
    TDIB(const TDIB&) = delete;
    TDIB& operator=(const TDIB&) = delete;

    const char* ClassName() const override { return "TDIB"; }
    int Width() const override { return FImage->Width; }
    int Height() const override { return FImage->Height; }
    bool Empty() const override { return FImage->Size == 0; }
    int BitCount() const { return FImage->BitCount; }
    int WidthBytes() const { return FImage->WidthBytes; }
    int NextLine() const { return FImage->NextLine; }
    std::size_t Size() const { return FImage->Size; }
    bool Compressed() const { return FImage->Compressed; }
    bool MemoryImage() const { return FImage->MemoryImage; }
    const TRGBQuads& ColorTable() const { return FImage->ColorTable; }
    const TPixelFormat& PixelFormat() const { return FImage->PixelFormat; }
    // The information block as it would be written (header, masks, colour table).
    const std::vector<std::uint8_t>& BitmapInfo() const { return FImage->BitmapInfo; }
    // How many TDIB objects share this one's store (for callers that check sharing).
    long ShareCount() const { return FImage.use_count(); }
    bool SharesStoreWith(const TDIB& other) const { return FImage == other.FImage; }

    void SetColorTable(const TRGBQuads& table);
    // Keeps an 8-bit picture as run-length data where that is smaller, as a compressed picture is
    // kept when read: its pixels are decoded again when they are needed. Other pictures, and one
    // a canvas is drawing on, are left as they are.
    void Compress();
    // Row y of the picture, 0 at the top (run-length data are decoded first).
    const std::uint8_t* ScanLine(int y);
    // The same row for changing: the store is made private (and uncompressed) first.
    std::uint8_t* ScanLineForWrite(int y);

    TCanvas& Canvas();
    TCanvas* GraphicCanvas() override { return &Canvas(); }
    void SetSize(int width, int height, int bitCount) override;
    void SetSize(int width, int height, int bitCount, const TPixelFormat& format);
    void Clear();

    void Assign(const TPersistent* source) override;
    void Draw(TCanvas& canvas, const TRect& rect) override;

    void ReadDIBData(TStream& stream);
    void WriteDIBData(TStream& stream);
    void LoadBitmapFile(TStream& stream);
    void SaveBitmapFile(TStream& stream);
    // The stored picture value: a length-prefixed class name ("TDIB"), then the picture.
    void ReadPictureData(TStream& stream);
    void WritePictureData(TStream& stream);
    // Picture files: a bitmap file, or the stored picture value (told apart by the first bytes).
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName);

private:
    friend class TDIBCanvas;
    void SetImage(std::shared_ptr<TDIBSharedImage> image);
    void Decompress();
    void MakePrivate(bool forCanvas);
    void DetachCanvas() const;
    std::shared_ptr<TDIBSharedImage> FImage;
    mutable std::unique_ptr<TDIBCanvas> FCanvas;
};
