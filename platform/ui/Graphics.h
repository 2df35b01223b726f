// Canvas and picture base: drawing on device contexts, and the errors of the picture layer.
#pragma once

#include <string>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/Types.h"
#include "platform/ui/Colors.h"
#include "platform/ui/DeviceContext.h"

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

// ---------------------------------------------------------------------------------------------
// Pictures

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
    int FontSize = 8; // points
    bool FontBold = false;

    void FillRect(const TRect& rect);
    void Rectangle(const TRect& rect); // pen outline, brush inside
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void TextOut(int x, int y, const std::string& text);
    int TextWidth(const std::string& text);
    int TextHeight(const std::string& text);
    TColor Pixel(int x, int y); // clNone outside the image
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
