// Image list: name lookup, cutting pictures into patterns and blocks, keyed pattern drawing.
#include "graphics/DXImageList.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

void SetFaults(DWORD faults) {
    LoadPlatformFunctionAs<TDirectDrawSetFaults>("DDraw.dll", "DirectDrawSetFaults")(faults);
}

// Colour of palette entry i of the test pictures: all distinct, entry 0 black, entry 255 lime.
TColor EntryColor(int i) {
    if (i == 0) return clBlack;
    if (i == 255) return clLime;
    return TColor(i) | TColor((i * 7) & 0xFF) << 8 | TColor((255 - i) & 0xFE) << 16;
}

// An 8-bit picture whose pixels carry the number of the 34 × 34 cell they lie in plus 1, so every
// pattern of the tile sheet has a colour of its own.
std::unique_ptr<TDIB> CellPicture(int w, int h, int cell = 34) {
    auto dib = std::make_unique<TDIB>();
    dib->SetSize(w, h, 8);
    TRGBQuads table{};
    for (int i = 0; i < 256; ++i) {
        const TColor c = EntryColor(i);
        table[size_t(i)] = TRGBQuad{uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), 0};
    }
    dib->SetColorTable(table);
    const int columns = (w + cell - 1) / cell;
    for (int y = 0; y < h; ++y) {
        uint8_t* row = dib->ScanLineForWrite(y);
        for (int x = 0; x < w; ++x)
            row[x] = uint8_t(((y / cell) * columns + x / cell) % 250 + 1);
    }
    return dib;
}

class ImageList : public ::testing::Test {
protected:
    void SetUp() override {
        SetFaults(0);
        Device = std::make_unique<TDirectDraw>(nullptr, true);
    }
    void TearDown() override {
        Items.Finalize();
        Items.Clear();
        Device.reset();
        SetFaults(0);
    }
    TPictureCollectionItem* AddPicture(std::unique_ptr<TDIB> dib, int pw, int ph,
                                       bool sysmem = false) {
        TPictureCollectionItem* item = Items.Add();
        item->Picture().SetGraphic(std::move(dib));
        item->PatternWidth = pw;
        item->PatternHeight = ph;
        item->SystemMemory = sysmem;
        return item;
    }
    void Bind() {
        Items.InitializeOn(Device.get());
        Items.Restore();
    }
    TDirectDrawSurface* Target(int w, int h) {
        TDirectDrawSurface* s =
            Targets.emplace_back(std::make_unique<TDirectDrawSurface>(Device.get())).get();
        s->SetSize(w, h);
        s->Fill(0);
        return s;
    }
    // The device colour a surface gives to entry i of the test palette.
    static DWORD Device_(TDirectDrawSurface* s, int i) { return s->MatchColor(EntryColor(i)); }

    TPictureCollection Items;
    std::unique_ptr<TDirectDraw> Device;
    std::vector<std::unique_ptr<TDirectDrawSurface>> Targets;
};

TEST(PictureCollectionNames, FindIgnoresCaseAndTheEmptyNameIsAName) {
    TPictureCollection items;
    TPictureCollectionItem* first = items.Add();
    TPictureCollectionItem* tile = items.Add();
    tile->SetName("Tile");
    TPictureCollectionItem* last = items.Add();
    EXPECT_EQ(items.Find("tile"), tile);
    EXPECT_EQ(items.Find("TILE"), tile);
    EXPECT_EQ(items.IndexOf("tile"), 1);
    // Both unnamed items share the empty name; the one created last is found.
    EXPECT_EQ(items.Find(""), last);
    EXPECT_NE(items.Find(""), first);
    try {
        items.Find("Frame");
        FAIL() << "no error";
    } catch (const EPictureCollectionError& e) {
        EXPECT_STREQ(e.what(), "Image 'Frame' not found");
    }
    EXPECT_EQ(items.IndexOf("Frame"), -1);
}

