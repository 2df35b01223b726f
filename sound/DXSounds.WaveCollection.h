// TWaveCollection: the named sounds of a wave list, found by name.
#pragma once

#include <string>

#include "platform/rtl/HashCollections.h"
#include "sound/DXSounds.CustomDXSound.h"
#include "sound/DXSounds.WaveCollectionError.h"
#include "sound/DXSounds.WaveCollectionItem.h"

class TCustomDXWaveList;

class TWaveCollection : public THashCollection {
public:
    explicit TWaveCollection(TCustomDXWaveList* Owner = nullptr) : FOwner(Owner) {}
    ~TWaveCollection() override;

    TWaveCollectionItem* Add() { return new TWaveCollectionItem(this); }
    TWaveCollectionItem* Items(int Index) const {
        return static_cast<TWaveCollectionItem*>(THashCollection::Items(Index));
    }
    // "Wave '%s' not found" (EWaveCollectionError) for an unknown name; case is ignored.
    TWaveCollectionItem* Find(const std::string& Name) const;
    // Copies the items of Source, one by one.
    void Assign(const TWaveCollection& Source);

    // The sound component is set and initialised.
    bool Initialized() const;
    void Initialize(TCustomDXSound* DXSound);
    void Finalize();
    void Restore();
    TCustomDXSound* DXSound() const { return FDXSound; }
    TCustomDXWaveList* Owner() const { return FOwner; }

private:
    TCustomDXSound* FDXSound = nullptr;
    TCustomDXWaveList* FOwner;
};
