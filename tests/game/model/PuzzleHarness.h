// A puzzle laid out in solved order with highlighting on, and views of it for the model's tests.
#pragma once

#include "game/model/Puzzle.h"

#include <array>

// Grid read row by row: entry (r - 1) * 10 + c - 1 is the tile in column c, row r.
inline std::array<int32_t, 100> Snapshot(const TPuzzle& P) {
    std::array<int32_t, 100> cells{};
    for (int c = 1; c <= 10; ++c)
        for (int r = 1; r <= 10; ++r)
            cells[size_t((r - 1) * 10 + c - 1)] = P.Grid[c][r];
    return cells;
}

// Every tile stands exactly on the cell Grid gives it.
inline bool TilesOnTheirCells(const TPuzzle& P) {
    for (int c = 1; c <= 10; ++c)
        for (int r = 1; r <= 10; ++r) {
            const TTilePlace& t = P.Tiles[P.Grid[c][r]];
            if (t.X != (c - 1) * 34 + 34 || t.Y != (r - 1) * 34 + 105) return false;
        }
    return true;
}

struct TSolvedPuzzle {
    TPuzzle P;
    TSolvedPuzzle() { P.SetStartPos(SolvedLayout(), true); }
};
