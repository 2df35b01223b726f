// The drag gesture and the deal on the puzzle model: accepted area, axis, settling, counting,
// deals.
#include "tests/game/model/PuzzleHarness.h"

#include "platform/rtl/Random.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

TEST(Gesture, PressesAreTakenOnTheBoardAndOnePixelBeyondOnlyInADealtGame) {
    TGame g;
    for (auto [x, y] :
         std::vector<std::pair<int, int>>{{33, 200}, {200, 104}, {375, 200}, {200, 446}}) {
        EXPECT_FALSE(g.P.MouseDown(x, y)) << x << "," << y;
        EXPECT_FALSE(g.P.MouseMove(x + 40, y));
        EXPECT_FALSE(g.P.MouseUp(true).Handled);
    }
    EXPECT_EQ(Snapshot(g.P), Snapshot(TSolvedPuzzle().P));

    // X 374 is right of the board but taken: a vertical first movement drags column 10.
    EXPECT_TRUE(g.P.MouseDown(374, 150));
    g.P.MouseMove(374, 190);
    EXPECT_EQ(g.P.Axis(), TAxis::Col);
    EXPECT_EQ(g.P.Line(), 10);
    EXPECT_EQ(g.P.TileIn(10, 1), 100);
    EXPECT_TRUE(g.P.MouseUp(true).Counted);
    // Y 445 is below the board: a horizontal first movement drags row 10.
    EXPECT_TRUE(g.P.MouseDown(34, 445));
    g.P.MouseMove(0, 445);
    EXPECT_EQ(g.P.Axis(), TAxis::Row);
    EXPECT_EQ(g.P.Line(), 10);
    EXPECT_EQ(g.P.TileIn(10, 10), 91);
    g.P.MouseUp(true);

    TPuzzle idle; // before the first deal
    idle.SetStartPos(SolvedLayout(), true);
    EXPECT_FALSE(idle.MouseDown(200, 200));
    EXPECT_FALSE(idle.Dragging());
}

TEST(Gesture, TheFirstMovementChoosesTheLineUnderThePressAndTiesChooseTheColumn) {
    struct Case {
        int dx, dy;
        TAxis axis;
    };
    for (const Case& c : {Case{3, 3, TAxis::Col}, Case{4, 3, TAxis::Row}, Case{0, 0, TAxis::Col},
                          Case{-4, -3, TAxis::Row}, Case{2, -5, TAxis::Col}}) {
        TGame g;
        g.P.MouseDown(120, 250); // column 3, row 5
        g.P.MouseMove(120 + c.dx, 250 + c.dy);
        EXPECT_EQ(g.P.Axis(), c.axis) << c.dx << "," << c.dy;
        EXPECT_EQ(g.P.Line(), c.axis == TAxis::Row ? 5 : 3);
        // Movement across the chosen axis is ignored, and the axis stays until the release.
        g.P.MouseMove(120 + c.dx + 60, 250 + c.dy + 60);
        EXPECT_EQ(g.P.Axis(), c.axis);
    }
}

TEST(Gesture, ReleaseSettlesOnTheNearerCellAndCountsOnlyAChangedOrder) {
    TGame g;
    const auto solved = Snapshot(g.P);
    // 16 pixels spring back: no move.
    TRelease r = g.Drag(100, 200, {{116, 200}});
    EXPECT_TRUE(r.Handled);
    EXPECT_FALSE(r.Counted);
    EXPECT_TRUE(r.Solved);
    EXPECT_EQ(g.P.Moves(), 0);
    EXPECT_TRUE(TilesOnTheirCells(g.P));
    EXPECT_EQ(Snapshot(g.P), solved);
    // 17 pixels complete the step to the right and count; -17 on a column completes one upwards.
    r = g.Drag(100, 200, {{117, 200}});
    EXPECT_TRUE(r.Counted);
    EXPECT_FALSE(r.Solved);
    EXPECT_EQ(g.P.TileIn(1, 3), 30);
    EXPECT_TRUE(TilesOnTheirCells(g.P));
    r = g.Drag(300, 300, {{300, 283}});
    EXPECT_EQ(g.P.TileIn(8, 10), 8);
    EXPECT_EQ(g.P.Moves(), 2);
    // Two right and two back in one drag, and a full turn of ten cells, do not count...
    r = g.Drag(60, 400, {{94, 400}, {128, 400}, {94, 400}, {60, 400}});
    EXPECT_FALSE(r.Counted);
    std::vector<std::pair<int, int>> ten, eleven;
    for (int i = 1; i <= 11; ++i)
        (i <= 10 ? ten : eleven).push_back({60 + 34 * i, 400});
    eleven.insert(eleven.begin(), ten.begin(), ten.end());
    const auto before = Snapshot(g.P);
    r = g.Drag(60, 400, ten);
    EXPECT_FALSE(r.Counted);
    EXPECT_EQ(Snapshot(g.P), before);
    // ...eleven cells count once, and the ten-cell steps were made all the same.
    r = g.Drag(60, 400, eleven);
    EXPECT_TRUE(r.Counted);
    EXPECT_EQ(g.P.Moves(), 3);
    EXPECT_EQ(g.P.TileIn(2, 9), 81);
    // Undoing every move solves the grid again.
    g.Drag(60, 400, {{26, 400}});
    g.Drag(300, 300, {{300, 317}});
    r = g.Drag(100, 200, {{83, 200}});
    EXPECT_TRUE(r.Solved);
    EXPECT_EQ(g.P.Moves(), 6);
}

