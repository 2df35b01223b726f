// Tests of the surface, device, palette and clipper wrappers over the real display module.
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "display/DXDraws.Surfaces.h"
#include "platform/ui/BlockCopy.h"

namespace {

// A picture with pixels of its own and a canvas over them, as device-independent bitmaps have.
class TCanvasPicture : public TGraphic {
public:
    TCanvasPicture(int w, int h, QImage::Format format = QImage::Format_Indexed8) {
        DC.Image = QImage(w, h, format);
        if (format == QImage::Format_Indexed8) {
            QList<QRgb> table(256);
            for (int i = 0; i < 256; ++i)
                table[i] = qRgb(i, 255 - i, i / 2);
            table[0] = qRgb(0, 0, 0);     // black
            table[127] = qRgb(0, 255, 0); // lime, and the only lime entry
            DC.Image.setColorTable(table);
        }
        DC.Image.fill(0);
    }
    int Width() const override { return DC.Image.width(); }
    int Height() const override { return DC.Image.height(); }
    void Draw(TCanvas& canvas, const TRect& r) override {
        StretchBlt(canvas.Handle(), r.Left, r.Top, r.Width(), r.Height(), &DC, 0, 0, Width(),
                   Height(), SRCCOPY);
    }
    TCanvas* GraphicCanvas() override { return &Canvas; }
    void SetSize(int w, int h, int bitCount) override {
        ASSERT_EQ(bitCount, 24);
        DC.Image = QImage(w, h, QImage::Format_BGR888);
        DC.Image.fill(0);
    }
    TDeviceContext DC;
    TCanvas Canvas{&DC};
};

// A picture that can only draw itself (no canvas of its own).
class TPlainPicture : public TGraphic {
public:
    TPlainPicture(int w, int h, QRgb colour) : W(w), H(h), Colour(colour) {}
    int Width() const override { return W; }
    int Height() const override { return H; }
    void Draw(TCanvas& canvas, const TRect& r) override {
        TDeviceContext one;
        one.Image = QImage(W, H, QImage::Format_RGB32);
        one.Image.fill(Colour);
        one.Image.setPixel(0, 0, qRgb(1, 2, 3)); // marks the picture's top-left pixel
        StretchBlt(canvas.Handle(), r.Left, r.Top, r.Width(), r.Height(), &one, 0, 0, W, H,
                   SRCCOPY);
    }
    int W, H;
    QRgb Colour;
};

void SetFaults(DWORD faults) {
    LoadPlatformFunctionAs<TDirectDrawSetFaults>("DDraw.dll", "DirectDrawSetFaults")(faults);
}

class Surfaces : public ::testing::Test {
protected:
    void SetUp() override {
        SetFaults(0);
        Device = std::make_unique<TDirectDraw>(nullptr, true);
    }
    void TearDown() override {
        Device.reset();
        SetFaults(0);
    }
    // A surface of the given size filled with device colour 0.
    TDirectDrawSurface* Make(int w, int h) {
        TDirectDrawSurface* s =
            Owned.emplace_back(std::make_unique<TDirectDrawSurface>(Device.get())).get();
        s->SetSize(w, h);
        return s;
    }
    // A w × h source whose pixel (x, y) is 1000 * y + x + 1.
    TDirectDrawSurface* Numbered(int w, int h) {
        TDirectDrawSurface* s = Make(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                s->SetPixels(x, y, static_cast<DWORD>(1000 * y + x + 1));
        return s;
    }
    std::unique_ptr<TDirectDraw> Device;
    // Destroyed after the device on purpose: wrappers may outlive it.
    std::vector<std::unique_ptr<TDirectDrawSurface>> Owned;
};

TEST_F(Surfaces, DeviceOpensInBothModesAndReleasesWrappersLeftOnIt) {
    EXPECT_NE(Device->DrawInterface(), nullptr);
    EXPECT_NE(Device->DrawInterface4(), nullptr);
    EXPECT_NE(Device->DrawInterface7(), nullptr);
    EXPECT_EQ(Device->DriverCaps.dwSize, 380u);
    EXPECT_TRUE(Device->DriverCaps.dwCaps & DDCAPS_BLT);
    // Wrappers belong to their makers and may outlive the device they were made on.
    std::unique_ptr<TDirectDrawSurface> left;
    std::unique_ptr<TDirectDrawPalette> palette;
    std::unique_ptr<TDirectDrawClipper> clipper;
    {
        TDirectDraw older(nullptr, false);
        EXPECT_EQ(older.DrawInterface7(), nullptr);
        EXPECT_NE(older.DrawInterface4(), nullptr);
        EXPECT_THROW(older.RequireDrawInterface7(), EDirectDrawError);
        try {
            older.RequireDrawInterface7();
        } catch (const EDirectDrawError& e) {
            EXPECT_STREQ(e.what(), "IDirectDraw7 not made");
        }
        // Surfaces on the DirectX 6 device have no version 7 interface.
        auto s = std::make_unique<TDirectDrawSurface>(&older);
        s->SetSize(2, 2);
        EXPECT_NE(s->SurfaceInterface4(), nullptr);
        EXPECT_EQ(s->SurfaceInterface7(), nullptr);
        palette = std::make_unique<TDirectDrawPalette>(&older);
        PALETTEENTRY entries[256]{};
        EXPECT_TRUE(palette->CreatePalette(DDPCAPS_8BIT, entries));
        clipper = std::make_unique<TDirectDrawClipper>(&older);
        left = std::make_unique<TDirectDrawSurface>(&older);
        left->SetSize(3, 3);
        EXPECT_EQ(older.Surfaces().size(), 2u);
        EXPECT_EQ(older.Palettes().size(), 1u);
        EXPECT_EQ(older.Clippers().size(), 1u);
        s.reset();
        EXPECT_EQ(older.Surfaces().size(), 1u);
    }
    // The device took the platform objects with it; the wrappers stay empty and safe to use.
    EXPECT_EQ(left->DDraw(), nullptr);
    EXPECT_EQ(left->SurfaceInterface(), nullptr);
    EXPECT_EQ(left->Width(), 0);
    EXPECT_FALSE(left->Fill(0));
    try {
        left->SetSize(2, 2);
        ADD_FAILURE() << "surface made without a device";
    } catch (const EDirectDrawSurfaceError& e) {
        EXPECT_STREQ(e.what(), "IDirectDraw not made");
    }
    EXPECT_EQ(palette->PaletteInterface(), nullptr);
    EXPECT_THROW(palette->CreatePalette(DDPCAPS_8BIT, nullptr), EDirectDrawPaletteError);
    EXPECT_EQ(clipper->ClipperInterface(), nullptr);
}

TEST_F(Surfaces, DeviceCreationErrors) {
    SetFaults(DDFAULT_REFUSE_DEVICE);
    for (bool dx7 : {true, false}) {
        try {
            TDirectDraw failing(nullptr, dx7);
            ADD_FAILURE() << "device made despite the refusal";
        } catch (const EDirectDrawError& e) {
            EXPECT_STREQ(e.what(), "DirectDraw cannot be initialized");
        }
    }
    SetFaults(0);
    GUID unknown{9, 9, 9, {9, 9, 9, 9, 9, 9, 9, 9}};
    EXPECT_THROW(TDirectDraw(&unknown, true), EDirectDrawError);
}

TEST_F(Surfaces, WithoutPlatformSurfaceEverythingIsANoOp) {
    TDirectDrawSurface s(Device.get());
    EXPECT_FALSE(s.Fill(0));
    EXPECT_EQ(s.Width(), 0);
    EXPECT_EQ(s.MatchColor(clLime), 0u);
    EXPECT_EQ(s.Pixels(0, 0), 0u);
    DDSURFACEDESC d{};
    EXPECT_FALSE(s.Lock(nullptr, d));
    EXPECT_FALSE(s.Restore());
    EXPECT_EQ(s.Canvas().Handle(), nullptr);
    EXPECT_THROW(s.RequireSurfaceInterface(), EDirectDrawSurfaceError);
    try {
        s.RequireSurfaceInterface4();
    } catch (const EDirectDrawSurfaceError& e) {
        EXPECT_STREQ(e.what(), "IDirectDrawSurface4 not made");
    }
    TDirectDrawSurface* src = Make(4, 4);
    s.Draw(0, 0, TRect{0, 0, 4, 4}, src, false); // nothing to draw on, nothing breaks
}

TEST_F(Surfaces, SetSizeOfZeroReleasesAndRetriesInSystemMemory) {
    TDirectDrawSurface* s = Make(5, 3);
    EXPECT_EQ(s->Width(), 5);
    EXPECT_EQ(s->BitCount(), 32);
    EXPECT_EQ(s->TransparentColor(), 0u); // made surfaces are keyed on device colour 0
    s->SetSize(0, 10);
    EXPECT_EQ(s->SurfaceInterface(), nullptr);
    EXPECT_EQ(s->Width(), 0);
    EXPECT_EQ(s->Height(), 0);

    SetFaults(DDFAULT_REFUSE_VIDEO_MEMORY);
    EXPECT_FALSE(s->SystemMemory);
    s->SetSize(4, 4);
    EXPECT_TRUE(s->SystemMemory);
    EXPECT_TRUE(s->SurfaceDesc().ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY);

    SetFaults(DDFAULT_REFUSE_SURFACES);
    try {
        s->SetSize(8, 8);
        ADD_FAILURE() << "no error";
    } catch (const EDirectDrawSurfaceError& e) {
        EXPECT_STREQ(e.what(), "Surface cannot be made");
    }
    EXPECT_EQ(s->SurfaceInterface(), nullptr);
}

TEST_F(Surfaces, FillSetsEveryPixel) {
    TDirectDrawSurface* s = Make(7, 3);
    ASSERT_TRUE(s->Fill(0x123456));
    EXPECT_EQ(s->Pixels(0, 0), 0x123456u);
    EXPECT_EQ(s->Pixels(6, 2), 0x123456u);
    ASSERT_TRUE(s->Fill(0));
    EXPECT_EQ(s->Pixels(3, 1), 0u);
    EXPECT_EQ(s->Pixels(7, 0), 0u); // outside
    s->SetPixels(-1, 0, 5);         // outside: nothing happens
}

TEST_F(Surfaces, DrawClipsOnEverySide) {
    TDirectDrawSurface* dst = Make(10, 8);
    TDirectDrawSurface* src = Numbered(4, 4);
    // Negative x and y cut the left and top of the source rectangle.
    dst->Draw(-1, -2, TRect{0, 0, 4, 4}, src, false);
    EXPECT_EQ(dst->Pixels(0, 0), 2002u);
    EXPECT_EQ(dst->Pixels(2, 1), 3004u);
    EXPECT_EQ(dst->Pixels(3, 0), 0u);
    // Past the right and bottom edges.
    dst->Fill(0);
    dst->Draw(8, 6, TRect{0, 0, 4, 4}, src, false);
    EXPECT_EQ(dst->Pixels(8, 6), 1u);
    EXPECT_EQ(dst->Pixels(9, 7), 1002u);
    // A source rectangle hanging over the source's right edge copies only what is inside.
    dst->Fill(0);
    dst->Draw(0, 0, TRect{2, 0, 6, 1}, src, false);
    EXPECT_EQ(dst->Pixels(0, 0), 3u);
    EXPECT_EQ(dst->Pixels(1, 0), 4u);
    EXPECT_EQ(dst->Pixels(2, 0), 0u);
    // ... and one starting left of the source moves the destination right by as much.
    dst->Fill(0);
    dst->Draw(0, 0, TRect{-2, 0, 2, 1}, src, false);
    EXPECT_EQ(dst->Pixels(1, 0), 0u);
    EXPECT_EQ(dst->Pixels(2, 0), 1u);
    EXPECT_EQ(dst->Pixels(3, 0), 2u);
    EXPECT_EQ(dst->LastResult(), DD_OK);
}

TEST_F(Surfaces, DrawAtTheEdgeOrWithAnEmptyRectangleDrawsNothing) {
    TDirectDrawSurface* dst = Make(10, 8);
    TDirectDrawSurface* src = Numbered(4, 4);
    dst->SetLastResult(77);
    dst->Draw(10, 0, TRect{0, 0, 4, 4}, src, false); // clipped to nothing
    dst->Draw(11, 0, TRect{0, 0, 4, 4}, src, false); // returns at once
    dst->Draw(0, 8, TRect{0, 0, 4, 4}, src, false);
    dst->Draw(0, 0, TRect{2, 0, 2, 4}, src, false); // zero width
    dst->Draw(0, 0, TRect{0, 0, 4, 4}, nullptr, false);
    EXPECT_EQ(dst->LastResult(), 77); // no platform call was made
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(dst->Pixels(x, y), 0u);
}

TEST_F(Surfaces, TransparentDrawSkipsKeyPixels) {
    TDirectDrawSurface* dst = Make(4, 1);
    TDirectDrawSurface* src = Numbered(4, 1);
    dst->Fill(0x777777);
    src->SetTransparentColor(2);
    EXPECT_EQ(src->TransparentColor(), 2u);
    dst->Draw(0, 0, TRect{0, 0, 4, 1}, src, true);
    EXPECT_EQ(dst->Pixels(0, 0), 1u);
    EXPECT_EQ(dst->Pixels(1, 0), 0x777777u);
    EXPECT_EQ(dst->Pixels(2, 0), 3u);
}

TEST_F(Surfaces, ReversedRectanglesDrawMirroredAndClipTheRightSide) {
    TDirectDrawSurface* dst = Make(6, 4);
    TDirectDrawSurface* src = Numbered(4, 2);
    dst->Draw(0, 0, TRect{4, 0, 0, 2}, src, false); // left-right mirror
    EXPECT_EQ(dst->Pixels(0, 0), 4u);
    EXPECT_EQ(dst->Pixels(3, 0), 1u);
    EXPECT_EQ(dst->Pixels(0, 1), 1004u);
    dst->Fill(0);
    dst->Draw(0, 0, TRect{0, 2, 4, 0}, src, false); // up-down mirror
    EXPECT_EQ(dst->Pixels(0, 0), 1001u);
    EXPECT_EQ(dst->Pixels(0, 1), 1u);
    // Hanging off the left: the leftmost destination pixels (the source's right end) are cut.
    dst->Fill(0);
    dst->Draw(-1, 0, TRect{4, 0, 0, 2}, src, false);
    EXPECT_EQ(dst->Pixels(0, 0), 3u);
    EXPECT_EQ(dst->Pixels(2, 0), 1u);
    EXPECT_EQ(dst->Pixels(3, 0), 0u);
    // Hanging off the right: the source's left end is cut.
    dst->Fill(0);
    dst->Draw(4, 0, TRect{4, 0, 0, 2}, src, false);
    EXPECT_EQ(dst->Pixels(4, 0), 4u);
    EXPECT_EQ(dst->Pixels(5, 0), 3u);
    // Entirely left of the surface: nothing.
    dst->Fill(0);
    dst->Draw(-4, 0, TRect{4, 0, 0, 2}, src, false);
    EXPECT_EQ(dst->Pixels(0, 0), 0u);
}

TEST_F(Surfaces, BltFastRefusedWithAClipperFallsBackToBlt) {
    TDirectDrawSurface* dst = Make(4, 4);
    TDirectDrawSurface* src = Numbered(2, 2);
    TDirectDrawClipper clipper(Device.get());
    // Attached behind the wrapper's back, so it still believes it has none.
    ASSERT_EQ(dst->SurfaceInterface()->SetClipper(clipper.ClipperInterface()), DD_OK);
    EXPECT_FALSE(dst->HasClipper());
    EXPECT_FALSE(dst->BltFast(0, 0, src, TRect{0, 0, 2, 2}, DDBLTFAST_WAIT));
    EXPECT_EQ(dst->LastResult(), DDERR_BLTFASTCANTCLIP);
    dst->Draw(1, 1, TRect{0, 0, 2, 2}, src, false);
    EXPECT_EQ(dst->LastResult(), DD_OK);
    EXPECT_TRUE(dst->HasClipper());
    EXPECT_EQ(dst->Pixels(1, 1), 1u);
    EXPECT_EQ(dst->Pixels(2, 2), 1002u);
    // A surface re-attached sees the clipper at once.
    TDirectDrawSurface again(Device.get());
    again.SetSurfaceInterface(dst->SurfaceInterface());
    EXPECT_TRUE(again.HasClipper());
    dst->SetClipper(nullptr);
    EXPECT_FALSE(dst->HasClipper());
}

TEST_F(Surfaces, LocksDoNotNest) {
    TDirectDrawSurface* s = Make(3, 3);
    DDSURFACEDESC d{};
    s->Unlock(); // without a lock: nothing
    EXPECT_EQ(s->LockCount(), 0);
    ASSERT_TRUE(s->Lock(nullptr, d));
    EXPECT_NE(d.lpSurface, nullptr);
    EXPECT_EQ(d.ddpfPixelFormat.dwRGBBitCount, 32u);
    DDSURFACEDESC e{};
    EXPECT_FALSE(s->Lock(nullptr, e));
    EXPECT_EQ(s->LockCount(), 1);
    EXPECT_EQ(s->Pixels(0, 0), 0u); // cannot lock again
    s->Unlock();
    EXPECT_EQ(s->LockCount(), 0);
    TRect part{1, 1, 2, 2};
    ASSERT_TRUE(s->Lock(&part, d));
    *static_cast<uint32_t*>(d.lpSurface) = 0xABCDEF;
    s->Unlock();
    EXPECT_EQ(s->Pixels(1, 1), 0xABCDEFu);
    // Releasing the platform surface while locked leaves no lock behind.
    ASSERT_TRUE(s->Lock(nullptr, d));
    s->SetSize(2, 2);
    EXPECT_EQ(s->LockCount(), 0);
    EXPECT_TRUE(s->Lock(nullptr, d));
    s->Unlock();
}

TEST_F(Surfaces, PixelsInOtherFormats) {
    for (int bits : {8, 16, 24}) {
        SCOPED_TRACE(bits);
        TDirectDrawSurface s(Device.get());
        DDSURFACEDESC d{};
        d.dwSize = sizeof d;
        d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
        d.dwWidth = 3;
        d.dwHeight = 2;
        d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
        d.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
        d.ddpfPixelFormat.dwRGBBitCount = static_cast<DWORD>(bits);
        d.ddpfPixelFormat.dwFlags = bits == 8 ? DDPF_RGB | DDPF_PALETTEINDEXED8 : DDPF_RGB;
        d.ddpfPixelFormat.dwRBitMask = bits == 16 ? 0xF800 : bits == 24 ? 0xFF0000 : 0;
        d.ddpfPixelFormat.dwGBitMask = bits == 16 ? 0x07E0 : bits == 24 ? 0xFF00 : 0;
        d.ddpfPixelFormat.dwBBitMask = bits == 16 ? 0x1F : bits == 24 ? 0xFF : 0;
        ASSERT_TRUE(s.CreateSurface(d));
        EXPECT_EQ(s.BitCount(), bits);
        s.SetPixels(2, 1, 0xFEDCBA98);
        DWORD mask = bits == 8 ? 0xFF : bits == 16 ? 0xFFFF : 0xFFFFFF;
        EXPECT_EQ(s.Pixels(2, 1), 0xFEDCBA98 & mask);
        EXPECT_EQ(s.Pixels(1, 1), 0u); // neighbours untouched
    }
}

TEST_F(Surfaces, MatchColorLeavesTheFirstPixelAlone) {
    TDirectDrawSurface* s = Make(2, 2);
    s->SetPixels(0, 0, 0x00ABCDEF);
    DWORD lime = s->MatchColor(clLime);
    EXPECT_EQ(lime & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(s->MatchColor(clBlue) & 0xFFFFFF, 0x0000FFu); // blue in the low byte of XRGB
    EXPECT_EQ(s->Pixels(0, 0), 0x00ABCDEFu);
    EXPECT_FALSE(s->CanvasAllocated() && s->Canvas().HandleAllocated());
}

TEST_F(Surfaces, KeyedFrameLeavesLimeAreasUntouched) {
    // A 600 × 480 8-bit frame picture: index 127 (lime) is the see-through board area.
    TCanvasPicture frame(600, 480);
    for (int y = 0; y < 480; ++y) {
        uchar* row = frame.DC.Image.scanLine(y);
        for (int x = 0; x < 600; ++x)
            row[x] =
                (x >= 34 && x < 374 && y >= 105 && y < 445) ? 127 : static_cast<uchar>(x % 127);
    }
    TDirectDrawSurface* picture = Make(1, 1);
    picture->LoadFromGraphic(frame);
    ASSERT_EQ(picture->Width(), 600);
    picture->SetTransparentColor(picture->MatchColor(clLime));
    TDirectDrawSurface* back = Make(600, 480);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 600; x += 7)
            back->SetPixels(x, y, 0x00100000u + static_cast<DWORD>(x + y));
    back->Draw(0, 0, picture->ClientRect(), picture, true);
    int changedInside = 0, drawnOutside = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 600; x += 7) {
            DWORD v = back->Pixels(x, y);
            bool board = x >= 34 && x < 374 && y >= 105 && y < 445;
            if (board)
                changedInside += v != 0x00100000u + static_cast<DWORD>(x + y);
            else
                drawnOutside += (v & 0xFFFFFF) == (frame.DC.Image.color(x % 127) & 0xFFFFFF);
        }
    EXPECT_EQ(changedInside, 0);
    // 86 sampled columns per row; 49 of them (x = 35 ... 371) lie on the board's 340 rows.
    EXPECT_EQ(drawnOutside, 480 * 86 - 340 * 49);
}

TEST_F(Surfaces, LoadFromGraphicRectScalesPicturesWithAndWithoutCanvas) {
    TCanvasPicture sheet(8, 4);
    sheet.DC.Image.setPixel(4, 0, 200);
    TDirectDrawSurface* s = Make(1, 1);
    s->LoadFromGraphicRect(sheet, 8, 8, TRect{4, 0, 8, 4}); // 4 × 4 stretched to 8 × 8
    ASSERT_EQ(s->Width(), 8);
    EXPECT_EQ(s->Pixels(1, 1) & 0xFFFFFF, sheet.DC.Image.color(200) & 0xFFFFFF);
    EXPECT_EQ(s->Pixels(2, 2) & 0xFFFFFF, sheet.DC.Image.color(0) & 0xFFFFFF);

    TPlainPicture plain(6, 6, qRgb(9, 9, 9));
    s->LoadFromGraphicRect(plain, 0, 0, TRect{0, 0, 6, 6});
    EXPECT_EQ(s->Width(), 6);
    EXPECT_EQ(s->Pixels(0, 0) & 0xFFFFFF, 0x010203u);
    s->LoadFromGraphicRect(plain, 12, 12, TRect{0, 0, 6, 6});
    EXPECT_EQ(s->Width(), 12);
    EXPECT_EQ(s->Pixels(1, 1) & 0xFFFFFF, 0x010203u);
    EXPECT_EQ(s->Pixels(2, 2) & 0xFFFFFF, 0x090909u);
    s->LoadFromGraphicRect(plain, 0, 0, TRect{0, 0, 0, 0}); // empty: no surface
    EXPECT_EQ(s->SurfaceInterface(), nullptr);
}

TEST_F(Surfaces, AssignDuplicatesLoadsAndRefuses) {
    TDirectDrawSurface* a = Numbered(3, 3);
    TDirectDrawSurface b(Device.get());
    b.Assign(a);
    ASSERT_NE(b.SurfaceInterface(), nullptr);
    EXPECT_NE(b.SurfaceInterface(), a->SurfaceInterface());
    EXPECT_EQ(b.Pixels(2, 2), 2003u);
    TDirectDrawSurface empty(Device.get());
    b.Assign(&empty);
    EXPECT_EQ(b.SurfaceInterface(), nullptr);
    TPlainPicture plain(2, 2, qRgb(4, 5, 6));
    b.Assign(&plain);
    EXPECT_EQ(b.Width(), 2);
    b.Assign(nullptr);
    EXPECT_EQ(b.Width(), 0);
    TDirectDrawClipper clipper(Device.get());
    EXPECT_THROW(b.Assign(&clipper), EConvertError);

    // Into a picture with a canvas: 24 bits, the surface's size and pixels.
    TCanvasPicture target(1, 1);
    a->SetPixels(1, 2, 0x00C08040);
    a->AssignTo(target);
    EXPECT_EQ(target.DC.Image.format(), QImage::Format_BGR888);
    EXPECT_EQ(target.DC.Image.size(), QSize(3, 3));
    EXPECT_EQ(target.DC.Image.pixel(1, 2), qRgb(0xC0, 0x80, 0x40));
    EXPECT_THROW(a->AssignTo(plain), EConvertError);
}

TEST_F(Surfaces, LostSurfacesAreRestored) {
    TDirectDrawSurface* dst = Make(4, 4);
    TDirectDrawSurface* src = Numbered(2, 2);
    LoadPlatformFunctionAs<TDirectDrawLoseAllSurfaces>("DDraw.dll", "DirectDrawLoseAllSurfaces")();
    EXPECT_FALSE(dst->Fill(1));
    EXPECT_EQ(dst->LastResult(), DDERR_SURFACELOST);
    EXPECT_EQ(dst->Pixels(0, 0), 0u);
    SetFaults(DDFAULT_REFUSE_RESTORE);
    EXPECT_FALSE(dst->Restore());
    SetFaults(0);
    EXPECT_TRUE(dst->Restore());
    EXPECT_TRUE(src->Restore());
    dst->Draw(0, 0, src->ClientRect(), src, false);
    EXPECT_EQ(dst->Pixels(1, 1), 1002u);
}

TEST_F(Surfaces, CanvasDrawsThroughADeviceContextAndReleasesIt) {
    TDirectDrawSurface* s = Make(4, 4);
    TDirectDrawSurfaceCanvas& canvas = s->Canvas();
    canvas.BrushColor = clRed;
    canvas.FillRect(TRect{0, 0, 2, 2});
    DDSURFACEDESC d{};
    EXPECT_FALSE(s->Lock(nullptr, d)); // the device context keeps the surface busy
    canvas.ReleaseCanvas();
    EXPECT_EQ(s->Pixels(1, 1) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(s->Pixels(2, 2), 0u);
    // A held canvas does not outlive the platform surface it came from.
    canvas.FillRect(TRect{0, 0, 1, 1});
    s->SetSize(3, 3);
    EXPECT_TRUE(s->Lock(nullptr, d));
    s->Unlock();
}

TEST_F(Surfaces, PalettesAndClippers) {
    TDirectDrawPalette palette(Device.get());
    EXPECT_FALSE(palette.SetEntries(0, 1, nullptr));
    EXPECT_THROW(palette.RequirePaletteInterface(), EDirectDrawPaletteError);
    PALETTEENTRY entries[256]{};
    entries[5] = {1, 2, 3, 0};
    ASSERT_TRUE(palette.CreatePalette(DDPCAPS_8BIT | DDPCAPS_INITIALIZE, entries));
    PALETTEENTRY back[1]{};
    ASSERT_TRUE(palette.GetEntries(5, 1, back));
    EXPECT_EQ(back[0].peBlue, 3);
    EXPECT_FALSE(palette.SetEntries(255, 2, entries));
    EXPECT_FALSE(palette.CreatePalette(0, entries));
    EXPECT_EQ(palette.PaletteInterface(), nullptr);

    QWidget window;
    TDirectDrawClipper clipper(Device.get());
    clipper.SetHandle(&window);
    EXPECT_EQ(clipper.Handle(), &window);
    TDirectDrawSurface* s = Make(2, 2);
    s->SetClipper(&clipper);
    EXPECT_TRUE(s->HasClipper());
}

} // namespace
