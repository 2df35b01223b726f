// A main window with its 102 sprites under a plain engine root, for the tests of its sprites.
#pragma once

#include "game/MainForm.h"
#include "game/Sprites.h"
#include "graphics/DXSprite.h"

#include <memory>

struct TBoard {
    // The engine outlives the window, whose destruction frees the sprites first.
    TSpriteEngine Engine;
    std::unique_ptr<TForm1> Form = std::make_unique<TForm1>();

    TBoard() {
        Form->HighlightSetting = "1";
        Form->CreateSprites(&Engine, nullptr, 34, 34);
    }

    // Every sprite shows what the puzzle holds for its tile.
    bool SpritesFollowThePuzzle() const {
        for (int i = 1; i <= 102; ++i) {
            const TMySprite* s = Form->Tiles(i);
            const TTilePlace& t = Form->Puzzle().Place(i);
            if (!s || s->X != t.X || s->Y != t.Y || s->PatternBase != t.PatternBase) return false;
        }
        return true;
    }
};