TEST_F(ImageList, TileSheetIsCutIntoTwoBlocksOfWholePatterns) {
    TPictureCollectionItem* sheet = AddPicture(CellPicture(340, 680), 34, 34);
    Bind();
    ASSERT_TRUE(sheet->Ready());
    ASSERT_EQ(sheet->Surfaces().size(), 2u);
    EXPECT_EQ(sheet->Surfaces()[0]->Width(), 340);
    EXPECT_EQ(sheet->Surfaces()[0]->Height(), 544);
    EXPECT_EQ(sheet->Surfaces()[1]->Width(), 340);
    EXPECT_EQ(sheet->Surfaces()[1]->Height(), 136);
    ASSERT_EQ(sheet->PatternCount(), 200);
    EXPECT_EQ(sheet->PatternRect(159), Rect(306, 510, 340, 544));
    EXPECT_EQ(sheet->PatternSurface(159), sheet->Surfaces()[0].get());
    EXPECT_EQ(sheet->PatternRect(160), Rect(0, 0, 34, 34));
    EXPECT_EQ(sheet->PatternSurface(160), sheet->Surfaces()[1].get());
    EXPECT_EQ(sheet->PatternRect(199), Rect(306, 102, 340, 136));
    // The blocks hold the picture's pixels: pattern n is the picture's cell n, row-major.
    for (int n : {0, 9, 10, 159, 160, 199}) {
        TDirectDrawSurface* s = sheet->PatternSurface(n);
        const TRect r = sheet->PatternRect(n);
        EXPECT_EQ(s->Pixels(r.Left, r.Top), Device_(s, n + 1)) << n;
        EXPECT_EQ(s->Pixels(r.Right - 1, r.Bottom - 1), Device_(s, n + 1)) << n;
    }
    EXPECT_EQ(sheet->PatternRect(-1), Rect(0, 0, 0, 0));
    EXPECT_EQ(sheet->PatternRect(200), Rect(0, 0, 0, 0));
    EXPECT_EQ(sheet->PatternSurface(200), nullptr);
}

TEST_F(ImageList, PartialPatternsAreDroppedAndEdgeBlocksAreNarrower) {
    TPictureCollectionItem* item = AddPicture(CellPicture(100, 100), 34, 34);
    Bind();
    ASSERT_EQ(item->PatternCount(), 4);
    ASSERT_EQ(item->Surfaces().size(), 4u);
    const int sizes[4][2] = {{68, 68}, {32, 68}, {68, 32}, {32, 32}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(item->Surfaces()[size_t(i)]->Width(), sizes[i][0]) << i;
        EXPECT_EQ(item->Surfaces()[size_t(i)]->Height(), sizes[i][1]) << i;
    }
    for (int n = 0; n < 4; ++n) {
        EXPECT_EQ(item->PatternSurface(n), item->Surfaces()[0].get());
        EXPECT_EQ(item->PatternRect(n),
                  Rect(n % 2 * 34, n / 2 * 34, n % 2 * 34 + 34, n / 2 * 34 + 34));
    }
    // The right-hand block starts at picture column 68 (cell 2 of the picture).
    TDirectDrawSurface* right = item->Surfaces()[1].get();
    EXPECT_EQ(right->Pixels(0, 0), Device_(right, 3));
}

TEST_F(ImageList, WholePicturePatternMakesOneSurfaceWhateverTheMemoryChoice) {
    for (bool sysmem : {false, true}) {
        TPictureCollectionItem* frame = AddPicture(CellPicture(600, 480), 600, 480, sysmem);
        // A pattern size of 0 stands for the picture's size.
        TPictureCollectionItem* implicit = AddPicture(CellPicture(600, 480), 0, 0, sysmem);
        EXPECT_EQ(implicit->Width(), 600);
        EXPECT_EQ(implicit->Height(), 480);
        Bind();
        for (TPictureCollectionItem* item : {frame, implicit}) {
            ASSERT_EQ(item->PatternCount(), 1) << sysmem;
            ASSERT_EQ(item->Surfaces().size(), 1u) << sysmem;
            EXPECT_EQ(item->PatternRect(0), Rect(0, 0, 600, 480));
            EXPECT_EQ(item->Surfaces()[0]->Width(), 600);
        }
        Items.Finalize();
        Items.Clear();
    }
}

