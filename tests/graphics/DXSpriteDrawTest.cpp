// Sprite painting: paint order on a surface, visibility, bounds truncation and wrap-around,
// centring.
#include "graphics/DXImageList.h"
#include "graphics/DXSprite.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

namespace {

// Three 34 × 34 patterns in red, green and blue (pattern 0, 1, 2), on a black-keyed sheet.
std::unique_ptr<TDIB> ColourSheet() {
    auto dib = std::make_unique<TDIB>();
    dib->SetSize(102, 34, 8);
    TRGBQuads table{};
    table[1] = TRGBQuad{0, 0, 255, 0};
    table[2] = TRGBQuad{0, 255, 0, 0};
    table[3] = TRGBQuad{255, 0, 0, 0};
    dib->SetColorTable(table);
    for (int y = 0; y < 34; ++y)
        for (int x = 0; x < 102; ++x)
            dib->ScanLineForWrite(y)[x] = uint8_t(x / 34 + 1);
    return dib;
}

class SpriteDraw : public ::testing::Test {
protected:
    void SetUp() override {
        Device = std::make_unique<TDirectDraw>(nullptr, true);
        BackSurface = std::make_unique<TDirectDrawSurface>(Device.get());
        Back = BackSurface.get();
        Back->SetSize(600, 480);
        Back->Fill(0);
        Sheet = Pictures.Add();
        Sheet->Picture().SetGraphic(ColourSheet());
        Sheet->PatternWidth = 34;
        Sheet->PatternHeight = 34;
        Pictures.InitializeOn(Device.get());
        Pictures.Restore();
        ASSERT_EQ(Sheet->PatternCount(), 3);
        Engine.SetSurface(Back);
    }
    void TearDown() override {
        Engine.Clear();
        Pictures.Finalize();
        Pictures.Clear();
        Device.reset();
    }
    TImageSprite* Tile(TSprite* parent, double x, double y, int pattern = 0, int size = 34) {
        auto* s = new TImageSprite(parent);
        s->Image = Sheet;
        s->X = x;
        s->Y = y;
        s->Width = size;
        s->Height = size;
        s->PatternBase = pattern;
        return s;
    }
    DWORD Red() { return Back->MatchColor(clRed); }
    DWORD Green() { return Back->MatchColor(clLime); }
    DWORD Blue() { return Back->MatchColor(clBlue); }

