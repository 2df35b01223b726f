// The sound device and sound buffer wrappers over the run-time loaded sound module.
#include <algorithm>
#include <cstring>

#include "platform/rtl/DXConsts.h"
#include "sound/DXSounds.DirectSound.h"
#include "sound/DXSounds.DirectSoundBuffer.h"

// ---- TDirectSound ----------------------------------------------------------------------------

TDirectSound::TDirectSound(const GUID* DriverGUID) {
    auto create = LoadPlatformFunctionAs<TDirectSoundCreate>("DSound.dll", "DirectSoundCreate");
    IDirectSound* device = nullptr;
    SetLastResult(create(DriverGUID, &device, nullptr));
    if (LastResult() != DS_OK || !device)
        throw EDirectSoundError(Format(SCannotInitialized, SDirectSound));
    FIDSound = device;
}

TDirectSound::~TDirectSound() {
    while (!FBuffers.empty())
        FBuffers.pop_back();
    if (FIDSound) FIDSound->Release();
}

TDirectSoundBufferPtr TDirectSound::NewBuffer() {
    FBuffers.push_back(std::make_unique<TDirectSoundBuffer>(this));
    return TDirectSoundBufferPtr(FBuffers.back().get(), &ReleaseDirectSoundBuffer);
}

void TDirectSound::ReleaseBuffer(TDirectSoundBuffer* Buffer) {
    auto it = std::find_if(FBuffers.begin(), FBuffers.end(),
                           [Buffer](const auto& own) { return own.get() == Buffer; });
    if (it == FBuffers.end()) return;
    // Out of the list first, so nothing reaches the buffer while it goes.
    std::unique_ptr<TDirectSoundBuffer> gone = std::move(*it);
    FBuffers.erase(it);
}

void TDirectSound::BufferLost() {
    if (FInRestoreBuffer) return;
    FInRestoreBuffer = true;
    try {
        DoRestoreBuffer();
    } catch (...) {
        FInRestoreBuffer = false;
        throw;
    }
    FInRestoreBuffer = false;
}

void ReleaseDirectSoundBuffer(TDirectSoundBuffer* Buffer) {
    if (Buffer) Buffer->DSound()->ReleaseBuffer(Buffer);
}

IDirectSound* TDirectSound::IDSound() const {
    if (!FIDSound) throw EDirectSoundError(Format(SNotMade, "IDirectSound"));
    return FIDSound;
}

// ---- TDirectSoundBuffer ----------------------------------------------------------------------

TDirectSoundBuffer::TDirectSoundBuffer(TDirectSound* ADirectSound) : FDSound(ADirectSound) {}

TDirectSoundBuffer::~TDirectSoundBuffer() {
    SetIBuffer(nullptr);
}

IDirectSoundBuffer* TDirectSoundBuffer::IDSBuffer() const {
    if (!FIDSBuffer) throw EDirectSoundBufferError(::Format(SNotMade, "IDirectSoundBuffer"));
    return FIDSBuffer;
}

void TDirectSoundBuffer::SetIBuffer(IDirectSoundBuffer* Value) {
    if (Value == FIDSBuffer) return;
    if (FIDSBuffer) FIDSBuffer->Release();
    FIDSBuffer = Value;
    FCaps = DSBCAPS{};
    FFormat.clear();
    FLockCount = 0;
    if (!FIDSBuffer) return;
    FCaps.dwSize = sizeof(DSBCAPS);
    FIDSBuffer->GetCaps(&FCaps);
    DWORD size = 0;
    if (FIDSBuffer->GetFormat(nullptr, 0, &size) == DS_OK && size > 0) {
        FFormat.assign(size, 0);
        DWORD written = 0;
        if (FIDSBuffer->GetFormat(reinterpret_cast<WAVEFORMATEX*>(FFormat.data()), size,
                                  &written) != DS_OK)
            FFormat.clear();
        else
            FFormat.resize(std::min<DWORD>(written, size));
    }
}

void TDirectSoundBuffer::CheckResult() {
    if (LastResult() == DSERR_BUFFERLOST) FDSound->BufferLost();
}

void TDirectSoundBuffer::Assign(const TDirectSoundBuffer* Source) {
    if (Source && Source->IBuffer()) {
        IDirectSoundBuffer* duplicate = nullptr;
        FDSound->SetLastResult(
            FDSound->IDSound()->DuplicateSoundBuffer(Source->IBuffer(), &duplicate));
        if (FDSound->LastResult() == DS_OK) SetIBuffer(duplicate);
    } else {
        SetIBuffer(nullptr);
    }
}

void TDirectSoundBuffer::Assign(const TWave* Source) {
    if (Source)
        LoadFromWave(*Source);
    else
        SetIBuffer(nullptr);
}

