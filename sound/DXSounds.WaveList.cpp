// The wave list TDXWaveList: named waves, their buffers, and playing them.
#include <chrono>
#include <thread>

#include "platform/rtl/DXConsts.h"
#include "sound/DXSounds.CustomDXWaveList.h"
#include "sound/DXSounds.WaveCollection.h"
#include "sound/DXSounds.WaveCollectionItem.h"

// ---- TWaveCollectionItem ---------------------------------------------------------------------

TWaveCollectionItem::TWaveCollectionItem(TWaveCollection* Collection)
    : THashCollectionItem(Collection) {}

TWaveCollectionItem::~TWaveCollectionItem() {
    Finalize();
}

TWaveCollection* TWaveCollectionItem::WaveCollection() const {
    return static_cast<TWaveCollection*>(Collection());
}

void TWaveCollectionItem::Assign(const THashCollectionItem& Source) {
    auto* source = dynamic_cast<const TWaveCollectionItem*>(&Source);
    if (!source) {
        THashCollectionItem::Assign(Source);
        return;
    }
    const bool wasReady = FInitialized;
    Finalize();
    FLooped = source->FLooped;
    SetName(source->Name());
    FMaxPlayingCount = source->FMaxPlayingCount;
    FFrequency = source->FFrequency;
    FPan = source->FPan;
    FVolume = source->FVolume;
    FWave.Assign(source->FWave);
    if (wasReady) Restore();
}

void TWaveCollectionItem::Initialize() {
    Finalize();
    FInitialized = WaveCollection()->Initialized();
}

void TWaveCollectionItem::Finalize() {
    if (!FInitialized) return;
    FInitialized = false;
    ClearPlayBuffers();
    FBuffer.reset();
}

void TWaveCollectionItem::ClearPlayBuffers() {
    // Taken out of the list first, so nothing reaches a buffer while it goes.
    auto buffers = std::move(FBufferList);
    FBufferList.clear();
    buffers.clear();
}

TDirectSoundBuffer* TWaveCollectionItem::CreateBuffer() {
    FBuffer.reset();
    FBuffer = WaveCollection()->DXSound()->DSound()->NewBuffer();
    return FBuffer.get();
}

void TWaveCollectionItem::Restore() {
    if (FWave.Size() <= 0) return;
    if (!FInitialized) {
        if (WaveCollection()->Initialized()) Initialize();
        if (!FInitialized) return;
    }
    if (!FBuffer) CreateBuffer();
    FBuffer->LoadFromWave(FWave);
    FBuffer->SetFrequency(FFrequency);
    FBuffer->SetPan(FPan);
    FBuffer->SetVolume(FVolume);
}

