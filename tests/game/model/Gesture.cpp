// The drag gesture and the deal on the puzzle model: accepted area, axis, settling, counting,
// deals.
#include "tests/game/model/PuzzleHarness.h"

#include "platform/rtl/Random.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

// A game in play on the solved board, so that every counted move unsolves it.
struct TGame {
    TPuzzle P;
    TGame() {
        P.SetStartPos(SolvedLayout(), true);
        P.GameActive = true;
    }
    // Press, the movements, release, rest.
    TRelease Drag(int x, int y, const std::vector<std::pair<int, int>>& moves) {
        P.MouseDown(x, y);
        for (const auto& [mx, my] : moves)
            P.MouseMove(mx, my);
        const TRelease r = P.MouseUp(true);
        P.EndDrag();
        return r;
    }
};

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
    EXPECT_EQ(g.P.Axis, "Col");
    EXPECT_EQ(g.P.ColIndex, 10);
    EXPECT_EQ(g.P.Grid[10][1], 100);
    EXPECT_TRUE(g.P.MouseUp(true).Counted);
    g.P.EndDrag();
    // Y 445 is below the board: a horizontal first movement drags row 10.
    EXPECT_TRUE(g.P.MouseDown(34, 445));
    g.P.MouseMove(0, 445);
    EXPECT_EQ(g.P.RowIndex, 10);
    EXPECT_EQ(g.P.Grid[10][10], 91);
    g.P.MouseUp(true);
    g.P.EndDrag();

    TPuzzle idle; // before the first deal
    idle.SetStartPos(SolvedLayout(), true);
    EXPECT_FALSE(idle.MouseDown(200, 200));
    EXPECT_FALSE(idle.Dragging);
}

