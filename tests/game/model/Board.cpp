// Puzzle model board: start layout, solution test with highlighting, line rotation.
#include "tests/game/model/PuzzleHarness.h"

#include "platform/rtl/Exceptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(Board, StartLayoutIsSolvedAndResetsTheGameButNotTheStep) {
    TSolvedPuzzle s;
    TPuzzle& P = s.P;
    EXPECT_EQ(P.Grid[1][1], 1);
    EXPECT_EQ(P.Grid[10][1], 10);
    EXPECT_EQ(P.Grid[1][2], 11);
    EXPECT_EQ(P.Tiles[100].X, 340);
    EXPECT_EQ(P.Tiles[100].Y, 411);
    EXPECT_TRUE(TilesOnTheirCells(P));
    for (int n = 1; n <= 100; ++n)
        ASSERT_EQ(P.Tiles[n].PatternBase, n + 99);

    P.Moves = 7;
    P.Dragging = P.GameActive = true;
    P.ColIndex = 3;
    P.RowIndex = 4;
    P.LastX = 100;
    P.LastY = 200;
    P.NetShift = 5;
    P.Axis = "Row";
    P.StepDone = false;
    P.Direction = -1;
    P.Tiles[LeadingDummy] = {12, 13, 14};
    P.RotateLine("Row", 2, 1);
    P.SetStartPos(SolvedLayout(), false);
    EXPECT_EQ(Snapshot(P), Snapshot(TSolvedPuzzle().P));
    EXPECT_EQ(P.Moves, 0);
    EXPECT_FALSE(P.Dragging);
    EXPECT_FALSE(P.GameActive);
    EXPECT_EQ(P.ColIndex + P.RowIndex + P.LastX + P.LastY + P.NetShift, 0);
    EXPECT_EQ(P.Axis, "");
    EXPECT_FALSE(P.StepDone);
    EXPECT_EQ(P.Direction, -1);
    EXPECT_EQ(P.Tiles[LeadingDummy].X, 12); // the wrap-around tiles are left alone
    EXPECT_EQ(P.Tiles[1].PatternBase, 0);
}

TEST(Board, HighlightFollowsTheSettingAndTheHomeCellOnlyAtTheNextCheck) {
    TSolvedPuzzle s;
    TPuzzle& P = s.P;
    P.RotateLine("Row", 3, 1);               // row 3: tiles 21..30 each one column right
    EXPECT_EQ(P.Tiles[21].PatternBase, 120); // not refreshed before the next check
    EXPECT_FALSE(P.CheckSolution(true));
    for (int n = 21; n <= 30; ++n)
        EXPECT_EQ(P.Tiles[n].PatternBase, n - 1) << n; // in its home row, wrong column
    EXPECT_EQ(P.Tiles[20].PatternBase, 119);
    EXPECT_EQ(P.Tiles[31].PatternBase, 130);
    // Switching off turns every placed tile back without changing the result.
    EXPECT_FALSE(P.CheckSolution(false));
    EXPECT_EQ(P.Tiles[20].PatternBase, 19);
    P.RotateLine("Row", 3, -1);
    EXPECT_TRUE(P.CheckSolution(true));
    EXPECT_EQ(P.Tiles[21].PatternBase, 120);
}

TEST(RotateLine, TurnsOnlyTheGivenLineAndTenTurnsRestoreIt) {
    TSolvedPuzzle s;
    TPuzzle& P = s.P;
    const auto start = Snapshot(P);
    P.RotateLine("Row", 4, 1);
    EXPECT_EQ(P.Grid[1][4], 40);
    EXPECT_EQ(P.Grid[2][4], 31);
    EXPECT_EQ(P.Grid[10][4], 39);
    auto now = Snapshot(P);
    for (int i = 0; i < 100; ++i)
        if (i / 10 != 3) {
            EXPECT_EQ(now[size_t(i)], start[size_t(i)]) << i;
        }
    P.RotateLine("Row", 4, -1);
    EXPECT_EQ(Snapshot(P), start);

    P.RotateLine("Col", 7, 1);
    EXPECT_EQ(P.Grid[7][1], 97);
    EXPECT_EQ(P.Grid[7][2], 7);
    now = Snapshot(P);
    for (int i = 0; i < 100; ++i)
        if (i % 10 != 6) {
            EXPECT_EQ(now[size_t(i)], start[size_t(i)]) << i;
        }
    P.RotateLine("anything", 7, 5); // not "Row": a column; not +1: upwards
    EXPECT_EQ(Snapshot(P), start);
    P.RotateLine("row", 1, -1); // the axis text is compared exactly: this is a column
    EXPECT_EQ(P.Grid[1][10], 1);
    P.RotateLine("Col", 1, 1);

    for (const char* axis : {"Row", "Col"})
        for (int dir : {1, -1}) {
            for (int i = 0; i < 10; ++i) {
                P.RotateLine(axis, 5, dir);
                if (i < 9) {
                    ASSERT_NE(Snapshot(P), start);
                }
            }
            EXPECT_EQ(Snapshot(P), start) << axis << dir;
        }
    EXPECT_THROW(P.RotateLine("Row", 0, 1), EListError);
    EXPECT_THROW(P.RotateLine("Col", 11, -1), EListError);
    EXPECT_EQ(Snapshot(P), start);
}

TEST(StartLayout, OtherLayoutsArePlacedAndBadOnesChangeNothing) {
    TSolvedPuzzle s;
    TPuzzle& P = s.P;
    std::vector<std::string> items;
    for (int k = 0; k < 100; ++k)
        items.push_back(std::to_string(100 - k)); // reverse order
    items.push_back("");                          // the empty last item is never read
    P.SetStartPos(ParseStartLayout(items), true);
    EXPECT_EQ(P.Grid[1][1], 100);
    EXPECT_EQ(P.Grid[10][10], 1);
    EXPECT_EQ(P.Tiles[100].X, 34);
    EXPECT_EQ(P.Tiles[100].Y, 105);
    EXPECT_TRUE(TilesOnTheirCells(P));
    EXPECT_FALSE(P.CheckSolution(true));
    const auto reversed = Snapshot(P);
    P.Moves = 3;

    auto refused = [&](int index, const std::string& item) {
        std::vector<std::string> bad = items;
        bad[size_t(index)] = item;
        EXPECT_THROW(P.SetStartPos(ParseStartLayout(bad), true), EConvertError) << item;
        EXPECT_EQ(Snapshot(P), reversed) << item;
        EXPECT_EQ(P.Tiles[100].X, 34);
        EXPECT_EQ(P.Moves, 3);
    };
    refused(99, "0");
    refused(99, "101");
    refused(50, "abc");
    refused(50, "");
    refused(50, "100"); // tile 100 twice, tile 50 nowhere
    items.resize(60);
    EXPECT_THROW(ParseStartLayout(items), EListError);
}

TEST(Board, ScrollingIsRefusedBeforeAnyLayout) {
    TPuzzle P;
    P.RowIndex = 1;
    EXPECT_THROW(P.ScrollRow(10), Exception);
    EXPECT_THROW(P.PlaceDummySprites("Row", 1), Exception);
}

} // namespace