TEST_F(ImageList, SystemMemoryKeepsOnePictureSurfaceAndHonoursGaps) {
    TPictureCollectionItem* sheet = AddPicture(CellPicture(340, 680), 34, 34, true);
    // 110 × 74 with 34 × 34 patterns and 2-pixel gaps: pitch 36, three columns, two rows.
    TPictureCollectionItem* gapped = AddPicture(CellPicture(110, 74, 36), 34, 34, true);
    gapped->SkipWidth = 2;
    gapped->SkipHeight = 2;
    Bind();
    ASSERT_EQ(sheet->Surfaces().size(), 1u);
    EXPECT_TRUE(sheet->Surfaces()[0]->SystemMemory);
    EXPECT_EQ(sheet->PatternCount(), 200);
    EXPECT_EQ(sheet->PatternRect(160), Rect(0, 544, 34, 578));
    ASSERT_EQ(gapped->PatternCount(), 6);
    EXPECT_EQ(gapped->PatternRect(5), Rect(72, 36, 106, 70));
}

TEST_F(ImageList, GappedVideoMemoryBlocksNeverSplitAPattern) {
    // Pitch 36 across 600 pixels: a block is 15 pitches (540), 16 columns fit (576 + gap). One
    // row of patterns fits in 40 pixels: blocks are 36 high, and the 4 leftover rows get blocks
    // of their own.
    TPictureCollectionItem* item = AddPicture(CellPicture(600, 40, 36), 34, 34);
    item->SkipWidth = 2;
    item->SkipHeight = 2;
    Bind();
    ASSERT_EQ(item->PatternCount(), 16);
    ASSERT_EQ(item->Surfaces().size(), 4u);
    EXPECT_EQ(item->Surfaces()[0]->Width(), 540);
    EXPECT_EQ(item->Surfaces()[0]->Height(), 36);
    EXPECT_EQ(item->Surfaces()[1]->Width(), 60);
    EXPECT_EQ(item->Surfaces()[3]->Width(), 60);
    EXPECT_EQ(item->Surfaces()[3]->Height(), 4);
    EXPECT_EQ(item->PatternSurface(15), item->Surfaces()[1].get());
    EXPECT_EQ(item->PatternRect(15), Rect(0, 0, 34, 34));
    TDirectDrawSurface* second = item->Surfaces()[1].get();
    EXPECT_EQ(second->Pixels(0, 0), Device_(second, 16));
}

TEST_F(ImageList, DegenerateGridsGiveNoPatternsInsteadOfFaults) {
    // Pattern wider than the picture: no whole pattern fits, so no block either.
    TPictureCollectionItem* wide = AddPicture(CellPicture(30, 30), 34, 34);
    // A negative gap that cancels the pattern width would divide by zero.
    TPictureCollectionItem* cancel = AddPicture(CellPicture(68, 68), 34, 34);
    cancel->SkipWidth = -34;
    TPictureCollectionItem* cancelSys = AddPicture(CellPicture(68, 68), 34, 34, true);
    cancelSys->SkipHeight = -40;
    TPictureCollectionItem* empty = Items.Add(); // no picture at all
    Bind();
    for (TPictureCollectionItem* item : {wide, cancel, cancelSys, empty}) {
        EXPECT_EQ(item->PatternCount(), 0) << item->Index();
        EXPECT_TRUE(item->Ready());
    }
    EXPECT_TRUE(wide->Surfaces().empty());
    TDirectDrawSurface* dest = Target(64, 64);
    EXPECT_NO_THROW(wide->Draw(dest, 0, 0, 0));
}

