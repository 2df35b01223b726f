// Every build of the display device's pixel loops (plain, SSE2, AVX2) gives the pixels a
// pixel-by-pixel model of the copies gives, at the rows' ends too.
#include <QImage>
#include <QRegion>
#include <QWidget>
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "platform/ddraw/ddraw.h"
#include "platform/rtl/Modules.h"

namespace {

template <typename F> F Entry(const char* name) {
    static void* module = LoadModule("ddraw.so");
    return reinterpret_cast<F>(ModuleEntry(module, name));
}

// One surface's pixels as values, row by row.
struct Pixels {
    int W = 0, H = 0;
    std::vector<uint32_t> V;
    uint32_t& At(int x, int y) { return V[static_cast<size_t>(y) * W + x]; }
};

class Kernels : public ::testing::Test {
protected:
    void SetUp() override {
        void* created = nullptr;
        ASSERT_EQ(Entry<TDirectDrawCreateEx>("DirectDrawCreateEx")(nullptr, &created,
                                                                   IID_IDirectDraw7, nullptr),
                  DD_OK);
        Device = static_cast<IDirectDraw7*>(created);
    }
    void TearDown() override {
        Entry<TDirectDrawSetKernels>("DirectDrawSetKernels")(DDKERNELS_AVX2);
        for (auto* s : Owned)
            s->Release();
        if (Device) {
            EXPECT_EQ(Device->Release(), 0u);
        }
    }

    IDirectDrawSurface* Make(int w, int h, int bits, DWORD caps = DDSCAPS_OFFSCREENPLAIN) {
        DDSURFACEDESC d{};
        d.dwSize = sizeof d;
        d.dwFlags = DDSD_CAPS;
        d.ddsCaps.dwCaps = caps;
        IDirectDrawSurface* s = nullptr;
        if (caps & DDSCAPS_PRIMARYSURFACE) {
            EXPECT_EQ(Device->CreateSurface(&d, &s, nullptr), DD_OK);
            if (s) Owned.push_back(s);
            return s;
        }
        d.dwFlags |= DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
        d.dwWidth = static_cast<DWORD>(w);
        d.dwHeight = static_cast<DWORD>(h);
        d.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
        d.ddpfPixelFormat.dwRGBBitCount = static_cast<DWORD>(bits);
        d.ddpfPixelFormat.dwFlags = DDPF_RGB | (bits == 8 ? DDPF_PALETTEINDEXED8 : 0);
        if (bits == 16) {
            d.ddpfPixelFormat.dwRBitMask = 0xF800;
            d.ddpfPixelFormat.dwGBitMask = 0x07E0;
            d.ddpfPixelFormat.dwBBitMask = 0x1F;
        } else if (bits > 16) {
            d.ddpfPixelFormat.dwRBitMask = 0xFF0000;
            d.ddpfPixelFormat.dwGBitMask = 0xFF00;
            d.ddpfPixelFormat.dwBBitMask = 0xFF;
        }
        EXPECT_EQ(Device->CreateSurface(&d, &s, nullptr), DD_OK);
        if (s) Owned.push_back(s);
        return s;
    }

    // Reads (put false) or writes (put true) every pixel through a lock.
    static void Access(IDirectDrawSurface* s, Pixels& p, bool put) {
        DDSURFACEDESC d{};
        d.dwSize = sizeof d;
        ASSERT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
        const int bytes = static_cast<int>(d.ddpfPixelFormat.dwRGBBitCount) / 8;
        p.W = static_cast<int>(d.dwWidth);
        p.H = static_cast<int>(d.dwHeight);
        p.V.resize(static_cast<size_t>(p.W) * p.H);
        for (int y = 0; y < p.H; ++y)
            for (int x = 0; x < p.W; ++x) {
                auto* at = static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch + x * bytes;
                if (put)
                    std::memcpy(at, &p.At(x, y), static_cast<size_t>(bytes));
                else {
                    p.At(x, y) = 0;
                    std::memcpy(&p.At(x, y), at, static_cast<size_t>(bytes));
                }
            }
        s->Unlock(nullptr);
    }

