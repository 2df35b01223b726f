// Sprite tree: ownership and destruction order, paint order, lists, move pass and bounds.
#include "graphics/DXSprite.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>
#include <vector>

namespace {

// Records what happens to it in a shared journal.
class TProbe : public TImageSprite {
public:
    TProbe(TSprite* parent, std::string name, std::vector<std::string>* journal)
        : TImageSprite(parent), Name(std::move(name)), Journal(journal) {}
    ~TProbe() override { Journal->push_back("free " + Name); }
    void MoveSelf(int32_t count) override {
        Journal->push_back("move " + Name + " " + std::to_string(count));
    }
    void DrawSelf() override { Journal->push_back("draw " + Name); }

    std::string Name;
    std::vector<std::string>* Journal;
};

std::vector<std::string> PaintOrderNames(const TSprite& parent) {
    std::vector<std::string> names;
    for (int i = 0; i < parent.PaintOrderCount(); ++i)
        names.push_back(static_cast<TProbe*>(parent.PaintOrderItems(i))->Name);
    return names;
}

TEST(SpriteTree, EqualZSiblingsPaintNewestFirstAndKeepCreationOrder) {
    std::vector<std::string> journal;
    TSpriteEngine engine;
    auto* a = new TProbe(&engine, "A", &journal);
    auto* b = new TProbe(&engine, "B", &journal);
    auto* c = new TProbe(&engine, "C", &journal);
    EXPECT_EQ(engine.Count(), 3);
    EXPECT_EQ(engine.Items(0), a);
    EXPECT_EQ(engine.Items(1), b);
    EXPECT_EQ(engine.Items(2), c);
    EXPECT_EQ(PaintOrderNames(engine), (std::vector<std::string>{"C", "B", "A"}));

    // Z changed afterwards does not reorder.
    a->Z = -5;
    c->Z = 7;
    EXPECT_EQ(PaintOrderNames(engine), (std::vector<std::string>{"C", "B", "A"}));
    EXPECT_EQ(a->Root(), &engine);
    EXPECT_EQ(engine.Root(), nullptr);
    EXPECT_EQ(engine.Parent(), nullptr);
}

// Z counts only when a sprite joins: a newcomer (Z 0) goes behind siblings whose Z was lowered and
// in front of siblings whose Z was raised, found by binary search.
TEST(SpriteTree, NewcomerIsPlacedByTheKeysOfItsSiblings) {
    std::vector<std::string> journal;
    TSpriteEngine engine;
    auto* low = new TProbe(&engine, "low", &journal);
    auto* high = new TProbe(&engine, "high", &journal);
    low->Z = INT_MIN;
    high->Z = INT_MAX;
    // Paint order is now high, low (by construction); make it ascending for the search.
    auto* mid1 = new TProbe(&engine, "m1", &journal);
    (void)mid1;
    EXPECT_EQ(PaintOrderNames(engine), (std::vector<std::string>{"m1", "high", "low"}));

    TSpriteEngine sorted;
    auto* a = new TProbe(&sorted, "a", &journal);
    auto* b = new TProbe(&sorted, "b", &journal);
    auto* c = new TProbe(&sorted, "c", &journal);
    // PaintOrder is c, b, a; give it ascending keys -3, 0, +3.
    c->Z = -3;
    b->Z = 0;
    a->Z = 3;
    new TProbe(&sorted, "n", &journal); // goes before the first key not below 0, i.e. before b
    EXPECT_EQ(PaintOrderNames(sorted), (std::vector<std::string>{"c", "n", "b", "a"}));
    b->Z = 1;
    new TProbe(&sorted, "p", &journal); // goes in front of n, the first key not below 0
    EXPECT_EQ(PaintOrderNames(sorted), (std::vector<std::string>{"c", "p", "n", "b", "a"}));
}

TEST(SpriteTree, DestructionTakesChildrenLastFirstAndKeepsCounts) {
    std::vector<std::string> journal;
    {
        TSpriteEngine engine;
        auto* a = new TProbe(&engine, "A", &journal);
        new TProbe(a, "A1", &journal);
        auto* a2 = new TProbe(a, "A2", &journal);
        new TProbe(a2, "A2x", &journal);
        new TProbe(&engine, "B", &journal);
        EXPECT_EQ(engine.SpriteCount, 5);
        EXPECT_EQ(a2->Root(), &engine);
        EXPECT_EQ(static_cast<TSprite*>(a2->Items(0))->Root(), &engine);

        // The subtree goes with it, last child first. (A probe notes its end when its own
        // destructor starts, before the sprite part takes its children down.)
        delete a;
        EXPECT_EQ(journal, (std::vector<std::string>{"free A", "free A2", "free A2x", "free A1"}));
        EXPECT_EQ(engine.SpriteCount, 1);
        EXPECT_EQ(engine.Count(), 1);
        EXPECT_EQ(engine.PaintOrderCount(), 1);
        journal.clear();
        new TProbe(&engine, "C", &journal);
        new TProbe(&engine, "D", &journal);
    }
    // The engine's destructor clears: last constructed first.
    EXPECT_EQ(journal, (std::vector<std::string>{"free D", "free C", "free B"}));
}

TEST(SpriteTree, ListsExistOnlyWithChildrenAndIndexErrorsSayWhichList) {
    std::vector<std::string> journal;
    TSpriteEngine engine;
    EXPECT_FALSE(engine.HasLists());
    EXPECT_EQ(engine.Count(), 0);
    try {
        engine.Items(0);
        FAIL() << "no error";
    } catch (const ESpriteError& e) {
        EXPECT_EQ(e.Message, "Index of the list exceeds the range. (0)");
    }
    auto* only = new TProbe(&engine, "only", &journal);
    EXPECT_TRUE(engine.HasLists());
    try {
        engine.Items(5);
        FAIL() << "no error";
    } catch (const ESpriteError&) {
        FAIL() << "wrong error class with children present";
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message, "List index out of bounds (5)");
    }
    EXPECT_THROW(engine.Items(-1), EListError);
    delete only;
    EXPECT_FALSE(engine.HasLists());
    EXPECT_EQ(engine.Count(), 0);
    EXPECT_THROW(engine.Items(0), ESpriteError);
    EXPECT_EQ(engine.SpriteCount, 0);
}