TEST_F(ImageList, DrawCopiesOnePatternWithTheColourKey) {
    // Cell 1 of a 68 × 34 sheet becomes lime in its left half: the see-through colour.
    auto dib = CellPicture(68, 34);
    for (int y = 0; y < 34; ++y)
        for (int x = 34; x < 51; ++x)
            dib->ScanLineForWrite(y)[x] = 255;
    TPictureCollectionItem* item = AddPicture(std::move(dib), 34, 34);
    item->SetTransparentColor(clLime);
    Bind();
    TDirectDrawSurface* dest = Target(100, 100);
    const DWORD background = dest->Pixels(0, 0);
    ASSERT_NE(background, Device_(dest, 2));
    item->Draw(dest, 10, 20, 1);
    EXPECT_EQ(dest->Pixels(9, 20), background);
    EXPECT_EQ(dest->Pixels(10, 20), background);       // keyed out
    EXPECT_EQ(dest->Pixels(26, 53), background);       // keyed out
    EXPECT_EQ(dest->Pixels(27, 20), Device_(dest, 2)); // right half of cell 1
    EXPECT_EQ(dest->Pixels(43, 53), Device_(dest, 2));
    EXPECT_EQ(dest->Pixels(44, 20), background);
    EXPECT_EQ(dest->Pixels(27, 54), background);
    // Without the key the lime half is copied too.
    item->Transparent = false;
    item->Draw(dest, 10, 20, 1);
    EXPECT_EQ(dest->Pixels(10, 20), dest->MatchColor(clLime));
}

TEST_F(ImageList, DrawOutsideThePatternsOrBeforeReadyDrawsNothing) {
    TPictureCollectionItem* sheet = AddPicture(CellPicture(340, 680), 34, 34);
    sheet->Transparent = false;
    TDirectDrawSurface* dest = Target(64, 64);
    const DWORD background = dest->Pixels(5, 5);
    sheet->Draw(dest, 0, 0, 0); // not initialised
    EXPECT_EQ(dest->Pixels(5, 5), background);
    Items.InitializeOn(Device.get());
    sheet->Draw(dest, 0, 0, 0); // ready, but not restored: no patterns yet
    EXPECT_EQ(dest->Pixels(5, 5), background);
    Items.Restore();
    for (int index : {-1, 200, 1 << 30}) {
        EXPECT_NO_THROW(sheet->Draw(dest, 0, 0, index));
        EXPECT_EQ(dest->Pixels(5, 5), background) << index;
    }
    sheet->Draw(dest, 0, 0, 199);
    EXPECT_EQ(dest->Pixels(5, 5), Device_(dest, 200));
}

TEST_F(ImageList, TransparentColorReKeysOnlyOnChange) {
    TPictureCollectionItem* sheet = AddPicture(CellPicture(340, 680), 34, 34);
    Bind();
    TDirectDrawSurface* block = sheet->Surfaces()[1].get();
    EXPECT_EQ(block->TransparentColor(), block->MatchColor(clBlack));
    block->SetTransparentColor(12345); // a key the item did not set
    sheet->SetTransparentColor(clBlack);
    EXPECT_EQ(block->TransparentColor(), 12345u);
    sheet->SetTransparentColor(clLime);
    EXPECT_EQ(sheet->TransparentColor(), clLime);
    for (const auto& s : sheet->Surfaces())
        EXPECT_EQ(s->TransparentColor(), s->MatchColor(clLime));
}

TEST_F(ImageList, InitializeFinalizeAndRestoreManageTheSurfaces) {
    TPictureCollectionItem* sheet = AddPicture(CellPicture(340, 680), 34, 34);
    const size_t before = Device->Surfaces().size();
    Bind();
    EXPECT_EQ(Device->Surfaces().size(), before + 2);
    // A restore rebuilds the surfaces instead of piling new ones on.
    Items.Restore();
    EXPECT_EQ(Device->Surfaces().size(), before + 2);
    Items.Finalize();
    EXPECT_FALSE(sheet->Ready());
    EXPECT_EQ(sheet->PatternCount(), 0);
    EXPECT_TRUE(sheet->Surfaces().empty());
    EXPECT_EQ(Device->Surfaces().size(), before);
    EXPECT_FALSE(Items.Initialized());
    // Restore after Finalize: the collection is no longer bound, so nothing is built.
    Items.Restore();
    EXPECT_EQ(sheet->PatternCount(), 0);
    try {
        Items.InitializeOn(nullptr);
        FAIL() << "no error";
    } catch (const EPictureCollectionError& e) {
        EXPECT_STREQ(e.what(), "TPictureCollection cannot be initialized");
    }
}

