// The puzzle model's board and scrolling: start layout, solution test, line turns, steps of a line.
#include "game/model/Puzzle.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"

#include <cmath>

namespace {

void CheckLineIndex(int32_t Index) {
    if (Index < 1 || Index > 10) ListIndexError(Index);
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

void TPuzzle::SetStartPos(const TStartLayout& Layout, bool Highlight) {
    // The whole layout is checked before anything changes: a tile number outside 1..100 would reach
    // past the tile table, and a repeated one would leave Grid without some tile.
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
        Tiles[n].PatternBase = n - 1;
        Tiles[n].X = (k % 10) * CellSize + BoardLeft;
        Tiles[n].Y = (k / 10) * CellSize + BoardTop;
        Grid[k % 10 + 1][k / 10 + 1] = n;
    }
    Moves = 0;
    GameActive = false;
    EndDrag();
    CheckSolution(Highlight);
}

bool TPuzzle::CheckSolution(bool Highlight) {
    bool solved = true;
    for (int n = 1; n <= 100; ++n) {
        const bool home = Grid[(n - 1) % 10 + 1][(n - 1) / 10 + 1] == n;
        if (!home) solved = false;
        Tiles[n].PatternBase = home && Highlight ? n + 99 : n - 1;
    }
    return solved;
}

void TPuzzle::RotateLine(const std::string& LineAxis, int32_t Line, int32_t Step) {
    CheckLineIndex(Line);
    const int i = Line;
    if (LineAxis == "Row") {
        if (Step == 1) {
            const int32_t kept = Grid[10][i];
            for (int c = 10; c >= 2; --c)
                Grid[c][i] = Grid[c - 1][i];
            Grid[1][i] = kept;
        } else {
            const int32_t kept = Grid[1][i];
            for (int c = 1; c <= 9; ++c)
                Grid[c][i] = Grid[c + 1][i];
            Grid[10][i] = kept;
        }
    } else {
        if (Step == 1) {
            const int32_t kept = Grid[i][10];
            for (int r = 10; r >= 2; --r)
                Grid[i][r] = Grid[i][r - 1];
            Grid[i][1] = kept;
        } else {
            const int32_t kept = Grid[i][1];
            for (int r = 1; r <= 9; ++r)
                Grid[i][r] = Grid[i][r + 1];
            Grid[i][10] = kept;
        }
    }
}

TTilePlace& TPuzzle::TileAt(int32_t C, int32_t R) {
    const int32_t n = Grid[C][R];
    if (n < 1 || n > 100) throw Exception("The board has no tiles laid out yet");
    return Tiles[n];
}

void TPuzzle::PlaceDummySprites(const std::string& LineAxis, int32_t Line) {
    CheckLineIndex(Line);
    TTilePlace& leading = Tiles[LeadingDummy];
    TTilePlace& trailing = Tiles[TrailingDummy];
    if (LineAxis == "Row") {
        const double y = (Line - 1) * CellSize + BoardTop;
        leading = {RowDummyLeft, y, TileAt(10, Line).PatternBase};
        trailing = {BoardRight, y, TileAt(1, Line).PatternBase};
    } else {
        const double x = (Line - 1) * CellSize + BoardLeft;
        leading = {x, ColumnDummyTop, TileAt(Line, 10).PatternBase};
        trailing = {x, BoardBottom, TileAt(Line, 1).PatternBase};
    }
}

double TPuzzle::CutAtOneCell(double Offset, double Delta) {
    const double moved = Offset + Delta;
    if (std::fabs(moved) < CellSize) return Delta;
    Direction = moved > 0 ? 1 : -1;
    StepDone = true;
    return Direction * CellSize - Offset;
}

void TPuzzle::ScrollRow(double Delta) {
    CheckLineIndex(RowIndex);
    if (!std::isfinite(Delta)) return; // no distance to move by
    Delta = CutAtOneCell(Tiles[LeadingDummy].X - RowDummyLeft, Delta);
    for (int c = 1; c <= 10; ++c)
        TileAt(c, RowIndex).X += Delta;
    Tiles[LeadingDummy].X += Delta;
    Tiles[TrailingDummy].X += Delta;
}

void TPuzzle::ScrollCol(double Delta) {
    CheckLineIndex(ColIndex);
    if (!std::isfinite(Delta)) return;
    Delta = CutAtOneCell(Tiles[LeadingDummy].Y - ColumnDummyTop, Delta);
    for (int r = 1; r <= 10; ++r)
        TileAt(ColIndex, r).Y += Delta;
    Tiles[LeadingDummy].Y += Delta;
    Tiles[TrailingDummy].Y += Delta;
}

void TPuzzle::CountStep() {
    NetShift += Direction;
    if (NetShift == 10 || NetShift == -10) NetShift = 0;
}

void TPuzzle::CompleteRowMove() {
    CheckLineIndex(RowIndex);
    // Without a completed step there is nothing to finish; treating 0 as a step to the left would
    // turn Grid while the tiles stand still.
    if (Direction == 0) return;
    if (Direction == 1)
        TileAt(10, RowIndex).X = Tiles[LeadingDummy].X;
    else
        TileAt(1, RowIndex).X = Tiles[TrailingDummy].X;
    RotateLine("Row", RowIndex, Direction);
    PlaceDummySprites("Row", RowIndex);
    CountStep();
}

void TPuzzle::CompleteColMove() {
    CheckLineIndex(ColIndex);
    if (Direction == 0) return;
    if (Direction == 1)
        TileAt(ColIndex, 10).Y = Tiles[LeadingDummy].Y;
    else
        TileAt(ColIndex, 1).Y = Tiles[TrailingDummy].Y;
    RotateLine("Col", ColIndex, Direction);
    PlaceDummySprites("Col", ColIndex);
    CountStep();
}
