// The sprite tree: sprites owned by their parents under one root, paint order, the move pass.
#pragma once

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"

#include <cstdint>
#include <memory>
#include <vector>

class TPictureCollectionItem;
class TDirectDrawSurface;
class TSpriteEngine;

// Errors of the sprite tree ("Index of the list exceeds the range. (%d)").
class ESpriteError : public Exception {
public:
    using Exception::Exception;
};

// x reduced into [0, n) for positive n (into (n, 0] for negative n); x itself when n is 0.
double PositiveModReal(int32_t n, double x);

// RectsOverlap: true when the two rectangles share at least one pixel (edges touching do not
// count).
bool RectsOverlap(const TRect& a, const TRect& b);

// What one sprite puts on the surface, as far as the sprite decides it: where, and which pattern
// of which picture. Two frames whose sprites all look the same paint the same pixels.
struct TSpriteLook {
    TRect Bounds;
    double Pattern = 0;
    const void* Image = nullptr;
    // The pixels the paint may touch (the bounds, unless the sprite paints beyond them).
    TRect Area;
    bool operator==(const TSpriteLook&) const = default;
};

class TSprite {
public:
    // Joins the parent (when given): appended to its Children, inserted into its PaintOrder by Z.
    explicit TSprite(TSprite* AParent);
    // Destroys the children (last constructed first), then leaves the parent.
    virtual ~TSprite();

    TSprite(const TSprite&) = delete;
    TSprite& operator=(const TSprite&) = delete;

    virtual void HandleCollision() {}
    virtual void DrawSelf() {}
    virtual void MoveSelf(int32_t MoveCount) { (void)MoveCount; }
    virtual TRect GetBounds();
    // How the sprite would be painted now; a sprite whose DrawSelf depends on more than its
    // bounds, or paints outside them, says so here.
    virtual TSpriteLook Look() {
        const TRect bounds = GetBounds();
        return TSpriteLook{bounds, 0, nullptr, bounds};
    }
    virtual bool HitTest(TSprite* Other) {
        (void)Other;
        return true;
    }

    // Destroys the children one by one, always the last of Children first.
    void Clear();
    // Number of children; 0 when the sprite has none (and so no lists).
    int Count() const;
    // Child by index in construction order. ESpriteError when there are no children, the general
    // list error for an index outside 0 .. Count - 1.
    TSprite* Items(int Index) const;
    // Children in paint order (ascending Z; among equal Z the newest first).
    int PaintOrderCount() const;
    TSprite* PaintOrderItems(int Index) const;
    // Whether the Children/PaintOrder lists exist (only while there is at least one child).
    bool HasLists() const { return FChildren != nullptr; }

    double AbsoluteX() const;
    double AbsoluteY() const;

    // Runs MoveSelf and then Move on every child, for this subtree, when Movable.
    void Move(int32_t MoveCount);
    // Paints this subtree in paint order when Visible; sprites off the root's surface are skipped.
    void Draw();
    // The looks of the sprites Draw would paint, in the order it would paint them.
    void CollectLooks(std::vector<TSpriteLook>& Looks);

    TSpriteEngine* Root() const { return FRoot; }
    TSprite* Parent() const { return FParent; }

    bool Movable = true;
    bool Visible = true;
    double X = 0;
    double Y = 0;
    int32_t Z = 0;
    int32_t Width = 0;
    int32_t Height = 0;

private:
    void Add(TSprite* Sprite);
    void Remove(TSprite* Sprite);

    TSpriteEngine* FRoot = nullptr;
    TSprite* FParent = nullptr;
    std::unique_ptr<std::vector<TSprite*>> FChildren;   // owned sprites, construction order
    std::unique_ptr<std::vector<TSprite*>> FPaintOrder; // the same sprites, paint order
};

class TImageSprite : public TSprite {
public:
    explicit TImageSprite(TSprite* AParent);

    // The frame advance: FramePos moves by FrameSpeed per move unit, looping or stopping at the
    // ends.
    void MoveSelf(int32_t MoveCount) override;
    // As the base, and wrapped round the root's surface when WrapAround is set.
    TRect GetBounds() override;
    // Draws the current frame's pattern of Image centred in the sprite's bounds.
    void DrawSelf() override;
    TSpriteLook Look() override;

    int32_t FrameCount = 0;
    bool FrameLoop = false;
    double FramePos = 0;
    double FrameSpeed = 0;
    int32_t PatternBase = 0;
    TPictureCollectionItem* Image = nullptr; // not owned
    bool WrapAround = false;
};

// The root of a sprite tree.
class TSpriteEngine : public TSprite {
public:
    TSpriteEngine();
    // Destroys every sprite of the tree before the engine's own fields go away.
    ~TSpriteEngine() override;

    // Resets PaintedCount and paints the whole tree.
    void Draw();
    // Whether a Draw now would paint anything other than the last one did: a sprite moved, was
    // shown or hidden, changed its pattern or picture, or the surface changed. True before the
    // first Draw. It compares what the paint itself reads, so no change can go unnoticed.
    bool Changed();
    // As Changed, and where: Damage is the smallest rectangle of the surface outside which a Draw
    // now would paint the same pixels as the last one (the whole surface before the first Draw or
    // after the surface changed; possibly empty when only sprites of no size changed). Redrawing
    // that rectangle alone leaves the surface as a whole Draw would.
    bool Changes(TRect& Damage);
    // Attaches the surface to paint on (nullptr detaches it). A surface also sets SurfaceBounds,
    // Width and Height from its client rectangle; detaching leaves them as they were.
    void SetSurface(TDirectDrawSurface* Value);

    int32_t SpriteCount = 0;               // sprites constructed in this tree and not yet destroyed
    int32_t PaintedCount = 0;              // sprites painted by the last Draw
    TDirectDrawSurface* Surface = nullptr; // not owned
    TRect SurfaceBounds;

private:
    std::vector<TSpriteLook> FDrawn; // the looks the last Draw painted
    std::vector<TSpriteLook> FNow;   // scratch for Changed
    const TDirectDrawSurface* FDrawnSurface = nullptr;
    TRect FDrawnBounds;
    bool FDrawnAny = false;
};