    IDirectDraw7* Device = nullptr;
    std::vector<IDirectDrawSurface*> Owned;
};

// Random pixels in runs of the key and of other colours, long enough for whole vectors of either
// and short enough for mixed ones, or (one picture in three) with single key pixels strewn among
// other colours, so that a vector with one see-through pixel anywhere turns up; some differ from the key in one byte only, and 32-bit
// pixels carry a random top byte, which colour keys do not look at.
Pixels RandomPicture(std::mt19937& random, int w, int h, int bits, uint32_t key) {
    const uint32_t mask = bits == 32 ? 0xFFFFFFu : bits == 24 ? 0xFFFFFFu : (1u << bits) - 1;
    Pixels p{w, h, std::vector<uint32_t>(static_cast<size_t>(w) * h)};
    const bool strewn = random() % 3 == 0;
    size_t i = 0;
    while (i < p.V.size()) {
        const bool keyRun = strewn ? random() % 32 == 0 : random() % 2 == 0;
        const size_t run = strewn ? 1 : 1 + random() % (random() % 4 == 0 ? 70 : 6);
        for (size_t k = 0; k < run && i < p.V.size(); ++k, ++i) {
            uint32_t v = keyRun ? key : random() & mask;
            if (!keyRun && random() % 4 == 0)
                v = (key ^ (0xFFu << (8 * (random() % ((bits + 7) / 8))))) & mask;
            if (bits == 32) v |= (random() % 3 == 0 ? random() : 0u) & 0xFF000000u;
            p.V[i] = v;
        }
    }
    return p;
}

TEST_F(Kernels, EveryBuildCopiesWithColourKeysAsAPixelByPixelModel) {
    std::mt19937 random(20);
    const auto set = Entry<TDirectDrawSetKernels>("DirectDrawSetKernels");
    for (DWORD build : {DDKERNELS_PLAIN, DDKERNELS_SSE2, DDKERNELS_AVX2}) {
        if (set(build) != build) continue; // this processor lacks it
        for (int bits : {8, 16, 24, 32}) {
            SCOPED_TRACE(testing::Message() << "build " << build << ", " << bits << " bits");
            const uint32_t mask = bits >= 24 ? 0xFFFFFFu : (1u << bits) - 1;
            for (int trial = 0; trial < 80; ++trial) {
                const int w = 1 + static_cast<int>(random() % 300), h = 1 + random() % 3;
                const uint32_t key = random() & mask;
                IDirectDrawSurface* src = Make(w, h, bits);
                IDirectDrawSurface* dst = Make(w + 7, h + 1, bits);
                ASSERT_TRUE(src && dst);
                Pixels picture = RandomPicture(random, w, h, bits, key);
                Pixels before = RandomPicture(random, w + 7, h + 1, bits, key);
                Access(src, picture, true);
                DDCOLORKEY ck{key, key};
                ASSERT_EQ(src->SetColorKey(DDCKEY_SRCBLT, &ck), DD_OK);
                // A part of the source at odd places, so rows start and end anywhere in a vector.
                RECT part;
                part.left = static_cast<LONG>(random() % w);
                part.right = part.left + 1 + static_cast<LONG>(random() % (w - part.left));
                part.top = static_cast<LONG>(random() % h);
                part.bottom = part.top + 1 + static_cast<LONG>(random() % (h - part.top));
                const int x = static_cast<int>(random() % 8), y = static_cast<int>(random() % 2);
                Pixels model = before;
                for (int r = part.top; r < part.bottom; ++r)
                    for (int c = part.left; c < part.right; ++c)
                        if ((picture.At(c, r) & mask) != key)
                            model.At(x + c - part.left, y + r - part.top) = picture.At(c, r);
                // The first copy compares pixels, the next ones go by the runs they found.
                for (int copy = 0; copy < 3; ++copy) {
                    Access(dst, before, true);
                    ASSERT_EQ(dst->BltFast(static_cast<DWORD>(x), static_cast<DWORD>(y), src,
                                           &part, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT),
                              DD_OK);
                    Pixels after;
                    Access(dst, after, false);
                    ASSERT_EQ(after.V, model.V) << "copy " << copy << ", width " << w << ", part "
                                                << part.left << ".." << part.right;
                }
                // Within one row, to the left and to the right: the result is that of a copy
                // read whole before anything is written.
                ASSERT_EQ(dst->SetColorKey(DDCKEY_SRCBLT, &ck), DD_OK);
                RECT row{part.left, part.top, part.right, part.top + 1};
                for (int to : {static_cast<int>(part.left) / 2,
                               static_cast<int>(part.left) + 1 + static_cast<int>(random() % 7)}) {
                    Access(dst, before, true);
                    Pixels shifted = before;
                    for (int c = part.left; c < part.right; ++c)
                        if ((before.At(c, part.top) & mask) != key)
                            shifted.At(to + c - part.left, part.top) = before.At(c, part.top);
                    ASSERT_EQ(dst->BltFast(static_cast<DWORD>(to), static_cast<DWORD>(part.top),
                                           dst, &row, DDBLTFAST_SRCCOLORKEY),
                              DD_OK);
                    Pixels after;
                    Access(dst, after, false);
                    ASSERT_EQ(after.V, shifted.V)
                        << "within one row to " << to << " from " << part.left << ", width " << w;
                }
                for (auto* s : {src, dst}) {
                    s->Release();
                    Owned.pop_back();
                }
            }
        }
    }
}

// The presentation writes only the span of a row that changed: changes at the first and last
// pixel of a row, and a row changed nowhere, reach the window's image with every build.
TEST_F(Kernels, EveryBuildBringsThePresentationUpToDate) {
    std::mt19937 random(7);
    const auto set = Entry<TDirectDrawSetKernels>("DirectDrawSetKernels");
    ASSERT_EQ(Device->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
    IDirectDrawSurface* primary = Make(0, 0, 32, DDSCAPS_PRIMARYSURFACE);
    ASSERT_TRUE(primary);
    for (DWORD build : {DDKERNELS_PLAIN, DDKERNELS_SSE2, DDKERNELS_AVX2}) {
        if (set(build) != build) continue;
        SCOPED_TRACE(testing::Message() << "build " << build);
        const int w = 1 + static_cast<int>(random() % 120), h = 6;
        QWidget window;
        window.resize(w, h);
        window.show();
        IDirectDrawClipper* clipper = nullptr;
        ASSERT_EQ(Device->CreateClipper(0, &clipper, nullptr), DD_OK);
        clipper->SetHWnd(0, &window);
        primary->SetClipper(clipper);
        clipper->Release();
        IDirectDrawSurface* back = Make(w, h, 32);
        Pixels frame = RandomPicture(random, w, h, 32, 0);
        const QPoint origin = window.mapToGlobal(QPoint(0, 0));
        RECT screen{origin.x(), origin.y(), origin.x() + w, origin.y() + h};
        DDBLTFX fx{};
        fx.dwSize = sizeof fx;
        for (int change = 0; change < 4; ++change) {
            if (change > 0) {
                // Row 1 changes at its first pixel, row 2 at its last, row 3 at a random one.
                frame.At(0, 1) ^= 0x10101;
                frame.At(w - 1, 2) ^= 0x20202;
                frame.At(static_cast<int>(random() % w), 3) ^= 0x30303;
            }
            Access(back, frame, true);
            ASSERT_EQ(primary->Blt(&screen, back, nullptr, DDBLT_WAIT, &fx), DD_OK);
            QImage image;
            QRegion changed;
            ASSERT_EQ(Entry<TDirectDrawTakePresentation>("DirectDrawTakePresentation")(
                          primary, &image, &changed),
                      DD_OK);
            ASSERT_FALSE(image.isNull());
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    ASSERT_EQ(image.pixel(x, y), frame.At(x, y) | 0xFF000000u)
                        << "change " << change << " at " << x << "," << y << " of width " << w;
        }
        primary->SetClipper(nullptr);
    }
}

} // namespace
