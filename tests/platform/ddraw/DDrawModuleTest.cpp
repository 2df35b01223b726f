// Tests of the display device module itself, loaded from the bin directory as the program loads it.
#include <QCoreApplication>
#include <QPainter>
#include <QWidget>
#include <gtest/gtest.h>

#include <sys/ipc.h>
#include <sys/shm.h>

#include <vector>

#include "platform/ddraw/ddraw.h"
#include "platform/rtl/Modules.h"

namespace {

void* Module() {
    static void* module = LoadModule("ddraw.so");
    return module;
}

template <typename F> F Entry(const char* name) {
    return reinterpret_cast<F>(ModuleEntry(Module(), name));
}

class DDrawModule : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(Module(), nullptr);
        Entry<TDirectDrawSetFaults>("DirectDrawSetFaults")(0);
        void* created = nullptr;
        ASSERT_EQ(Entry<TDirectDrawCreateEx>("DirectDrawCreateEx")(nullptr, &created,
                                                                   IID_IDirectDraw7, nullptr),
                  DD_OK);
        Device = static_cast<IDirectDraw7*>(created);
    }
    void TearDown() override {
        for (auto* s : Owned)
            s->Release();
        if (Device) {
            EXPECT_EQ(Device->Release(), 0u);
        }
        Entry<TDirectDrawSetFaults>("DirectDrawSetFaults")(0);
    }

    IDirectDrawSurface* Make(int w, int h, int bits = 0, DWORD caps = DDSCAPS_OFFSCREENPLAIN) {
        DDSURFACEDESC d{};
        d.dwSize = sizeof d;
        d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        d.dwWidth = static_cast<DWORD>(w);
        d.dwHeight = static_cast<DWORD>(h);
        d.ddsCaps.dwCaps = caps;
        if (bits) {
            d.dwFlags |= DDSD_PIXELFORMAT;
            d.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
            d.ddpfPixelFormat.dwRGBBitCount = static_cast<DWORD>(bits);
            if (bits == 8) {
                d.ddpfPixelFormat.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
            } else if (bits == 16) {
                d.ddpfPixelFormat.dwFlags = DDPF_RGB;
                d.ddpfPixelFormat.dwRBitMask = 0xF800;
                d.ddpfPixelFormat.dwGBitMask = 0x07E0;
                d.ddpfPixelFormat.dwBBitMask = 0x1F;
            } else {
                d.ddpfPixelFormat.dwFlags = DDPF_RGB;
                d.ddpfPixelFormat.dwRBitMask = 0xFF0000;
                d.ddpfPixelFormat.dwGBitMask = 0xFF00;
                d.ddpfPixelFormat.dwBBitMask = 0xFF;
            }
        }
        IDirectDrawSurface* s = nullptr;
        LastResult = Device->CreateSurface(&d, &s, nullptr);
        if (s) Owned.push_back(s);
        return s;
    }

    static DWORD At(IDirectDrawSurface* s, int x, int y) {
        DDSURFACEDESC d{};
        d.dwSize = sizeof d;
        if (s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr) != DD_OK) return 0xDEADBEEF;
        const uint8_t* p = static_cast<const uint8_t*>(d.lpSurface) + y * d.lPitch;
        DWORD v = 0;
        switch (d.ddpfPixelFormat.dwRGBBitCount) {
        case 8:
            v = p[x];
            break;
        case 16:
            v = p[2 * x] | p[2 * x + 1] << 8;
            break;
        case 24:
            v = p[3 * x] | p[3 * x + 1] << 8 | p[3 * x + 2] << 16;
            break;
        default:
            std::memcpy(&v, p + 4 * x, 4);
        }
        s->Unlock(d.lpSurface);
        return v;
    }

    static HRESULT Fill(IDirectDrawSurface* s, DWORD colour, const RECT* r = nullptr) {
        DDBLTFX fx{};
        fx.dwSize = sizeof fx;
        fx.dwFillColor = colour;
        return s->Blt(r, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
    }

    IDirectDraw7* Device = nullptr;
    std::vector<IDirectDrawSurface*> Owned;
    HRESULT LastResult = DD_OK;
};

