// Scrolling a row or column with the wrap-around sprites, cut off at one cell, and finishing steps.
#include "tests/game/BoardHarness.h"

#include "platform/rtl/Exceptions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

class Scrolling : public ::testing::Test {
protected:
    void StartRow(int row) {
        RowIndex = row;
        Board.Form->PlaceDummySprites("Row", row);
        StepDone = false;
        Direction = 0;
    }
    void StartCol(int col) {
        ColIndex = col;
        Board.Form->PlaceDummySprites("Col", col);
        StepDone = false;
        Direction = 0;
    }
    // One full step of the current row in a direction, as the drag gesture makes it.
    void RowStep(int dir) {
        StepDone = false;
        Direction = 0;
        Board.Form->ScrollRow(dir * 50.0);
        ASSERT_TRUE(StepDone);
        Board.Form->CompleteRowMove();
    }
    void TearDown() override {
        StepDone = true;
        Direction = 0;
    }

    TBoard Board;
};

TEST_F(Scrolling, DummiesStandAtTheEndsOfTheLineWithTheEnteringTiles) {
    RotateLine("Row", 3, 1);
    Board.Form->CheckSolution(); // tiles of row 3 lose their highlight, others keep it
    Board.Form->PlaceDummySprites("Row", 3);
    EXPECT_EQ(Tiles[101]->X, 0);
    EXPECT_EQ(Tiles[101]->Y, 173);
    EXPECT_EQ(Tiles[101]->PatternBase, Tiles[Grid[10][3]]->PatternBase);
    EXPECT_EQ(Tiles[101]->PatternBase, 28); // tile 29, now at the right-hand end
    EXPECT_EQ(Tiles[102]->X, 374);
    EXPECT_EQ(Tiles[102]->Y, 173);
    EXPECT_EQ(Tiles[102]->PatternBase, 29); // tile 30, now at the left-hand end

    Board.Form->PlaceDummySprites("Col", 10);
    EXPECT_EQ(Tiles[101]->X, 340);
    EXPECT_EQ(Tiles[101]->Y, 71);
    EXPECT_EQ(Tiles[101]->PatternBase, 199); // tile 100, highlighted
    EXPECT_EQ(Tiles[102]->X, 340);
    EXPECT_EQ(Tiles[102]->Y, 445);
    EXPECT_EQ(Tiles[102]->PatternBase, 109); // tile 10, highlighted
    EXPECT_THROW(Board.Form->PlaceDummySprites("Row", 0), EListError);
}

TEST_F(Scrolling, FiftyPixelsRightMakeExactlyOneStep) {
    StartRow(2);
    Board.Form->ScrollRow(50);
    EXPECT_TRUE(StepDone);
    EXPECT_EQ(Direction, 1);
    EXPECT_EQ(Tiles[101]->X, 34);
    EXPECT_EQ(Tiles[102]->X, 408);
    EXPECT_EQ(Tiles[11]->X, 68);
    EXPECT_EQ(Tiles[20]->X, 374); // pushed past the right-hand end
    Board.Form->CompleteRowMove();
    EXPECT_EQ(Grid[1][2], 20);
    EXPECT_EQ(Tiles[20]->X, 34);
    EXPECT_TRUE(TBoard::SpritesOnTheirCells());
    EXPECT_EQ(Tiles[101]->X, 0);
    EXPECT_EQ(Tiles[102]->X, 374);
    EXPECT_EQ(Tiles[101]->PatternBase, Tiles[19]->PatternBase); // new right-hand end tile
    EXPECT_EQ(NetShift, 1);
}

TEST_F(Scrolling, ExactlyOneCellCountsAndOnePixelLessDoesNot) {
    StartRow(5);
    Board.Form->ScrollRow(-34);
    EXPECT_TRUE(StepDone);
    EXPECT_EQ(Direction, -1);
    Board.Form->CompleteRowMove();
    EXPECT_EQ(Grid[10][5], 41);
    EXPECT_EQ(Tiles[41]->X, 340);
    EXPECT_TRUE(TBoard::SpritesOnTheirCells());
    EXPECT_EQ(NetShift, -1);

    StartRow(5);
    Board.Form->ScrollRow(33);
    EXPECT_FALSE(StepDone);
    EXPECT_EQ(Direction, 0);
    EXPECT_EQ(Tiles[101]->X, 33);
    EXPECT_EQ(Tiles[Grid[1][5]]->X, 67);
    Board.Form->ScrollRow(0);
    EXPECT_FALSE(StepDone);
    EXPECT_EQ(Tiles[101]->X, 33);
}

