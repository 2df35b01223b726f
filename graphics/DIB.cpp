// TDIB and its shared pixel store: creation, device contexts, copy on write, assignment, drawing.
#include "graphics/DIB.h"

#include <cstring>
#include <new>

#include "graphics/DIB.Internal.h"
#include "platform/ui/BlockCopy.h"

// ---------------------------------------------------------------------------------------------
// Pixel formats

// Bits [shift, shift + count) set; counts come from 32-bit masks, so they may be 32 themselves.
static std::uint32_t MaskOf(int count, int shift) {
    if (count <= 0 || shift >= 32) return 0;
    return std::uint32_t((((std::uint64_t(1) << count) - 1) << shift) & 0xFFFFFFFFu);
}

TPixelFormat MakeDIBPixelFormat(int r, int g, int b) {
    TPixelFormat f;
    f.RBitMask = MaskOf(r, g + b);
    f.GBitMask = MaskOf(g, b);
    f.BBitMask = MaskOf(b, 0);
    f.RBitCount = std::uint32_t(r);
    f.GBitCount = std::uint32_t(g);
    f.BBitCount = std::uint32_t(b);
    f.RShift = std::uint32_t(r + g + b - 8);
    f.GShift = std::uint32_t(g + b - 8);
    f.BShift = std::uint32_t(8 - b);
    f.RShift2 = std::uint32_t(8 - r);
    f.GShift2 = std::uint32_t(8 - g);
    f.BShift2 = std::uint32_t(8 - b);
    return f;
}

static int MaskBitCount(std::uint32_t mask) {
    if (mask == 0) return 0;
    while ((mask & 1) == 0)
        mask >>= 1;
    int n = 0;
    while (mask & 1) {
        ++n;
        mask >>= 1;
    }
    return n;
}

TPixelFormat MakeDIBPixelFormatMask(std::uint32_t rMask, std::uint32_t gMask, std::uint32_t bMask) {
    TPixelFormat f =
        MakeDIBPixelFormat(MaskBitCount(rMask), MaskBitCount(gMask), MaskBitCount(bMask));
    // Keep the masks as given: masks that are not the packed layout of their counts (zero,
    // overlapping, swapped, with holes) then fail the format check instead of being silently
    // replaced by the packed layout.
    f.RBitMask = rMask;
    f.GBitMask = gMask;
    f.BBitMask = bMask;
    return f;
}

bool IsFormat888(const TPixelFormat& f) {
    return f == MakeDIBPixelFormat(8, 8, 8);
}
bool IsFormat555(const TPixelFormat& f) {
    return f == MakeDIBPixelFormat(5, 5, 5);
}
bool IsFormat565(const TPixelFormat& f) {
    return f == MakeDIBPixelFormat(5, 6, 5);
}

void CheckDIBFormat(int bitCount, const TPixelFormat& format) {
    switch (bitCount) {
    case 1:
    case 4:
    case 8:
    case 24:
    case 32:
        if (!IsFormat888(format)) throw EInvalidGraphicOperation("PixelFormat in invalid");
        return;
    case 16:
        if (!IsFormat555(format) && !IsFormat565(format))
            throw EInvalidGraphicOperation("PixelFormat in invalid");
        return;
    default:
        throw EInvalidGraphicOperation(Format("Bitcount in invalid (%d)", bitCount));
    }
}

// ---------------------------------------------------------------------------------------------
// The store

static void Put32(std::vector<std::uint8_t>& v, std::size_t at, std::uint32_t x) {
    for (int i = 0; i < 4; ++i)
        v[at + i] = std::uint8_t(x >> (8 * i));
}

void TDIBSharedImage::BuildInfo() {
    const bool masks = BitCount == 16 || BitCount == 32;
    ColorTablePos = masks ? 52 : 40;
    BitmapInfoSize = ColorTablePos + 4 * PaletteCount;
    BitmapInfo.assign(std::size_t(BitmapInfoSize), 0);
    Put32(BitmapInfo, 0, 40);
    Put32(BitmapInfo, 4, std::uint32_t(Width));
    Put32(BitmapInfo, 8, std::uint32_t(Height));
    BitmapInfo[12] = 1;
    BitmapInfo[14] = std::uint8_t(BitCount);
    std::uint32_t compression = 0;
    if (Compressed)
        compression = BitCount == 4 ? 2 : 1;
    else if (masks)
        compression = 3;
    Put32(BitmapInfo, 16, compression);
    Put32(BitmapInfo, 20, std::uint32_t(Size));
    if (masks) {
        Put32(BitmapInfo, 40, PixelFormat.RBitMask);
        Put32(BitmapInfo, 44, PixelFormat.GBitMask);
        Put32(BitmapInfo, 48, PixelFormat.BBitMask);
    }
    std::memcpy(BitmapInfo.data() + ColorTablePos, ColorTable.data(),
                std::size_t(4 * PaletteCount));
}

