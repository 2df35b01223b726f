// Scrolling a row or column with the wrap-around tiles, cut off at one cell, and finishing steps.
#include "tests/game/model/PuzzleHarness.h"

#include "platform/rtl/Exceptions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

class Scrolling : public ::testing::Test {
protected:
    void StartRow(int row) {
        P.RowIndex = row;
        P.PlaceDummySprites("Row", row);
        P.StepDone = false;
        P.Direction = 0;
    }
    void StartCol(int col) {
        P.ColIndex = col;
        P.PlaceDummySprites("Col", col);
        P.StepDone = false;
        P.Direction = 0;
    }
    // One full step of the current row in a direction, as the drag gesture makes it.
    void RowStep(int dir) {
        P.StepDone = false;
        P.Direction = 0;
        P.ScrollRow(dir * 50.0);
        ASSERT_TRUE(P.StepDone);
        P.CompleteRowMove();
    }
    TSolvedPuzzle Board;
    TPuzzle& P = Board.P;
};

TEST_F(Scrolling, DummiesStandAtTheEndsOfTheLineWithTheEnteringTiles) {
    P.RotateLine("Row", 3, 1);
    P.CheckSolution(true); // tiles of row 3 lose their highlight, others keep it
    P.PlaceDummySprites("Row", 3);
    EXPECT_EQ(P.Tiles[101].X, 0);
    EXPECT_EQ(P.Tiles[101].Y, 173);
    EXPECT_EQ(P.Tiles[101].PatternBase, P.Tiles[P.Grid[10][3]].PatternBase);
    EXPECT_EQ(P.Tiles[101].PatternBase, 28); // tile 29, now at the right-hand end
    EXPECT_EQ(P.Tiles[102].X, 374);
    EXPECT_EQ(P.Tiles[102].Y, 173);
    EXPECT_EQ(P.Tiles[102].PatternBase, 29); // tile 30, now at the left-hand end

    P.PlaceDummySprites("Col", 10);
    EXPECT_EQ(P.Tiles[101].X, 340);
    EXPECT_EQ(P.Tiles[101].Y, 71);
    EXPECT_EQ(P.Tiles[101].PatternBase, 199); // tile 100, highlighted
    EXPECT_EQ(P.Tiles[102].X, 340);
    EXPECT_EQ(P.Tiles[102].Y, 445);
    EXPECT_EQ(P.Tiles[102].PatternBase, 109); // tile 10, highlighted
    EXPECT_THROW(P.PlaceDummySprites("Row", 0), EListError);
}

TEST_F(Scrolling, FiftyPixelsRightMakeExactlyOneStep) {
    StartRow(2);
    P.ScrollRow(50);
    EXPECT_TRUE(P.StepDone);
    EXPECT_EQ(P.Direction, 1);
    EXPECT_EQ(P.Tiles[101].X, 34);
    EXPECT_EQ(P.Tiles[102].X, 408);
    EXPECT_EQ(P.Tiles[11].X, 68);
    EXPECT_EQ(P.Tiles[20].X, 374); // pushed past the right-hand end
    P.CompleteRowMove();
    EXPECT_EQ(P.Grid[1][2], 20);
    EXPECT_EQ(P.Tiles[20].X, 34);
    EXPECT_TRUE(TilesOnTheirCells(P));
    EXPECT_EQ(P.Tiles[101].X, 0);
    EXPECT_EQ(P.Tiles[102].X, 374);
    EXPECT_EQ(P.Tiles[101].PatternBase, P.Tiles[19].PatternBase); // new right-hand end tile
    EXPECT_EQ(P.NetShift, 1);
}

TEST_F(Scrolling, ExactlyOneCellCountsAndOnePixelLessDoesNot) {
    StartRow(5);
    P.ScrollRow(-34);
    EXPECT_TRUE(P.StepDone);
    EXPECT_EQ(P.Direction, -1);
    P.CompleteRowMove();
    EXPECT_EQ(P.Grid[10][5], 41);
    EXPECT_EQ(P.Tiles[41].X, 340);
    EXPECT_TRUE(TilesOnTheirCells(P));
    EXPECT_EQ(P.NetShift, -1);

    StartRow(5);
    P.ScrollRow(33);
    EXPECT_FALSE(P.StepDone);
    EXPECT_EQ(P.Direction, 0);
    EXPECT_EQ(P.Tiles[101].X, 33);
    EXPECT_EQ(P.Tiles[P.Grid[1][5]].X, 67);
    P.ScrollRow(0);
    EXPECT_FALSE(P.StepDone);
    EXPECT_EQ(P.Tiles[101].X, 33);
}