TEST_F(Scrolling, ZeroMovesNothingAndFinishesNothing) {
    StartRow(1);
    const auto before = TBoard::Snapshot();
    Board.Form->ScrollRow(0);
    EXPECT_FALSE(StepDone);
    EXPECT_EQ(Tiles[101]->X, 0);
    EXPECT_TRUE(TBoard::SpritesOnTheirCells());
    // Finishing without a completed step must not turn the grid under still sprites.
    Board.Form->CompleteRowMove();
    EXPECT_EQ(TBoard::Snapshot(), before);
    EXPECT_EQ(NetShift, 0);
    EXPECT_TRUE(TBoard::SpritesOnTheirCells());
}

TEST_F(Scrolling, FortyPixelsUpMoveAColumnOneCell) {
    StartCol(4);
    Board.Form->ScrollCol(-40);
    EXPECT_TRUE(StepDone);
    EXPECT_EQ(Direction, -1);
    EXPECT_EQ(Tiles[101]->Y, 37);
    EXPECT_EQ(Tiles[4]->Y, 71);
    Board.Form->CompleteColMove();
    EXPECT_EQ(Tiles[4]->Y, 411); // the former row-1 tile re-enters at the bottom
    EXPECT_EQ(Grid[4][10], 4);
    EXPECT_EQ(Grid[4][1], 14);
    EXPECT_TRUE(TBoard::SpritesOnTheirCells());
    EXPECT_EQ(Tiles[101]->Y, 71);
    EXPECT_EQ(Tiles[102]->Y, 445);

    StartCol(4);
    Board.Form->ScrollCol(34);
    EXPECT_EQ(Direction, 1);
    Board.Form->CompleteColMove();
    EXPECT_EQ(Grid[4][1], 4);
    EXPECT_EQ(Tiles[4]->Y, 105);
    EXPECT_TRUE(TBoard::SpritesOnTheirCells());
    EXPECT_EQ(NetShift, 0);
}

TEST_F(Scrolling, DisplacementsAddUpAndTheOvershootIsDropped) {
    StartRow(6);
    Board.Form->ScrollRow(20);
    EXPECT_FALSE(StepDone);
    const double before = Tiles[Grid[3][6]]->X;
    Board.Form->ScrollRow(20); // the second call completes the step by moving 14
    EXPECT_TRUE(StepDone);
    EXPECT_EQ(Tiles[Grid[3][6]]->X, before + 14);
    Board.Form->CompleteRowMove();
    EXPECT_TRUE(TBoard::SpritesOnTheirCells());

    StartCol(6);
    Board.Form->ScrollCol(12.5);
    Board.Form->ScrollCol(-1000); // from +12.5 all the way to -34 in one call, no more
    EXPECT_EQ(Direction, -1);
    EXPECT_EQ(Tiles[101]->Y, 37);
    Board.Form->CompleteColMove();
    EXPECT_TRUE(TBoard::SpritesOnTheirCells());
}

TEST_F(Scrolling, TenStepsCancelOutAndNineRightOneLeftLeaveEight) {
    const auto start = TBoard::Snapshot();
    StartRow(8);
    for (int i = 1; i <= 10; ++i) {
        RowStep(1);
        if (i < 10) {
            EXPECT_EQ(NetShift, i);
        }
    }
    EXPECT_EQ(NetShift, 0);
    EXPECT_EQ(TBoard::Snapshot(), start);
    EXPECT_TRUE(TBoard::SpritesOnTheirCells());

    for (int i = 0; i < 9; ++i)
        RowStep(1);
    RowStep(-1);
    EXPECT_EQ(NetShift, 8);
    EXPECT_TRUE(TBoard::SpritesOnTheirCells());
    EXPECT_EQ(Grid[1][8], 73); // net 8 cells right

    NetShift = 0;
    for (int i = 0; i < 10; ++i)
        RowStep(-1);
    EXPECT_EQ(NetShift, 0);
}

TEST_F(Scrolling, LinesMustBeChosenAndDistancesMeasurable) {
    RowIndex = 0;
    EXPECT_THROW(Board.Form->ScrollRow(5), EListError);
    EXPECT_THROW(Board.Form->CompleteRowMove(), EListError);
    ColIndex = 11;
    EXPECT_THROW(Board.Form->ScrollCol(5), EListError);
    StartRow(2);
    Board.Form->ScrollRow(std::numeric_limits<double>::quiet_NaN());
    Board.Form->ScrollRow(std::numeric_limits<double>::infinity());
    EXPECT_FALSE(StepDone);
    EXPECT_TRUE(TBoard::SpritesOnTheirCells());
    EXPECT_EQ(Tiles[101]->X, 0);
}

TEST(ScrollingWithoutSprites, RefusedBeforeTheBoardExists) {
    TForm1 form;
    RowIndex = 1;
    EXPECT_THROW(form.ScrollRow(10), Exception);
    EXPECT_THROW(form.PlaceDummySprites("Row", 1), Exception);
    RowIndex = 0;
}

} // namespace
