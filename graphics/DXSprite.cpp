// The sprite tree: ownership, paint order, absolute positions and the move pass.
#include "graphics/DXSprite.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Positions are whole pixels truncated toward zero; values beyond 32 bits are held at its ends.
int TruncToInt(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return std::numeric_limits<int>::max();
    if (v <= -2147483648.0) return std::numeric_limits<int>::min();
    return int(std::trunc(v));
}

// Remainder with the sign of i, plus n when negative; n must not be 0.
int PositiveMod(int64_t i, int64_t n) {
    int64_t r = i % n;
    if (r < 0) r += n;
    return int(r);
}

} // namespace

double PositiveModReal(int32_t n, double x) {
    if (n == 0) return x;
    const double q = x / n;
    double r;
    if (std::fabs(q) < 9.0e18)
        r = x - double(int64_t(std::trunc(q))) * n;
    else
        r = std::fmod(x, double(n)); // the same remainder where the quotient leaves 64 bits
    if (r < 0) r += n;
    return r;
}

bool RectsOverlap(const TRect& a, const TRect& b) {
    return a.Left < b.Right && a.Right > b.Left && a.Top < b.Bottom && a.Bottom > b.Top;
}

// ---- TSprite ----

TSprite::TSprite(TSprite* AParent) : FParent(AParent) {
    if (FParent) {
        FParent->Add(this);
        if (auto* engine = dynamic_cast<TSpriteEngine*>(FParent))
            FRoot = engine;
        else
            FRoot = FParent->FRoot;
        if (FRoot) ++FRoot->SpriteCount;
    }
    Movable = true;
    Visible = true;
}

TSprite::~TSprite() {
    Clear();
    if (FParent) {
        if (FRoot) --FRoot->SpriteCount;
        FParent->Remove(this);
    }
    FChildren.reset();
    FPaintOrder.reset();
}

void TSprite::Add(TSprite* Sprite) {
    if (!FChildren) {
        FChildren = std::make_unique<std::vector<TSprite*>>();
        FPaintOrder = std::make_unique<std::vector<TSprite*>>();
    }
    FChildren->push_back(Sprite);
    // Binary search for the first place whose Z is not below the new one: a newcomer goes in front
    // of every sibling of equal Z. The comparison is made in 64 bits so extreme keys cannot
    // overflow.
    int low = 0;
    int high = int(FPaintOrder->size()) - 1;
    while (low <= high) {
        const int mid = (low + high) / 2;
        if (int64_t((*FPaintOrder)[mid]->Z) - int64_t(Sprite->Z) < 0)
            low = mid + 1;
        else
            high = mid - 1;
    }
    FPaintOrder->insert(FPaintOrder->begin() + low, Sprite);
}

void TSprite::Remove(TSprite* Sprite) {
    if (!FChildren) return;
    auto drop = [Sprite](std::vector<TSprite*>& list) {
        auto it = std::find(list.begin(), list.end(), Sprite);
        if (it != list.end()) list.erase(it);
    };
    drop(*FChildren);
    drop(*FPaintOrder);
    if (FChildren->empty()) {
        FChildren.reset();
        FPaintOrder.reset();
    }
}

void TSprite::Clear() {
    while (Count() > 0)
        delete FChildren->back(); // the child's destructor takes it out of both lists
}

int TSprite::Count() const {
    return FChildren ? int(FChildren->size()) : 0;
}

TSprite* TSprite::Items(int Index) const {
    if (!FChildren) throw ESpriteError(Format("Index of the list exceeds the range. (%d)", Index));
    if (Index < 0 || Index >= int(FChildren->size())) ListIndexError(Index);
    return (*FChildren)[size_t(Index)];
}

int TSprite::PaintOrderCount() const {
    return FPaintOrder ? int(FPaintOrder->size()) : 0;
}

TSprite* TSprite::PaintOrderItems(int Index) const {
    if (!FPaintOrder)
        throw ESpriteError(Format("Index of the list exceeds the range. (%d)", Index));
    if (Index < 0 || Index >= int(FPaintOrder->size())) ListIndexError(Index);
    return (*FPaintOrder)[size_t(Index)];
}

double TSprite::AbsoluteX() const {
    return FParent ? X + FParent->AbsoluteX() : X;
}

double TSprite::AbsoluteY() const {
    return FParent ? Y + FParent->AbsoluteY() : Y;
}

void TSprite::Move(int32_t MoveCount) {
    if (!Movable) return;
    MoveSelf(MoveCount);
    const int n = Count();
    for (int i = 0; i < n; ++i)
        Items(i)->Move(MoveCount);
}

void TSprite::Draw() {
    if (!Visible) return;
    if (FRoot && RectsOverlap(GetBounds(), FRoot->SurfaceBounds)) {
        DrawSelf();
        ++FRoot->PaintedCount;
    }
    const int n = PaintOrderCount();
    for (int i = 0; i < n; ++i)
        PaintOrderItems(i)->Draw();
}

