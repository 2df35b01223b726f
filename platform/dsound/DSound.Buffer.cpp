// The sound buffer object: one OpenAL source over a shared block of samples.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/dsound/DSound.Internal.h"

namespace dsound {

namespace {

// Hundredths of a decibel of attenuation as a linear gain; the lowest volume is silence.
float AttenuationGain(LONG hundredths) {
    if (hundredths <= DSBVOLUME_MIN) return 0.0f;
    return static_cast<float>(std::pow(10.0, hundredths / 2000.0));
}

} // namespace

Buffer::Buffer(Device* device, DWORD flags, std::shared_ptr<SampleBlock> block,
               const WAVEFORMATEX& format)
    : FDevice(device), FFlags(flags), FBlock(std::move(block)), FFormat(format) {
    FDevice->AddRef();
    FDevice->Attach(this);
    if (FBlock) MakeSource();
}

Buffer::~Buffer() {
    FDevice->Use();
    if (FSource) {
        alSourceStop(FSource);
        alDeleteSources(1, &FSource);
    }
    FDevice->Detach(this);
    if (FBlock && FBlock.use_count() == 1 && FBlock->Name) alDeleteBuffers(1, &FBlock->Name);
    FBlock.reset();
    FDevice->Release();
}

HRESULT Buffer::QueryInterface(REFIID iid, void** object) {
    if (!object) return DSERR_INVALIDPARAM;
    *object = nullptr;
    if (!(iid == IID_IUnknown) && !(iid == IID_IDirectSoundBuffer)) return DSERR_NOINTERFACE;
    AddRef();
    *object = static_cast<IDirectSoundBuffer*>(this);
    return DS_OK;
}

DWORD Buffer::AddRef() {
    return ++FRefs;
}

DWORD Buffer::Release() {
    DWORD left = --FRefs;
    if (left == 0) delete this;
    return left;
}

void Buffer::MakeSource() {
    FDevice->Use();
    alGetError();
    ALuint source = 0;
    alGenSources(1, &source);
    if (alGetError() != AL_NO_ERROR) return;
    FSource = source;
    alSourcei(FSource, AL_SOURCE_RELATIVE, AL_TRUE);
    alSourcei(FSource, AL_BUFFER, static_cast<ALint>(FBlock->Name));
    ApplyGain();
    ApplyPan();
    ApplyPitch();
}

HRESULT Buffer::Ready() {
    if (FDevice->Lost()) return DSERR_BUFFERLOST;
    FDevice->Use();
    if (!Primary() && !FSource) return DSERR_BUFFERLOST;
    return DS_OK;
}

void Buffer::ApplyGain() {
    if (Primary())
        alListenerf(AL_GAIN, AttenuationGain(FVolume));
    else if (FSource)
        alSourcef(FSource, AL_GAIN, AttenuationGain(FVolume));
}

void Buffer::ApplyPan() {
    if (!FSource) return;
    if (FPan == 0) {
        alSource3f(FSource, AL_POSITION, 0.0f, 0.0f, 0.0f);
        return;
    }
    // The quieter side is attenuated by |pan| hundredths of a decibel. Under a constant-power
    // law the side gains are cos and sin of an angle from 0 (left) to 90 degrees (right); the
    // source sits at the matching direction, one unit from the listener (no distance loss).
    const double weaker = AttenuationGain(-std::labs(FPan));
    const double angle = 2.0 * (M_PI / 4 - std::atan(weaker)); // 0 (centre) … pi/2 (one side)
    const double x = (FPan > 0 ? 1.0 : -1.0) * std::sin(angle);
    alSource3f(FSource, AL_POSITION, static_cast<float>(x), 0.0f,
               static_cast<float>(-std::cos(angle)));
}

void Buffer::ApplyPitch() {
    if (!FSource) return;
    const double pitch =
        FFrequency == DSBFREQUENCY_ORIGINAL ? 1.0 : double(FFrequency) / FFormat.nSamplesPerSec;
    alSourcef(FSource, AL_PITCH, static_cast<float>(pitch));
}

HRESULT Buffer::GetCaps(DSBCAPS* caps) {
    if (!caps || caps->dwSize != sizeof(DSBCAPS)) return DSERR_INVALIDPARAM;
    caps->dwFlags = FFlags | DSBCAPS_LOCSOFTWARE;
    caps->dwBufferBytes = Primary() ? 0 : static_cast<DWORD>(FBlock->Bytes.size());
    caps->dwUnlockTransferRate = 0;
    caps->dwPlayCpuOverhead = 0;
    return DS_OK;
}

HRESULT Buffer::GetCurrentPosition(DWORD* playCursor, DWORD* writeCursor) {
    if (!playCursor && !writeCursor) return DSERR_INVALIDPARAM;
    HRESULT hr = Ready();
    if (hr != DS_OK) return hr;
    ALint offset = 0;
    if (FSource) alGetSourcei(FSource, AL_BYTE_OFFSET, &offset);
    if (playCursor) *playCursor = static_cast<DWORD>(offset);
    if (writeCursor) *writeCursor = static_cast<DWORD>(offset);
    return DS_OK;
}

HRESULT Buffer::GetFormat(WAVEFORMATEX* format, DWORD sizeAllocated, DWORD* written) {
    if (!format) {
        if (!written) return DSERR_INVALIDPARAM;
        *written = sizeof(WAVEFORMATEX);
        return DS_OK;
    }
    const DWORD size =
        sizeAllocated < sizeof(WAVEFORMATEX) ? sizeAllocated : DWORD(sizeof(WAVEFORMATEX));
    std::memcpy(format, &FFormat, size);
    if (written) *written = size;
    return DS_OK;
}

HRESULT Buffer::GetVolume(LONG* volume) {
    if (!volume) return DSERR_INVALIDPARAM;
    *volume = FVolume;
    return DS_OK;
}

HRESULT Buffer::GetPan(LONG* pan) {
    if (!pan) return DSERR_INVALIDPARAM;
    *pan = FPan;
    return DS_OK;
}

HRESULT Buffer::GetFrequency(DWORD* frequency) {
    if (!frequency) return DSERR_INVALIDPARAM;
    *frequency = FFrequency == DSBFREQUENCY_ORIGINAL ? FFormat.nSamplesPerSec : FFrequency;
    return DS_OK;
}

HRESULT Buffer::GetStatus(DWORD* status) {
    if (!status) return DSERR_INVALIDPARAM;
    *status = 0;
    HRESULT hr = Ready();
    if (hr != DS_OK) {
        *status = DSBSTATUS_BUFFERLOST;
        return hr;
    }
    if (Primary()) {
        if (FPrimaryPlaying) *status = DSBSTATUS_PLAYING | DSBSTATUS_LOOPING;
        return DS_OK;
    }
    ALint state = 0, looping = 0;
    alGetSourcei(FSource, AL_SOURCE_STATE, &state);
    alGetSourcei(FSource, AL_LOOPING, &looping);
    if (state == AL_PLAYING) *status = DSBSTATUS_PLAYING | (looping ? DSBSTATUS_LOOPING : 0);
    return DS_OK;
}

HRESULT Buffer::Lock(DWORD offset, DWORD bytes, void** audio1, DWORD* bytes1, void** audio2,
                     DWORD* bytes2, DWORD flags) {
    if (!audio1 || !bytes1) return DSERR_INVALIDPARAM;
    *audio1 = nullptr;
    *bytes1 = 0;
    if (audio2) *audio2 = nullptr;
    if (bytes2) *bytes2 = 0;
    if (Primary()) return DSERR_PRIOLEVELNEEDED;
    HRESULT hr = Ready();
    if (hr != DS_OK) return hr;
    const DWORD size = static_cast<DWORD>(FBlock->Bytes.size());
    if (flags & DSBLOCK_FROMWRITECURSOR) {
        ALint at = 0;
        alGetSourcei(FSource, AL_BYTE_OFFSET, &at);
        offset = static_cast<DWORD>(at) % size;
    }
    if (flags & DSBLOCK_ENTIREBUFFER) bytes = size;
    if (offset >= size || bytes == 0 || bytes > size) return DSERR_INVALIDPARAM;
    const DWORD first = bytes < size - offset ? bytes : size - offset;
    const DWORD rest = bytes - first;
    if (rest && (!audio2 || !bytes2)) return DSERR_INVALIDPARAM;
    *audio1 = FBlock->Bytes.data() + offset;
    *bytes1 = first;
    if (rest) {
        *audio2 = FBlock->Bytes.data();
        *bytes2 = rest;
    }
    return DS_OK;
}

HRESULT Buffer::Unlock(void* audio1, DWORD bytes1, void* audio2, DWORD bytes2) {
    if (Primary()) return DSERR_PRIOLEVELNEEDED;
    const uint8_t* begin = FBlock->Bytes.data();
    const uint8_t* end = begin + FBlock->Bytes.size();
    auto inside = [&](void* p, DWORD n) {
        auto* q = static_cast<const uint8_t*>(p);
        return !p ? n == 0 : q >= begin && q <= end && n <= static_cast<size_t>(end - q);
    };
    if (!audio1 || !inside(audio1, bytes1) || !inside(audio2, bytes2)) return DSERR_INVALIDPARAM;
    HRESULT hr = Ready();
    if (hr != DS_OK) return hr;
    return FDevice->Upload(*FBlock);
}

HRESULT Buffer::Play(DWORD, DWORD, DWORD flags) {
    HRESULT hr = Ready();
    if (hr != DS_OK) return hr;
    if (Primary()) {
        FPrimaryPlaying = true;
        return DS_OK;
    }
    alSourcei(FSource, AL_LOOPING, (flags & DSBPLAY_LOOPING) ? AL_TRUE : AL_FALSE);
    ALint state = 0;
    alGetSourcei(FSource, AL_SOURCE_STATE, &state);
    if (state != AL_PLAYING) alSourcePlay(FSource);
    return DS_OK;
}

HRESULT Buffer::Stop() {
    HRESULT hr = Ready();
    if (hr != DS_OK) return hr;
    if (Primary()) {
        FPrimaryPlaying = false;
        return DS_OK;
    }
    // Pausing keeps the position, so a later Play resumes where this stopped.
    ALint state = 0;
    alGetSourcei(FSource, AL_SOURCE_STATE, &state);
    if (state == AL_PLAYING) alSourcePause(FSource);
    return DS_OK;
}

HRESULT Buffer::SetCurrentPosition(DWORD position) {
    if (Primary()) return DSERR_INVALIDCALL;
    if (position >= FBlock->Bytes.size()) return DSERR_INVALIDPARAM;
    HRESULT hr = Ready();
    if (hr != DS_OK) return hr;
    position -= position % FBlock->BlockAlign;
    ALint state = 0;
    alGetSourcei(FSource, AL_SOURCE_STATE, &state);
    // A finished source starts from the beginning anyway; rewinding it makes that explicit.
    if (state == AL_STOPPED && position == 0) alSourceRewind(FSource);
    alSourcei(FSource, AL_BYTE_OFFSET, static_cast<ALint>(position));
    return DS_OK;
}

HRESULT Buffer::SetVolume(LONG volume) {
    if (!(FFlags & DSBCAPS_CTRLVOLUME) && !Primary()) return DSERR_CONTROLUNAVAIL;
    if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
    HRESULT hr = Ready();
    if (hr != DS_OK) return hr;
    FVolume = volume;
    ApplyGain();
    return DS_OK;
}

HRESULT Buffer::SetPan(LONG pan) {
    if (!(FFlags & DSBCAPS_CTRLPAN) && !Primary()) return DSERR_CONTROLUNAVAIL;
    if (pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT) return DSERR_INVALIDPARAM;
    HRESULT hr = Ready();
    if (hr != DS_OK) return hr;
    FPan = pan;
    ApplyPan();
    return DS_OK;
}

HRESULT Buffer::SetFrequency(DWORD frequency) {
    if (Primary() || !(FFlags & DSBCAPS_CTRLFREQUENCY)) return DSERR_CONTROLUNAVAIL;
    if (frequency != DSBFREQUENCY_ORIGINAL &&
        (frequency < DSBFREQUENCY_MIN || frequency > DSBFREQUENCY_MAX))
        return DSERR_INVALIDPARAM;
    HRESULT hr = Ready();
    if (hr != DS_OK) return hr;
    FFrequency = frequency;
    ApplyPitch();
    return DS_OK;
}

HRESULT Buffer::Restore() {
    if (!FDevice->Lost()) return DS_OK;
    return FDevice->Reconnect();
}

} // namespace dsound
