// Canvas, picture base, streams and the block-copy call: the drawing layer pictures and surfaces use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"
#include "platform/ui/DeviceContext.h"

// ---------------------------------------------------------------------------------------------
// Geometry and colours

struct TPoint {
    int X = 0;
    int Y = 0;
};

inline TRect Bounds(int left, int top, int width, int height) {
    return TRect{left, top, left + width, top + height};
}

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
inline int GetRValue(TColor c) { return static_cast<int>(c & 0xFF); }
inline int GetGValue(TColor c) { return static_cast<int>((c >> 8) & 0xFF); }
inline int GetBValue(TColor c) { return static_cast<int>((c >> 16) & 0xFF); }
inline TColor RGB(int r, int g, int b) {
    return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

// ---------------------------------------------------------------------------------------------
// Errors of the picture layer

class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};
class EInvalidGraphicOperation : public Exception {
public:
    using Exception::Exception;
};
class EOutOfResources : public Exception {
public:
    using Exception::Exception;
};
class EOutOfMemory : public Exception {
public:
    using Exception::Exception;
};
// Stream errors: a short read is "Stream read error", a short write "Stream write error".
class EStreamError : public Exception {
public:
    using Exception::Exception;
};
class EReadError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EWriteError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

// ---------------------------------------------------------------------------------------------
// Streams

// Byte stream with a position. Read returns how many bytes it could read (0 at the end);
// ReadBuffer insists on all of them and raises EReadError otherwise.
class TStream {
public:
    virtual ~TStream() = default;
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
    virtual std::int64_t Position() const = 0;
    virtual void SetPosition(std::int64_t position) = 0;
    virtual std::int64_t Size() const = 0;

    void ReadBuffer(void* buffer, std::size_t count);
    void WriteBuffer(const void* buffer, std::size_t count);
    // Bytes left between the position and the end (0 when the position is past the end).
    std::int64_t Remaining() const;
};

// A stream over a growable block of memory it owns.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<std::uint8_t> data) : Data(std::move(data)) {}
    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Position() const override { return Pos; }
    void SetPosition(std::int64_t position) override { Pos = position < 0 ? 0 : position; }
    std::int64_t Size() const override { return static_cast<std::int64_t>(Data.size()); }
    const std::vector<std::uint8_t>& Bytes() const { return Data; }

private:
    std::vector<std::uint8_t> Data;
    std::int64_t Pos = 0;
};

// A read-only stream over someone else's bytes (a resource, a fuzzer's input).
class TReadOnlyMemoryStream : public TStream {
public:
    TReadOnlyMemoryStream(const void* data, std::size_t size)
        : Data(static_cast<const std::uint8_t*>(data)), Length(size) {}
    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void*, std::size_t) override { return 0; }
    std::int64_t Position() const override { return Pos; }
    void SetPosition(std::int64_t position) override { Pos = position < 0 ? 0 : position; }
    std::int64_t Size() const override { return static_cast<std::int64_t>(Length); }

private:
    const std::uint8_t* Data;
    std::size_t Length;
    std::int64_t Pos = 0;
};

// ---------------------------------------------------------------------------------------------
// Persistent objects and pictures

// Base of objects that can be copied into one another. Assign asks the source to copy itself
// into this object (AssignTo); a pair that does not know each other raises EConvertError
// "Cannot assign a <source> to a <destination>".
class TPersistent {
public:
    virtual ~TPersistent() = default;
    virtual void Assign(const TPersistent* source);
    virtual void AssignTo(TPersistent& dest) const;
    virtual const char* ClassName() const { return "TPersistent"; }

protected:
    [[noreturn]] void AssignError(const TPersistent* source) const;
};

class TCanvas;

// Abstract picture. Draw paints the picture scaled into a rectangle of a canvas.
class TGraphic : public TPersistent {
public:
    const char* ClassName() const override { return "TGraphic"; }
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual bool Empty() const { return Width() == 0 || Height() == 0; }
    virtual void Draw(TCanvas& canvas, const TRect& rect) = 0;

    // A canvas over the picture's own pixels, for pictures that have one (device-independent
    // bitmaps); nullptr otherwise. Block copies out of a picture use its Handle.
    virtual TCanvas* GraphicCanvas() { return nullptr; }
    // Makes the picture width × height at the given bits per pixel, cleared to zero. Pictures
    // that cannot be resized raise EInvalidGraphicOperation.
    virtual void SetSize(int width, int height, int bitCount);
};

// ---------------------------------------------------------------------------------------------
// Canvas

enum class TBrushStyle { bsSolid, bsClear };

// Drawing on a device context. Subclasses that obtain their context lazily override
// CreateHandle, which runs on the first use of Handle while none is set.
class TCanvas {
public:
    TCanvas() = default;
    explicit TCanvas(HDC dc) : FHandle(dc) {}
    virtual ~TCanvas() = default;
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    HDC Handle();
    void SetHandle(HDC dc) { FHandle = dc; }
    bool HandleAllocated() const { return FHandle != nullptr; }

    TColor BrushColor = clWhite;
    TBrushStyle BrushStyle = TBrushStyle::bsSolid;
    TColor PenColor = clBlack;
    int PenWidth = 1;
    TColor FontColor = clBlack;
    std::string FontName = "Liberation Sans";
    int FontSize = 8;  // points
    bool FontBold = false;

    void FillRect(const TRect& rect);
    void Rectangle(const TRect& rect);  // pen outline, brush inside
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void TextOut(int x, int y, const std::string& text);
    int TextWidth(const std::string& text);
    int TextHeight(const std::string& text);
    TColor Pixel(int x, int y);  // clNone outside the image
    void SetPixel(int x, int y, TColor color);
    void Draw(int x, int y, TGraphic& graphic);
    void StretchDraw(const TRect& rect, TGraphic& graphic);
    // Copies a rectangle of another canvas, scaling it to this one's rectangle.
    void CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect);

protected:
    virtual void CreateHandle() {}

private:
    HDC FHandle = nullptr;
    TPoint PenPos;
};

// ---------------------------------------------------------------------------------------------
// Block copies between device contexts

constexpr std::uint32_t SRCCOPY = 0x00CC0020;

// Copies (sx, sy, sw, sh) of the source onto (x, y, w, h) of the destination, scaling by nearest
// pixel when the sizes differ, between any of the image formats a context can carry (1/8-bit
// indexed with a colour table, 16-bit 5-6-5 and 5-5-5, 24 and 32 bits). Indexed destinations take
// the nearest entry of their colour table. Parts outside either image are left out. Only SRCCOPY
// is supported; negative sizes are refused. Returns false when nothing could be copied because of
// bad arguments.
bool StretchBlt(HDC dest, int x, int y, int w, int h, HDC source, int sx, int sy, int sw, int sh,
                std::uint32_t rop);
bool BitBlt(HDC dest, int x, int y, int w, int h, HDC source, int sx, int sy, std::uint32_t rop);

// Index of the colour-table entry nearest to an RGB colour (squared distance; first one on ties).
int NearestColorIndex(const QList<QRgb>& table, QRgb color);
