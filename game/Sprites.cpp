// The game's sprite class.
#include "game/Sprites.h"

void TMySprite::MoveSelf(int32_t MoveCount) {
    (void)MoveCount;
}
