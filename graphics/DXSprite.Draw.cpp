// Painting image sprites and attaching the root of a sprite tree to a surface.
#include "graphics/DXSprite.h"
#include "display/DXDraws.Surfaces.h"
#include "graphics/DXImageList.h"

#include <cmath>

void TImageSprite::DrawSelf() {
    // An image sprite without a picture, or without a surface to paint on, has nothing to show.
    if (!Image || !Root() || !Root()->Surface) return;
    const double frame = std::trunc(FramePos);
    const double pattern = frame + double(PatternBase);
    // Frame numbers beyond 32 bits name no pattern.
    if (!(pattern >= -2147483648.0 && pattern <= 2147483647.0)) return;
    const TRect bounds = GetBounds();
    const int left = int((int64_t(bounds.Left) + (int64_t(Width) - Image->Width()) / 2));
    const int top = int((int64_t(bounds.Top) + (int64_t(Height) - Image->Height()) / 2));
    Image->Draw(Root()->Surface, left, top, int(pattern));
}

TSpriteLook TImageSprite::Look() {
    // What DrawSelf reads: the pattern, the picture and its pattern size, and the bounds.
    const double pattern = std::trunc(FramePos) + double(PatternBase);
    const TRect bounds = GetBounds();
    if (!Image) return TSpriteLook{bounds, pattern, Image, bounds};
    // The pattern is centred in the bounds, and may be larger than they are.
    const int64_t left = int64_t(bounds.Left) + (int64_t(Width) - Image->Width()) / 2;
    const int64_t top = int64_t(bounds.Top) + (int64_t(Height) - Image->Height()) / 2;
    const TRect area{int(left), int(top), int(left + Image->Width()), int(top + Image->Height())};
    return TSpriteLook{bounds, pattern, Image, area};
}

void TSpriteEngine::SetSurface(TDirectDrawSurface* Value) {
    Surface = Value;
    if (Surface) {
        SurfaceBounds = Surface->ClientRect();
        Width = SurfaceBounds.Width();
        Height = SurfaceBounds.Height();
    }
}
