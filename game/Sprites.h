// The game's sprite class: a picture sprite whose pattern never advances by itself.
#pragma once

#include "graphics/DXSprite.h"

class TMySprite : public TImageSprite {
public:
    using TImageSprite::TImageSprite;

    // Tiles change pattern only when the game sets PatternBase, so the frame advance does nothing.
    void MoveSelf(int32_t MoveCount) override;
};