bool TDirectSoundBuffer::CreateBuffer(const DSBUFFERDESC& BufferDesc) {
    SetIBuffer(nullptr);
    IDirectSoundBuffer* buffer = nullptr;
    SetLastResult(FDSound->IDSound()->CreateSoundBuffer(&BufferDesc, &buffer, nullptr));
    if (LastResult() != DS_OK) return false;
    SetIBuffer(buffer);
    return true;
}

void TDirectSoundBuffer::LoadFromWave(const TWave& Wave) {
    // The wave's format block may be shorter than the record (a plain PCM block has 16 bytes).
    WAVEFORMATEX format{};
    std::memcpy(&format, Wave.FormatBlock().data(),
                std::min<size_t>(Wave.FormatBlock().size(), sizeof(WAVEFORMATEX)));
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof(DSBUFFERDESC);
    desc.dwFlags = DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;
    if (FDSound->StickyFocus())
        desc.dwFlags |= DSBCAPS_STICKYFOCUS;
    else if (FDSound->GlobalFocus())
        desc.dwFlags |= DSBCAPS_GLOBALFOCUS;
    desc.dwBufferBytes = static_cast<DWORD>(std::max(Wave.Size(), 0));
    desc.lpwfxFormat = &format;
    if (!CreateBuffer(desc))
        throw EDirectSoundBufferError(::Format(SCannotMade, SDirectSoundBuffer));
    if (Wave.Size() <= 0) return;
    void *ptr1, *ptr2;
    DWORD size1, size2;
    if (!Lock(0, static_cast<DWORD>(Wave.Size()), ptr1, size1, ptr2, size2)) {
        SetIBuffer(nullptr);
        throw EDirectSoundBufferError(::Format(SCannotLocked, SDirectSoundBuffer));
    }
    // The regions come from the platform: copy no more than the wave holds.
    const size_t total = static_cast<size_t>(Wave.Size());
    const size_t first = std::min<size_t>(size1, total);
    std::memcpy(ptr1, Wave.Data(), first);
    if (ptr2 && first < total)
        std::memcpy(ptr2, Wave.Data() + first, std::min<size_t>(size2, total - first));
    UnLock();
}

bool TDirectSoundBuffer::Lock(DWORD LockPosition, DWORD LockSize, void*& AudioPtr1,
                              DWORD& AudioSize1, void*& AudioPtr2, DWORD& AudioSize2) {
    AudioPtr1 = AudioPtr2 = nullptr;
    AudioSize1 = AudioSize2 = 0;
    if (FLockCount > 0) return false;
    SetLastResult(IDSBuffer()->Lock(LockPosition, LockSize, &FLockAudioPtr1, &FLockAudioSize1,
                                    &FLockAudioPtr2, &FLockAudioSize2, 0));
    if (LastResult() != DS_OK) return false;
    FLockCount = 1;
    AudioPtr1 = FLockAudioPtr1;
    AudioSize1 = FLockAudioSize1;
    AudioPtr2 = FLockAudioPtr2;
    AudioSize2 = FLockAudioSize2;
    return true;
}

void TDirectSoundBuffer::UnLock() {
    if (FLockCount == 0) return;
    FLockCount = 0;
    SetLastResult(
        IDSBuffer()->Unlock(FLockAudioPtr1, FLockAudioSize1, FLockAudioPtr2, FLockAudioSize2));
}

bool TDirectSoundBuffer::Play(bool Loop) {
    SetLastResult(IDSBuffer()->Play(0, 0, Loop ? DSBPLAY_LOOPING : 0));
    return LastResult() == DS_OK;
}

bool TDirectSoundBuffer::Stop() {
    SetLastResult(IDSBuffer()->Stop());
    return LastResult() == DS_OK;
}

bool TDirectSoundBuffer::SetPosition(DWORD Position) {
    SetLastResult(IDSBuffer()->SetCurrentPosition(Position));
    return LastResult() == DS_OK;
}

bool TDirectSoundBuffer::SetFrequency(std::int32_t Value) {
    SetLastResult(IDSBuffer()->SetFrequency(static_cast<DWORD>(Value)));
    return LastResult() == DS_OK;
}

bool TDirectSoundBuffer::SetPan(std::int32_t Value) {
    SetLastResult(IDSBuffer()->SetPan(Value));
    return LastResult() == DS_OK;
}

bool TDirectSoundBuffer::SetVolume(std::int32_t Value) {
    SetLastResult(IDSBuffer()->SetVolume(Value));
    return LastResult() == DS_OK;
}

bool TDirectSoundBuffer::IsPlaying() {
    DWORD status = 0;
    SetLastResult(IDSBuffer()->GetStatus(&status));
    return LastResult() == DS_OK && (status & (DSBSTATUS_PLAYING | DSBSTATUS_LOOPING)) != 0;
}
