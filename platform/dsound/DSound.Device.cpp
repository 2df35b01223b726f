// The sound device object: buffer creation and duplication, reopening a lost output.
#include <cstring>

#include "platform/dsound/DSound.Internal.h"

namespace dsound {

namespace {

// The OpenAL format for a PCM wave format, or 0 when OpenAL cannot play it as it is.
ALenum PcmFormat(const WAVEFORMATEX& format) {
    if (format.wFormatTag != WAVE_FORMAT_PCM_TAG) return 0;
    if (format.nSamplesPerSec < DSBFREQUENCY_MIN || format.nSamplesPerSec > DSBFREQUENCY_MAX)
        return 0;
    if (format.nBlockAlign != format.nChannels * (format.wBitsPerSample / 8)) return 0;
    if (format.nChannels == 1 && format.wBitsPerSample == 8) return AL_FORMAT_MONO8;
    if (format.nChannels == 1 && format.wBitsPerSample == 16) return AL_FORMAT_MONO16;
    if (format.nChannels == 2 && format.wBitsPerSample == 8) return AL_FORMAT_STEREO8;
    if (format.nChannels == 2 && format.wBitsPerSample == 16) return AL_FORMAT_STEREO16;
    return 0;
}

} // namespace

Device::Device(ALCdevice* output, ALCcontext* context) : FOutput(output), FContext(context) {
    Devices().insert(this);
}

Device::~Device() {
    Devices().erase(this);
    CloseOutput(FOutput, FContext);
}

HRESULT Device::QueryInterface(REFIID iid, void** object) {
    if (!object) return DSERR_INVALIDPARAM;
    *object = nullptr;
    if (!(iid == IID_IUnknown) && !(iid == IID_IDirectSound)) return DSERR_NOINTERFACE;
    AddRef();
    *object = static_cast<IDirectSound*>(this);
    return DS_OK;
}

DWORD Device::AddRef() {
    return ++FRefs;
}

DWORD Device::Release() {
    DWORD left = --FRefs;
    if (left == 0) delete this;
    return left;
}

void Device::Use() {
    if (FContext && alcGetCurrentContext() != FContext) alcMakeContextCurrent(FContext);
}

bool Device::Lost() {
    if (FMarkedLost || !FOutput) return true;
    ALCint connected = 1;
    alcGetIntegerv(FOutput, ALC_CONNECTED, 1, &connected);
    return connected == 0;
}

HRESULT Device::Reconnect() {
    // The old output goes first: an output writing to a file would otherwise share it.
    std::set<SampleBlock*> blocks;
    for (Buffer* buffer : FBuffers) {
        buffer->DropSource();
        if (buffer->Block()) {
            buffer->Block()->Name = 0;
            blocks.insert(buffer->Block().get());
        }
    }
    CloseOutput(FOutput, FContext);
    FOutput = nullptr;
    FContext = nullptr;
    if (!OpenOutput(FOutput, FContext)) return DSERR_NODRIVER;
    FMarkedLost = false;
    Use();
    for (SampleBlock* block : blocks) {
        HRESULT hr = Upload(*block);
        if (hr != DS_OK) return hr;
    }
    for (Buffer* buffer : FBuffers)
        if (!buffer->Primary()) buffer->MakeSource();
    return DS_OK;
}

HRESULT Device::Upload(SampleBlock& block) {
    Use();
    alGetError();
    ALuint name = 0;
    alGenBuffers(1, &name);
    if (alGetError() != AL_NO_ERROR) return DSERR_OUTOFMEMORY;
    const size_t whole = block.Bytes.size() - block.Bytes.size() % block.BlockAlign;
    alBufferData(name, block.Format, block.Bytes.data(), static_cast<ALsizei>(whole), block.Rate);
    if (alGetError() != AL_NO_ERROR) {
        alDeleteBuffers(1, &name);
        return DSERR_OUTOFMEMORY;
    }
    // OpenAL keeps a buffer's data fixed while sources use it: the copies stop and move over.
    for (Buffer* buffer : FBuffers) {
        if (buffer->Block().get() != &block || !buffer->Source()) continue;
        alSourceStop(buffer->Source());
        alSourcei(buffer->Source(), AL_BUFFER, static_cast<ALint>(name));
    }
    if (block.Name) alDeleteBuffers(1, &block.Name);
    block.Name = name;
    return DS_OK;
}

WAVEFORMATEX Device::OutputFormat() const {
    ALCint rate = 44100;
    if (FOutput) alcGetIntegerv(FOutput, ALC_FREQUENCY, 1, &rate);
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM_TAG;
    format.nChannels = 2;
    format.nSamplesPerSec = static_cast<DWORD>(rate);
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = format.nSamplesPerSec * 4;
    return format;
}

HRESULT Device::CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** buffer,
                                  IUnknown* outer) {
    if (!desc || !buffer) return DSERR_INVALIDPARAM;
    *buffer = nullptr;
    if (outer) return DSERR_NOAGGREGATION;
    if (desc->dwSize != sizeof(DSBUFFERDESC)) return DSERR_INVALIDPARAM;
    if (desc->dwFlags & DSBCAPS_PRIMARYBUFFER) {
        if (desc->dwBufferBytes != 0 || desc->lpwfxFormat) return DSERR_INVALIDPARAM;
    } else {
        if (!desc->lpwfxFormat) return DSERR_INVALIDPARAM;
        if (desc->dwBufferBytes < DSBSIZE_MIN || desc->dwBufferBytes > DSBSIZE_MAX)
            return DSERR_INVALIDPARAM;
        if (!PcmFormat(*desc->lpwfxFormat)) return DSERR_BADFORMAT;
    }
    if (Faults() & DSFAULT_REFUSE_BUFFERS) return DSERR_OUTOFMEMORY;
    if (Lost()) {
        HRESULT hr = Reconnect();
        if (hr != DS_OK) return hr;
    }
    if (desc->dwFlags & DSBCAPS_PRIMARYBUFFER) {
        *buffer = new Buffer(this, desc->dwFlags, nullptr, OutputFormat());
        return DS_OK;
    }
    WAVEFORMATEX format = *desc->lpwfxFormat;
    format.cbSize = 0;
    auto block = std::make_shared<SampleBlock>();
    block->Bytes.assign(desc->dwBufferBytes, format.wBitsPerSample == 8 ? 0x80 : 0);
    block->Format = PcmFormat(format);
    block->Rate = static_cast<ALsizei>(format.nSamplesPerSec);
    block->BlockAlign = format.nBlockAlign;
    HRESULT hr = Upload(*block);
    if (hr != DS_OK) return hr;
    auto* made = new Buffer(this, desc->dwFlags, std::move(block), format);
    if (!made->Source()) {
        made->Release();
        return DSERR_OUTOFMEMORY;
    }
    *buffer = made;
    return DS_OK;
}

HRESULT Device::DuplicateSoundBuffer(IDirectSoundBuffer* original, IDirectSoundBuffer** duplicate) {
    if (!original || !duplicate) return DSERR_INVALIDPARAM;
    *duplicate = nullptr;
    auto* source = static_cast<Buffer*>(original);
    if (!FBuffers.count(source)) return DSERR_INVALIDPARAM;
    if (source->Primary()) return DSERR_INVALIDCALL;
    if (Faults() & DSFAULT_REFUSE_BUFFERS) return DSERR_OUTOFMEMORY;
    if (Lost()) {
        HRESULT hr = Reconnect();
        if (hr != DS_OK) return hr;
    }
    auto* made = new Buffer(this, source->Flags(), source->Block(), source->Format());
    if (!made->Source()) {
        made->Release();
        return DSERR_OUTOFMEMORY;
    }
    *duplicate = made;
    return DS_OK;
}

HRESULT Device::SetCooperativeLevel(HWND window, DWORD level) {
    if (!window || level < DSSCL_NORMAL || level > DSSCL_WRITEPRIMARY) return DSERR_INVALIDPARAM;
    FWindow = window;
    FLevel = level;
    return DS_OK;
}

} // namespace dsound
