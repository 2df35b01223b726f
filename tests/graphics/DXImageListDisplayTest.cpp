// Image list and sprite engine attached to a real display control: notifications, restore after
// lost surfaces, detaching, and either side going first.
#include "display/DXClass.Forms.h"
#include "graphics/DXImageList.h"
#include "graphics/DXSpriteEngine.h"
#include "tests/support/DisplayForm.h"

#include <gtest/gtest.h>

#include <QPointer>
#include <memory>

namespace {

void LoseAllSurfaces() {
    LoadPlatformFunctionAs<TDirectDrawLoseAllSurfaces>("DDraw.dll", "DirectDrawLoseAllSurfaces")();
}

// A 340 × 680 sheet of 34 × 34 cells in two colours: red cells in the first block, blue below.
std::unique_ptr<TDIB> TileSheet() {
    auto dib = std::make_unique<TDIB>();
    dib->SetSize(340, 680, 8);
    TRGBQuads table{};
    table[1] = TRGBQuad{0, 0, 255, 0};
    table[2] = TRGBQuad{255, 0, 0, 0};
    dib->SetColorTable(table);
    for (int y = 0; y < 680; ++y)
        for (int x = 0; x < 340; ++x)
            dib->ScanLineForWrite(y)[x] = y < 544 ? 1 : 2;
    return dib;
}

class Attached : public ::testing::Test {
protected:
    void SetUp() override {
        Window = std::make_unique<TDisplayForm<>>(600, 480);
        Form = Window->Form();
        DX = Window->DX();
        List = std::make_unique<TDXImageList>();
        Tile = List->Items().Add();
        Tile->SetName("Tile");
        Tile->Picture().SetGraphic(TileSheet());
        Tile->PatternWidth = 34;
        Tile->PatternHeight = 34;
        Tile->Transparent = false;
        Engine = std::make_unique<TDXSpriteEngine>();
    }
    void TearDown() override {
        Engine.reset();
        List.reset();
        Window.reset();
    }
    TImageSprite* Sprite(double x, double y, int pattern) {
        auto* s = new TImageSprite(&Engine->Root());
        s->Image = Tile;
        s->X = x;
        s->Y = y;
        s->Width = s->Height = 34;
        s->PatternBase = pattern;
        return s;
    }
    std::unique_ptr<TDisplayForm<>> Window;
    TDXForm* Form = nullptr;
    TDXDraw* DX = nullptr;
    std::unique_ptr<TDXImageList> List;
    TPictureCollectionItem* Tile = nullptr;
    std::unique_ptr<TDXSpriteEngine> Engine;
};

TEST_F(Attached, PicturesAreBuiltWhenTheDisplayIsAndDrawnOntoItsSurface) {
    List->SetDXDraw(DX);
    Engine->SetDXDraw(DX);
    EXPECT_FALSE(Tile->Ready());
    EXPECT_EQ(Engine->Root().Surface, nullptr);
    Form->show();
    ASSERT_TRUE(DX->Initialized());
    EXPECT_TRUE(Tile->Ready());
    EXPECT_EQ(List->Items().DXDraw(), DX);
    EXPECT_EQ(Tile->PatternCount(), 200);
    EXPECT_EQ(Tile->Surfaces().size(), 2u);
    EXPECT_EQ(Engine->Root().Surface, DX->Surface());
    EXPECT_EQ(Engine->Root().SurfaceBounds, Rect(0, 0, 600, 480));
    EXPECT_EQ(Engine->Root().Width, 600);

    Sprite(34, 105, 0);
    Sprite(68, 105, 160);
    Sprite(700, 105, 0); // off the surface
    DX->Surface()->Fill(0);
    Engine->Draw();
    EXPECT_EQ(Engine->Root().PaintedCount, 2);
    TDirectDrawSurface* back = DX->Surface();
    EXPECT_EQ(back->Pixels(40, 110), back->MatchColor(clRed));
    EXPECT_EQ(back->Pixels(70, 110), back->MatchColor(clBlue));
    EXPECT_EQ(back->Pixels(110, 110), back->Pixels(0, 0));
}

TEST_F(Attached, AttachingToAnInitialisedDisplayBuildsAtOnce) {
    Form->show();
    ASSERT_TRUE(DX->Initialized());
    List->SetDXDraw(DX);
    EXPECT_TRUE(Tile->Ready());
    EXPECT_EQ(Tile->PatternCount(), 200);
    Engine->SetDXDraw(DX);
    EXPECT_EQ(Engine->Root().Surface, DX->Surface());
}

TEST_F(Attached, LostSurfacesAreRebuiltFromThePicture) {
    // Kept as run-length data, the picture is decoded for each building and stays compressed.
    auto* picture = dynamic_cast<TDIB*>(Tile->Picture().Graphic());
    ASSERT_TRUE(picture);
    picture->Compress();
    ASSERT_TRUE(picture->Compressed());
    List->SetDXDraw(DX);
    Form->show();
    ASSERT_EQ(Tile->PatternCount(), 200);
    LoseAllSurfaces();
    ASSERT_TRUE(DX->CanDraw());
    ASSERT_EQ(Tile->PatternCount(), 200);
    TDirectDrawSurface* block = Tile->PatternSurface(160);
    EXPECT_EQ(block->Pixels(0, 0), block->MatchColor(clBlue));
    DX->Surface()->Fill(0);
    Tile->Draw(DX->Surface(), 0, 0, 160);
    EXPECT_EQ(DX->Surface()->Pixels(33, 33), DX->Surface()->MatchColor(clBlue));
    Tile->Draw(DX->Surface(), 0, 0, 0);
    EXPECT_EQ(DX->Surface()->Pixels(33, 33), DX->Surface()->MatchColor(clRed));
    EXPECT_TRUE(picture->Compressed());
}

TEST_F(Attached, DetachingFinalisesThePicturesAndTheRoot) {
    List->SetDXDraw(DX);
    Engine->SetDXDraw(DX);
    Form->show();
    const size_t withPictures = DX->Device()->Surfaces().size();
    List->SetDXDraw(nullptr);
    EXPECT_FALSE(Tile->Ready());
    EXPECT_EQ(Tile->PatternCount(), 0);
    EXPECT_EQ(DX->Device()->Surfaces().size(), withPictures - 2);
    EXPECT_EQ(List->Items().DXDraw(), nullptr);

    Sprite(0, 0, 0);
    Engine->Draw();
    EXPECT_EQ(Engine->Root().PaintedCount, 1);
    Engine->SetDXDraw(nullptr);
    EXPECT_EQ(Engine->Root().Surface, nullptr);
    Engine->Root().PaintedCount = 9;
    Engine->Draw();
    EXPECT_EQ(Engine->Root().PaintedCount, 9);
}

TEST_F(Attached, EngineDrawsNothingBeforeTheDisplayIsInitialised) {
    Sprite(0, 0, 0);
    Engine->Root().PaintedCount = 7;
    Engine->Draw(); // no display at all
    EXPECT_EQ(Engine->Root().PaintedCount, 7);
    Engine->SetDXDraw(DX);
    Engine->Draw(); // a display, not yet built
    EXPECT_EQ(Engine->Root().PaintedCount, 7);
    Form->show();
    Engine->Draw();
    EXPECT_EQ(Engine->Root().PaintedCount, 1);
    // The move pass runs whatever the display's state.
    TImageSprite* s = Sprite(0, 0, 0);
    s->FrameSpeed = 1;
    s->FrameCount = 10;
    Engine->Move(3);
    EXPECT_EQ(s->FramePos, 3);
}

TEST_F(Attached, InitialisingAgainstADisplayThatIsNotBuiltIsRefused) {
    try {
        List->Items().Initialize(DX);
        FAIL() << "no error";
    } catch (const EPictureCollectionError& e) {
        EXPECT_STREQ(e.what(), "TPictureCollection cannot be initialized");
    }
    EXPECT_FALSE(Tile->Ready());
}

TEST_F(Attached, DisplayDestroyedFirstLeavesBothComponentsDetached) {
    List->SetDXDraw(DX);
    Engine->SetDXDraw(DX);
    Form->show();
    Sprite(0, 0, 0);
    delete Form;
    Form = nullptr;
    EXPECT_EQ(List->DXDraw(), nullptr);
    EXPECT_EQ(List->Items().DXDraw(), nullptr);
    EXPECT_FALSE(Tile->Ready());
    EXPECT_TRUE(Tile->Surfaces().empty());
    EXPECT_EQ(Engine->DXDraw(), nullptr);
    EXPECT_EQ(Engine->Root().Surface, nullptr);
    Engine->Root().PaintedCount = 4;
    Engine->Draw();
    EXPECT_EQ(Engine->Root().PaintedCount, 4);
}

TEST_F(Attached, ComponentsDestroyedFirstUnregisterAndFreeTheirSurfaces) {
    List->SetDXDraw(DX);
    Engine->SetDXDraw(DX);
    Form->show();
    const size_t withPictures = DX->Device()->Surfaces().size();
    QPointer<TDXDraw> alive(DX);
    Sprite(0, 0, 0);
    Sprite(40, 0, 0);
    EXPECT_EQ(Engine->Root().SpriteCount, 2);
    Engine.reset();
    List.reset();
    EXPECT_EQ(DX->Device()->Surfaces().size(), withPictures - 2);
    // Later notifications reach no one that is gone.
    LoseAllSurfaces();
    EXPECT_TRUE(DX->CanDraw());
    delete Form;
    Form = nullptr;
    EXPECT_TRUE(alive.isNull());
}

} // namespace
