// 10,000 random drags on the puzzle model keep every invariant of the board and of the count.
#include "tests/game/model/PuzzleHarness.h"

#include "platform/rtl/Random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace {

// Grid holds each tile 1..100 once.
bool IsPermutation(const TPuzzle& P) {
    auto cells = Snapshot(P);
    std::sort(cells.begin(), cells.end());
    for (int i = 0; i < 100; ++i)
        if (cells[size_t(i)] != i + 1) return false;
    return true;
}

// A 34-pixel square at (x, y) shares no pixel with the board.
bool OffTheBoard(const TTilePlace& t) {
    return t.X + 34 <= 34 || t.X >= 374 || t.Y + 34 <= 105 || t.Y >= 445;
}

// During a drag the dragged line's tiles stand displaced by the leading tile's displacement, less
// than a cell; every other tile stands on its cell.
::testing::AssertionResult LineFollowsItsDummy(const TPuzzle& P) {
    const int row = P.Axis() == TAxis::Row ? P.Line() : 0;
    const int col = P.Axis() == TAxis::Col ? P.Line() : 0;
    const double dx = row ? P.Place(LeadingDummy).X - 0 : 0;
    const double dy = col ? P.Place(LeadingDummy).Y - 71 : 0;
    if (std::abs(dx) >= 34 || std::abs(dy) >= 34)
        return ::testing::AssertionFailure() << "displacement " << dx << "," << dy;
    for (int c = 1; c <= 10; ++c)
        for (int r = 1; r <= 10; ++r) {
            const TTilePlace& t = P.Place(P.TileIn(c, r));
            const double ex = (c - 1) * 34 + 34 + (r == row ? dx : 0);
            const double ey = (r - 1) * 34 + 105 + (c == col ? dy : 0);
            if (t.X != ex || t.Y != ey)
                return ::testing::AssertionFailure()
                       << "cell " << c << "," << r << " at " << t.X << "," << t.Y;
        }
    return ::testing::AssertionSuccess();
}

TEST(GestureProperty, RandomDragsKeepTheBoardWholeAndTheCountHonest) {
    std::mt19937 random(20261209);
    auto between = [&](int lo, int hi) {
        return std::uniform_int_distribution<int>(lo, hi)(random);
    };
    RandSeed = 0;
    TPuzzle P;
    P.Scramble(SolvedLayout(), true);
    int changedReleases = 0;
    for (int drag = 0; drag < 10000; ++drag) {
        // Mostly on the board, sometimes just outside the accepted area.
        int x = between(20, 390), y = between(90, 460);
        bool taken = P.MouseDown(x, y);
        ASSERT_EQ(taken, x >= 34 && x <= 374 && y >= 105 && y <= 445);
        const auto atPress = Snapshot(P);
        const int moves = between(0, 8);
        const bool horizontal = between(0, 1) == 1;
        for (int m = 0; m < moves; ++m) {
            const int along = between(-60, 60), across = between(-8, 8);
            x += horizontal ? along : across;
            y += horizontal ? across : along;
            if (between(0, 19) == 0) {
                x = between(34, 374); // a second press mid-drag
                y = between(105, 445);
                taken = P.MouseDown(x, y) || taken;
            }
            P.MouseMove(x, y);
            if (taken) {
                ASSERT_TRUE(LineFollowsItsDummy(P)) << "drag " << drag;
            }
        }
        const int movesBefore = P.Moves();
        const TRelease r = P.MouseUp(true);
        ASSERT_EQ(r.Handled, taken);
        const bool changed = Snapshot(P) != atPress;
        changedReleases += changed;
        ASSERT_EQ(r.Counted, changed) << "drag " << drag;
        ASSERT_EQ(P.Moves(), movesBefore + (changed ? 1 : 0));
        ASSERT_EQ(P.Moves(), changedReleases);
        if (r.Solved) {
            P.SetStartPos(SolvedLayout(), true);
        }
        if (r.Solved) {
            ASSERT_FALSE(P.MouseDown(200, 200)); // no game after a win
            P.Scramble(SolvedLayout(), true);
            changedReleases = 0;
        }
        ASSERT_TRUE(IsPermutation(P));
        ASSERT_TRUE(TilesOnTheirCells(P)) << "drag " << drag;
        ASSERT_TRUE(OffTheBoard(P.Place(LeadingDummy)) && OffTheBoard(P.Place(TrailingDummy)))
            << "drag " << drag;
        ASSERT_FALSE(P.Dragging());
        ASSERT_EQ(P.NetShift(), 0);
        for (int n = 1; n <= 100; ++n) {
            const bool home = P.TileIn((n - 1) % 10 + 1, (n - 1) / 10 + 1) == n;
            ASSERT_EQ(P.Place(n).PatternBase, home ? n + 99 : n - 1);
        }
    }
    EXPECT_GT(P.Moves(), 100); // the drags did move lines
    RandSeed = 0;
}

} // namespace