    std::unique_ptr<TDirectDraw> Device;
    std::unique_ptr<TDirectDrawSurface> BackSurface;
    TDirectDrawSurface* Back = nullptr;
    TPictureCollection Pictures;
    TPictureCollectionItem* Sheet = nullptr;
    TSpriteEngine Engine;
};

// The engine tells whether a Draw now would paint other pixels than the last Draw: every change of
// what the paint reads counts, whoever made it, and changes the paint cannot show do not.
TEST_F(SpriteDraw, ChangedSeesEveryChangeThePaintWouldShowAndNothingElse) {
    TImageSprite* a = Tile(&Engine, 10, 10, 0);
    TImageSprite* b = Tile(&Engine, 100, 10, 1);
    TImageSprite* off = Tile(&Engine, -200, 10, 2);
    EXPECT_TRUE(Engine.Changed()); // nothing drawn yet
    Engine.Draw();
    EXPECT_FALSE(Engine.Changed());
    const auto changes = [&](auto change) {
        change();
        const bool changed = Engine.Changed();
        Engine.Draw();
        return changed && !Engine.Changed();
    };
    EXPECT_TRUE(changes([&] { a->X = 11; }));
    EXPECT_TRUE(changes([&] { b->Y = 9; }));
    EXPECT_TRUE(changes([&] { b->PatternBase = 2; })); // as a highlight flips a tile
    EXPECT_TRUE(changes([&] { b->FramePos = 1.5; }));
    EXPECT_TRUE(changes([&] { a->Visible = false; }));
    EXPECT_TRUE(changes([&] { a->Visible = true; }));
    EXPECT_TRUE(changes([&] { a->Width = 20; }));
    EXPECT_TRUE(changes([&] { a->Image = nullptr; }));
    EXPECT_TRUE(changes([&] { Tile(&Engine, 200, 100); }));
    EXPECT_TRUE(changes([&] { delete b; }));
    TDirectDrawSurface other(Device.get());
    other.SetSize(300, 200);
    EXPECT_TRUE(changes([&] { Engine.SetSurface(&other); }));
    EXPECT_TRUE(changes([&] { Engine.SetSurface(Back); }));
    // The same pixels: a move within the pixel, a sprite moving about off the surface.
    a->X = 11.4;
    off->X = -300;
    EXPECT_FALSE(Engine.Changed());
}

// Redrawing only the rectangle Changes reports, with Fill and Draw limited to it, leaves the
// surface exactly as a whole redraw would: over random moves, pattern changes, hiding, sprites
// painting beyond their bounds, leaving and entering the surface, appearing and going.
TEST_F(SpriteDraw, RedrawingOnlyWhereChangesSaysEqualsAWholeRedraw) {
    const auto snapshot = [&] {
        DDSURFACEDESC desc{};
        std::vector<uint8_t> pixels;
        if (!Back->Lock(nullptr, desc)) return pixels;
        const size_t row = size_t(Back->Width()) * size_t(Back->BitCount() / 8);
        pixels.resize(row * size_t(Back->Height()));
        for (int y = 0; y < Back->Height(); ++y)
            std::memcpy(pixels.data() + row * size_t(y),
                        static_cast<const uint8_t*>(desc.lpSurface) + desc.lPitch * y, row);
        Back->Unlock();
        return pixels;
    };
    const auto redraw = [&](const TRect* clip) {
        Back->SetClipRect(clip);
        Back->Fill(0);
        Engine.Draw();
        Back->SetClipRect(nullptr);
    };
    TRect damage;
    EXPECT_TRUE(Engine.Changes(damage));
    EXPECT_EQ(damage, Rect(0, 0, 600, 480)); // nothing drawn yet: all of it

    // One sprite moved: its old and new pixels, and nothing else.
    TImageSprite* a = Tile(&Engine, 100, 50, 0);
    Tile(&Engine, 300, 50, 1);
    redraw(nullptr);
    a->X = 103;
    a->Y = 48;
    ASSERT_TRUE(Engine.Changes(damage));
    EXPECT_EQ(damage, Rect(100, 48, 137, 84));
    redraw(nullptr);
    EXPECT_FALSE(Engine.Changes(damage));
    // A sprite smaller than its pattern paints the centred pattern beyond its bounds.
    a->Width = 10;
    ASSERT_TRUE(Engine.Changes(damage));
    EXPECT_EQ(damage, Rect(91, 48, 137, 82));
    redraw(nullptr);

    std::mt19937 random(20);
    const auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    std::vector<TImageSprite*> sprites{a};
    for (int i = 0; i < 30; ++i)
        sprites.push_back(Tile(&Engine, pick(-60, 620), pick(-60, 500), pick(0, 2)));
    redraw(nullptr);
    long long partialArea = 0, wholeArea = 0;
    for (int step = 0; step < 200; ++step) {
        for (int n = pick(1, 3); n > 0; --n) {
            TImageSprite* s = sprites[size_t(pick(0, int(sprites.size()) - 1))];
            switch (pick(0, 6)) {
            case 0:
                s->X += pick(-40, 40);
                break;
            case 1:
                s->Y += pick(-40, 40);
                break;
            case 2:
                s->PatternBase = pick(0, 2);
                break;
            case 3:
                s->Visible = !s->Visible;
                break;
            case 4:
                s->Width = s->Height = pick(0, 60);
                break;
            case 5:
                s->X = pick(-80, 640);
                break;
            default: {
                const auto at = std::find(sprites.begin(), sprites.end(), s);
                delete s;
                *at = Tile(&Engine, pick(-60, 620), pick(-60, 500), pick(0, 2));
            }
            }
        }
        const bool changed = Engine.Changes(damage);
        if (changed) redraw(&damage);
        partialArea += changed ? damage.Width() * damage.Height() : 0;
        wholeArea += 600 * 480;
        const std::vector<uint8_t> partial = snapshot();
        redraw(nullptr);
        ASSERT_EQ(partial, snapshot()) << "step " << step;
        EXPECT_FALSE(Engine.Changes(damage));
    }
    EXPECT_LT(partialArea, wholeArea / 2); // the damage is a part, not the whole
}

TEST_F(SpriteDraw, SetSurfaceTakesItsBoundsAndDetachingKeepsThem) {
    EXPECT_EQ(Engine.SurfaceBounds, Rect(0, 0, 600, 480));
    EXPECT_EQ(Engine.Width, 600);
    EXPECT_EQ(Engine.Height, 480);
    Engine.SetSurface(nullptr);
    EXPECT_EQ(Engine.Surface, nullptr);
    EXPECT_EQ(Engine.SurfaceBounds, Rect(0, 0, 600, 480));
    EXPECT_EQ(Engine.Width, 600);
    // Sprites still count as painted against the kept bounds; nothing reaches a surface.
    Tile(&Engine, 10, 10);
    Engine.Draw();
    EXPECT_EQ(Engine.PaintedCount, 1);
    EXPECT_EQ(Back->Pixels(10, 10), 0u);
}

TEST_F(SpriteDraw, OnlySpritesOnTheSurfaceArePaintedAndCounted) {
    for (int i = 0; i < 100; ++i)
        Tile(&Engine, 34 + (i % 10) * 34, 105 + (i / 10) * 34, i % 3);
    Tile(&Engine, -34, 0); // touches the left edge only
    Tile(&Engine, 0, 480); // touches the bottom edge only
    Engine.PaintedCount = 55;
    Engine.Draw();
    EXPECT_EQ(Engine.PaintedCount, 100);
    EXPECT_EQ(Back->Pixels(34, 105), Red());
    EXPECT_EQ(Back->Pixels(68 + 33, 105 + 33), Green());
    EXPECT_EQ(Back->Pixels(0, 0), 0u);
    Engine.Draw(); // the count starts over on every draw
    EXPECT_EQ(Engine.PaintedCount, 100);
}

TEST_F(SpriteDraw, BoundsTruncateTowardZero) {
    TImageSprite* half = Tile(&Engine, -0.5, -33.9);
    EXPECT_EQ(half->GetBounds(), Rect(0, -33, 34, 1));
    half->X = 33.9;
    half->Y = 0;
    EXPECT_EQ(half->GetBounds(), Rect(33, 0, 67, 34));
    half->X = -0.5;
    Engine.Draw();
    EXPECT_EQ(Engine.PaintedCount, 1);
    EXPECT_EQ(Back->Pixels(0, 0), Red());
    EXPECT_EQ(Back->Pixels(33, 33), Red());
    EXPECT_EQ(Back->Pixels(34, 0), 0u);

    half->X = -34;
    EXPECT_EQ(half->GetBounds().Right, 0);
    Back->Fill(0);
    Engine.Draw();
    EXPECT_EQ(Engine.PaintedCount, 0);
}

TEST_F(SpriteDraw, InvisibleParentHidesItsWholeSubtree) {
    TImageSprite* parent = Tile(&Engine, 0, 0, 0);
    TImageSprite* child = Tile(parent, 100, 100, 1); // at (100, 100) on the surface
    TImageSprite* grandchild = Tile(child, 100, 0, 2);
    Engine.Draw();
    EXPECT_EQ(Engine.PaintedCount, 3);
    EXPECT_EQ(Back->Pixels(100, 100), Green());
    EXPECT_EQ(Back->Pixels(200, 100), Blue());
    Back->Fill(0);
    parent->Visible = false;
    EXPECT_TRUE(child->Visible);
    EXPECT_TRUE(grandchild->Visible);
    Engine.Draw();
    EXPECT_EQ(Engine.PaintedCount, 0);
    EXPECT_EQ(Back->Pixels(100, 100), 0u);
    EXPECT_EQ(Back->Pixels(200, 100), 0u);
    // Hiding only the child leaves the parent painted.
    parent->Visible = true;
    child->Visible = false;
    Engine.Draw();
    EXPECT_EQ(Engine.PaintedCount, 1);
}

TEST_F(SpriteDraw, FirstConstructedOfEqualZIsPaintedLastAndShowsOnTop) {
    Tile(&Engine, 100, 100, 0); // A: red
    Tile(&Engine, 110, 110, 1); // B: green
    Tile(&Engine, 120, 120, 2); // C: blue
    Engine.Draw();
    EXPECT_EQ(Engine.PaintedCount, 3);
    EXPECT_EQ(Back->Pixels(125, 125), Red());   // all three overlap: A wins
    EXPECT_EQ(Back->Pixels(140, 140), Green()); // only B and C: B wins
    EXPECT_EQ(Back->Pixels(150, 150), Blue());  // C alone
}

TEST_F(SpriteDraw, PatternComesFromFramePosAndIsCentredInTheSprite) {
    TImageSprite* s = Tile(&Engine, 200, 200, 0, 40);
    s->FramePos = 1.9; // truncated: pattern 1
    Engine.Draw();
    // (40 - 34) div 2 = 3 pixels in from the sprite's corner.
    EXPECT_EQ(Back->Pixels(202, 202), 0u);
    EXPECT_EQ(Back->Pixels(203, 203), Green());
    EXPECT_EQ(Back->Pixels(236, 236), Green());
    EXPECT_EQ(Back->Pixels(237, 237), 0u);

    // A sprite one pixel narrower than its pattern: (33 - 34) div 2 is 0, not -1.
    Back->Fill(0);
    s->Width = 33;
    s->Height = 33;
    s->FramePos = 0;
    s->PatternBase = 2;
    Engine.Draw();
    EXPECT_EQ(Back->Pixels(199, 199), 0u);
    EXPECT_EQ(Back->Pixels(200, 200), Blue());
    EXPECT_EQ(Back->Pixels(233, 233), Blue());

    // Frames past the picture's patterns draw nothing but still count as painted.
    Back->Fill(0);
    s->FramePos = 5;
    Engine.Draw();
    EXPECT_EQ(Engine.PaintedCount, 1);
    EXPECT_EQ(Back->Pixels(210, 210), 0u);
    s->FramePos = 1e300;
    EXPECT_NO_THROW(Engine.Draw());
}

TEST_F(SpriteDraw, WrapAroundBringsSpritesBackFromBeyondTheEdges) {
    TImageSprite* s = Tile(&Engine, 610, 0, 1);
    s->WrapAround = true;
    // 610 mod (600 + 34) = 610 > 600, so the sprite reappears at 610 - 634 = -24.
    EXPECT_EQ(s->GetBounds(), Rect(-24, 0, 10, 34));
    Engine.Draw();
    EXPECT_EQ(Back->Pixels(0, 0), Green());
    EXPECT_EQ(Back->Pixels(9, 33), Green());
    EXPECT_EQ(Back->Pixels(10, 0), 0u);
    s->X = -34; // -34 mod 634 = 600: on the right edge, touching only
    s->Y = 480 + 34 + 5;
    EXPECT_EQ(s->GetBounds(), Rect(600, 5, 634, 39));
    s->WrapAround = false;
    EXPECT_EQ(s->GetBounds(), Rect(-34, 519, 0, 553));
}

TEST_F(SpriteDraw, SpritesWithoutAPictureOrSurfaceDrawNothing) {
    TImageSprite* bare = Tile(&Engine, 0, 0);
    bare->Image = nullptr;
    EXPECT_NO_THROW(Engine.Draw());
    EXPECT_EQ(Engine.PaintedCount, 1);
    EXPECT_EQ(Back->Pixels(0, 0), 0u);
}

} // namespace
