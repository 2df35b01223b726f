// A main window with its 102 sprites under a plain engine root, for board and scrolling tests.
#pragma once

#include "game/MainForm.h"
#include "game/Sprites.h"
#include "graphics/DXSprite.h"

#include <array>
#include <memory>

struct TBoard {
    // The engine outlives the window, whose destruction frees the sprites first.
    TSpriteEngine Engine;
    std::unique_ptr<TForm1> Form = std::make_unique<TForm1>();

    TBoard() {
        Form->HighlightSetting = "1";
        Form->CreateSprites(&Engine, nullptr, 34, 34);
    }

    static std::array<int32_t, 100> Snapshot() {
        std::array<int32_t, 100> cells{};
        for (int c = 1; c <= 10; ++c)
            for (int r = 1; r <= 10; ++r)
                cells[size_t((r - 1) * 10 + c - 1)] = Grid[c][r];
        return cells;
    }

    // Every tile's sprite stands exactly on the cell Grid gives it.
    static bool SpritesOnTheirCells() {
        for (int c = 1; c <= 10; ++c)
            for (int r = 1; r <= 10; ++r) {
                const TMySprite* s = Tiles[Grid[c][r]];
                if (s->X != (c - 1) * 34 + 34 || s->Y != (r - 1) * 34 + 105)
                    return false;
            }
        return true;
    }
};