TEST(SpriteTree, MoveVisitsMovableSubtreesInCreationOrder) {
    std::vector<std::string> journal;
    TSpriteEngine engine;
    auto* a = new TProbe(&engine, "A", &journal);
    new TProbe(a, "A1", &journal);
    auto* b = new TProbe(&engine, "B", &journal);
    new TProbe(b, "B1", &journal);
    engine.Move(2);
    EXPECT_EQ(journal,
              (std::vector<std::string>{"move A 2", "move A1 2", "move B 2", "move B1 2"}));
    journal.clear();
    a->Movable = false; // freezes A and everything under it
    engine.Move(1);
    EXPECT_EQ(journal, (std::vector<std::string>{"move B 1", "move B1 1"}));
}

TEST(SpriteTree, AbsolutePositionAddsParentsUpToTheRoot) {
    TSpriteEngine engine;
    engine.X = 1.5;
    engine.Y = -2;
    auto* a = new TSprite(&engine);
    a->X = 10.25;
    a->Y = 20;
    auto* b = new TSprite(a);
    b->X = -0.75;
    b->Y = 0.5;
    EXPECT_DOUBLE_EQ(b->AbsoluteX(), 11.0);
    EXPECT_DOUBLE_EQ(b->AbsoluteY(), 18.5);
    EXPECT_DOUBLE_EQ(engine.AbsoluteX(), 1.5);
}

TEST(FrameAdvance, StopsAtTheEndsWithoutLoop) {
    TSpriteEngine engine;
    auto* s = new TImageSprite(&engine);
    s->FrameCount = 4;
    s->FramePos = 3.5;
    s->FrameSpeed = 1;
    engine.Move(1);
    EXPECT_DOUBLE_EQ(s->FramePos, 3);
    EXPECT_DOUBLE_EQ(s->FrameSpeed, 0);

    s->FramePos = 0.5;
    s->FrameSpeed = -1;
    engine.Move(1);
    EXPECT_DOUBLE_EQ(s->FramePos, 0);
    EXPECT_DOUBLE_EQ(s->FrameSpeed, 0);

    // No frames at all: the end clamp gives -1, then the start clamp 0.
    s->FrameCount = 0;
    s->FramePos = 0;
    s->FrameSpeed = 0.25;
    engine.Move(1);
    EXPECT_DOUBLE_EQ(s->FramePos, 0);
    EXPECT_DOUBLE_EQ(s->FrameSpeed, 0);
}

TEST(FrameAdvance, WrapsRoundWithLoop) {
    TSpriteEngine engine;
    auto* s = new TImageSprite(&engine);
    s->FrameLoop = true;
    s->FrameCount = 4;
    s->FramePos = 0.5;
    s->FrameSpeed = -1;
    engine.Move(1); // -0.5
    EXPECT_DOUBLE_EQ(s->FramePos, 3.5);
    s->FrameSpeed = 0.5;
    engine.Move(3); // 5.0
    EXPECT_DOUBLE_EQ(s->FramePos, 1.0);
    EXPECT_DOUBLE_EQ(s->FrameSpeed, 0.5);
    s->FrameCount = 0;
    engine.Move(1);
    EXPECT_DOUBLE_EQ(s->FramePos, 0);
}

