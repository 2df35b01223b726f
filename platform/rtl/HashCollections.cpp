// Named collections: ordered items with a 256-bucket case-insensitive name index.
#include "platform/rtl/HashCollections.h"

#include "platform/rtl/Exceptions.h"

std::string NameLowerCase(const std::string& Name) {
    std::string result = Name;
    for (char& ch : result) {
        const unsigned char c = static_cast<unsigned char>(ch);
        unsigned char l = c;
        if (c >= 'A' && c <= 'Z')
            l = c + 32;
        else if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
            l = c + 32;
        else if (c == 0x8A || c == 0x8C || c == 0x8E)
            l = c + 16;
        else if (c == 0x9F)
            l = 0xFF;
        ch = static_cast<char>(l);
    }
    return result;
}

int THashCollection::NameHash(const std::string& Name) {
    const std::string lower = NameLowerCase(Name);
    const size_t len = lower.size();
    unsigned h = static_cast<unsigned>(len) * 16;
    if (len >= 2) {
        h += static_cast<unsigned char>(lower[0]);
        h += static_cast<unsigned char>(lower[len - 2]);
    }
    return static_cast<int>(h & 0xFF);
}

THashCollectionItem::THashCollectionItem(THashCollection* Collection) : FCollection(Collection) {
    if (!FCollection) throw EListError("A collection item needs a collection");
    FIndex = FCollection->Count();
    FCollection->FItems.push_back(this);
    AddHash();
}

THashCollectionItem::~THashCollectionItem() {
    DeleteHash();
    auto& items = FCollection->FItems;
    items.erase(items.begin() + FIndex);
    for (size_t i = FIndex; i < items.size(); ++i)
        items[i]->FIndex = static_cast<int>(i);
}

void THashCollectionItem::AddHash() {
    FHashIndex = THashCollection::NameHash(FName);
    THashCollectionItem*& head = FCollection->FHash[FHashIndex];
    FLeft = nullptr;
    FRight = head;
    if (head) head->FLeft = this;
    head = this;
}

void THashCollectionItem::DeleteHash() {
    if (FLeft)
        FLeft->FRight = FRight;
    else
        FCollection->FHash[FHashIndex] = FRight;
    if (FRight) FRight->FLeft = FLeft;
    FLeft = FRight = nullptr;
}

void THashCollectionItem::SetName(const std::string& Value) {
    if (Value == FName) return;
    DeleteHash();
    FName = Value;
    AddHash();
}

void THashCollectionItem::Assign(const THashCollectionItem& Source) {
    SetName(Source.Name());
}

THashCollection::~THashCollection() {
    Clear();
}

THashCollectionItem* THashCollection::Items(int Index) const {
    if (Index < 0 || Index >= Count()) ListIndexError(Index);
    return FItems[Index];
}

int THashCollection::IndexOf(const std::string& Name) const {
    const std::string lower = NameLowerCase(Name);
    for (THashCollectionItem* item = FHash[NameHash(Name)]; item; item = item->FRight)
        if (NameLowerCase(item->FName) == lower) return item->FIndex;
    return -1;
}

THashCollectionItem* THashCollection::Find(const std::string& Name) const {
    const int index = IndexOf(Name);
    return index < 0 ? nullptr : FItems[index];
}

void THashCollection::Delete(int Index) {
    delete Items(Index);
}

void THashCollection::Clear() {
    while (!FItems.empty())
        delete FItems.back();
}

THashCollectionItem* THashCollection::BucketHead(int Bucket) const {
    return Bucket >= 0 && Bucket < 256 ? FHash[Bucket] : nullptr;
}