TEST_F(Scrolling, ZeroMovesNothingAndFinishesNothing) {
    StartRow(1);
    const auto before = Snapshot(P);
    P.ScrollRow(0);
    EXPECT_FALSE(P.StepDone);
    EXPECT_EQ(P.Tiles[101].X, 0);
    EXPECT_TRUE(TilesOnTheirCells(P));
    // Finishing without a completed step must not turn the grid under still sprites.
    P.CompleteRowMove();
    EXPECT_EQ(Snapshot(P), before);
    EXPECT_EQ(P.NetShift, 0);
    EXPECT_TRUE(TilesOnTheirCells(P));
}

TEST_F(Scrolling, FortyPixelsUpMoveAColumnOneCell) {
    StartCol(4);
    P.ScrollCol(-40);
    EXPECT_TRUE(P.StepDone);
    EXPECT_EQ(P.Direction, -1);
    EXPECT_EQ(P.Tiles[101].Y, 37);
    EXPECT_EQ(P.Tiles[4].Y, 71);
    P.CompleteColMove();
    EXPECT_EQ(P.Tiles[4].Y, 411); // the former row-1 tile re-enters at the bottom
    EXPECT_EQ(P.Grid[4][10], 4);
    EXPECT_EQ(P.Grid[4][1], 14);
    EXPECT_TRUE(TilesOnTheirCells(P));
    EXPECT_EQ(P.Tiles[101].Y, 71);
    EXPECT_EQ(P.Tiles[102].Y, 445);

    StartCol(4);
    P.ScrollCol(34);
    EXPECT_EQ(P.Direction, 1);
    P.CompleteColMove();
    EXPECT_EQ(P.Grid[4][1], 4);
    EXPECT_EQ(P.Tiles[4].Y, 105);
    EXPECT_TRUE(TilesOnTheirCells(P));
    EXPECT_EQ(P.NetShift, 0);
}

TEST_F(Scrolling, DisplacementsAddUpAndTheOvershootIsDropped) {
    StartRow(6);
    P.ScrollRow(20);
    EXPECT_FALSE(P.StepDone);
    const double before = P.Tiles[P.Grid[3][6]].X;
    P.ScrollRow(20); // the second call completes the step by moving 14
    EXPECT_TRUE(P.StepDone);
    EXPECT_EQ(P.Tiles[P.Grid[3][6]].X, before + 14);
    P.CompleteRowMove();
    EXPECT_TRUE(TilesOnTheirCells(P));

    StartCol(6);
    P.ScrollCol(12.5);
    P.ScrollCol(-1000); // from +12.5 all the way to -34 in one call, no more
    EXPECT_EQ(P.Direction, -1);
    EXPECT_EQ(P.Tiles[101].Y, 37);
    P.CompleteColMove();
    EXPECT_TRUE(TilesOnTheirCells(P));
}

TEST_F(Scrolling, TenStepsCancelOutAndNineRightOneLeftLeaveEight) {
    const auto start = Snapshot(P);
    StartRow(8);
    for (int i = 1; i <= 10; ++i) {
        RowStep(1);
        if (i < 10) {
            EXPECT_EQ(P.NetShift, i);
        }
    }
    EXPECT_EQ(P.NetShift, 0);
    EXPECT_EQ(Snapshot(P), start);
    EXPECT_TRUE(TilesOnTheirCells(P));

    for (int i = 0; i < 9; ++i)
        RowStep(1);
    RowStep(-1);
    EXPECT_EQ(P.NetShift, 8);
    EXPECT_TRUE(TilesOnTheirCells(P));
    EXPECT_EQ(P.Grid[1][8], 73); // net 8 cells right

    P.NetShift = 0;
    for (int i = 0; i < 10; ++i)
        RowStep(-1);
    EXPECT_EQ(P.NetShift, 0);
}

TEST_F(Scrolling, LinesMustBeChosenAndDistancesMeasurable) {
    P.RowIndex = 0;
    EXPECT_THROW(P.ScrollRow(5), EListError);
    EXPECT_THROW(P.CompleteRowMove(), EListError);
    P.ColIndex = 11;
    EXPECT_THROW(P.ScrollCol(5), EListError);
    StartRow(2);
    P.ScrollRow(std::numeric_limits<double>::quiet_NaN());
    P.ScrollRow(std::numeric_limits<double>::infinity());
    EXPECT_FALSE(P.StepDone);
    EXPECT_TRUE(TilesOnTheirCells(P));
    EXPECT_EQ(P.Tiles[101].X, 0);
}

} // namespace
