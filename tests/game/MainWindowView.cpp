// The board view on the real main window: frames of its own loop compared pixel for pixel with the
// tile sheet and frame pictures, the wrap-around sprites at the board's edges, the numbered frame.
#include "tests/game/MainWindowHarness.h"

#include "graphics/DXImageList.h"
#include "graphics/DXSpriteEngine.h"

#include <QTest>

namespace {

TEST_F(MainWindowTest, SolvedBoardShowsEveryTileUnderTheFrame) {
    Start();
    RunTicks(3);
    const QImage shot = Shown();
    // Every cell shows its tile's pattern pixel for pixel (highlighted: all tiles are home).
    int wrong = 0;
    for (int r = 1; r <= 10; ++r)
        for (int c = 1; c <= 10; ++c) {
            const int n = Form->Puzzle().TileIn(c, r);
            ASSERT_EQ(n, (r - 1) * 10 + c);
            const int p = Form->Tiles(n)->PatternBase;
            ASSERT_EQ(p, n + 99);
            for (int y = 0; y < 34; ++y)
                for (int x = 0; x < 34; ++x)
                    wrong += (shot.pixel(34 + (c - 1) * 34 + x, 105 + (r - 1) * 34 + y) &
                              0xFFFFFF) != SheetPixel(p, x, y);
        }
    EXPECT_EQ(wrong, 0);
    // Outside the board only the frame picture, and no lime anywhere on the surface.
    std::string where;
    EXPECT_EQ(Differences(shot, Expected(false), where), 0) << where;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 600; ++x)
            ASSERT_NE(shot.pixel(x, y) & 0xFFFFFF, 0x00FF00u) << x << ", " << y;
    // The wrap-around sprites wait at (0, 0) under the frame and are never seen there.
    for (int i : {101, 102}) {
        EXPECT_EQ(Form->Tiles(i)->X, 0);
        EXPECT_EQ(Form->Tiles(i)->Y, 0);
    }
    EXPECT_EQ(shot.copy(0, 0, 34, 34), Frame.copy(0, 0, 34, 34));
    EXPECT_TRUE(Reported.empty());
}

TEST_F(MainWindowTest, SpritesShowExactlyWhereTheyStandAndNowhereOutsideTheBoard) {
    Start();
    RunTicks(1);
    // Tiles moved half off each side of the board and a few swapped patterns: the board shows the
    // parts inside it, the frame hides the rest on all four sides.
    Form->Tiles(1)->X = 34 - 20;   // over the left border
    Form->Tiles(10)->X = 340 + 25; // over the right border
    Form->Tiles(5)->Y = 105 - 30;  // over the top border
    Form->Tiles(95)->Y = 411 + 60; // past the bottom of the surface
    Form->Tiles(42)->PatternBase = 7;
    Form->Tiles(55)->X = 700;  // off the surface altogether: its cell shows the black background
    Form->Tiles(101)->X = 170; // a wrap-around sprite placed on the board shows there
    Form->Tiles(101)->Y = 411;
    Form->Tiles(101)->PatternBase = 150;
    RunTicks(2);
    const QImage shot = Shown();
    std::string where;
    EXPECT_EQ(Differences(shot, Expected(false), where), 0) << where;
    // Spot checks against the sheet: the visible 20 columns of tile 1 are its right-hand ones.
    EXPECT_EQ(shot.pixel(34, 110) & 0xFFFFFF, SheetPixel(Form->Tiles(1)->PatternBase, 20, 5));
    EXPECT_EQ(shot.pixel(180, 420) & 0xFFFFFF, SheetPixel(150, 10, 9));
    EXPECT_EQ(shot.pixel(170 + 10, 275 + 10) & 0xFFFFFF, 0u);
    EXPECT_TRUE(Reported.empty());
}

TEST_F(MainWindowTest, RightwardRowDragShowsTheLeadingDummyInTheLeftmostColumns) {
    Start();
    RunTicks(1);
    const int row = 4, d = 13;
    // A dealt game, its row 4 dragged d pixels to the right and held there.
    Form->btnScrambleclick(nullptr);
    QTest::mousePress(Form->DXDraw1, Qt::LeftButton, {}, {100, 224});
    QTest::mouseMove(Form->DXDraw1, {100 + d, 224});
    ASSERT_EQ(Form->Puzzle().Axis(), TAxis::Row);
    ASSERT_EQ(Form->Puzzle().Line(), row);
    RunTicks(2);
    const QImage shot = Shown();
    const int y0 = 105 + (row - 1) * 34;
    const int end = Form->Tiles(Form->Puzzle().TileIn(10, row))
                        ->PatternBase; // the column-10 tile, re-entering at the left
    ASSERT_EQ(Form->Tiles(101)->PatternBase, end);
    // The board's leftmost d pixel columns show the right-hand d columns of the column-10 tile.
    for (int y = 0; y < 34; ++y)
        for (int x = 0; x < d; ++x)
            ASSERT_EQ(shot.pixel(34 + x, y0 + y) & 0xFFFFFF, SheetPixel(end, 34 - d + x, y))
                << x << ", " << y;
    // Column 1's tile now starts d pixels further right.
    EXPECT_EQ(shot.pixel(34 + d, y0 + 5) & 0xFFFFFF,
              SheetPixel(Form->Tiles(Form->Puzzle().TileIn(1, row))->PatternBase, 0, 5));
    // The real column-10 tile slides under the right-hand border; the trailing dummy stays hidden.
    std::string where;
    EXPECT_EQ(Differences(shot, Expected(false), where), 0) << where;
    for (int x = 374; x < 600; ++x)
        ASSERT_EQ(shot.pixel(x, y0 + 10), Frame.pixel(x, y0 + 10)) << x;
    EXPECT_TRUE(Reported.empty());
}