std::shared_ptr<TDIBSharedImage> TDIBSharedImage::Empty() {
    static const std::shared_ptr<TDIBSharedImage> empty = [] {
        auto s = std::make_shared<TDIBSharedImage>();
        s->PixelFormat = MakeDIBPixelFormat(8, 8, 8);
        for (int i = 0; i < 256; ++i)
            s->ColorTable[std::size_t(i)] =
                TRGBQuad{std::uint8_t(i), std::uint8_t(i), std::uint8_t(i), 0};
        return s;
    }();
    return empty;
}

std::shared_ptr<TDIBSharedImage> TDIBSharedImage::Create(int width, int height, int bitCount,
                                                         const TPixelFormat& format,
                                                         const TRGBQuads& colorTable,
                                                         bool memoryImage, bool compressed) {
    CheckDIBFormat(bitCount, format);
    if (width < 0 || height < 0 || width > kMaxDIBDimension || height > kMaxDIBDimension ||
        ::WidthBytes(width, bitCount) * height > kMaxDIBBytes)
        throw EInvalidGraphicOperation(Format("DIB size in invalid (%d x %d)", width, height));
    auto s = std::make_shared<TDIBSharedImage>();
    s->BitCount = bitCount;
    s->PixelFormat = format;
    s->Width = width;
    s->Height = height;
    s->WidthBytes = int(::WidthBytes(width, bitCount));
    s->NextLine = s->WidthBytes;
    s->Size = std::size_t(s->WidthBytes) * std::size_t(height);
    s->PaletteCount = bitCount <= 8 ? 1 << bitCount : 0;
    s->ColorTable = colorTable;
    s->Compressed = compressed;
    s->MemoryImage = memoryImage || compressed;
    if (!compressed) {
        try {
            s->Memory.assign(s->Size, 0);
        } catch (const std::bad_alloc&) {
            throw EOutOfMemory("Out of memory");
        }
    }
    s->BuildInfo();
    if (!s->MemoryImage && s->Size != 0 && !s->DC())
        throw EOutOfResources(Format("%s cannot be made", "DIB"));
    return s;
}

static QList<QRgb> QtTable(const TDIBSharedImage& s) {
    QList<QRgb> table;
    for (int i = 0; i < s.PaletteCount; ++i) {
        const TRGBQuad& q = s.ColorTable[std::size_t(i)];
        table.append(qRgb(q.rgbRed, q.rgbGreen, q.rgbBlue));
    }
    return table;
}

HDC TDIBSharedImage::DC() {
    if (Context) return Context.get();
    if (Compressed || Size == 0) return nullptr;
    auto dc = std::make_unique<TDeviceContext>();
    uchar* bits = Memory.data();
    switch (BitCount) {
    case 1:
        dc->Image = QImage(bits, Width, Height, WidthBytes, QImage::Format_Mono);
        break;
    case 4: {
        // No 4-bit image format to view the pixels with: the context works on an 8-bit copy.
        dc->Image = QImage(Width, Height, QImage::Format_Indexed8);
        if (dc->Image.isNull()) return nullptr;
        for (int y = 0; y < Height; ++y) {
            const std::uint8_t* src = bits + std::size_t(y) * std::size_t(WidthBytes);
            uchar* dst = dc->Image.scanLine(y);
            for (int x = 0; x < Width; ++x)
                dst[x] = (x & 1) ? (src[x >> 1] & 0x0F) : (src[x >> 1] >> 4);
        }
        ShadowDC = true;
        break;
    }
    case 8:
        dc->Image = QImage(bits, Width, Height, WidthBytes, QImage::Format_Indexed8);
        break;
    case 16:
        dc->Image = QImage(bits, Width, Height, WidthBytes,
                           IsFormat565(PixelFormat) ? QImage::Format_RGB16 : QImage::Format_RGB555);
        break;
    case 24:
        dc->Image = QImage(bits, Width, Height, WidthBytes, QImage::Format_BGR888);
        break;
    default:
        dc->Image = QImage(bits, Width, Height, WidthBytes, QImage::Format_RGB32);
        break;
    }
    if (dc->Image.isNull()) {
        ShadowDC = false;
        return nullptr;
    }
    if (BitCount <= 8) dc->Image.setColorTable(QtTable(*this));
    Context = std::move(dc);
    MemoryImage = false;
    return Context.get();
}

void TDIBSharedImage::SyncFromDC() {
    if (!Context || !ShadowDC) return;
    const QImage& image = Context->Image;
    for (int y = 0; y < Height; ++y) {
        const uchar* src = image.constScanLine(y);
        std::uint8_t* dst = Memory.data() + std::size_t(y) * std::size_t(WidthBytes);
        for (int x = 0; x < Width; ++x) {
            const std::uint8_t v = src[x] & 0x0F;
            dst[x >> 1] = (x & 1) ? std::uint8_t((dst[x >> 1] & 0xF0) | v)
                                  : std::uint8_t((dst[x >> 1] & 0x0F) | (v << 4));
        }
    }
}

void TDIBSharedImage::DropDC() {
    SyncFromDC();
    Context.reset();
    ShadowDC = false;
}

