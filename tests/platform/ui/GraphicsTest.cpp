// Block copies between pixel formats, indexed-image drawing and system colours.
#include <gtest/gtest.h>

#include <vector>

#include "platform/ui/BlockCopy.h"
#include "platform/ui/Graphics.h"

namespace {

// An 8-bit indexed context over its own memory, with a 4-entry colour table.
struct Indexed8 {
    std::vector<uchar> Bits;
    TDeviceContext Dc;
    Indexed8(int w, int h, QList<QRgb> table) : Bits(size_t(((w + 3) & ~3) * h), 0) {
        Dc.Image = QImage(Bits.data(), w, h, (w + 3) & ~3, QImage::Format_Indexed8);
        Dc.Image.setColorTable(table);
    }
};

struct Rgb {
    std::vector<quint32> Bits;
    TDeviceContext Dc;
    Rgb(int w, int h, QImage::Format f = QImage::Format_RGB32) : Bits(size_t(w * h), 0) {
        const int bpl = ((w * QImage::toPixelFormat(f).bitsPerPixel() + 31) / 32) * 4;
        Bits.assign(size_t(bpl * h + 3) / 4, 0);
        Dc.Image = QImage(reinterpret_cast<uchar*>(Bits.data()), w, h, bpl, f);
    }
};

const QList<QRgb> kTable = {qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)};

TEST(StretchBltTest, Indexed8ToRgb32AtEqualSizeWritesIntoTheViewedMemory) {
    Indexed8 src(3, 2, kTable);
    src.Dc.Image.scanLine(0)[0] = 1;
    src.Dc.Image.scanLine(0)[1] = 2;
    src.Dc.Image.scanLine(1)[2] = 3;
    Rgb dst(3, 2);
    ASSERT_TRUE(StretchBlt(&dst.Dc, 0, 0, 3, 2, &src.Dc, 0, 0, 3, 2, SRCCOPY));
    // The destination is a view: the caller's memory must hold the pixels, top byte zero.
    EXPECT_EQ(dst.Bits[0], 0x00FF0000u);
    EXPECT_EQ(dst.Bits[1], 0x0000FF00u);
    EXPECT_EQ(dst.Bits[2], 0u);
    EXPECT_EQ(dst.Bits[5], 0x000000FFu);
}

TEST(StretchBltTest, ClipsAtEveryEdgeAndLeavesTheRestAlone) {
    Indexed8 src(4, 4, kTable);
    for (int y = 0; y < 4; ++y)
        std::memset(src.Dc.Image.scanLine(y), 1, 4);
    Rgb dst(4, 4);
    std::fill(dst.Bits.begin(), dst.Bits.end(), 0x123456u);
    src.Dc.Image.scanLine(3)[3] = 2;
    // The destination hangs off the left/top: dest (0,0) takes source (2,2).
    ASSERT_TRUE(StretchBlt(&dst.Dc, -2, -2, 4, 4, &src.Dc, 0, 0, 4, 4, SRCCOPY));
    EXPECT_EQ(dst.Bits[0], 0x00FF0000u);
    EXPECT_EQ(dst.Bits[5], 0x0000FF00u);
    EXPECT_EQ(dst.Bits[2], 0x123456u);
    std::fill(dst.Bits.begin(), dst.Bits.end(), 0x123456u);
    // The source hangs off its right/bottom: only the part inside is copied.
    ASSERT_TRUE(StretchBlt(&dst.Dc, 0, 0, 4, 4, &src.Dc, 2, 2, 4, 4, SRCCOPY));
    EXPECT_EQ(dst.Bits[5], 0x0000FF00u);
    EXPECT_EQ(dst.Bits[2], 0x123456u);
    EXPECT_EQ(dst.Bits[8], 0x123456u);
    ASSERT_TRUE(StretchBlt(&dst.Dc, 3, 3, 100, 100, &src.Dc, 0, 0, 100, 100, SRCCOPY));
    EXPECT_EQ(dst.Bits[15], 0x00FF0000u);
    EXPECT_FALSE(StretchBlt(&dst.Dc, 0, 0, -1, 1, &src.Dc, 0, 0, 1, 1, SRCCOPY));
    EXPECT_FALSE(StretchBlt(&dst.Dc, 0, 0, 1, 1, nullptr, 0, 0, 1, 1, SRCCOPY));
}