TEST(Gesture, RowsAndColumnsSettleAlikeEitherWay) {
    // Released 16 pixels from rest a line springs back; 17 pixels complete the step.
    for (TAxis axis : {TAxis::Row, TAxis::Col})
        for (int d : {16, -16, 17, -17}) {
            TGame g;
            const int x = 120, y = 250; // column 3, row 5
            const bool row = axis == TAxis::Row;
            const TRelease r = g.Drag(x, y, {row ? std::pair(x + d, y) : std::pair(x, y + d)});
            const bool step = d == 17 || d == -17;
            EXPECT_EQ(r.Counted, step) << int(axis) << " " << d;
            EXPECT_TRUE(TilesOnTheirCells(g.P)) << int(axis) << " " << d;
            // The first cell of the line: its own tile, or the one from the far end or the next.
            const int first = row ? g.P.TileIn(1, 5) : g.P.TileIn(3, 1);
            const int expected = !step ? (row ? 41 : 3) : d > 0 ? (row ? 50 : 93) : (row ? 42 : 13);
            EXPECT_EQ(first, expected) << int(axis) << " " << d;
        }
}

TEST(Gesture, OneStepPerMovementAndTheDragOutlivesLeavingTheBoard) {
    TGame g;
    g.P.MouseDown(100, 200);
    EXPECT_TRUE(g.P.MouseMove(590, 200)); // far off the board: one step, no more
    EXPECT_EQ(g.P.NetShift(), 1);
    EXPECT_FALSE(g.P.MouseMove(600, 10)); // 10 more along the row, nothing across
    EXPECT_TRUE(g.P.Dragging());
    EXPECT_EQ(g.P.Place(LeadingDummy).X, 10);
    // A second press outside the accepted area is ignored: the next movement is measured from
    // the last one handled.
    EXPECT_FALSE(g.P.MouseDown(375, 300));
    EXPECT_FALSE(g.P.MouseDown(300, 104));
    g.P.MouseMove(603, 300);
    EXPECT_EQ(g.P.Place(LeadingDummy).X, 13);
    // A second press on the board only moves the reference point; the line stays chosen.
    EXPECT_TRUE(g.P.MouseDown(300, 420));
    EXPECT_EQ(g.P.Line(), 3);
    g.P.MouseMove(304, 300);
    EXPECT_EQ(g.P.Axis(), TAxis::Row);
    EXPECT_EQ(g.P.Place(LeadingDummy).X, 17);
    const TRelease r = g.P.MouseUp(true);
    EXPECT_TRUE(r.Counted);
    EXPECT_EQ(g.P.TileIn(1, 3), 29); // 1 + the settled 17 pixels: two cells right
    EXPECT_TRUE(TilesOnTheirCells(g.P));
    EXPECT_FALSE(g.P.Dragging()); // the release alone ends the drag
    EXPECT_FALSE(g.P.MouseMove(400, 300));
    EXPECT_EQ(g.P.TileIn(1, 3), 29);
}

TEST(Gesture, PressAndReleaseWithoutMovementOnlyRefreshTheHighlights) {
    TGame g;
    g.P.RotateLine(TAxis::Row, 1, 1);
    const auto before = Snapshot(g.P);
    EXPECT_EQ(g.P.Place(1).PatternBase, 100); // stale until the next check
    const TRelease r = g.Drag(200, 200, {});
    EXPECT_TRUE(r.Handled);
    EXPECT_FALSE(r.Counted);
    EXPECT_EQ(g.P.Moves(), 0);
    EXPECT_EQ(Snapshot(g.P), before);
    EXPECT_EQ(g.P.Place(1).PatternBase, 0);
    EXPECT_TRUE(g.P.StepDone());
}

TEST(Scramble, DealsTheSameSequenceOfGamesFromAnUnseededGenerator) {
    RandSeed = 0;
    TGame g;
    g.Drag(100, 200, {{140, 200}});
    g.P.MouseDown(100, 200);
    g.P.Scramble(SolvedLayout(), true); // abandons the game and the drag under way
    const std::vector<int32_t> first{10, 72, 8, 71, 94, 20, 100, 97, 62, 35};
    for (int c = 1; c <= 10; ++c)
        EXPECT_EQ(g.P.TileIn(c, 1), first[size_t(c - 1)]) << c;
    EXPECT_FALSE(g.P.CheckSolution(true));
    for (int n = 1; n <= 100; ++n)
        EXPECT_EQ(g.P.Place(n).PatternBase, n - 1) << "tile " << n << " is home";
    EXPECT_TRUE(TilesOnTheirCells(g.P));
    EXPECT_TRUE(g.P.GameActive());
    EXPECT_FALSE(g.P.Dragging());
    EXPECT_EQ(g.P.Moves(), 0);
    EXPECT_EQ(g.P.Line() + g.P.NetShift(), 0);
    EXPECT_EQ(g.P.Axis(), TAxis::None);
    EXPECT_TRUE(g.P.StepDone());
    EXPECT_EQ(g.P.Direction(), 1);

    // The second deal leaves tiles 7, 17 and 41 at home: the deal itself shows them highlighted.
    g.P.Scramble(SolvedLayout(), true);
    const std::vector<int32_t> second{14, 53, 61, 15, 82, 84, 7, 47, 69, 12};
    for (int c = 1; c <= 10; ++c)
        EXPECT_EQ(g.P.TileIn(c, 1), second[size_t(c - 1)]) << c;
    for (int n = 1; n <= 100; ++n) {
        const bool home = n == 7 || n == 17 || n == 41;
        EXPECT_EQ(g.P.Place(n).PatternBase, home ? n + 99 : n - 1) << "tile " << n;
    }
    RandSeed = 0;
}

} // namespace