TEST(Gesture, TheFirstMovementChoosesTheLineUnderThePressAndTiesChooseTheColumn) {
    struct Case {
        int dx, dy;
        const char* axis;
    };
    for (const Case& c : {Case{3, 3, "Col"}, Case{4, 3, "Row"}, Case{0, 0, "Col"},
                          Case{-4, -3, "Row"}, Case{2, -5, "Col"}}) {
        TGame g;
        g.P.MouseDown(120, 250); // column 3, row 5
        g.P.MouseMove(120 + c.dx, 250 + c.dy);
        EXPECT_EQ(g.P.Axis, c.axis) << c.dx << "," << c.dy;
        EXPECT_EQ(g.P.RowIndex, g.P.Axis == "Row" ? 5 : 0);
        EXPECT_EQ(g.P.ColIndex, g.P.Axis == "Col" ? 3 : 0);
        // Movement across the chosen axis is ignored, and the axis stays until the release.
        g.P.MouseMove(120 + c.dx + 60, 250 + c.dy + 60);
        EXPECT_EQ(g.P.Axis, c.axis);
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
    EXPECT_EQ(g.P.Moves, 0);
    EXPECT_TRUE(TilesOnTheirCells(g.P));
    EXPECT_EQ(Snapshot(g.P), solved);
    // 17 pixels complete the step to the right and count; -17 on a column completes one upwards.
    r = g.Drag(100, 200, {{117, 200}});
    EXPECT_TRUE(r.Counted);
    EXPECT_FALSE(r.Solved);
    EXPECT_EQ(g.P.Grid[1][3], 30);
    EXPECT_TRUE(TilesOnTheirCells(g.P));
    r = g.Drag(300, 300, {{300, 283}});
    EXPECT_EQ(g.P.Grid[8][10], 8);
    EXPECT_EQ(g.P.Moves, 2);
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
    EXPECT_EQ(g.P.Moves, 3);
    EXPECT_EQ(g.P.Grid[2][9], 81);
    // Undoing every move solves the grid again.
    g.Drag(60, 400, {{26, 400}});
    g.Drag(300, 300, {{300, 317}});
    r = g.Drag(100, 200, {{83, 200}});
    EXPECT_TRUE(r.Solved);
    EXPECT_EQ(g.P.Moves, 6);
}

TEST(Gesture, OneStepPerMovementAndTheDragOutlivesLeavingTheBoard) {
    TGame g;
    g.P.MouseDown(100, 200);
    EXPECT_TRUE(g.P.MouseMove(590, 200)); // far off the board: one step, no more
    EXPECT_EQ(g.P.NetShift, 1);
    EXPECT_EQ(g.P.LastX, 590);
    EXPECT_FALSE(g.P.MouseMove(600, 10)); // 10 more along the row, nothing across
    EXPECT_TRUE(g.P.Dragging);
    EXPECT_EQ(g.P.Tiles[LeadingDummy].X, 10);
    // A second press only moves the reference point; the line stays chosen.
    EXPECT_TRUE(g.P.MouseDown(300, 420));
    EXPECT_EQ(g.P.RowIndex, 3);
    g.P.MouseMove(307, 300);
    EXPECT_EQ(g.P.Axis, "Row");
    EXPECT_EQ(g.P.Tiles[LeadingDummy].X, 17);
    const TRelease r = g.P.MouseUp(true);
    EXPECT_TRUE(r.Counted);
    EXPECT_EQ(g.P.Grid[1][3], 29); // 1 + the settled 17 pixels: two cells right
    EXPECT_TRUE(TilesOnTheirCells(g.P));
}

TEST(Gesture, PressAndReleaseWithoutMovementOnlyRefreshTheHighlights) {
    TGame g;
    g.P.RotateLine("Row", 1, 1);
    const auto before = Snapshot(g.P);
    EXPECT_EQ(g.P.Tiles[1].PatternBase, 100); // stale until the next check
    const TRelease r = g.Drag(200, 200, {});
    EXPECT_TRUE(r.Handled);
    EXPECT_FALSE(r.Counted);
    EXPECT_EQ(g.P.Moves, 0);
    EXPECT_EQ(Snapshot(g.P), before);
    EXPECT_EQ(g.P.Tiles[1].PatternBase, 0);
    EXPECT_TRUE(g.P.StepDone);
}

TEST(Scramble, DealsTheSameSequenceOfGamesFromAnUnseededGenerator) {
    RandSeed = 0;
    TGame g;
    g.Drag(100, 200, {{140, 200}});
    g.P.MouseDown(100, 200);
    g.P.Scramble(SolvedLayout(), true); // abandons the game and the drag under way
    const std::vector<int32_t> first{10, 72, 8, 71, 94, 20, 100, 97, 62, 35};
    for (int c = 1; c <= 10; ++c)
        EXPECT_EQ(g.P.Grid[c][1], first[size_t(c - 1)]) << c;
    EXPECT_FALSE(g.P.CheckSolution(true));
    for (int n = 1; n <= 100; ++n)
        EXPECT_EQ(g.P.Tiles[n].PatternBase, n - 1) << "tile " << n << " is home";
    EXPECT_TRUE(TilesOnTheirCells(g.P));
    EXPECT_TRUE(g.P.GameActive);
    EXPECT_FALSE(g.P.Dragging);
    EXPECT_EQ(g.P.Moves, 0);
    EXPECT_EQ(g.P.RowIndex + g.P.ColIndex + g.P.NetShift + g.P.LastX + g.P.LastY, 0);
    EXPECT_EQ(g.P.Axis, "");
    EXPECT_TRUE(g.P.StepDone);
    EXPECT_EQ(g.P.Direction, 1);

    g.P.Scramble(SolvedLayout(), true);
    const std::vector<int32_t> second{14, 53, 61, 15, 82, 84, 7, 47, 69, 12};
    for (int c = 1; c <= 10; ++c)
        EXPECT_EQ(g.P.Grid[c][1], second[size_t(c - 1)]) << c;
    RandSeed = 0;
}

} // namespace