void TWaveCollectionItem::Play(bool Wait) {
    if (!FInitialized) return;
    ++FPlayCount;
    if (FLooped) {
        if (MasterReady()) Start(*FBuffer, true);
        return;
    }
    TDirectSoundBuffer* buffer = PlayBufferForNextPlay();
    if (!buffer) return;
    Start(*buffer, false);
    if (Wait) {
        while (buffer->IBuffer() && buffer->IsPlaying())
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

bool TWaveCollectionItem::MasterReady() {
    if (!FBuffer || !FBuffer->IBuffer()) Restore();
    return FBuffer && FBuffer->IBuffer();
}

TDirectSoundBuffer* TWaveCollectionItem::PlayBufferForNextPlay() {
    if (TDirectSoundBuffer* free = FinishedPlayBuffer()) return free;
    if (FMaxPlayingCount == 0 || PlayBufferCount() < FMaxPlayingCount) return NewPlayBuffer();
    return OldestPlayBufferMovedLast();
}

TDirectSoundBuffer* TWaveCollectionItem::FinishedPlayBuffer() {
    for (const auto& buffer : FBufferList) {
        // A buffer whose device has gone answers "lost" and the sound component restores
        // while it is asked; restoring keeps this list as it is.
        if (buffer->IBuffer() && !buffer->IsPlaying()) return buffer.get();
    }
    return nullptr;
}

TDirectSoundBuffer* TWaveCollectionItem::NewPlayBuffer() {
    if (!MasterReady()) return nullptr;
    TDirectSoundBufferPtr duplicate = WaveCollection()->DXSound()->DSound()->NewBuffer();
    duplicate->Assign(FBuffer.get());
    // A duplicate the device refused would fail every later play: it is not kept.
    if (!duplicate->IBuffer()) return nullptr;
    FBufferList.push_back(std::move(duplicate));
    return FBufferList.back().get();
}

TDirectSoundBuffer* TWaveCollectionItem::OldestPlayBufferMovedLast() {
    auto oldest = std::move(FBufferList.front());
    FBufferList.erase(FBufferList.begin());
    FBufferList.push_back(std::move(oldest));
    return FBufferList.back().get();
}

void TWaveCollectionItem::Start(TDirectSoundBuffer& Buffer, bool Loop) {
    Buffer.Stop();
    Buffer.SetPosition(0);
    if (!Loop) {
        Buffer.SetFrequency(FFrequency);
        Buffer.SetPan(FPan);
        Buffer.SetVolume(FVolume);
    }
    Buffer.Play(Loop);
}

void TWaveCollectionItem::Stop() {
    if (!FInitialized) return;
    if (FBuffer && FBuffer->IBuffer()) FBuffer->Stop();
    for (const auto& buffer : FBufferList)
        if (buffer->IBuffer()) buffer->Stop();
}

void TWaveCollectionItem::SetLooped(bool Value) {
    if (FLooped == Value) return;
    Stop();
    FLooped = Value;
}

void TWaveCollectionItem::SetMaxPlayingCount(int Value) {
    if (Value < 0) Value = 0;
    if (FMaxPlayingCount == Value) return;
    FMaxPlayingCount = Value;
    if (FInitialized) ClearPlayBuffers();
}

// ---- TWaveCollection -------------------------------------------------------------------------

TWaveCollection::~TWaveCollection() {
    // The items finalise against this collection as they go.
    Clear();
}

TWaveCollectionItem* TWaveCollection::Find(const std::string& Name) const {
    const int index = IndexOf(Name);
    if (index < 0) throw EWaveCollectionError(Format(SWaveNotFound, Name.c_str()));
    return Items(index);
}

void TWaveCollection::Assign(const TWaveCollection& Source) {
    if (&Source == this) return;
    Clear();
    for (int i = 0; i < Source.Count(); ++i)
        Add()->Assign(*Source.Items(i));
}

bool TWaveCollection::Initialized() const {
    return FDXSound && FDXSound->Initialized();
}

void TWaveCollection::Initialize(TCustomDXSound* DXSound) {
    Finalize();
    FDXSound = DXSound;
    for (int i = 0; i < Count(); ++i)
        Items(i)->Initialize();
}

void TWaveCollection::Finalize() {
    for (int i = 0; i < Count(); ++i)
        Items(i)->Finalize();
    FDXSound = nullptr;
}

void TWaveCollection::Restore() {
    for (int i = 0; i < Count(); ++i)
        Items(i)->Restore();
}

// ---- TCustomDXWaveList -----------------------------------------------------------------------

TCustomDXWaveList::TCustomDXWaveList(QObject* Owner)
    : TComponent(Owner), FItems(std::make_unique<TWaveCollection>(this)) {}

TCustomDXWaveList::~TCustomDXWaveList() {
    SetDXSound(nullptr);
    FItems.reset();
}

void TCustomDXWaveList::SetDXSound(TCustomDXSound* Value) {
    if (FDXSound) {
        QObject::disconnect(FDXSoundGone);
        TCustomDXSound* old = FDXSound;
        FDXSound = nullptr;
        old->UnRegisterNotifyEvent(&DXSoundNotify, this); // tells us finalise when initialised
    }
    FDXSound = Value;
    if (FDXSound) {
        // The component's own destroying notice comes first; this only guards against one that
        // goes without it, so the list never keeps a pointer to a destroyed component.
        FDXSoundGone = QObject::connect(FDXSound, &QObject::destroyed, this, [this] {
            FDXSound = nullptr;
            FItems->Finalize();
        });
        FDXSound->RegisterNotifyEvent(&DXSoundNotify, this);
    }
}

void TCustomDXWaveList::DXSoundNotify(void* Data, TCustomDXSound* Sender,
                                      TDXSoundNotifyType NotifyType) {
    static_cast<TCustomDXWaveList*>(Data)->DXSoundNotifyEvent(Sender, NotifyType);
}

void TCustomDXWaveList::DXSoundNotifyEvent(TCustomDXSound* Sender, TDXSoundNotifyType NotifyType) {
    switch (NotifyType) {
    case dsntDestroying:
        SetDXSound(nullptr);
        break;
    case dsntInitialize:
        FItems->Initialize(Sender);
        break;
    case dsntFinalize:
        FItems->Finalize();
        break;
    case dsntRestore:
        FItems->Restore();
        break;
    case dsntInitializing:
        break;
    }
}