TEST_F(DDrawModule, DeviceCreationRefusesUnknownDriversAndHonoursTheFaultSeam) {
    GUID unknown{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
    IDirectDraw* dd = nullptr;
    auto create = Entry<TDirectDrawCreate>("DirectDrawCreate");
    EXPECT_EQ(create(&unknown, &dd, nullptr), DDERR_INVALIDDIRECTDRAWGUID);
    EXPECT_EQ(dd, nullptr);
    void* v = nullptr;
    EXPECT_EQ(Entry<TDirectDrawCreateEx>("DirectDrawCreateEx")(nullptr, &v, IID_IDirectDrawSurface,
                                                               nullptr),
              DDERR_INVALIDPARAMS);
    Entry<TDirectDrawSetFaults>("DirectDrawSetFaults")(DDFAULT_REFUSE_DEVICE);
    EXPECT_NE(create(nullptr, &dd, nullptr), DD_OK);
    Entry<TDirectDrawSetFaults>("DirectDrawSetFaults")(0);

    // The driver the enumeration reports can be opened by its identifier.
    std::vector<GUID> drivers;
    Entry<TDirectDrawEnumerateA>("DirectDrawEnumerateA")(
        [](GUID* g, char*, char*, void* ctx) -> BOOL {
            if (g) static_cast<std::vector<GUID>*>(ctx)->push_back(*g);
            return 1;
        },
        &drivers);
    ASSERT_EQ(drivers.size(), 1u);
    ASSERT_EQ(create(&drivers[0], &dd, nullptr), DD_OK);
    EXPECT_EQ(dd->Release(), 0u);
}

TEST_F(DDrawModule, OneObjectAnswersForEveryInterfaceVersionWithCountedReferences) {
    void* v1 = nullptr;
    void* v4 = nullptr;
    ASSERT_EQ(Device->QueryInterface(IID_IDirectDraw, &v1), DD_OK);
    ASSERT_EQ(Device->QueryInterface(IID_IDirectDraw4, &v4), DD_OK);
    EXPECT_EQ(static_cast<IDirectDraw*>(v1), static_cast<IDirectDraw*>(Device));
    EXPECT_EQ(static_cast<IDirectDraw4*>(v4)->Release(), 2u);
    EXPECT_EQ(static_cast<IDirectDraw*>(v1)->Release(), 1u);
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(Device->QueryInterface(IID_IDirectDrawClipper, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);

    DDCAPS caps{};
    EXPECT_EQ(Device->GetCaps(&caps, nullptr), DDERR_INVALIDPARAMS); // size not set
    caps.dwSize = sizeof caps;
    EXPECT_EQ(Device->GetCaps(&caps, nullptr), DD_OK);
    EXPECT_TRUE(caps.dwCaps & DDCAPS_BLTCOLORFILL);
    EXPECT_FALSE(caps.dwCaps2 & DDCAPS2_PRIMARYGAMMA);
}

TEST_F(DDrawModule, SurfaceCreationChecksItsDescription) {
    DDSURFACEDESC d{};
    IDirectDrawSurface* s = nullptr;
    EXPECT_EQ(Device->CreateSurface(&d, &s, nullptr), DDERR_INVALIDPARAMS); // no size field
    EXPECT_EQ(Make(0, 10), nullptr);
    EXPECT_EQ(LastResult, DDERR_INVALIDPARAMS);
    EXPECT_EQ(Make(100000, 100000), nullptr);
    EXPECT_EQ(Make(16384, 16384), nullptr); // 1 GB of pixels is refused, not attempted
    EXPECT_EQ(LastResult, DDERR_OUTOFMEMORY);
    EXPECT_EQ(Make(4, 4, 12), nullptr);
    EXPECT_EQ(LastResult, DDERR_INVALIDPIXELFORMAT);
    EXPECT_EQ(Make(4, 4, 0, DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY), nullptr);

    for (int bits : {8, 16, 24, 32}) {
        IDirectDrawSurface* made = Make(3, 2, bits);
        ASSERT_NE(made, nullptr) << bits;
        DDSURFACEDESC got{};
        got.dwSize = sizeof got;
        ASSERT_EQ(made->GetSurfaceDesc(&got), DD_OK);
        EXPECT_EQ(got.dwWidth, 3u);
        EXPECT_EQ(got.dwHeight, 2u);
        EXPECT_EQ(got.ddpfPixelFormat.dwRGBBitCount, static_cast<DWORD>(bits));
        EXPECT_GE(got.lPitch, 3 * bits / 8);
        EXPECT_TRUE(got.ddsCaps.dwCaps & DDSCAPS_VIDEOMEMORY);
        EXPECT_EQ(At(made, 2, 1), 0u); // new surfaces are cleared
    }
    IDirectDrawSurface* sys = Make(2, 2, 0, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY);
    DDSCAPS caps{};
    sys->GetCaps(&caps);
    EXPECT_TRUE(caps.dwCaps & DDSCAPS_SYSTEMMEMORY);
    EXPECT_FALSE(caps.dwCaps & DDSCAPS_VIDEOMEMORY);
}

TEST_F(DDrawModule, FillsKeyedCopiesMirrorsAndStretchesInEveryFormat) {
    for (int bits : {8, 16, 24, 32}) {
        SCOPED_TRACE(bits);
        IDirectDrawSurface* dst = Make(6, 4, bits);
        IDirectDrawSurface* src = Make(3, 2, bits);
        ASSERT_EQ(Fill(dst, 7), DD_OK);
        RECT left{0, 0, 1, 2};
        ASSERT_EQ(Fill(src, 5), DD_OK);
        ASSERT_EQ(Fill(src, 9, &left), DD_OK); // column 0 is 9, the rest 5
        DDCOLORKEY key{5, 5};
        ASSERT_EQ(src->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);

        ASSERT_EQ(dst->BltFast(1, 1, src, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
        EXPECT_EQ(At(dst, 1, 1), 9u);
        EXPECT_EQ(At(dst, 2, 1), 7u); // keyed away
        ASSERT_EQ(dst->BltFast(1, 1, src, nullptr, DDBLTFAST_WAIT), DD_OK);
        EXPECT_EQ(At(dst, 2, 1), 5u);

        // Mirrored left-right: column 0 of the source lands at the right end.
        DDBLTFX fx{};
        fx.dwSize = sizeof fx;
        fx.dwDDFX = DDBLTFX_MIRRORLEFTRIGHT;
        RECT d{3, 0, 6, 2};
        ASSERT_EQ(dst->Blt(&d, src, nullptr, DDBLT_DDFX | DDBLT_WAIT, &fx), DD_OK);
        EXPECT_EQ(At(dst, 5, 0), 9u);
        EXPECT_EQ(At(dst, 3, 0), 5u);

        // Stretched to twice the width: column 0 covers two destination columns.
        Fill(dst, 7);
        RECT wide{0, 0, 6, 4};
        ASSERT_EQ(dst->Blt(&wide, src, nullptr, DDBLT_WAIT, &fx), DD_OK);
        EXPECT_EQ(At(dst, 0, 3), 9u);
        EXPECT_EQ(At(dst, 1, 0), 9u);
        EXPECT_EQ(At(dst, 2, 0), 5u);
    }
}

TEST_F(DDrawModule, CopiesRefuseBadRectanglesMixedFormatsAndBusySurfaces) {
    IDirectDrawSurface* dst = Make(4, 4, 32);
    IDirectDrawSurface* src = Make(4, 4, 32);
    IDirectDrawSurface* other = Make(4, 4, 16);
    RECT outside{2, 2, 6, 6};
    RECT empty{1, 1, 1, 3};
    DDBLTFX fx{};
    fx.dwSize = sizeof fx;
    EXPECT_EQ(dst->Blt(&outside, src, nullptr, DDBLT_WAIT, &fx), DDERR_INVALIDRECT);
    EXPECT_EQ(dst->Blt(nullptr, src, &outside, DDBLT_WAIT, &fx), DDERR_INVALIDRECT);
    EXPECT_EQ(dst->Blt(&empty, src, nullptr, DDBLT_WAIT, &fx), DDERR_INVALIDRECT);
    EXPECT_EQ(dst->BltFast(3, 3, src, nullptr, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
    EXPECT_EQ(dst->BltFast(0, 0, other, nullptr, DDBLTFAST_WAIT), DDERR_INVALIDPIXELFORMAT);
    EXPECT_EQ(dst->Blt(nullptr, src, nullptr, DDBLT_KEYSRC, &fx), DDERR_NOCOLORKEY);
    DDCOLORKEY key{0, 0};
    src->SetColorKey(DDCKEY_SRCBLT, &key);
    EXPECT_EQ(dst->Blt(nullptr, src, nullptr, DDBLT_KEYSRC, &fx), DD_OK);
    src->SetColorKey(DDCKEY_SRCBLT, nullptr);
    EXPECT_EQ(dst->Blt(nullptr, src, nullptr, DDBLT_KEYSRC, &fx), DDERR_NOCOLORKEY);

    DDSURFACEDESC d{};
    d.dwSize = sizeof d;
    ASSERT_EQ(src->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
    DDSURFACEDESC again{};
    again.dwSize = sizeof again;
    EXPECT_EQ(src->Lock(nullptr, &again, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
    EXPECT_EQ(dst->BltFast(0, 0, src, nullptr, DDBLTFAST_WAIT), DDERR_SURFACEBUSY);
    HDC dc = nullptr;
    EXPECT_EQ(src->GetDC(&dc), DDERR_SURFACEBUSY);
    EXPECT_EQ(src->Unlock(d.lpSurface), DD_OK);
    EXPECT_EQ(src->Unlock(nullptr), DDERR_NOTLOCKED);

    // A locked sub-rectangle hands out its first byte.
    RECT part{1, 2, 3, 4};
    ASSERT_EQ(src->Lock(&part, &d, DDLOCK_WAIT, nullptr), DD_OK);
    DDSURFACEDESC whole{};
    whole.dwSize = sizeof whole;
    src->Unlock(d.lpSurface);
    ASSERT_EQ(src->Lock(nullptr, &whole, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(static_cast<uint8_t*>(d.lpSurface),
              static_cast<uint8_t*>(whole.lpSurface) + 2 * whole.lPitch + 4);
    src->Unlock(nullptr);
    EXPECT_EQ(src->Lock(&outside, &d, DDLOCK_WAIT, nullptr), DDERR_INVALIDRECT);
}

TEST_F(DDrawModule, CopiesWithinOneSurfaceHandleOverlap) {
    IDirectDrawSurface* s = Make(8, 1, 32);
    DDSURFACEDESC d{};
    d.dwSize = sizeof d;
    ASSERT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
    for (int x = 0; x < 8; ++x)
        static_cast<uint32_t*>(d.lpSurface)[x] = static_cast<uint32_t>(x + 1);
    s->Unlock(nullptr);
    DDCOLORKEY key{0x00FFFFFF, 0x00FFFFFF};
    s->SetColorKey(DDCKEY_SRCBLT, &key);
    RECT r{0, 0, 6, 1};
    ASSERT_EQ(s->BltFast(2, 0, s, &r, DDBLTFAST_SRCCOLORKEY), DD_OK);
    for (int x = 2; x < 8; ++x)
        EXPECT_EQ(At(s, x, 0), static_cast<DWORD>(x - 1)) << x;
}

TEST_F(DDrawModule, RepeatedKeyedCopiesFollowEveryChangeOfTheSource) {
    for (int bits : {8, 32}) {
        SCOPED_TRACE(bits);
        IDirectDrawSurface* dst = Make(8, 2, bits);
        IDirectDrawSurface* src = Make(8, 2, bits);
        IDirectDrawSurface* dup = nullptr;
        ASSERT_EQ(Device->DuplicateSurface(src, &dup), DD_OK);
        Owned.push_back(dup);
        DDCOLORKEY key{0, 0};
        src->SetColorKey(DDCKEY_SRCBLT, &key);
        RECT middle{2, 0, 6, 2};
        Fill(src, 3, &middle);
        auto copy = [&] {
            Fill(dst, 1);
            RECT part{1, 0, 7, 2}; // a part of the source, so runs are cut at both ends
            ASSERT_EQ(dst->BltFast(1, 0, src, &part, DDBLTFAST_SRCCOLORKEY), DD_OK);
        };
        for (int i = 0; i < 3; ++i) {
            copy();
            EXPECT_EQ(At(dst, 1, 0), 1u);
            EXPECT_EQ(At(dst, 2, 1), 3u);
            EXPECT_EQ(At(dst, 6, 0), 1u);
        }
        RECT one{6, 1, 7, 2};
        Fill(src, 4, &one); // a fill into the source
        copy();
        EXPECT_EQ(At(dst, 6, 1), 4u);
        copy();
        DDSURFACEDESC d{};
        d.dwSize = sizeof d;
        ASSERT_EQ(dup->Lock(nullptr, &d, DDLOCK_WAIT, nullptr),
                  DD_OK); // a write through a duplicate
        static_cast<uint8_t*>(d.lpSurface)[bits / 8] = 5;
        dup->Unlock(nullptr);
        copy();
        EXPECT_EQ(At(dst, 1, 0), 5u);
        copy();
        key = {3, 3}; // another key
        src->SetColorKey(DDCKEY_SRCBLT, &key);
        copy();
        EXPECT_EQ(At(dst, 2, 0), 1u);
        EXPECT_EQ(At(dst, 1, 0), 5u);
        copy();
        EXPECT_EQ(At(dst, 2, 0), 1u);
    }
}

TEST_F(DDrawModule, ClippersRefuseFastCopiesAndLimitBlt) {
    IDirectDrawSurface* dst = Make(4, 4, 32);
    IDirectDrawSurface* src = Make(4, 4, 32);
    Fill(src, 0x123456);
    IDirectDrawClipper* clipper = nullptr;
    ASSERT_EQ(Device->CreateClipper(0, &clipper, nullptr), DD_OK);
    IDirectDrawClipper* got = nullptr;
    EXPECT_EQ(dst->GetClipper(&got), DDERR_NOCLIPPERATTACHED);
    ASSERT_EQ(dst->SetClipper(clipper), DD_OK);
    EXPECT_EQ(clipper->Release(), 1u); // the surface keeps its own reference
    EXPECT_EQ(dst->BltFast(0, 0, src, nullptr, DDBLTFAST_WAIT), DDERR_BLTFASTCANTCLIP);
    RECT hanging{2, 2, 6, 6};
    DDBLTFX fx{};
    fx.dwSize = sizeof fx;
    ASSERT_EQ(dst->Blt(&hanging, src, nullptr, DDBLT_WAIT, &fx), DD_OK);
    EXPECT_EQ(At(dst, 3, 3), 0x123456u);
    EXPECT_EQ(At(dst, 1, 1), 0u);
    ASSERT_EQ(dst->GetClipper(&got), DD_OK);
    got->Release();
}

TEST_F(DDrawModule, DeviceContextsAreViewsOfThePixels) {
    IDirectDrawSurface* s = Make(4, 4, 32);
    HDC dc = nullptr;
    ASSERT_EQ(s->GetDC(&dc), DD_OK);
    HDC second = nullptr;
    EXPECT_EQ(s->GetDC(&second), DDERR_DCALREADYCREATED);
    {
        QPainter p(&dc->Image);
        p.fillRect(1, 1, 2, 2, QColor(255, 0, 0));
    }
    EXPECT_EQ(s->ReleaseDC(dc), DD_OK);
    EXPECT_EQ(At(s, 1, 1) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(At(s, 0, 0), 0u);

    // 8-bit views carry the attached palette's colours.
    IDirectDrawSurface* indexed = Make(2, 2, 8);
    PALETTEENTRY entries[256]{};
    entries[3] = {10, 20, 30, 0};
    IDirectDrawPalette* palette = nullptr;
    ASSERT_EQ(Device->CreatePalette(DDPCAPS_8BIT, entries, &palette, nullptr), DD_OK);
    indexed->SetPalette(palette);
    ASSERT_EQ(indexed->GetDC(&dc), DD_OK);
    EXPECT_EQ(dc->Image.color(3), qRgb(10, 20, 30));
    indexed->ReleaseDC(dc);
    entries[3] = {40, 50, 60, 0};
    EXPECT_EQ(palette->SetEntries(0, 3, 1, &entries[3]), DD_OK);
    EXPECT_EQ(palette->SetEntries(0, 250, 10, entries), DDERR_INVALIDPARAMS);
    ASSERT_EQ(indexed->GetDC(&dc), DD_OK);
    EXPECT_EQ(dc->Image.color(3), qRgb(40, 50, 60));
    indexed->ReleaseDC(dc);
    palette->Release();
}

TEST_F(DDrawModule, LostSurfacesRefuseWorkUntilRestored) {
    IDirectDrawSurface* dst = Make(4, 4, 32);
    IDirectDrawSurface* src = Make(4, 4, 32);
    Entry<TDirectDrawLoseAllSurfaces>("DirectDrawLoseAllSurfaces")();
    EXPECT_EQ(dst->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(Fill(dst, 1), DDERR_SURFACELOST);
    EXPECT_EQ(dst->Restore(), DD_OK);
    EXPECT_EQ(dst->BltFast(0, 0, src, nullptr, DDBLTFAST_WAIT),
              DDERR_SURFACELOST); // source still lost
    Entry<TDirectDrawSetFaults>("DirectDrawSetFaults")(DDFAULT_REFUSE_RESTORE);
    EXPECT_EQ(src->Restore(), DDERR_WRONGMODE);
    EXPECT_EQ(src->IsLost(), DDERR_SURFACELOST);
    Entry<TDirectDrawSetFaults>("DirectDrawSetFaults")(0);
    EXPECT_EQ(src->Restore(), DD_OK);
    EXPECT_EQ(dst->BltFast(0, 0, src, nullptr, DDBLTFAST_WAIT), DD_OK);
}

TEST_F(DDrawModule, SurfaceFaultSeamsRefuseCreation) {
    Entry<TDirectDrawSetFaults>("DirectDrawSetFaults")(DDFAULT_REFUSE_VIDEO_MEMORY);
    EXPECT_EQ(Make(2, 2), nullptr);
    EXPECT_EQ(LastResult, DDERR_OUTOFVIDEOMEMORY);
    EXPECT_NE(Make(2, 2, 0, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY), nullptr);
    Entry<TDirectDrawSetFaults>("DirectDrawSetFaults")(DDFAULT_REFUSE_SURFACES);
    EXPECT_EQ(Make(2, 2, 0, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY), nullptr);
}

TEST_F(DDrawModule, DuplicatesShareMemory) {
    IDirectDrawSurface* s = Make(2, 2, 32);
    IDirectDrawSurface* dup = nullptr;
    ASSERT_EQ(Device->DuplicateSurface(s, &dup), DD_OK);
    Owned.push_back(dup);
    Fill(s, 0x42);
    EXPECT_EQ(At(dup, 1, 1), 0x42u);
}

TEST_F(DDrawModule, PrimaryCopiesArePresentedInTheClippersWindow) {
    QWidget window;
    window.resize(20, 10);
    window.show();
    ASSERT_EQ(Device->SetCooperativeLevel(&window, DDSCL_NORMAL), DD_OK);
    IDirectDrawSurface* primary = Make(0, 0, 0, DDSCAPS_PRIMARYSURFACE);
    EXPECT_EQ(primary, nullptr); // a primary takes no size
    DDSURFACEDESC d{};
    d.dwSize = sizeof d;
    d.dwFlags = DDSD_CAPS;
    d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    ASSERT_EQ(Device->CreateSurface(&d, &primary, nullptr), DD_OK);
    Owned.push_back(primary);
    IDirectDrawSurface* again = nullptr;
    EXPECT_EQ(Device->CreateSurface(&d, &again, nullptr), DDERR_PRIMARYSURFACEALREADYEXISTS);
    HDC dc = nullptr;
    EXPECT_EQ(primary->GetDC(&dc), DDERR_UNSUPPORTED);

    IDirectDrawClipper* clipper = nullptr;
    Device->CreateClipper(0, &clipper, nullptr);
    clipper->SetHWnd(0, &window);
    primary->SetClipper(clipper);
    clipper->Release();

    IDirectDrawSurface* back = Make(30, 10, 32);
    Fill(back, 0x00FF8040);
    QPoint origin = window.mapToGlobal(QPoint(0, 0));
    // Hanging 5 pixels left of the window and 10 past its right edge: only the inside lands.
    RECT dest{origin.x() - 5, origin.y(), origin.x() + 25, origin.y() + 10};
    DDBLTFX fx{};
    fx.dwSize = sizeof fx;
    ASSERT_EQ(primary->Blt(&dest, back, nullptr, DDBLT_WAIT, &fx), DD_OK);
    QImage shown;
    QRegion changed;
    const auto take = Entry<TDirectDrawTakePresentation>("DirectDrawTakePresentation");
    ASSERT_EQ(take(primary, &shown, &changed), DD_OK);
    ASSERT_EQ(shown.size(), QSize(20, 10));
    EXPECT_EQ(changed, QRegion(0, 0, 20, 10));
    EXPECT_EQ(shown.pixel(0, 0), qRgb(0xFF, 0x80, 0x40));
    EXPECT_EQ(shown.pixel(19, 9), qRgb(0xFF, 0x80, 0x40));
    EXPECT_EQ(primary->BltFast(0, 0, back, nullptr, DDBLTFAST_WAIT), DDERR_BLTFASTCANTCLIP);
    EXPECT_EQ(take(back, &shown, &changed), DDERR_INVALIDOBJECT);
    EXPECT_EQ(take(nullptr, &shown, &changed), DDERR_INVALIDOBJECT);

    // The window's pixels lie in a shared-memory segment, from its first byte, that another
    // attachment sees change as the next copy writes in place.
    const auto segmentOf = Entry<TDirectDrawPresentationSegment>("DirectDrawPresentationSegment");
    EXPECT_EQ(segmentOf(back), -1);
    EXPECT_EQ(segmentOf(nullptr), -1);
    const int segment = segmentOf(primary);
    ASSERT_GE(segment, 0) << "this system gives shared memory";
    void* other = shmat(segment, nullptr, SHM_RDONLY);
    ASSERT_NE(other, reinterpret_cast<void*>(-1));
    const auto* pixels = static_cast<const uint32_t*>(other);
    EXPECT_EQ(pixels[0] & 0xFFFFFF, 0xFF8040u);
    shown = QImage(); // let go, so the next copy writes in place
    Fill(back, 0x00123456);
    ASSERT_EQ(primary->Blt(&dest, back, nullptr, DDBLT_WAIT, &fx), DD_OK);
    EXPECT_EQ(pixels[20 * 10 - 1] & 0xFFFFFF, 0x123456u);
    EXPECT_EQ(segmentOf(primary), segment);
    // A holder that keeps the pixels across a copy has them copied away: no segment then.
    ASSERT_EQ(take(primary, &shown, &changed), DD_OK);
    Fill(back, 0x00654321);
    ASSERT_EQ(primary->Blt(&dest, back, nullptr, DDBLT_WAIT, &fx), DD_OK);
    EXPECT_EQ(segmentOf(primary), -1);
    shmdt(other);
}

TEST_F(DDrawModule, DisplayModesNeedExclusiveAccessAndLoseSurfaces) {
    std::vector<DDSURFACEDESC> modes;
    Device->EnumDisplayModes(0, nullptr, &modes, [](DDSURFACEDESC* m, void* ctx) -> HRESULT {
        static_cast<std::vector<DDSURFACEDESC>*>(ctx)->push_back(*m);
        return DDENUMRET_OK;
    });
    bool found = false;
    for (auto& m : modes)
        found |= m.dwWidth == 640 && m.dwHeight == 480 && m.ddpfPixelFormat.dwRGBBitCount == 16;
    EXPECT_TRUE(found);
    int calls = 0;
    Device->EnumDisplayModes(0, nullptr, &calls, [](DDSURFACEDESC*, void* ctx) -> HRESULT {
        ++*static_cast<int*>(ctx);
        return DDENUMRET_CANCEL;
    });
    EXPECT_EQ(calls, 1);

    IDirectDrawSurface* before = Make(2, 2);
    EXPECT_EQ(Device->SetDisplayMode(640, 480, 16, 0, 0), DDERR_NOEXCLUSIVEMODE);
    QWidget window;
    EXPECT_EQ(Device->SetCooperativeLevel(nullptr, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE),
              DDERR_INVALIDPARAMS);
    ASSERT_EQ(
        Device->SetCooperativeLevel(&window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE | DDSCL_ALLOWMODEX),
        DD_OK);
    EXPECT_EQ(Device->SetDisplayMode(641, 480, 16, 0, 0), DDERR_INVALIDMODE);
    ASSERT_EQ(Device->SetDisplayMode(640, 480, 16, 0, 0), DD_OK);
    EXPECT_EQ(before->IsLost(), DDERR_SURFACELOST);
    IDirectDrawSurface* after = Make(2, 2);
    DDPIXELFORMAT pf{};
    after->GetPixelFormat(&pf);
    EXPECT_EQ(pf.dwRGBBitCount, 16u);
    EXPECT_EQ(pf.dwGBitMask, 0x07E0u);

    // A flipping chain presents its back buffer into the cooperative window.
    DDSURFACEDESC d{};
    d.dwSize = sizeof d;
    d.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    d.dwBackBufferCount = 1;
    d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    IDirectDrawSurface* front = nullptr;
    ASSERT_EQ(Device->CreateSurface(&d, &front, nullptr), DD_OK);
    Owned.push_back(front);
    DDSCAPS backCaps{DDSCAPS_BACKBUFFER};
    IDirectDrawSurface* back = nullptr;
    ASSERT_EQ(front->GetAttachedSurface(&backCaps, &back), DD_OK);
    Owned.push_back(back);
    window.resize(640, 480);
    Fill(back, 0xF800); // pure red at 5-6-5
    ASSERT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    QImage shown;
    QRegion changed;
    ASSERT_EQ(Entry<TDirectDrawTakePresentation>("DirectDrawTakePresentation")(front, &shown,
                                                                                &changed),
              DD_OK);
    EXPECT_EQ(shown.pixel(10, 10), qRgb(255, 0, 0));
    EXPECT_EQ(back->Flip(nullptr, 0), DDERR_NOTFLIPPABLE);
    EXPECT_EQ(Device->RestoreDisplayMode(), DD_OK);
}

TEST_F(DDrawModule, VerticalBlankWaitsReturn) {
    EXPECT_EQ(Device->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr), DD_OK);
    EXPECT_EQ(Device->WaitForVerticalBlank(DDWAITVB_BLOCKEND, nullptr), DD_OK);
    EXPECT_EQ(Device->WaitForVerticalBlank(DDWAITVB_BLOCKBEGINEVENT, nullptr), DDERR_UNSUPPORTED);
    DWORD hz = 0;
    EXPECT_EQ(Device->GetMonitorFrequency(&hz), DD_OK);
    EXPECT_GE(hz, 20u);
}

} // namespace
