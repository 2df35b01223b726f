// The board model of the main window: the grid, the tile sprites, the start layout and the test.
#include "game/MainForm.h"

#include "game/Sprites.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"

#include <array>

int32_t Grid[11][11] = {};
TMySprite* Tiles[103] = {};

int32_t Moves = 0;
bool Dragging = false;
bool GameActive = false;
int32_t ColIndex = 0;
int32_t RowIndex = 0;
int32_t LastX = 0;
int32_t LastY = 0;
int32_t NetShift = 0;
std::string Axis;
bool StepDone = true;
int32_t Direction = 0;

namespace {

void CheckLineIndex(int32_t index) {
    if (index < 1 || index > 10)
        ListIndexError(index);
}

} // namespace

void RotateLine(const std::string& Axis, int32_t Index, int32_t Direction) {
    CheckLineIndex(Index);
    const int i = Index;
    if (Axis == "Row") {
        if (Direction == 1) {
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
        if (Direction == 1) {
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

void TForm1::CreateSprites(TSprite* root, TPictureCollectionItem* tileImage, int patternWidth,
                           int patternHeight) {
    FreeSprites();
    auto make = [&]() {
        auto* sprite = new TMySprite(root); // owned by root from here on
        sprite->Image = tileImage;
        sprite->Width = patternWidth;
        sprite->Height = patternHeight;
        return sprite;
    };
    for (int i = 1; i <= 100; ++i)
        Tiles[i] = make();
    SetStartPos();
    for (int i = 101; i <= 102; ++i) {
        Tiles[i] = make();
        Tiles[i]->X = 0;
        Tiles[i]->Y = 0;
    }
}

void TForm1::FreeSprites() {
    static constexpr int order[] = {101, 102};
    auto release = [](int i) {
        TMySprite* sprite = Tiles[i];
        Tiles[i] = nullptr;
        delete sprite;
    };
    for (int i : order)
        release(i);
    for (int i = 1; i <= 100; ++i)
        release(i);
}

void TForm1::SetStartPos() {
    // The whole list is checked before anything changes: a tile number outside 1..100 would reach
    // past the sprite table, and a repeated one would leave Grid without some tile.
    std::array<int32_t, 100> layout{};
    std::array<bool, 101> seen{};
    for (int i = 0; i < 100; ++i) {
        if (size_t(i) >= StartPos.Items.size())
            ListIndexError(i);
        const int32_t n = StrToInt(StartPos.Items[size_t(i)]);
        if (n < 1 || n > 100)
            throw EConvertError(Format("Start position %d names tile %d, which does not exist", i + 1, n));
        if (seen[size_t(n)])
            throw EConvertError(Format("Start position %d names tile %d a second time", i + 1, n));
        seen[size_t(n)] = true;
        layout[size_t(i)] = n;
    }
    for (int i = 1; i <= 100; ++i) {
        const int32_t n = layout[size_t(i - 1)];
        if (TMySprite* sprite = Tiles[n]) {
            sprite->PatternBase = n - 1;
            sprite->X = ((i - 1) % 10) * CellSize + BoardLeft;
            sprite->Y = ((i - 1) / 10) * CellSize + BoardTop;
        }
        Grid[(i - 1) % 10 + 1][(i - 1) / 10 + 1] = n;
    }
    Moves = 0;
    Dragging = false;
    GameActive = false;
    ColIndex = 0;
    RowIndex = 0;
    LastX = 0;
    LastY = 0;
    NetShift = 0;
    Axis.clear();
    CheckSolution();
}

bool TForm1::CheckSolution() {
    bool solved = true;
    const bool highlight = HighlightSetting == "1";
    for (int n = 1; n <= 100; ++n) {
        const int c = (n - 1) % 10 + 1;
        const int r = (n - 1) / 10 + 1;
        const bool home = Grid[c][r] == n;
        if (!home)
            solved = false;
        if (TMySprite* sprite = Tiles[n])
            sprite->PatternBase = home && highlight ? n + 99 : n - 1;
    }
    return solved;
}
