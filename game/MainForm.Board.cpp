// The tile sprites of the main window: created, freed, and kept where the puzzle model puts them.
#include "game/MainForm.h"

#include "game/Sprites.h"
#include "platform/rtl/Exceptions.h"

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
        FTiles[i] = make();
    SetStartPos();
    // The wrap-around sprites start where the puzzle keeps its wrap-around tiles until the first
    // drag: at (0, 0) with pattern 0, under the opaque frame.
    for (int i = LeadingDummy; i <= TrailingDummy; ++i)
        FTiles[i] = make();
    ApplyTiles();
}

void TForm1::FreeSprites() {
    auto release = [this](int i) {
        TMySprite* sprite = FTiles[i];
        FTiles[i] = nullptr;
        delete sprite;
    };
    release(LeadingDummy);
    release(TrailingDummy);
    for (int i = 1; i <= 100; ++i)
        release(i);
}

TMySprite* TForm1::Tiles(int32_t Index) const {
    if (Index < 1 || Index > TrailingDummy) ListIndexError(Index);
    return FTiles[Index];
}

void TForm1::ApplyTiles() {
    for (int i = 1; i <= TrailingDummy; ++i)
        if (TMySprite* sprite = FTiles[i]) {
            const TTilePlace& place = FPuzzle.Place(i);
            sprite->X = place.X;
            sprite->Y = place.Y;
            sprite->PatternBase = place.PatternBase;
        }
    DescribeBoard();
}

std::vector<std::string> TForm1::StartPosItems() const {
    // Only the first 100 texts are read; a shorter list is refused by the layout reader.
    std::vector<std::string> items;
    const std::size_t count = std::min<std::size_t>(StartPos.Items.size(), 100);
    items.reserve(count);
    for (std::size_t k = 0; k < count; ++k)
        items.push_back(StartPos.Items[k]);
    return items;
}

void TForm1::SetStartPos() {
    FPuzzle.SetStartPos(ParseStartLayout(StartPosItems()), HighlightSetting == "1");
    ApplyTiles();
}

bool TForm1::CheckSolution() {
    const bool solved = FPuzzle.CheckSolution(HighlightSetting == "1");
    ApplyTiles();
    return solved;
}
