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

// The start layout: entry k names the tile that starts in cell k + 1, counted row by row.
using TStartLayout = std::array<int32_t, 100>;

// The solved order 1..100.
TStartLayout SolvedLayout();
// Reads a start layout from its list texts (the first 100 are used). Texts that are not integers,
// numbers outside 1..100 and repeated tiles raise EConvertError; fewer than 100 texts EListError.
TStartLayout ParseStartLayout(const std::vector<std::string>& Items);

// What a release did, for the window to show and sound.
struct TRelease {
    bool Handled = false; // a drag was under way
    bool Counted = false; // the line's order changed: Moves went up by one
    bool Solved = false;  // every tile stands in its home cell
};

class TPuzzle {
public:
    // ---- Board
    // Grid[c][r]: the tile standing in column c, row r (both 1..10; index 0 unused). All 0 until
    // the first SetStartPos.
    int32_t Grid[11][11] = {};
    // Tiles[1..100]: place and pattern of each tile's sprite; Tiles[101] the leading and
    // Tiles[102] the trailing wrap-around tile. Index 0 unused.
    TTilePlace Tiles[103] = {};

    // ---- Scrolling
    int32_t RowIndex = 0;  // the row being scrolled, 0 when none
    int32_t ColIndex = 0;  // the column being scrolled, 0 when none
    int32_t Direction = 0; // +1 or -1 for the step just completed; 0 before one
    bool StepDone = true;  // the last scroll completed a step (true at rest)
    int32_t NetShift = 0;  // steps of the current drag, kept within -9..+9

    // ---- Gesture
    bool GameActive = false; // a dealt game is in play: presses are accepted
    bool Dragging = false;   // a press was accepted and not released yet
    int32_t LastX = 0;       // press point, then the last handled movement along a row
    int32_t LastY = 0;       // press point, then the last handled movement along a column
    std::string Axis;        // "Row" or "Col" once the first movement chose; empty otherwise
    int32_t Moves = 0;       // moves counted in this game

    // Lays the tiles out as Layout says, fills Grid, resets the game state (not StepDone and
    // Direction) and refreshes the patterns. The wrap-around tiles are left where they are. A
    // layout that does not name each tile 1..100 exactly once raises EConvertError, changing
    // nothing.
    void SetStartPos(const TStartLayout& Layout, bool Highlight);
    // True when every tile stands in its home cell; sets the pattern of tiles 1..100, highlighted
    // for a tile in its home cell when Highlight is on. Visits every tile, whatever it finds.
    bool CheckSolution(bool Highlight);
    // Turns one row ("Row") or column (any other text) of Grid by one cell: Step +1 to the right or
    // down, anything else left or up. Only Grid changes. A line outside 1..10 raises EListError.
    void RotateLine(const std::string& LineAxis, int32_t Line, int32_t Step);

    // Puts the wrap-around tiles at the ends of the row ("Row") or column (other text) with the
    // patterns of the tiles that would enter there.
    void PlaceDummySprites(const std::string& LineAxis, int32_t Line);
    // Moves row RowIndex (column ColIndex) and both wrap-around tiles by Delta pixels, cut off at
    // one cell; reaching a whole cell sets StepDone and Direction. Delta that is not a finite
    // number moves nothing.
    void ScrollRow(double Delta);
    void ScrollCol(double Delta);
    // Finishes the step the last scroll completed: the pushed-out tile re-enters at the other end,
    // Grid turns, the wrap-around tiles return, NetShift counts. Nothing happens while Direction is
    // 0.
    void CompleteRowMove();
    void CompleteColMove();

    // ---- The gesture, in surface pixels. None of them looks at the mouse button.
    // A press on the board (X 34..374, Y 105..445) in a dealt game starts a drag, or during a drag
    // only moves the reference point. Returns whether the press was taken.
    bool MouseDown(int32_t X, int32_t Y);
    // Moves the dragged line with the pointer, choosing row or column at the first movement, at
    // most one step per call. Returns true when a step was completed (the window plays "Click").
    bool MouseMove(int32_t X, int32_t Y);
    // Settles the line on the nearer whole cell (17 pixels or more complete the step), counts a
    // move when the line's order changed and runs the solution test. The window then shows the
    // result, runs a win, and calls EndDrag.
    TRelease MouseUp(bool Highlight);
    // Returns the gesture to rest: no drag, no line, no reference point, NetShift 0.
    void EndDrag();

    // Deals a new game: the start layout, then 100 passes of random lines turned right or down by
    // 1..10 cells through the same steps as a drag (the run-time library's generator, never
    // seeded), then Moves 0, the gesture at rest, the patterns refreshed and the game open for
    // presses.
    void Scramble(const TStartLayout& Layout, bool Highlight);

private:
    TTilePlace& TileAt(int32_t C, int32_t R);
    void CountStep();
    void Settle();
    // The part of Delta that moves a line whose leading dummy stands Offset pixels past its rest
    // place, cut off at one whole cell; reaching the cell sets StepDone and Direction.
    double CutAtOneCell(double Offset, double Delta);
};
