// The palette object.
#include <cstring>

#include "platform/ddraw/DDraw.Palette.h"

namespace ddraw {

Palette::Palette(DWORD caps, const PALETTEENTRY* entries) : Caps(caps) {
    if (entries) std::memcpy(Entries, entries, sizeof(Entries));
    Rebuild();
}

HRESULT Palette::QueryInterface(REFIID iid, void** object) {
    if (!object) return DDERR_INVALIDPARAMS;
    if (iid == IID_IUnknown || iid == IID_IDirectDrawPalette) {
        AddRef();
        *object = static_cast<IDirectDrawPalette*>(this);
        return DD_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT Palette::GetCaps(DWORD* caps) {
    if (!caps) return DDERR_INVALIDPARAMS;
    *caps = Caps;
    return DD_OK;
}

HRESULT Palette::GetEntries(DWORD, DWORD first, DWORD count, PALETTEENTRY* entries) {
    if (!entries || first > 256 || count > 256 - first) return DDERR_INVALIDPARAMS;
    std::memcpy(entries, Entries + first, count * sizeof(PALETTEENTRY));
    return DD_OK;
}

HRESULT Palette::SetEntries(DWORD, DWORD first, DWORD count, const PALETTEENTRY* entries) {
    if (!entries || first > 256 || count > 256 - first) return DDERR_INVALIDPARAMS;
    std::memcpy(Entries + first, entries, count * sizeof(PALETTEENTRY));
    Rebuild();
    return DD_OK;
}

void Palette::Rebuild() {
    Table.resize(256);
    for (int i = 0; i < 256; ++i)
        Table[i] = qRgb(Entries[i].peRed, Entries[i].peGreen, Entries[i].peBlue);
    ++Generation;
}

} // namespace ddraw
