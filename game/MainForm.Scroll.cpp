// Scrolling one row or column of tile sprites with the wrap-around sprites, and finishing a step.
#include "game/MainForm.h"

#include "game/Sprites.h"
#include "platform/rtl/Exceptions.h"

#include <cmath>

namespace {

constexpr int LeadingDummy = 101;
constexpr int TrailingDummy = 102;

void CheckLineIndex(int32_t index) {
    if (index < 1 || index > 10)
        ListIndexError(index);
}

// The sprite of the tile in cell (c, r); the board must have been laid out with its sprites.
TMySprite* TileAt(int c, int r) {
    const int32_t n = Grid[c][r];
    if (n < 1 || n > 100 || !Tiles[n])
        throw Exception("The board has no tile sprites yet");
    return Tiles[n];
}

TMySprite* Dummy(int index) {
    if (!Tiles[index])
        throw Exception("The board has no wrap-around sprites yet");
    return Tiles[index];
}

void CountStep() {
    NetShift += Direction;
    if (NetShift == 10 || NetShift == -10)
        NetShift = 0;
}

} // namespace

void TForm1::PlaceDummySprites(const std::string& Axis, int32_t Index) {
    CheckLineIndex(Index);
    TMySprite* leading = Dummy(LeadingDummy);
    TMySprite* trailing = Dummy(TrailingDummy);
    if (Axis == "Row") {
        const double y = (Index - 1) * CellSize + BoardTop;
        leading->X = 0;
        leading->Y = y;
        leading->PatternBase = TileAt(10, Index)->PatternBase;
        trailing->X = 374;
        trailing->Y = y;
        trailing->PatternBase = TileAt(1, Index)->PatternBase;
    } else {
        const double x = (Index - 1) * CellSize + BoardLeft;
        leading->X = x;
        leading->Y = 71;
        leading->PatternBase = TileAt(Index, 10)->PatternBase;
        trailing->X = x;
        trailing->Y = 445;
        trailing->PatternBase = TileAt(Index, 1)->PatternBase;
    }
}

void TForm1::ScrollRow(double Delta) {
    CheckLineIndex(RowIndex);
    if (!std::isfinite(Delta))
        return; // no distance to move by
    TMySprite* leading = Dummy(LeadingDummy);
    TMySprite* trailing = Dummy(TrailingDummy);
    const double d = leading->X;
    const double moved = d + Delta;
    if (std::fabs(moved) >= CellSize) {
        if (moved > 0) {
            Delta = CellSize - d;
            Direction = 1;
        } else {
            Delta = -CellSize - d;
            Direction = -1;
        }
        StepDone = true;
    }
    for (int c = 1; c <= 10; ++c)
        TileAt(c, RowIndex)->X += Delta;
    leading->X += Delta;
    trailing->X += Delta;
}

void TForm1::ScrollCol(double Delta) {
    CheckLineIndex(ColIndex);
    if (!std::isfinite(Delta))
        return;
    TMySprite* leading = Dummy(LeadingDummy);
    TMySprite* trailing = Dummy(TrailingDummy);
    const double moved = leading->Y - 71 + Delta;
    if (std::fabs(moved) >= CellSize) {
        if (moved > 0) {
            Delta = 105 - leading->Y;
            Direction = 1;
        } else {
            Delta = 37 - leading->Y;
            Direction = -1;
        }
        StepDone = true;
    }
    for (int r = 1; r <= 10; ++r)
        TileAt(ColIndex, r)->Y += Delta;
    leading->Y += Delta;
    trailing->Y += Delta;
}

void TForm1::CompleteRowMove() {
    CheckLineIndex(RowIndex);
    // Without a completed step there is nothing to finish; treating 0 as a step to the left would
    // turn Grid while the sprites stand still.
    if (Direction == 0)
        return;
    if (Direction == 1)
        TileAt(10, RowIndex)->X = Dummy(LeadingDummy)->X;
    else
        TileAt(1, RowIndex)->X = Dummy(TrailingDummy)->X;
    RotateLine("Row", RowIndex, Direction);
    PlaceDummySprites("Row", RowIndex);
    CountStep();
}

void TForm1::CompleteColMove() {
    CheckLineIndex(ColIndex);
    if (Direction == 0)
        return;
    if (Direction == 1)
        TileAt(ColIndex, 10)->Y = Dummy(LeadingDummy)->Y;
    else
        TileAt(ColIndex, 1)->Y = Dummy(TrailingDummy)->Y;
    RotateLine("Col", ColIndex, Direction);
    PlaceDummySprites("Col", ColIndex);
    CountStep();
}