void TDIBSharedImage::SetColorTable(const TRGBQuads& table) {
    ColorTable = table;
    PaletteChanged = true;
    if (Size != 0 && BitCount <= 8) {
        BuildInfo();
        if (Context) Context->Image.setColorTable(QtTable(*this));
    }
}

std::shared_ptr<TDIBSharedImage> TDIBSharedImage::Clone(bool memoryImage) {
    SyncFromDC();
    auto copy = Create(Width, Height, BitCount, PixelFormat, ColorTable, true, false);
    if (Compressed)
        DecodeRLE(Memory.data(), Memory.size(), BitCount, Width, Height, copy->Memory.data(),
                  WidthBytes);
    else if (Size)
        std::memcpy(copy->Memory.data(), Memory.data(), Size);
    copy->PaletteChanged = PaletteChanged;
    if (!memoryImage && copy->Size && !copy->DC())
        throw EOutOfResources(Format("%s cannot be made", "DIB"));
    return copy;
}

// ---------------------------------------------------------------------------------------------
// TDIB

void TDIBCanvas::CreateHandle() {
    Owner->MakePrivate(true);
    SetHandle(Owner->FImage->DC());
}

TDIB::TDIB() : FImage(TDIBSharedImage::Empty()) {}
TDIB::~TDIB() = default;

void TDIB::DetachCanvas() const {
    if (FCanvas) FCanvas->SetHandle(nullptr);
}

void TDIB::SetImage(std::shared_ptr<TDIBSharedImage> image) {
    DetachCanvas();
    FImage = std::move(image);
}

void TDIB::Decompress() {
    if (FImage->Compressed) SetImage(FImage->Clone(true));
}

void TDIB::MakePrivate(bool forCanvas) {
    if (FImage->Size == 0 && !FImage->Compressed) return; // nothing to share or change
    if (FImage->Compressed || FImage.use_count() > 1) SetImage(FImage->Clone(!forCanvas));
}

void TDIB::SetColorTable(const TRGBQuads& table) {
    MakePrivate(false);
    FImage->SetColorTable(table);
}

const std::uint8_t* TDIB::ScanLine(int y) {
    if (y < 0 || y >= Height() || Empty())
        throw EInvalidGraphicOperation(Format("Scan line index out of range (%d)", y));
    Decompress();
    if (FImage->ShadowDC) {
        // Fold the canvas's 8-bit copy back once and drop it, rather than on every row.
        DetachCanvas();
        FImage->DropDC();
    }
    return FImage->Pixels() + std::size_t(y) * std::size_t(FImage->WidthBytes);
}

std::uint8_t* TDIB::ScanLineForWrite(int y) {
    if (y < 0 || y >= Height() || Empty())
        throw EInvalidGraphicOperation(Format("Scan line index out of range (%d)", y));
    MakePrivate(false);
    if (FImage->ShadowDC) {
        // The 8-bit copy behind the canvas would go stale: fold it back and drop it.
        DetachCanvas();
        FImage->DropDC();
    }
    return FImage->Pixels() + std::size_t(y) * std::size_t(FImage->WidthBytes);
}

TCanvas& TDIB::Canvas() {
    if (!FCanvas) FCanvas = std::make_unique<TDIBCanvas>(this);
    return *FCanvas;
}

void TDIB::SetSize(int width, int height, int bitCount) {
    SetSize(width, height, bitCount,
            bitCount == 16 ? MakeDIBPixelFormat(5, 5, 5) : MakeDIBPixelFormat(8, 8, 8));
}

void TDIB::SetSize(int width, int height, int bitCount, const TPixelFormat& format) {
    SetImage(TDIBSharedImage::Create(width, height, bitCount, format, FImage->ColorTable,
                                     FImage->MemoryImage, false));
}

void TDIB::Clear() {
    SetImage(TDIBSharedImage::Empty());
}

void TDIB::Assign(const TPersistent* source) {
    if (source == this) return;
    if (!source) {
        Clear();
        return;
    }
    if (const auto* dib = dynamic_cast<const TDIB*>(source)) {
        dib->DetachCanvas(); // its canvas must not draw into the store it now shares
        SetImage(dib->FImage);
        return;
    }
    if (const auto* graphic = dynamic_cast<const TGraphic*>(source)) {
        const int w = graphic->Width(), h = graphic->Height();
        TDIB picture;
        picture.SetSize(w, h, 24);
        if (!picture.Empty())
            const_cast<TGraphic*>(graphic)->Draw(picture.Canvas(), Bounds(0, 0, w, h));
        SetImage(picture.FImage);
        return;
    }
    TGraphic::Assign(source);
}

void TDIB::Draw(TCanvas& canvas, const TRect& rect) {
    if (Empty()) return;
    Decompress();
    HDC source = FImage->DC();
    if (!source) throw EOutOfResources(Format("%s cannot be made", "DIB"));
    StretchBlt(canvas.Handle(), rect.Left, rect.Top, rect.Width(), rect.Height(), source, 0, 0,
               Width(), Height(), SRCCOPY);
}
