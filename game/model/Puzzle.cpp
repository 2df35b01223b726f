// The puzzle model's board and scrolling: start layout, solution test, line turns, steps of a line.
#include "game/model/Puzzle.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"

#include <cmath>

namespace {

void CheckLineIndex(int32_t Index) {
    if (Index < 1 || Index > 10) ListIndexError(Index);
}

void CheckAxis(TAxis LineAxis) {
    if (LineAxis == TAxis::None) throw EListError("No row or column is chosen");
}

// The coordinate a line of this axis moves along: X for a row, Y for a column.
double& Along(TTilePlace& Place, TAxis LineAxis) {
    return LineAxis == TAxis::Row ? Place.X : Place.Y;
}
double Along(const TTilePlace& Place, TAxis LineAxis) {
    return LineAxis == TAxis::Row ? Place.X : Place.Y;
}
double& Across(TTilePlace& Place, TAxis LineAxis) {
    return LineAxis == TAxis::Row ? Place.Y : Place.X;
}

// Where the leading wrap-around tile of a line rests, along its axis.
double LeadingRest(TAxis LineAxis) {
    return LineAxis == TAxis::Row ? RowDummyLeft : ColumnDummyTop;
}
// Where the trailing wrap-around tile of a line rests, along its axis.
double TrailingRest(TAxis LineAxis) {
    return LineAxis == TAxis::Row ? BoardRight : BoardBottom;
}
// Where line Line of this axis stands across its axis: the Y of a row, the X of a column.
double LinePosition(TAxis LineAxis, int32_t Line) {
    return (Line - 1) * CellSize + (LineAxis == TAxis::Row ? BoardTop : BoardLeft);
}

} // namespace

TStartLayout SolvedLayout() {
    TStartLayout layout{};
    for (int k = 0; k < 100; ++k)
        layout[size_t(k)] = k + 1;
    return layout;
}

TStartLayout ParseStartLayout(const std::vector<std::string>& Items) {
    if (Items.size() < 100) ListIndexError(int(Items.size()));
    TStartLayout layout{};
    for (int k = 0; k < 100; ++k)
        layout[size_t(k)] = StrToInt(Items[size_t(k)]);
    return layout;
}

int32_t TPuzzle::TileIn(int32_t C, int32_t R) const {
    CheckLineIndex(C);
    CheckLineIndex(R);
    return FGrid[C][R];
}

const TTilePlace& TPuzzle::Place(int32_t Index) const {
    if (Index < 1 || Index > TrailingDummy) ListIndexError(Index);
    return FTiles[Index];
}

void TPuzzle::SetStartPos(const TStartLayout& Layout, bool Highlight) {
    // The whole layout is checked before anything changes: a tile number outside 1..100 would reach
    // past the tile table, and a repeated one would leave the board without some tile.
    std::array<bool, 101> seen{};
    for (int k = 0; k < 100; ++k) {
        const int32_t n = Layout[size_t(k)];
        if (n < 1 || n > 100)
            throw EConvertError(
                Format("Start position %d names tile %d, which does not exist", k + 1, n));
        if (seen[size_t(n)])
            throw EConvertError(Format("Start position %d names tile %d a second time", k + 1, n));
        seen[size_t(n)] = true;
    }
    for (int k = 0; k < 100; ++k) {
        const int32_t n = Layout[size_t(k)];
        FTiles[n].PatternBase = n - 1;
        FTiles[n].X = (k % 10) * CellSize + BoardLeft;
        FTiles[n].Y = (k / 10) * CellSize + BoardTop;
        FGrid[k % 10 + 1][k / 10 + 1] = n;
    }
    FMoves = 0;
    FGameActive = false;
    EndDrag();
    CheckSolution(Highlight);
}

bool TPuzzle::CheckSolution(bool Highlight) {
    bool solved = true;
    for (int n = 1; n <= 100; ++n) {
        const bool home = FGrid[(n - 1) % 10 + 1][(n - 1) / 10 + 1] == n;
        if (!home) solved = false;
        FTiles[n].PatternBase = home && Highlight ? n + 99 : n - 1;
    }
    return solved;
}