TEST_F(MainWindowTest, DownwardColumnDragIsClippedAtTheBottomOfTheSurface) {
    Start();
    RunTicks(1);
    const int col = 7;
    Form->btnScrambleclick(nullptr);
    QTest::mousePress(Form->DXDraw1, Qt::LeftButton, {}, {255, 300});
    QTest::mouseMove(Form->DXDraw1, {255, 333});
    ASSERT_EQ(Form->Puzzle().Axis(), TAxis::Col);
    ASSERT_EQ(Form->Puzzle().Line(), col);
    ASSERT_EQ(Form->Tiles(102)->Y, 445 + 33); // two pixel rows left on the surface
    RunTicks(3);
    EXPECT_TRUE(Reported.empty()) << Reported.front();
    const QImage shot = Shown();
    std::string where;
    EXPECT_EQ(Differences(shot, Expected(false), where), 0) << where;
    // The leading dummy fills the top 33 rows of the column with the bottom tile's lower part.
    const int x0 = 34 + (col - 1) * 34;
    EXPECT_EQ(shot.pixel(x0 + 3, 105) & 0xFFFFFF,
              SheetPixel(Form->Tiles(Form->Puzzle().TileIn(col, 10))->PatternBase, 3, 1));
    // The bottom rows of the surface still show the frame, not the trailing dummy.
    EXPECT_EQ(shot.pixel(x0 + 3, 479), Frame.pixel(x0 + 3, 479));
}

TEST_F(MainWindowTest, NumberedFrameShowsFromTheNextFrameOn) {
    Start();
    RunTicks(1);
    std::string where;
    ASSERT_EQ(Differences(Shown(), Expected(false), where), 0) << where;
    ASSERT_GT(Differences(Expected(false), Expected(true), where), 0); // the pictures do differ
    Form->NumberedSetting = "1";
    RunTicks(1);
    EXPECT_EQ(Differences(Shown(), Expected(true), where), 0) << where;
    Form->NumberedSetting = "yes"; // only "1" switches the numbers on
    RunTicks(1);
    EXPECT_EQ(Differences(Shown(), Expected(false), where), 0) << where;
}

TEST_F(MainWindowTest, FramesFollowTheDisplayAndStopWhileItCannotDraw) {
    Start();
    EXPECT_TRUE(Form->DXDraw1->Initialized());
    EXPECT_TRUE(Form->DXTimer1->Enabled());
    RunTicks(2);
    EXPECT_EQ(Form->DXSpriteEngine1->Root().PaintedCount, 102); // the hidden dummies are drawn too
    Form->DXDraw1->Finalize();
    EXPECT_FALSE(Form->DXTimer1->Enabled());
    const int before = Ticks;
    for (int i = 0; i < 20; ++i)
        App->ProcessMessages();
    EXPECT_EQ(Ticks, before);
    // A tick while the display cannot draw does nothing and reports nothing.
    Form->DXTimer1Timer(Form->DXTimer1, 1);
    EXPECT_TRUE(Reported.empty());
    Form->DXDraw1->Initialize();
    EXPECT_TRUE(Form->DXTimer1->Enabled());
    RunTicks(1);
}

} // namespace

namespace {

// A frame is made only when something can have changed what it shows, and then at the next tick:
// a still board costs no frame, each kind of change costs exactly one and shows at once.
TEST_F(MainWindowTest, EachKindOfChangeShowsAtTheNextFrameAndAStillBoardMakesNone) {
    Start();
    RunTicks(1);
    TCustomDXDraw* dx = Form->DXDraw1;
    const auto frames = [dx] { return dx->VerticalBlankWaits(); }; // every frame waits once
    const auto framesOver = [&](int ticks) {
        const unsigned long before = frames();
        RunTicks(ticks);
        return frames() - before;
    };
    EXPECT_EQ(framesOver(5), 0u);
    std::string where;
    const auto showsTheBoard = [&](bool numbered, const char* change) {
        SCOPED_TRACE(change);
        EXPECT_EQ(framesOver(1), 1u);
        EXPECT_EQ(Differences(Shown(), Expected(numbered), where), 0) << where;
        RunTicks(1); // the look at the window above was an uncovering: one more frame
        EXPECT_EQ(framesOver(3), 0u);
    };
    TMySprite* tile = Form->Tiles(34);
    tile->PatternBase = tile->PatternBase >= 100 ? 33 : 133; // a highlight flipped, nothing else
    showsTheBoard(false, "highlight");
    Form->Tiles(35)->Y += 340; // a sprite moved (off the board: its cell shows black)
    showsTheBoard(false, "moved");
    Form->NumberedSetting = "1";
    showsTheBoard(true, "numbers");
    Form->DXDraw1->ApplyColorTable(Form->DXDraw1->ColorTable); // the palette written again
    showsTheBoard(true, "palette");
    LoadPlatformFunctionAs<TDirectDrawLoseAllSurfaces>("DDraw.dll", "DirectDrawLoseAllSurfaces")();
    showsTheBoard(true, "lost"); // restored and cleared: drawn again, not left black
    dx->update(); // uncovered
    App->ProcessMessages();
    showsTheBoard(true, "uncovered");
    // The keyboard cursor, drawn over the frame picture, shows at the next frame as well.
    QTest::keyClick(Form, Qt::Key_Right);
    ASSERT_TRUE(Form->CursorShown());
    EXPECT_EQ(framesOver(1), 1u);
    EXPECT_GT(Differences(Shown(), Expected(true), where), 0); // the cursor's outline
    RunTicks(1);
    QTest::keyClick(Form, Qt::Key_Down);
    EXPECT_EQ(framesOver(1), 1u);
}

} // namespace
