// TCustomDXWaveList: a window's named sounds, played through a sound component.
#pragma once

#include <memory>

#include <QMetaObject>

#include "platform/ui/Components.h"
#include "sound/DXSounds.CustomDXSound.h"
#include "sound/DXSounds.WaveCollection.h"

// The named sounds of a window, played through a sound component.
class TCustomDXWaveList : public TComponent {
public:
    explicit TCustomDXWaveList(QObject* Owner = nullptr);
    ~TCustomDXWaveList() override;

    TCustomDXSound* DXSound() const { return FDXSound; }
    void SetDXSound(TCustomDXSound* Value);
    TWaveCollection& Items() { return *FItems; }
    const TWaveCollection& Items() const { return *FItems; }
    void SetItems(const TWaveCollection& Value) { FItems->Assign(Value); }

private:
    static void DXSoundNotify(void* Data, TCustomDXSound* Sender, TDXSoundNotifyType NotifyType);
    void DXSoundNotifyEvent(TCustomDXSound* Sender, TDXSoundNotifyType NotifyType);

    TCustomDXSound* FDXSound = nullptr;
    QMetaObject::Connection FDXSoundGone;
    std::unique_ptr<TWaveCollection> FItems;
};
