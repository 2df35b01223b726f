// A puzzle laid out in solved order with highlighting on, and views of it for the model's tests.
#pragma once

#include "game/model/Puzzle.h"

#include "platform/rtl/Random.h"

#include <array>
#include <utility>
#include <vector>

// Grid read row by row: entry (r - 1) * 10 + c - 1 is the tile in column c, row r.
inline std::array<int32_t, 100> Snapshot(const TPuzzle& P) {
    std::array<int32_t, 100> cells{};
    for (int c = 1; c <= 10; ++c)
        for (int r = 1; r <= 10; ++r)
            cells[size_t((r - 1) * 10 + c - 1)] = P.TileIn(c, r);
    return cells;
}

// Every tile stands exactly on the cell Grid gives it.
inline bool TilesOnTheirCells(const TPuzzle& P) {
    for (int c = 1; c <= 10; ++c)
        for (int r = 1; r <= 10; ++r) {
            const TTilePlace& t = P.Place(P.TileIn(c, r));
            if (t.X != (c - 1) * 34 + 34 || t.Y != (r - 1) * 34 + 105) return false;
        }
    return true;
}

struct TSolvedPuzzle {
    TPuzzle P;
    TSolvedPuzzle() { P.SetStartPos(SolvedLayout(), true); }
};

// A game in play on the solved board, so that every counted move unsolves it: the first deal,
// dealt from the layout it takes back to the solved order.
struct TGame {
    TPuzzle P;
    TGame() {
        const uint32_t seed = RandSeed;
        RandSeed = 0;
        P.Scramble(SolvedLayout(), true);
        // Cell k now holds tile t: the deal carries whatever starts in cell t to cell k.
        TStartLayout layout{};
        for (int k = 0; k < 100; ++k)
            layout[size_t(P.TileIn(k % 10 + 1, k / 10 + 1) - 1)] = k + 1;
        RandSeed = 0;
        P.Scramble(layout, true);
        RandSeed = seed;
    }
    // Press, the movements, release.
    TRelease Drag(int x, int y, const std::vector<std::pair<int, int>>& moves) {
        P.MouseDown(x, y);
        for (const auto& [mx, my] : moves)
            P.MouseMove(mx, my);
        return P.MouseUp(true);
    }
};
