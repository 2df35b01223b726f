// The puzzle model's drag gesture and the deal of a new game.
#include "game/model/Puzzle.h"

#include "platform/rtl/Random.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// Half a cell, rounded down: a line released this far or less from rest springs back.
constexpr int32_t SpringBack = CellSize / 2 - 1;

constexpr int ScramblePasses = 100;

} // namespace

bool TPuzzle::MouseDown(int32_t X, int32_t Y) {
    // The accepted area reaches one pixel past the board on the right and at the bottom.
    if (!GameActive || X < BoardLeft || X > BoardRight || Y < BoardTop || Y > BoardBottom)
        return false;
    Dragging = true;
    LastX = X;
    LastY = Y;
    return true;
}

bool TPuzzle::MouseMove(int32_t X, int32_t Y) {
    if (!Dragging) return false;
    const int64_t dx = int64_t{X} - LastX;
    const int64_t dy = int64_t{Y} - LastY;
    StepDone = false;
    Direction = 0;
    if (RowIndex == 0 && ColIndex == 0) {
        // The line under the press point: LastX and LastY still hold it. A tie, and a movement that
        // moved nothing, choose the column.
        if (std::llabs(dx) > std::llabs(dy)) {
            Axis = "Row";
            RowIndex = std::clamp((LastY - BoardTop) / CellSize + 1, 1, 10);
            ColIndex = 0;
            PlaceDummySprites("Row", RowIndex);
        } else {
            Axis = "Col";
            ColIndex = std::clamp((LastX - BoardLeft) / CellSize + 1, 1, 10);
            RowIndex = 0;
            PlaceDummySprites("Col", ColIndex);
        }
    }
    bool stepped = false;
    if (RowIndex > 0) {
        ScrollRow(double(dx));
        if (StepDone) {
            CompleteRowMove();
            stepped = true;
        }
        LastX = X;
    } else {
        ScrollCol(double(dy));
        if (StepDone) {
            CompleteColMove();
            stepped = true;
        }
        LastY = Y;
    }
    return stepped;
}

void TPuzzle::Settle() {
    if (RowIndex == 0 && ColIndex == 0) return; // no line was chosen, nothing stands between cells
    if (Axis == "Row") {
        const int32_t x = int32_t(std::trunc(Tiles[LeadingDummy].X - RowDummyLeft));
        if (std::abs(x) <= SpringBack) {
            ScrollRow(-x);
        } else {
            ScrollRow(x > 0 ? CellSize - x : -x - CellSize);
            CompleteRowMove();
        }
    } else {
        const int32_t y = int32_t(std::trunc(Tiles[LeadingDummy].Y)) - ColumnDummyTop;
        if (std::abs(y) <= SpringBack) {
            ScrollCol(-y);
        } else {
            ScrollCol(y > 0 ? CellSize - y : -y - CellSize);
            CompleteColMove();
        }
    }
}

TRelease TPuzzle::MouseUp(bool Highlight) {
    TRelease result;
    if (!Dragging) return result;
    result.Handled = true;
    // A line moved since its last completed step may stand between cells.
    if (!StepDone) Settle();
    StepDone = true;
    // NetShift is 0 exactly when the line's tiles are back in their order from before the press.
    if (NetShift != 0) {
        ++Moves;
        result.Counted = true;
    }
    result.Solved = CheckSolution(Highlight);
    return result;
}

void TPuzzle::EndDrag() {
    Dragging = false;
    ColIndex = 0;
    RowIndex = 0;
    LastX = 0;
    LastY = 0;
    NetShift = 0;
    Axis.clear();
}

void TPuzzle::Scramble(const TStartLayout& Layout, bool Highlight) {
    SetStartPos(Layout, Highlight);
    for (int pass = 0; pass < ScramblePasses; ++pass) {
        // Drawn in this order, whatever the axis: line, count, axis.
        const int32_t line = Random(10) + 1;
        const int32_t count = Random(10) + 1;
        const bool row = Random(2) == 0;
        for (int32_t i = 0; i < count; ++i) {
            // Each step starts from rest and reaches exactly one cell: a turn right or down.
            if (row) {
                Axis = "Row";
                RowIndex = line;
                ColIndex = 0;
                PlaceDummySprites("Row", line);
                ScrollRow(CellSize);
                CompleteRowMove();
            } else {
                Axis = "Col";
                RowIndex = 0;
                ColIndex = line;
                PlaceDummySprites("Col", line);
                ScrollCol(CellSize);
                CompleteColMove();
            }
        }
    }
    Moves = 0;
    EndDrag();
    CheckSolution(Highlight);
    GameActive = true;
}
