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
    EXPECT_EQ(P.TileIn(1, 1), 1);
    EXPECT_EQ(P.TileIn(10, 1), 10);
    EXPECT_EQ(P.TileIn(1, 2), 11);
    EXPECT_EQ(P.Place(100).X, 340);
    EXPECT_EQ(P.Place(100).Y, 411);
    EXPECT_TRUE(TilesOnTheirCells(P));
    for (int n = 1; n <= 100; ++n)
        ASSERT_EQ(P.Place(n).PatternBase, n + 99);

    // A game with a counted move and a drag under way whose last movement stepped row 3 left.
    TGame g;
    g.Drag(100, 200, {{140, 200}});
    ASSERT_TRUE(g.P.MouseDown(200, 180));
    ASSERT_TRUE(g.P.MouseMove(160, 180));
    ASSERT_EQ(g.P.Moves(), 1);
    ASSERT_EQ(g.P.NetShift(), -1);
    g.P.SetStartPos(SolvedLayout(), false);
    EXPECT_EQ(Snapshot(g.P), Snapshot(P));
    EXPECT_EQ(g.P.Moves(), 0);
    EXPECT_FALSE(g.P.Dragging());
    EXPECT_FALSE(g.P.GameActive());
    EXPECT_EQ(g.P.Axis(), TAxis::None);
    EXPECT_EQ(g.P.Line() + g.P.NetShift(), 0);
    EXPECT_TRUE(g.P.StepDone());
    EXPECT_EQ(g.P.Direction(), -1);
    EXPECT_EQ(g.P.Place(LeadingDummy).Y, 173); // the wrap-around tiles are left alone
    EXPECT_EQ(g.P.Place(1).PatternBase, 0);
    EXPECT_FALSE(g.P.MouseMove(300, 180)); // the drag has gone with the game
    EXPECT_THROW(P.TileIn(0, 5), EListError);
    EXPECT_THROW(P.Place(103), EListError);
}

TEST(Board, HighlightFollowsTheSettingAndTheHomeCellOnlyAtTheNextCheck) {
    TSolvedPuzzle s;
    TPuzzle& P = s.P;
    P.RotateLine(TAxis::Row, 3, 1);          // row 3: tiles 21..30 each one column right
    EXPECT_EQ(P.Place(21).PatternBase, 120); // not refreshed before the next check
    EXPECT_FALSE(P.CheckSolution(true));
    for (int n = 21; n <= 30; ++n)
        EXPECT_EQ(P.Place(n).PatternBase, n - 1) << n; // in its home row, wrong column
    EXPECT_EQ(P.Place(20).PatternBase, 119);
    EXPECT_EQ(P.Place(31).PatternBase, 130);
    // Switching off turns every placed tile back without changing the result.
    EXPECT_FALSE(P.CheckSolution(false));
    EXPECT_EQ(P.Place(20).PatternBase, 19);
    P.RotateLine(TAxis::Row, 3, -1);
    EXPECT_TRUE(P.CheckSolution(true));
    EXPECT_EQ(P.Place(21).PatternBase, 120);
}

TEST(RotateLine, TurnsOnlyTheGivenLineAndTenTurnsRestoreIt) {
    TSolvedPuzzle s;
    TPuzzle& P = s.P;
    const auto start = Snapshot(P);
    P.RotateLine(TAxis::Row, 4, 1);
    EXPECT_EQ(P.TileIn(1, 4), 40);
    EXPECT_EQ(P.TileIn(2, 4), 31);
    EXPECT_EQ(P.TileIn(10, 4), 39);
    auto now = Snapshot(P);
    for (int i = 0; i < 100; ++i)
        if (i / 10 != 3) {
            EXPECT_EQ(now[size_t(i)], start[size_t(i)]) << i;
        }
    P.RotateLine(TAxis::Row, 4, -1);
    EXPECT_EQ(Snapshot(P), start);

    P.RotateLine(TAxis::Col, 7, 1);
    EXPECT_EQ(P.TileIn(7, 1), 97);
    EXPECT_EQ(P.TileIn(7, 2), 7);
    now = Snapshot(P);
    for (int i = 0; i < 100; ++i)
        if (i % 10 != 6) {
            EXPECT_EQ(now[size_t(i)], start[size_t(i)]) << i;
        }
    P.RotateLine(TAxis::Col, 7, 5); // not +1: upwards
    EXPECT_EQ(Snapshot(P), start);

    for (TAxis axis : {TAxis::Row, TAxis::Col})
        for (int dir : {1, -1}) {
            for (int i = 0; i < 10; ++i) {
                P.RotateLine(axis, 5, dir);
                if (i < 9) {
                    ASSERT_NE(Snapshot(P), start);
                }
            }
            EXPECT_EQ(Snapshot(P), start) << int(axis) << dir;
        }
    EXPECT_THROW(P.RotateLine(TAxis::Row, 0, 1), EListError);
    EXPECT_THROW(P.RotateLine(TAxis::Col, 11, -1), EListError);
    EXPECT_THROW(P.RotateLine(TAxis::None, 5, 1), EListError);
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
    EXPECT_EQ(P.TileIn(1, 1), 100);
    EXPECT_EQ(P.TileIn(10, 10), 1);
    EXPECT_EQ(P.Place(100).X, 34);
    EXPECT_EQ(P.Place(100).Y, 105);
    EXPECT_TRUE(TilesOnTheirCells(P));
    EXPECT_FALSE(P.CheckSolution(true));
    // A game under way with a counted move, which a refused layout must leave as it is.
    TGame g;
    g.P.SetStartPos(ParseStartLayout(items), true);
    EXPECT_EQ(Snapshot(g.P), Snapshot(P));
    g.P.Scramble(ParseStartLayout(items), true);
    ASSERT_TRUE(g.Drag(100, 200, {{140, 200}}).Counted);
    const auto dealt = Snapshot(g.P);
    const TTilePlace tile100 = g.P.Place(100);

    auto refused = [&](int index, const std::string& item) {
        std::vector<std::string> bad = items;
        bad[size_t(index)] = item;
        EXPECT_THROW(g.P.SetStartPos(ParseStartLayout(bad), true), EConvertError) << item;
        EXPECT_THROW(g.P.Scramble(ParseStartLayout(bad), true), EConvertError) << item;
        EXPECT_EQ(Snapshot(g.P), dealt) << item;
        EXPECT_EQ(g.P.Place(100).X, tile100.X);
        EXPECT_EQ(g.P.Place(100).Y, tile100.Y);
        EXPECT_EQ(g.P.Moves(), 1);
        EXPECT_TRUE(g.P.GameActive());
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
    EXPECT_THROW(P.BeginLine(TAxis::Row, 1), Exception);
    EXPECT_THROW(P.Scroll(10), EListError);
    EXPECT_EQ(P.Axis(), TAxis::None);
    EXPECT_EQ(P.Place(LeadingDummy).X, 0);
}

} // namespace