TEST_F(ImageList, FailedSurfaceCreationPropagatesAndKeepsNothingDangling) {
    TPictureCollectionItem* sheet = AddPicture(CellPicture(340, 680), 34, 34);
    Items.InitializeOn(Device.get());
    SetFaults(DDFAULT_REFUSE_SURFACES);
    EXPECT_THROW(Items.Restore(), EDirectDrawSurfaceError);
    SetFaults(0);
    EXPECT_EQ(sheet->PatternCount(), 0);
    // The next restore starts over and succeeds.
    Items.Restore();
    EXPECT_EQ(sheet->PatternCount(), 200);
    EXPECT_EQ(sheet->Surfaces().size(), 2u);
}

TEST_F(ImageList, AssignCopiesSettingsAndPictureButNotTheName) {
    TPictureCollectionItem* source = AddPicture(CellPicture(340, 680), 34, 34);
    source->SetName("Tile");
    source->SkipWidth = 0;
    source->Transparent = false;
    source->SetTransparentColor(clLime);
    TPictureCollectionItem* copy = AddPicture(CellPicture(100, 100), 50, 50);
    copy->SetName("Other");
    Bind();
    ASSERT_EQ(copy->PatternCount(), 4);
    copy->Assign(*source);
    EXPECT_EQ(copy->Name(), "Other");
    EXPECT_EQ(copy->PatternWidth, 34);
    EXPECT_FALSE(copy->Transparent);
    EXPECT_EQ(copy->TransparentColor(), clLime);
    EXPECT_EQ(copy->Picture().Width(), 340);
    EXPECT_NE(copy->Picture().Graphic(), source->Picture().Graphic());
    // It was ready, so it is rebuilt from the copied picture at once.
    EXPECT_TRUE(copy->Ready());
    EXPECT_EQ(copy->PatternCount(), 200);

    // A whole collection copies item by item, names included.
    TPictureCollection other;
    other.Add()->SetName("stale");
    other.Add();
    other.Add();
    other.Assign(Items);
    ASSERT_EQ(other.Count(), 2);
    EXPECT_EQ(other.Find("tile")->Index(), 0);
    EXPECT_EQ(other.Items(1)->Name(), "Other");
    EXPECT_EQ(other.Items(1)->PatternHeight, 34);
    EXPECT_FALSE(other.Items(0)->Ready());
}

TEST(PictureHolder, ReadingBadDataKeepsThePicture) {
    TPicture picture;
    picture.SetGraphic(CellPicture(34, 34));
    const TGraphic* before = picture.Graphic();
    const uint8_t junk[] = {4, 'T', 'D', 'I', 'B', 40, 0, 0};
    TReadOnlyMemoryStream stream(junk, sizeof junk);
    EXPECT_ANY_THROW(picture.ReadData(stream));
    EXPECT_EQ(picture.Graphic(), before);
    EXPECT_EQ(picture.Width(), 34);
}

TEST(PictureHolder, ColorTableNeedsAllItsBytes) {
    TPictureCollection items;
    items.ColorTable[3].rgbRed = 9;
    uint8_t bytes[1024] = {};
    bytes[4 * 7 + 2] = 77;
    TReadOnlyMemoryStream short_(bytes, 1000);
    EXPECT_THROW(items.ReadColorTable(short_), EReadError);
    EXPECT_EQ(items.ColorTable[3].rgbRed, 9);
    TReadOnlyMemoryStream whole(bytes, 1024);
    items.ReadColorTable(whole);
    EXPECT_EQ(items.ColorTable[7].rgbRed, 77);
    EXPECT_EQ(items.ColorTable[3].rgbRed, 0);
}

} // namespace