int32_t& TPuzzle::Cell(TAxis LineAxis, int32_t Line, int32_t K) {
    return LineAxis == TAxis::Row ? FGrid[K][Line] : FGrid[Line][K];
}

void TPuzzle::RotateLine(TAxis LineAxis, int32_t Line, int32_t Step) {
    CheckAxis(LineAxis);
    CheckLineIndex(Line);
    if (Step == 1) {
        const int32_t kept = Cell(LineAxis, Line, 10);
        for (int k = 10; k >= 2; --k)
            Cell(LineAxis, Line, k) = Cell(LineAxis, Line, k - 1);
        Cell(LineAxis, Line, 1) = kept;
    } else {
        const int32_t kept = Cell(LineAxis, Line, 1);
        for (int k = 1; k <= 9; ++k)
            Cell(LineAxis, Line, k) = Cell(LineAxis, Line, k + 1);
        Cell(LineAxis, Line, 10) = kept;
    }
}

TTilePlace& TPuzzle::TileAt(TAxis LineAxis, int32_t Line, int32_t K) {
    const int32_t n = Cell(LineAxis, Line, K);
    if (n < 1 || n > 100) throw Exception("The board has no tiles laid out yet");
    return FTiles[n];
}

void TPuzzle::PlaceDummySprites() {
    TTilePlace& leading = FTiles[LeadingDummy];
    TTilePlace& trailing = FTiles[TrailingDummy];
    // Both patterns are read before either place changes: a board without tiles changes nothing.
    const int32_t entersAtStart = TileAt(FAxis, FLine, 10).PatternBase;
    const int32_t entersAtEnd = TileAt(FAxis, FLine, 1).PatternBase;
    leading.PatternBase = entersAtStart;
    Along(leading, FAxis) = LeadingRest(FAxis);
    Across(leading, FAxis) = LinePosition(FAxis, FLine);
    trailing.PatternBase = entersAtEnd;
    Along(trailing, FAxis) = TrailingRest(FAxis);
    Across(trailing, FAxis) = LinePosition(FAxis, FLine);
}

void TPuzzle::BeginLine(TAxis LineAxis, int32_t Line) {
    CheckAxis(LineAxis);
    CheckLineIndex(Line);
    if (FGrid[1][1] == 0) throw Exception("The board has no tiles laid out yet");
    FAxis = LineAxis;
    FLine = Line;
    FStepDone = false;
    FDirection = 0;
    PlaceDummySprites();
}

double TPuzzle::Displacement() const {
    return Along(FTiles[LeadingDummy], FAxis) - LeadingRest(FAxis);
}

bool TPuzzle::Scroll(double Delta) {
    CheckLineIndex(FLine);
    FStepDone = false;
    FDirection = 0;
    if (!std::isfinite(Delta)) return false; // no distance to move by
    // Cut off at one whole cell from rest; whatever lies beyond it is dropped.
    const double offset = Displacement();
    const double moved = offset + Delta;
    if (std::fabs(moved) >= CellSize) {
        FDirection = moved > 0 ? 1 : -1;
        FStepDone = true;
        Delta = FDirection * CellSize - offset;
    }
    for (int k = 1; k <= 10; ++k)
        Along(TileAt(FAxis, FLine, k), FAxis) += Delta;
    Along(FTiles[LeadingDummy], FAxis) += Delta;
    Along(FTiles[TrailingDummy], FAxis) += Delta;
    return FStepDone;
}

void TPuzzle::CompleteMove() {
    CheckLineIndex(FLine);
    // Without a completed step there is nothing to finish; treating 0 as a step back would turn
    // the board while the tiles stand still.
    if (FDirection == 0) return;
    if (FDirection == 1)
        Along(TileAt(FAxis, FLine, 10), FAxis) = Along(FTiles[LeadingDummy], FAxis);
    else
        Along(TileAt(FAxis, FLine, 1), FAxis) = Along(FTiles[TrailingDummy], FAxis);
    RotateLine(FAxis, FLine, FDirection);
    PlaceDummySprites();
    FNetShift += FDirection;
    if (FNetShift == 10 || FNetShift == -10) FNetShift = 0;
}