TEST(StretchBltTest, ScalesByNearestPixel) {
    Indexed8 src(2, 1, kTable);
    src.Dc.Image.scanLine(0)[0] = 1;
    src.Dc.Image.scanLine(0)[1] = 3;
    Rgb dst(4, 2);
    ASSERT_TRUE(StretchBlt(&dst.Dc, 0, 0, 4, 2, &src.Dc, 0, 0, 2, 1, SRCCOPY));
    const quint32 expect[] = {0xFF0000, 0xFF0000, 0x0000FF, 0x0000FF};
    for (int row = 0; row < 2; ++row)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(dst.Bits[size_t(row * 4 + x)], expect[x]) << x;
}

TEST(StretchBltTest, RgbIntoIndexedTakesTheNearestEntry) {
    Rgb src(3, 1);
    src.Bits = {0x00F01010u, 0x00101010u, 0x000A20E0u};
    Indexed8 dst(3, 1, kTable);
    ASSERT_TRUE(StretchBlt(&dst.Dc, 0, 0, 3, 1, &src.Dc, 0, 0, 3, 1, SRCCOPY));
    EXPECT_EQ(dst.Bits[0], 1);
    EXPECT_EQ(dst.Bits[1], 0);
    EXPECT_EQ(dst.Bits[2], 3);
}

TEST(StretchBltTest, SixteenAndTwentyFourBitFormatsRoundTrip) {
    for (QImage::Format f : {QImage::Format_RGB16, QImage::Format_RGB555, QImage::Format_BGR888}) {
        Indexed8 src(2, 1, kTable);
        src.Dc.Image.scanLine(0)[0] = 1;
        src.Dc.Image.scanLine(0)[1] = 3;
        Rgb mid(2, 1, f);
        Rgb out(2, 1);
        ASSERT_TRUE(StretchBlt(&mid.Dc, 0, 0, 2, 1, &src.Dc, 0, 0, 2, 1, SRCCOPY));
        ASSERT_TRUE(StretchBlt(&out.Dc, 0, 0, 2, 1, &mid.Dc, 0, 0, 2, 1, SRCCOPY));
        EXPECT_EQ(out.Bits[0], 0xFF0000u) << f;
        EXPECT_EQ(out.Bits[1], 0x0000FFu) << f;
    }
    Rgb bgr(1, 1, QImage::Format_BGR888);
    Rgb one(1, 1);
    one.Bits[0] = 0x00112233u;
    ASSERT_TRUE(StretchBlt(&bgr.Dc, 0, 0, 1, 1, &one.Dc, 0, 0, 1, 1, SRCCOPY));
    const auto* b = reinterpret_cast<const uchar*>(bgr.Bits.data());
    EXPECT_EQ(b[0], 0x33); // blue first in memory
    EXPECT_EQ(b[2], 0x11);
}

TEST(CanvasTest, DrawsOnIndexedImagesWithNearestColours) {
    Indexed8 img(8, 8, kTable);
    TCanvas canvas(&img.Dc);
    canvas.BrushColor = RGB(250, 5, 5);
    canvas.FillRect(Rect(2, 2, 4, 4));
    EXPECT_EQ(img.Bits[2 * 8 + 2], 1);
    EXPECT_EQ(img.Bits[2 * 8 + 4], 0);
    canvas.PenColor = clBlue;
    canvas.MoveTo(0, 7);
    canvas.LineTo(7, 7);
    EXPECT_EQ(img.Bits[7 * 8 + 3], 3);
    EXPECT_EQ(canvas.Pixel(3, 7), clBlue);
    EXPECT_EQ(canvas.Pixel(8, 0), clNone);
    canvas.SetPixel(0, 0, clLime);
    EXPECT_EQ(img.Bits[0], 2);
}

TEST(CanvasTest, PaintsInPlaceOnRgbViewsAndCreatesItsHandleLazily) {
    struct TLazy : TCanvas {
        Rgb Target{4, 4};
        int Created = 0;
        void CreateHandle() override {
            ++Created;
            SetHandle(&Target.Dc);
        }
    } lazy;
    EXPECT_FALSE(lazy.HandleAllocated());
    lazy.BrushColor = clBtnFace;
    lazy.FillRect(Rect(0, 0, 4, 4));
    lazy.FillRect(Rect(0, 0, 1, 1));
    EXPECT_EQ(lazy.Created, 1);
    EXPECT_EQ(lazy.Target.Bits[5] & 0xFFFFFFu, 0xC0C0C0u);
}

TEST(ColorTest, SystemColoursResolveToClassicValues) {
    EXPECT_EQ(ColorToRGB(clBtnFace), 0xC0C0C0u);
    EXPECT_EQ(ColorToRGB(clLime), 0x00FF00u);
}

} // namespace
