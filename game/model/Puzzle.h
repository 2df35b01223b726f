// The puzzle model: board, tile places, line scrolling, the drag gesture and the deal, free of any
// window.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Board geometry on the drawing surface, in pixels.
constexpr int CellSize = 34;
constexpr int BoardLeft = 34;
constexpr int BoardTop = 105;
constexpr int BoardRight =
    BoardLeft + 10 * CellSize; // 374: first column of pixels right of the board
constexpr int BoardBottom = BoardTop + 10 * CellSize; // 445: first row of pixels below the board
constexpr int ColumnDummyTop = BoardTop - CellSize; // 71: the leading wrap-around tile of a column
constexpr int RowDummyLeft = 0;                     // the leading wrap-around tile of a row

constexpr int LeadingDummy = 101;
constexpr int TrailingDummy = 102;

// Where one tile's sprite stands and which pattern of the tile picture it shows. Tile n shows
// pattern n - 1, or n + 99 when highlighted in its home cell.
struct TTilePlace {
    double X = 0;
    double Y = 0;
    int32_t PatternBase = 0;
};

// The line a drag or a deal moves: a row (sideways) or a column (up and down); None at rest.
enum class TAxis { None, Row, Col };

// The start layout: entry k names the tile that starts in cell k + 1, counted row by row.
using TStartLayout = std::array<int32_t, 100>;

// The solved order 1..100.
TStartLayout SolvedLayout();
// Reads a start layout from its list texts (the first 100 are used). Texts that are not integers,
// numbers outside 1..100 and repeated tiles raise EConvertError; fewer than 100 texts EListError.
TStartLayout ParseStartLayout(const std::vector<std::string>& Items);

// What a release did, for the window to show and sound.
struct TRelease {
    bool Handled = false; // a drag was under way (and has now ended)
    bool Counted = false; // the line's order changed: Moves went up by one
    bool Solved = false;  // every tile stands in its home cell
};

class TPuzzle {
public:
    // ---- Read-only views
    // The tile standing in column C, row R (both 1..10); 0 before the first SetStartPos. A cell
    // outside the board raises EListError.
    int32_t TileIn(int32_t C, int32_t R) const;
    // Place and pattern of tile 1..100, or of the leading (101) or trailing (102) wrap-around
    // tile. Any other index raises EListError.
    const TTilePlace& Place(int32_t Index) const;
    // The line being scrolled (1..10) on its axis; None and 0 when no line is chosen.
    TAxis Axis() const { return FAxis; }
    int32_t Line() const { return FLine; }
    bool GameActive() const { return FGameActive; } // a dealt game is in play: presses are taken
    bool Dragging() const { return FDragging; }     // a press was taken and not released yet
    int32_t Moves() const { return FMoves; }        // moves counted in this game
    int32_t NetShift() const { return FNetShift; }  // steps of the current drag, within -9..+9
    bool StepDone() const { return FStepDone; } // the last scroll completed a step (true at rest)
    int32_t Direction() const { return FDirection; } // +1 or -1 for that step; 0 before one

    // ---- The board
    // Lays the tiles out as Layout says, fills the board, resets the game and the gesture (not
    // StepDone and Direction) and refreshes the patterns. The wrap-around tiles are left where
    // they are. A layout that does not name each tile 1..100 exactly once raises EConvertError,
    // changing nothing.
    void SetStartPos(const TStartLayout& Layout, bool Highlight);
    // True when every tile stands in its home cell; sets the pattern of tiles 1..100, highlighted
    // for a tile in its home cell when Highlight is on. Visits every tile, whatever it finds.
    bool CheckSolution(bool Highlight);
    // Turns one line of the board by one cell: Step +1 to the right or down, anything else left
    // or up. Only the board changes, no tile moves. A line outside 1..10 or no axis raises
    // EListError.
    void RotateLine(TAxis LineAxis, int32_t Line, int32_t Step);

    // ---- Scrolling one line
    // Chooses the line to scroll and puts the wrap-around tiles at its ends with the patterns of
    // the tiles that would enter there; StepDone and Direction start afresh. A line outside 1..10
    // or no axis raises EListError; before the first layout, Exception.
    void BeginLine(TAxis LineAxis, int32_t Line);
    // Moves the chosen line and both wrap-around tiles by Delta pixels along its axis, cut off at
    // one cell from rest; reaching a whole cell sets StepDone and Direction and returns true, and
    // CompleteMove must follow before the next scroll. Delta that is not a finite number moves
    // nothing. Without a chosen line raises EListError.
    bool Scroll(double Delta);
    // Finishes the step the last scroll completed: the pushed-out tile re-enters at the other end,
    // the board turns, the wrap-around tiles return, NetShift counts. Nothing happens while
    // Direction is 0.
    void CompleteMove();

    // ---- The gesture, in surface pixels. None of them looks at the mouse button.
    // A press on the board (X 34..374, Y 105..445) in a dealt game starts a drag, or during a drag
    // only moves the reference point. Returns whether the press was taken.
    bool MouseDown(int32_t X, int32_t Y);
    // Moves the dragged line with the pointer, choosing row or column at the first movement, at
    // most one step per call. Returns true when a step was completed (the window plays "Click").
    bool MouseMove(int32_t X, int32_t Y);
    // Settles the line on the nearer whole cell (17 pixels or more complete the step), counts a
    // move when the line's order changed, runs the solution test and ends the drag.
    TRelease MouseUp(bool Highlight);

    // ---- The same gesture a whole cell at a time, for play from the keyboard
    // A press on the centre of cell (C, R), under the rules of MouseDown.
    bool PressCell(int32_t C, int32_t R);
    // A movement of exactly one cell along LineAxis (Step +1 right or down, -1 left or up) from
    // the last handled point, under the rules of MouseMove: the first chooses the axis, one
    // across the chosen axis moves nothing. Returns true when a step was completed.
    bool MoveCell(TAxis LineAxis, int32_t Step);

    // Deals a new game: the start layout, then 100 passes of random lines turned right or down by
    // 1..10 cells through the same steps as a drag (the run-time library's generator, never
    // seeded), then Moves 0, the gesture at rest, the patterns refreshed and the game open for
    // presses.
    void Scramble(const TStartLayout& Layout, bool Highlight);

private:
    int32_t& Cell(TAxis LineAxis, int32_t Line, int32_t K);
    TTilePlace& TileAt(TAxis LineAxis, int32_t Line, int32_t K);
    void PlaceDummySprites();
    // How far the leading wrap-around tile stands from its rest place along the chosen axis.
    double Displacement() const;
    // One movement of Dx, Dy pixels to the point (X, Y): the rule MouseMove and MoveCell share.
    bool Movement(int64_t Dx, int64_t Dy, int32_t X, int32_t Y);
    void Settle();
    void EndDrag();

    // Grid[c][r]: the tile standing in column c, row r (both 1..10; index 0 unused).
    int32_t FGrid[11][11] = {};
    // Tiles[1..100], then the leading and trailing wrap-around tiles. Index 0 unused.
    TTilePlace FTiles[103] = {};

    TAxis FAxis = TAxis::None;
    int32_t FLine = 0;
    int32_t FDirection = 0;
    bool FStepDone = true;
    int32_t FNetShift = 0;

    bool FGameActive = false;
    bool FDragging = false;
    int32_t FLastX = 0; // press point, then the last handled movement along a row
    int32_t FLastY = 0; // press point, then the last handled movement along a column
    int32_t FMoves = 0;
};
