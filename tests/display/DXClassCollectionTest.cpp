// Named collections: bucket numbers, head-of-chain order, case-insensitive lookup, removal.
#include <gtest/gtest.h>

#include <string>

#include "display/DXClass.Collections.h"
#include "platform/rtl/Exceptions.h"

namespace {

THashCollectionItem* Named(THashCollection& c, const std::string& name) {
    auto* item = new THashCollectionItem(&c);
    item->SetName(name);
    return item;
}

// Item that counts its destructions, standing in for the pictures and waves built on it.
struct CountedItem : THashCollectionItem {
    static inline int Destroyed = 0;
    using THashCollectionItem::THashCollectionItem;
    ~CountedItem() override { ++Destroyed; }
};

TEST(NameHash, LengthTimesSixteenPlusFirstAndSecondToLastCharacterLowerCased) {
    EXPECT_EQ(THashCollection::NameHash(""), 0);
    EXPECT_EQ(THashCollection::NameHash("a"), 16); // one character: its code is not added
    EXPECT_EQ(THashCollection::NameHash("Z"), 16);
    // "tile": 64 + 't' (116) + 'l' (108) = 288 -> low 8 bits 32
    EXPECT_EQ(THashCollection::NameHash("Tile"), 32);
    EXPECT_EQ(THashCollection::NameHash("TILE"), 32);
    // "ab": 32 + 'a' + 'a' (the second-to-last character of two is the first)
    EXPECT_EQ(THashCollection::NameHash("ab"), (32 + 97 + 97) & 0xFF);
    EXPECT_EQ(THashCollection::NameHash("Click"), (80 + 'c' + 'c') & 0xFF);
    // long names wrap within 8 bits: 20 × 16 = 320
    EXPECT_EQ(THashCollection::NameHash(std::string(20, 'A')), (320 + 97 + 97) & 0xFF);
    // 8-bit characters count as unsigned codes
    EXPECT_EQ(THashCollection::NameHash("\xE9x"), (32 + 0xE9 + 0xE9) & 0xFF);
}

TEST(HashCollection, ItemsJoinAtTheEndAndKeepTheirPositionsWhenOthersGo) {
    THashCollection c;
    auto* a = Named(c, "a");
    auto* b = Named(c, "b");
    auto* d = Named(c, "d");
    auto* e = Named(c, "e");
    EXPECT_EQ(c.Count(), 4);
    EXPECT_EQ(d->Index(), 2);
    EXPECT_EQ(d->Collection(), &c);
    c.Delete(1);
    EXPECT_EQ(c.Count(), 3);
    EXPECT_EQ(a->Index(), 0);
    EXPECT_EQ(d->Index(), 1);
    EXPECT_EQ(e->Index(), 2);
    EXPECT_EQ(c.Items(1), d);
    delete a;
    EXPECT_EQ(d->Index(), 0);
    EXPECT_EQ(c.IndexOf("e"), 1);
    EXPECT_EQ(c.IndexOf("b"), -1);
    (void)b;
}

TEST(HashCollection, PositionsOutsideTheListRaiseTheListError) {
    THashCollection c;
    Named(c, "x");
    try {
        c.Items(5);
        FAIL();
    } catch (const EListError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (5)");
    }
    EXPECT_THROW(c.Items(-1), EListError);
    EXPECT_THROW(c.Delete(1), EListError);
    EXPECT_EQ(c.Count(), 1);
}

TEST(HashCollection, FindIgnoresCase) {
    THashCollection c;
    Named(c, "Frame");
    auto* tile = Named(c, "Tile");
    EXPECT_EQ(c.Find("tile"), tile);
    EXPECT_EQ(c.Find("TILE"), tile);
    EXPECT_EQ(c.IndexOf("tIlE"), 1);
    EXPECT_EQ(c.Find("Tiles"), nullptr);
    EXPECT_EQ(c.IndexOf("Til"), -1);
    // accented capitals of the Western code page compare equal to their small letters
    auto* apple = Named(c, "\xC4PFEL");
    EXPECT_EQ(c.Find("\xE4pfel"), apple);
}

TEST(HashCollection, EmptyNameIsANameAndTheNewestUnnamedItemIsFound) {
    THashCollection c;
    EXPECT_EQ(c.IndexOf(""), -1);
    auto* first = new THashCollectionItem(&c);
    Named(c, "Tile");
    auto* third = new THashCollectionItem(&c);
    EXPECT_EQ(c.Find(""), third);
    third->SetName("Other");
    EXPECT_EQ(c.Find(""), first);
    first->SetName("x");
    EXPECT_EQ(c.IndexOf(""), -1);
}

TEST(HashCollection, AmongEqualNamesTheLastRenamedWins) {
    THashCollection c;
    auto* a = Named(c, "Blip");
    auto* b = Named(c, "BLIP");
    EXPECT_EQ(c.Find("blip"), b);
    a->SetName("Blip"); // the same string: nothing moves
    EXPECT_EQ(c.Find("blip"), b);
    a->SetName("blip"); // a different string: re-enters at the head of the bucket
    EXPECT_EQ(c.Find("Blip"), a);
    EXPECT_EQ(c.BucketHead(THashCollection::NameHash("blip")), a);
}

TEST(HashCollection, LookupWalksTheWholeChainOfABucket) {
    THashCollection c;
    // Same length and same first character: all land in one bucket.
    auto* ab = Named(c, "ab");
    auto* ac = Named(c, "ac");
    auto* ad = Named(c, "ad");
    const int bucket = THashCollection::NameHash("ab");
    ASSERT_EQ(ab->HashIndex(), bucket);
    ASSERT_EQ(ac->HashIndex(), bucket);
    EXPECT_EQ(c.BucketHead(bucket), ad);
    EXPECT_EQ(c.Find("AB"), ab); // at the tail
    EXPECT_EQ(c.Find("ac"), ac); // in the middle
    // Take the middle one out, then the head: the chain stays intact.
    delete ac;
    EXPECT_EQ(c.Find("ab"), ab);
    EXPECT_EQ(c.Find("ac"), nullptr);
    EXPECT_EQ(c.Find("ad"), ad);
    delete ad;
    EXPECT_EQ(c.BucketHead(bucket), ab);
    EXPECT_EQ(c.Find("ab"), ab);
    // Renaming moves an item out of its bucket into another one.
    ab->SetName("Tile");
    EXPECT_EQ(c.BucketHead(bucket), nullptr);
    EXPECT_EQ(c.Find("tile"), ab);
    EXPECT_EQ(c.Find("ab"), nullptr);
}

TEST(HashCollection, ClearAndDestructionDestroyEveryItem) {
    CountedItem::Destroyed = 0;
    {
        THashCollection c;
        for (int i = 0; i < 3; ++i)
            new CountedItem(&c);
        c.Clear();
        EXPECT_EQ(CountedItem::Destroyed, 3);
        EXPECT_EQ(c.Count(), 0);
        EXPECT_EQ(c.Find(""), nullptr);
        for (int i = 0; i < 2; ++i)
            new CountedItem(&c);
    }
    EXPECT_EQ(CountedItem::Destroyed, 5);
}

TEST(HashCollection, AssigningAnItemCopiesItsNameAndRehashesIt) {
    THashCollection c, other;
    auto* target = Named(c, "old");
    auto* source = Named(other, "Tile");
    target->Assign(*source);
    EXPECT_EQ(target->Name(), "Tile");
    EXPECT_EQ(c.Find("tile"), target);
    EXPECT_EQ(c.Find("old"), nullptr);
}

TEST(HashCollection, AnItemNeedsACollection) {
    EXPECT_THROW(THashCollectionItem item(nullptr), EListError);
}

} // namespace