void TSprite::CollectLooks(std::vector<TSpriteLook>& Looks) {
    if (!Visible) return;
    if (FRoot && RectsOverlap(GetBounds(), FRoot->SurfaceBounds)) Looks.push_back(Look());
    const int n = PaintOrderCount();
    for (int i = 0; i < n; ++i)
        PaintOrderItems(i)->CollectLooks(Looks);
}

TRect TSprite::GetBounds() {
    const int left = TruncToInt(AbsoluteX());
    const int top = TruncToInt(AbsoluteY());
    return TRect{left, top, int(int64_t(left) + Width), int(int64_t(top) + Height)};
}

// ---- TImageSprite ----

TImageSprite::TImageSprite(TSprite* AParent) : TSprite(AParent) {}

void TImageSprite::MoveSelf(int32_t MoveCount) {
    FramePos = FramePos + FrameSpeed * MoveCount;
    if (FrameLoop) {
        if (FrameCount > 0)
            FramePos = PositiveModReal(FrameCount, FramePos);
        else
            FramePos = 0;
    } else {
        if (FramePos >= FrameCount) {
            FramePos = FrameCount - 1;
            FrameSpeed = 0;
        }
        if (FramePos < 0) {
            FramePos = 0;
            FrameSpeed = 0;
        }
    }
}

TRect TImageSprite::GetBounds() {
    int left = TruncToInt(AbsoluteX());
    int top = TruncToInt(AbsoluteY());
    if (WrapAround && Root()) {
        const TRect& bounds = Root()->SurfaceBounds;
        const int64_t spanX = int64_t(bounds.Right) + Width;
        const int64_t spanY = int64_t(bounds.Bottom) + Height;
        if (spanX != 0) {
            left = PositiveMod(left, spanX);
            if (left > bounds.Right) left = int(left - spanX);
        }
        if (spanY != 0) {
            top = PositiveMod(top, spanY);
            if (top > bounds.Bottom) top = int(top - spanY);
        }
    }
    return TRect{left, top, int(int64_t(left) + Width), int(int64_t(top) + Height)};
}

// ---- TSpriteEngine ----

TSpriteEngine::TSpriteEngine() : TSprite(nullptr) {}

TSpriteEngine::~TSpriteEngine() {
    Clear();
}

void TSpriteEngine::Draw() {
    PaintedCount = 0;
    TSprite::Draw();
    FDrawn.clear();
    CollectLooks(FDrawn);
    FDrawnSurface = Surface;
    FDrawnBounds = SurfaceBounds;
    FDrawnAny = true;
}

bool TSpriteEngine::Changed() {
    if (!FDrawnAny || Surface != FDrawnSurface || !(SurfaceBounds == FDrawnBounds)) return true;
    FNow.clear();
    CollectLooks(FNow);
    return FNow != FDrawn;
}

namespace {
// Widens r to take in the part of a that lies on the surface.
void Take(TRect& r, const TRect& a, const TRect& surface) {
    const TRect c{std::max(a.Left, surface.Left), std::max(a.Top, surface.Top),
                  std::min(a.Right, surface.Right), std::min(a.Bottom, surface.Bottom)};
    if (c.Left >= c.Right || c.Top >= c.Bottom) return;
    if (r.Left >= r.Right || r.Top >= r.Bottom) {
        r = c;
        return;
    }
    r = TRect{std::min(r.Left, c.Left), std::min(r.Top, c.Top), std::max(r.Right, c.Right),
              std::max(r.Bottom, c.Bottom)};
}
} // namespace

bool TSpriteEngine::Changes(TRect& Damage) {
    Damage = TRect{};
    if (!FDrawnAny || Surface != FDrawnSurface || !(SurfaceBounds == FDrawnBounds)) {
        Damage = SurfaceBounds;
        return true;
    }
    FNow.clear();
    CollectLooks(FNow);
    if (FNow == FDrawn) return false;
    // A pixel changes only where the stack of looks painted over it changes. With the lists of
    // equal length, that is under the looks that differ at the same place in paint order (old and
    // new); otherwise the lists agree on a common beginning and end, and everything between them
    // may paint differently.
    size_t first = 0, lastNow = FNow.size(), lastDrawn = FDrawn.size();
    if (FNow.size() == FDrawn.size()) {
        for (size_t i = 0; i < FNow.size(); ++i)
            if (!(FNow[i] == FDrawn[i])) {
                Take(Damage, FNow[i].Area, SurfaceBounds);
                Take(Damage, FDrawn[i].Area, SurfaceBounds);
            }
        return true;
    }
    while (first < lastNow && first < lastDrawn && FNow[first] == FDrawn[first])
        ++first;
    while (lastNow > first && lastDrawn > first && FNow[lastNow - 1] == FDrawn[lastDrawn - 1]) {
        --lastNow;
        --lastDrawn;
    }
    for (size_t i = first; i < lastNow; ++i)
        Take(Damage, FNow[i].Area, SurfaceBounds);
    for (size_t i = first; i < lastDrawn; ++i)
        Take(Damage, FDrawn[i].Area, SurfaceBounds);
    return true;
}