TEST(FrameAdvance, PositiveModReal) {
    EXPECT_DOUBLE_EQ(PositiveModReal(0, -7.25), -7.25);
    EXPECT_DOUBLE_EQ(PositiveModReal(4, -0.5), 3.5);
    EXPECT_DOUBLE_EQ(PositiveModReal(4, 9.5), 1.5);
    EXPECT_DOUBLE_EQ(PositiveModReal(4, -8), 0);
    EXPECT_DOUBLE_EQ(PositiveModReal(3, 1e30), std::fmod(1e30, 3.0)); // quotient beyond 64 bits
}

TEST(SpriteBounds, TruncateTowardZeroAndSkipSpritesOffTheSurface) {
    std::vector<std::string> journal;
    TSpriteEngine engine;
    engine.SurfaceBounds = TRect{0, 0, 600, 480};
    auto* s = new TProbe(&engine, "S", &journal);
    s->Width = 34;
    s->Height = 34;
    s->X = -0.5;
    s->Y = 33.9;
    EXPECT_EQ(s->GetBounds(), (TRect{0, 33, 34, 67}));
    s->X = -33.9;
    EXPECT_EQ(s->GetBounds().Left, -33);
    engine.Draw();
    EXPECT_EQ(engine.PaintedCount, 1);

    s->X = -34; // touches the left edge only
    engine.Draw();
    EXPECT_EQ(engine.PaintedCount, 0);
    s->X = 0;
    s->Y = 480; // touches the bottom edge only
    engine.Draw();
    EXPECT_EQ(engine.PaintedCount, 0);
    s->Y = 479; // one row on the surface
    engine.Draw();
    EXPECT_EQ(engine.PaintedCount, 1);
}

TEST(SpriteBounds, HundredOfHundredAndTwoOnTheSurfaceAreCounted) {
    TSpriteEngine engine;
    engine.SurfaceBounds = TRect{0, 0, 600, 480};
    for (int i = 0; i < 102; ++i) {
        auto* s = new TImageSprite(&engine);
        s->Width = 34;
        s->Height = 34;
        s->X = i < 100 ? 34 + (i % 10) * 34 : -40;
        s->Y = i < 100 ? 105 + (i / 10) * 34 : -40;
    }
    engine.Draw();
    EXPECT_EQ(engine.PaintedCount, 100);
    EXPECT_EQ(engine.SpriteCount, 102);
}

TEST(SpriteBounds, HiddenParentHidesItsSubtreeAndOldestPaintsLast) {
    std::vector<std::string> journal;
    TSpriteEngine engine;
    engine.SurfaceBounds = TRect{0, 0, 600, 480};
    auto make = [&](TSprite* parent, const char* name) {
        auto* s = new TProbe(parent, name, &journal);
        s->Width = 10;
        s->Height = 10;
        return s;
    };
    auto* a = make(&engine, "A");
    make(&engine, "B");
    make(&engine, "C");
    auto* a1 = make(a, "A1");
    a1->Visible = true;
    engine.Draw();
    EXPECT_EQ(journal, (std::vector<std::string>{"draw C", "draw B", "draw A", "draw A1"}));
    journal.clear();
    a->Visible = false;
    engine.Draw();
    EXPECT_EQ(journal, (std::vector<std::string>{"draw C", "draw B"}));
    EXPECT_EQ(engine.PaintedCount, 2);
}

TEST(SpriteBounds, WrapAroundFoldsThePositionOntoTheSurface) {
    TSpriteEngine engine;
    engine.SurfaceBounds = TRect{0, 0, 600, 480};
    auto* s = new TImageSprite(&engine);
    s->Width = 34;
    s->Height = 20;
    s->WrapAround = true;
    s->X = 640; // 640 mod 634 = 6
    s->Y = -10; // -10 mod 500 = 490 > 480, so 490 - 500 = -10
    EXPECT_EQ(s->GetBounds(), (TRect{6, -10, 40, 10}));
    s->X = 610; // 610 > 600: 610 - 634 = -24
    EXPECT_EQ(s->GetBounds().Left, -24);
    s->WrapAround = false;
    EXPECT_EQ(s->GetBounds().Left, 610);
}

} // namespace
