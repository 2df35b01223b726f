// Scrolling a row or column with the wrap-around tiles, cut off at one cell, and finishing steps.
#include "tests/game/model/PuzzleHarness.h"

#include "platform/rtl/Exceptions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

class Scrolling : public ::testing::Test {
protected:
    // One full step of the current line in a direction, as the drag gesture makes it.
    void Step(int dir) {
        ASSERT_TRUE(P.Scroll(dir * 50.0));
        P.CompleteMove();
    }
    TSolvedPuzzle Board;
    TPuzzle& P = Board.P;
};

TEST_F(Scrolling, DummiesStandAtTheEndsOfTheLineWithTheEnteringTiles) {
    P.RotateLine(TAxis::Row, 3, 1);
    P.CheckSolution(true); // tiles of row 3 lose their highlight, others keep it
    P.BeginLine(TAxis::Row, 3);
    EXPECT_EQ(P.Place(101).X, 0);
    EXPECT_EQ(P.Place(101).Y, 173);
    EXPECT_EQ(P.Place(101).PatternBase, P.Place(P.TileIn(10, 3)).PatternBase);
    EXPECT_EQ(P.Place(101).PatternBase, 28); // tile 29, now at the right-hand end
    EXPECT_EQ(P.Place(102).X, 374);
    EXPECT_EQ(P.Place(102).Y, 173);
    EXPECT_EQ(P.Place(102).PatternBase, 29); // tile 30, now at the left-hand end

    P.BeginLine(TAxis::Col, 10);
    EXPECT_EQ(P.Place(101).X, 340);
    EXPECT_EQ(P.Place(101).Y, 71);
    EXPECT_EQ(P.Place(101).PatternBase, 199); // tile 100, highlighted
    EXPECT_EQ(P.Place(102).X, 340);
    EXPECT_EQ(P.Place(102).Y, 445);
    EXPECT_EQ(P.Place(102).PatternBase, 109); // tile 10, highlighted
    EXPECT_THROW(P.BeginLine(TAxis::Row, 0), EListError);
}

TEST_F(Scrolling, FiftyPixelsRightMakeExactlyOneStep) {
    P.BeginLine(TAxis::Row, 2);
    P.Scroll(50);
    EXPECT_TRUE(P.StepDone());
    EXPECT_EQ(P.Direction(), 1);
    EXPECT_EQ(P.Place(101).X, 34);
    EXPECT_EQ(P.Place(102).X, 408);
    EXPECT_EQ(P.Place(11).X, 68);
    EXPECT_EQ(P.Place(20).X, 374); // pushed past the right-hand end
    P.CompleteMove();
    EXPECT_EQ(P.TileIn(1, 2), 20);
    EXPECT_EQ(P.Place(20).X, 34);
    EXPECT_TRUE(TilesOnTheirCells(P));
    EXPECT_EQ(P.Place(101).X, 0);
    EXPECT_EQ(P.Place(102).X, 374);
    EXPECT_EQ(P.Place(101).PatternBase, P.Place(19).PatternBase); // new right-hand end tile
    EXPECT_EQ(P.NetShift(), 1);
}

TEST_F(Scrolling, ExactlyOneCellCountsAndOnePixelLessDoesNot) {
    P.BeginLine(TAxis::Row, 5);
    P.Scroll(-34);
    EXPECT_TRUE(P.StepDone());
    EXPECT_EQ(P.Direction(), -1);
    P.CompleteMove();
    EXPECT_EQ(P.TileIn(10, 5), 41);
    EXPECT_EQ(P.Place(41).X, 340);
    EXPECT_TRUE(TilesOnTheirCells(P));
    EXPECT_EQ(P.NetShift(), -1);

    P.BeginLine(TAxis::Row, 5);
    P.Scroll(33);
    EXPECT_FALSE(P.StepDone());
    EXPECT_EQ(P.Direction(), 0);
    EXPECT_EQ(P.Place(101).X, 33);
    EXPECT_EQ(P.Place(P.TileIn(1, 5)).X, 67);
    P.Scroll(0);
    EXPECT_FALSE(P.StepDone());
    EXPECT_EQ(P.Place(101).X, 33);
}

TEST_F(Scrolling, ZeroMovesNothingAndFinishesNothing) {
    P.BeginLine(TAxis::Row, 1);
    const auto before = Snapshot(P);
    P.Scroll(0);
    EXPECT_FALSE(P.StepDone());
    EXPECT_EQ(P.Place(101).X, 0);
    EXPECT_TRUE(TilesOnTheirCells(P));
    // Finishing without a completed step must not turn the grid under still sprites.
    P.CompleteMove();
    EXPECT_EQ(Snapshot(P), before);
    EXPECT_EQ(P.NetShift(), 0);
    EXPECT_TRUE(TilesOnTheirCells(P));
}

