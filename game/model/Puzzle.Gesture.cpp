// The puzzle model's drag gesture, by pointer or a cell at a time, and the deal of a new game.
#include "game/model/Puzzle.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Random.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// Half a cell, rounded down: a line released this far or less from rest springs back.
constexpr int32_t SpringBack = CellSize / 2 - 1;

constexpr int ScramblePasses = 100;

// The line under a press point, 1..10 (the accepted area reaches one pixel past the board).
int32_t LineUnder(int32_t Point, int32_t BoardStart) {
    return std::clamp((Point - BoardStart) / CellSize + 1, 1, 10);
}

// A point one cell along, wrapped round the board like the line it moves.
int32_t OneCellOn(int32_t Point, int32_t Step, int32_t BoardStart) {
    const int32_t cell = LineUnder(Point, BoardStart) - 1;
    const int32_t within = Point - BoardStart - cell * CellSize;
    return ((cell + Step) % 10 + 10) % 10 * CellSize + BoardStart + within;
}

} // namespace

bool TPuzzle::MouseDown(int32_t X, int32_t Y) {
    // The accepted area reaches one pixel past the board on the right and at the bottom.
    if (!FGameActive || X < BoardLeft || X > BoardRight || Y < BoardTop || Y > BoardBottom)
        return false;
    FDragging = true;
    FLastX = X;
    FLastY = Y;
    return true;
}

bool TPuzzle::PressCell(int32_t C, int32_t R) {
    if (C < 1 || C > 10) ListIndexError(C);
    if (R < 1 || R > 10) ListIndexError(R);
    return MouseDown(BoardLeft + (C - 1) * CellSize + CellSize / 2,
                     BoardTop + (R - 1) * CellSize + CellSize / 2);
}

bool TPuzzle::MouseMove(int32_t X, int32_t Y) {
    return Movement(int64_t{X} - FLastX, int64_t{Y} - FLastY, X, Y);
}

bool TPuzzle::MoveCell(TAxis LineAxis, int32_t Step) {
    if (LineAxis == TAxis::None) throw EListError("No row or column is chosen");
    if (!FDragging) return false;
    const int32_t step = Step == 1 ? 1 : -1;
    const bool row = LineAxis == TAxis::Row;
    // The point moves a whole cell, then wraps onto the board as the line's tiles do, so however
    // many cells a drag moves its reference point stays on the board.
    return Movement(row ? step * CellSize : 0, row ? 0 : step * CellSize,
                    row ? OneCellOn(FLastX, step, BoardLeft) : FLastX,
                    row ? FLastY : OneCellOn(FLastY, step, BoardTop));
}

bool TPuzzle::Movement(int64_t Dx, int64_t Dy, int32_t X, int32_t Y) {
    if (!FDragging) return false;
    if (FAxis == TAxis::None) {
        // The line under the press point: LastX and LastY still hold it. A tie, and a movement that
        // moved nothing, choose the column.
        if (std::llabs(Dx) > std::llabs(Dy))
            BeginLine(TAxis::Row, LineUnder(FLastY, BoardTop));
        else
            BeginLine(TAxis::Col, LineUnder(FLastX, BoardLeft));
    }
    const bool row = FAxis == TAxis::Row;
    const bool stepped = Scroll(double(row ? Dx : Dy));
    if (stepped) CompleteMove();
    (row ? FLastX : FLastY) = row ? X : Y;
    return stepped;
}

void TPuzzle::Settle() {
    if (FAxis == TAxis::None) return; // no line was chosen, nothing stands between cells
    const int32_t d = int32_t(std::trunc(Displacement()));
    if (std::abs(d) <= SpringBack) {
        Scroll(-d);
    } else {
        Scroll(d > 0 ? CellSize - d : -d - CellSize);
        CompleteMove();
    }
}

TRelease TPuzzle::MouseUp(bool Highlight) {
    TRelease result;
    if (!FDragging) return result;
    result.Handled = true;
    // A line moved since its last completed step may stand between cells.
    if (!FStepDone) Settle();
    FStepDone = true;
    // NetShift is 0 exactly when the line's tiles are back in their order from before the press.
    if (FNetShift != 0) {
        ++FMoves;
        result.Counted = true;
    }
    result.Solved = CheckSolution(Highlight);
    EndDrag();
    return result;
}

void TPuzzle::EndDrag() {
    FDragging = false;
    FAxis = TAxis::None;
    FLine = 0;
    FLastX = 0;
    FLastY = 0;
    FNetShift = 0;
}

void TPuzzle::Scramble(const TStartLayout& Layout, bool Highlight) {
    SetStartPos(Layout, Highlight);
    for (int pass = 0; pass < ScramblePasses; ++pass) {
        // Drawn in this order, whatever the axis: line, count, axis.
        const int32_t line = Random(10) + 1;
        const int32_t count = Random(10) + 1;
        const TAxis axis = Random(2) == 0 ? TAxis::Row : TAxis::Col;
        for (int32_t i = 0; i < count; ++i) {
            // Each step starts from rest and reaches exactly one cell: a turn right or down.
            BeginLine(axis, line);
            Scroll(CellSize);
            CompleteMove();
        }
    }
    FMoves = 0;
    EndDrag();
    CheckSolution(Highlight);
    FGameActive = true;
}
