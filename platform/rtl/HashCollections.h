// Named collections looked up by name through 256 hash buckets: THashCollection.
#pragma once

#include <array>
#include <string>
#include <vector>

class THashCollection;

// An item of a THashCollection: it joins the collection at the end when created, leaves it when
// destroyed, and carries a Name by which the collection finds it regardless of case.
class THashCollectionItem {
public:
    // Appends the item to Collection (which then owns it), under the empty name.
    explicit THashCollectionItem(THashCollection* Collection);
    virtual ~THashCollectionItem();
    THashCollectionItem(const THashCollectionItem&) = delete;
    THashCollectionItem& operator=(const THashCollectionItem&) = delete;

    THashCollection* Collection() const { return FCollection; }
    // Position in the collection, 0 … Count − 1.
    int Index() const { return FIndex; }

    const std::string& Name() const { return FName; }
    // A different name moves the item to the head of its new name's bucket.
    void SetName(const std::string& Value);

    // Copies what an item of this kind holds from Source; the base copies the name.
    virtual void Assign(const THashCollectionItem& Source);

    // Bucket number, for inspection.
    int HashIndex() const { return FHashIndex; }

private:
    friend class THashCollection;
    void AddHash();
    void DeleteHash();

    THashCollection* FCollection;
    int FHashIndex = 0;
    int FIndex = 0;
    std::string FName;
    THashCollectionItem* FLeft = nullptr;  // previous in the bucket chain (toward the head)
    THashCollectionItem* FRight = nullptr; // next in the bucket chain
};

// An ordered collection of named items (positions 0 … Count − 1) with a name index of 256 buckets.
// It owns its items; destroying an item (delete, Delete, Clear) takes it out of both. A derived
// collection whose items need its own members while they go calls Clear() in its destructor.
class THashCollection {
public:
    THashCollection() = default;
    virtual ~THashCollection();
    THashCollection(const THashCollection&) = delete;
    THashCollection& operator=(const THashCollection&) = delete;

    int Count() const { return static_cast<int>(FItems.size()); }
    // The item at Index; EListError "List index out of bounds (%d)" outside 0 … Count − 1.
    THashCollectionItem* Items(int Index) const;

    // Position of an item named Name, case ignored, or −1. Among equal names the one that entered
    // the bucket last wins (the newest item for the empty name, else the latest renamed).
    int IndexOf(const std::string& Name) const;
    // The item IndexOf finds, or null. Collections of particular items raise their own error.
    THashCollectionItem* Find(const std::string& Name) const;

    // Destroys the item at Index (EListError outside the range).
    void Delete(int Index);
    // Destroys every item, last first.
    void Clear();

    // Bucket of a name: lower-cased, h = length × 16, plus the codes of the first and the
    // second-to-last character when the length is at least 2; the low 8 bits.
    static int NameHash(const std::string& Name);

    // The head of a bucket chain, for inspection.
    THashCollectionItem* BucketHead(int Bucket) const;

private:
    friend class THashCollectionItem;
    std::vector<THashCollectionItem*> FItems;
    std::array<THashCollectionItem*, 256> FHash{};
};

// Lower case of an 8-bit name: ASCII and the Western code page's accented capitals.
std::string NameLowerCase(const std::string& Name);