TEST_F(Scrolling, FortyPixelsUpMoveAColumnOneCell) {
    P.BeginLine(TAxis::Col, 4);
    P.Scroll(-40);
    EXPECT_TRUE(P.StepDone());
    EXPECT_EQ(P.Direction(), -1);
    EXPECT_EQ(P.Place(101).Y, 37);
    EXPECT_EQ(P.Place(4).Y, 71);
    P.CompleteMove();
    EXPECT_EQ(P.Place(4).Y, 411); // the former row-1 tile re-enters at the bottom
    EXPECT_EQ(P.TileIn(4, 10), 4);
    EXPECT_EQ(P.TileIn(4, 1), 14);
    EXPECT_TRUE(TilesOnTheirCells(P));
    EXPECT_EQ(P.Place(101).Y, 71);
    EXPECT_EQ(P.Place(102).Y, 445);

    P.BeginLine(TAxis::Col, 4);
    P.Scroll(34);
    EXPECT_EQ(P.Direction(), 1);
    P.CompleteMove();
    EXPECT_EQ(P.TileIn(4, 1), 4);
    EXPECT_EQ(P.Place(4).Y, 105);
    EXPECT_TRUE(TilesOnTheirCells(P));
    EXPECT_EQ(P.NetShift(), 0);
}

TEST_F(Scrolling, DisplacementsAddUpAndTheOvershootIsDropped) {
    P.BeginLine(TAxis::Row, 6);
    P.Scroll(20);
    EXPECT_FALSE(P.StepDone());
    const double before = P.Place(P.TileIn(3, 6)).X;
    P.Scroll(20); // the second call completes the step by moving 14
    EXPECT_TRUE(P.StepDone());
    EXPECT_EQ(P.Place(P.TileIn(3, 6)).X, before + 14);
    P.CompleteMove();
    EXPECT_TRUE(TilesOnTheirCells(P));

    P.BeginLine(TAxis::Col, 6);
    P.Scroll(12.5);
    P.Scroll(-1000); // from +12.5 all the way to -34 in one call, no more
    EXPECT_EQ(P.Direction(), -1);
    EXPECT_EQ(P.Place(101).Y, 37);
    P.CompleteMove();
    EXPECT_TRUE(TilesOnTheirCells(P));
}

TEST_F(Scrolling, TenStepsCancelOutAndNineRightOneLeftLeaveEight) {
    const auto start = Snapshot(P);
    P.BeginLine(TAxis::Row, 8);
    for (int i = 1; i <= 10; ++i) {
        Step(1);
        if (i < 10) {
            EXPECT_EQ(P.NetShift(), i);
        }
    }
    EXPECT_EQ(P.NetShift(), 0);
    EXPECT_EQ(Snapshot(P), start);
    EXPECT_TRUE(TilesOnTheirCells(P));

    for (int i = 0; i < 9; ++i)
        Step(1);
    Step(-1);
    EXPECT_EQ(P.NetShift(), 8);
    EXPECT_TRUE(TilesOnTheirCells(P));
    EXPECT_EQ(P.TileIn(1, 8), 73); // net 8 cells right

    TSolvedPuzzle other;
    other.P.BeginLine(TAxis::Row, 8);
    for (int i = 1; i <= 10; ++i) {
        ASSERT_TRUE(other.P.Scroll(-34));
        other.P.CompleteMove();
        EXPECT_EQ(other.P.NetShift(), i < 10 ? -i : 0);
    }
}

TEST_F(Scrolling, LinesMustBeChosenAndDistancesMeasurable) {
    EXPECT_THROW(P.Scroll(5), EListError); // no line chosen yet
    EXPECT_THROW(P.CompleteMove(), EListError);
    EXPECT_THROW(P.BeginLine(TAxis::Col, 11), EListError);
    EXPECT_THROW(P.BeginLine(TAxis::None, 3), EListError);
    EXPECT_EQ(P.Axis(), TAxis::None);
    P.BeginLine(TAxis::Row, 2);
    P.Scroll(std::numeric_limits<double>::quiet_NaN());
    P.Scroll(std::numeric_limits<double>::infinity());
    EXPECT_FALSE(P.StepDone());
    EXPECT_TRUE(TilesOnTheirCells(P));
    EXPECT_EQ(P.Place(101).X, 0);
}

} // namespace
