// The main window of the game: the board, its panel and the game's state.
#pragma once

#include <QWidget>

#include <cstdint>
#include <string>
#include <vector>

class TMySprite;
class TSprite;
class TPictureCollectionItem;

// ---- Board model and game state (unit-level, shared by every handler of the main window) ----

// Grid[c][r]: the tile standing in column c, row r (both 1..10; index 0 is unused).
extern int32_t Grid[11][11];
// Tiles[1..100]: the sprite of each tile; Tiles[101] the leading and Tiles[102] the trailing
// wrap-around sprite. Index 0 is unused. Entries are null until the sprites are created.
extern TMySprite* Tiles[103];

extern int32_t Moves;
extern bool Dragging;
extern bool GameActive;
extern int32_t ColIndex;
extern int32_t RowIndex;
extern int32_t LastX;
extern int32_t LastY;
extern int32_t NetShift;
extern std::string Axis;
extern bool StepDone;
extern int32_t Direction;

// Turns one row ("Row") or column (any other text) of Grid by one cell; Direction +1 moves it right
// or down, anything else left or up. Only Grid changes. An index outside 1..10 raises EListError.
void RotateLine(const std::string& Axis, int32_t Index, int32_t Direction);

// Board geometry on the surface.
constexpr int CellSize = 34;
constexpr int BoardLeft = 34;
constexpr int BoardTop = 105;

// The start layout: item k names the tile that starts in cell k + 1 (row-major); a last, empty item
// is never read.
struct TStartPosList {
    std::vector<std::string> Items;
};

class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Creates the 100 tile sprites under root showing tileImage, lays them out (SetStartPos), then
    // the two wrap-around sprites at (0, 0). Sprites left from an earlier call are freed first.
    void CreateSprites(TSprite* root, TPictureCollectionItem* tileImage, int patternWidth,
                       int patternHeight);
    // Frees Tiles[101], Tiles[102], then Tiles[1..100], clearing each entry first.
    void FreeSprites();

    // Lays the tiles out as StartPos says, fills Grid, resets the game state, refreshes patterns.
    // A list that does not name each tile 1..100 exactly once raises an error and changes nothing.
    void SetStartPos();
    // True when every tile stands in its home cell; sets every tile's pattern (highlighted when
    // HighlightSetting is "1" and the tile is home).
    bool CheckSolution();

    // Puts the wrap-around sprites at the ends of the row ("Row") or column (other text) with the
    // patterns of the tiles that would enter there.
    void PlaceDummySprites(const std::string& Axis, int32_t Index);
    // Moves row RowIndex (column ColIndex) and both wrap-around sprites by delta pixels, cut off at
    // one cell; a completed cell sets StepDone and Direction.
    void ScrollRow(double Delta);
    void ScrollCol(double Delta);
    // Finishes the step the last scroll completed: re-enters the pushed-out tile, turns Grid,
    // re-places the wrap-around sprites and counts NetShift. Does nothing when Direction is 0.
    void CompleteRowMove();
    void CompleteColMove();

    // Start-up loading of the three preferences into the working copies (read, default, write back).
    // Returns the store errors met (the game goes on with defaults).
    std::vector<std::string> LoadPreferences();

    TStartPosList StartPos;
    std::string SoundSetting;
    std::string HighlightSetting;
    std::string NumberedSetting;
    int32_t HighScoreMoves = 1000;

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool FShown = false;
};

extern TForm1* Form1;
