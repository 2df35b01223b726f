// Named collections: bucket numbers, head-of-chain order, case-insensitive lookup, removal.
#include <gtest/gtest.h>

#include <string>

#include "platform/rtl/HashCollections.h"
#include "platform/rtl/Exceptions.h"

namespace {

THashCollectionItem* Named(THashCollection& c, const std::string& name) {
    auto* item = new THashCollectionItem(&c);
    item->SetName(name);
    return item;
}

// Counts its destructions, standing in for the pictures and waves built on the item class.
struct CountedItem : THashCollectionItem {
    static inline int Destroyed = 0;
    using THashCollectionItem::THashCollectionItem;
    ~CountedItem() override { ++Destroyed; }
};

TEST(NameHash, LengthTimesSixteenPlusFirstAndSecondToLastCharacterLowerCased) {
    EXPECT_EQ(THashCollection::NameHash(""), 0);
    EXPECT_EQ(THashCollection::NameHash("Z"), 16);    // one character: its code is not added
    EXPECT_EQ(THashCollection::NameHash("TILE"), 32); // 64 + 't' + 'l' = 288, low 8 bits
    EXPECT_EQ(THashCollection::NameHash("Click"), (80 + 'c' + 'c') & 0xFF);
    EXPECT_EQ(THashCollection::NameHash(std::string(20, 'A')), (320 + 97 + 97) & 0xFF);
    EXPECT_EQ(THashCollection::NameHash("\xE9x"), (32 + 0xE9 + 0xE9) & 0xFF); // unsigned codes
}

TEST(HashCollection, PositionsFollowRemovalAndTheCollectionOwnsItsItems) {
    CountedItem::Destroyed = 0;
    {
        THashCollection c;
        auto* a = new CountedItem(&c);
        new CountedItem(&c);
        auto* d = new CountedItem(&c);
        auto* e = new CountedItem(&c);
        c.Delete(1);
        EXPECT_EQ(d->Index(), 1);
        EXPECT_EQ(c.Items(2), e);
        delete a;
        EXPECT_EQ(d->Index(), 0);
        EXPECT_EQ(e->Index(), 1);
        try {
            c.Items(5);
            FAIL();
        } catch (const EListError& err) {
            EXPECT_STREQ(err.what(), "List index out of bounds (5)");
        }
        EXPECT_THROW(c.Delete(-1), EListError);
        EXPECT_EQ(CountedItem::Destroyed, 2);
    }
    EXPECT_EQ(CountedItem::Destroyed, 4);
    EXPECT_THROW(THashCollectionItem item(nullptr), EListError);
}

TEST(HashCollection, FindIgnoresCaseAndAmongEqualNamesTheLastRenamedWins) {
    THashCollection c;
    auto* tile = Named(c, "Tile");
    EXPECT_EQ(c.Find("tile"), tile);
    EXPECT_EQ(c.IndexOf("tIlE"), 0);
    EXPECT_EQ(c.Find("Tiles"), nullptr);
    EXPECT_EQ(c.Find("\xE4pfel"),
              Named(c, "\xC4PFEL")); // accented capitals of the Western code page

    auto* a = Named(c, "Blip");
    auto* b = Named(c, "BLIP");
    EXPECT_EQ(c.Find("blip"), b);
    a->SetName("Blip"); // the same string: nothing moves
    EXPECT_EQ(c.Find("blip"), b);
    a->SetName("blip"); // a different string: re-enters at the head of its bucket
    EXPECT_EQ(c.Find("Blip"), a);
    a->Assign(*tile); // assignment copies the name
    EXPECT_EQ(c.Find("blip"), b);
    EXPECT_EQ(c.Find("TILE"), a);
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

TEST(HashCollection, LookupWalksTheWholeChainOfABucketAndRemovalKeepsItIntact) {
    THashCollection c;
    auto* ab = Named(c, "ab"); // same length and first character: one bucket
    auto* ac = Named(c, "ac");
    auto* ad = Named(c, "ad");
    const int bucket = THashCollection::NameHash("ab");
    ASSERT_EQ(ac->HashIndex(), bucket);
    EXPECT_EQ(c.BucketHead(bucket), ad);
    EXPECT_EQ(c.Find("AB"), ab); // at the tail
    EXPECT_EQ(c.Find("ac"), ac); // in the middle
    delete ac;
    EXPECT_EQ(c.Find("ab"), ab);
    EXPECT_EQ(c.Find("ad"), ad);
    delete ad; // the head
    EXPECT_EQ(c.BucketHead(bucket), ab);
    ab->SetName("Tile"); // renaming moves it to another bucket
    EXPECT_EQ(c.BucketHead(bucket), nullptr);
    EXPECT_EQ(c.Find("tile"), ab);
}

} // namespace
