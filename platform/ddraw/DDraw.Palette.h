// The palette object: 256 colour entries and the colour table 8-bit pixels are shown with.
#pragma once

#include <QList>
#include <QRgb>

#include "platform/ddraw/DDraw.Internal.h"

namespace ddraw {

class Palette final : public RefCounted<IDirectDrawPalette> {
public:
    Palette(DWORD caps, const PALETTEENTRY* entries);
    HRESULT QueryInterface(REFIID iid, void** object) override;
    HRESULT GetCaps(DWORD* caps) override;
    HRESULT GetEntries(DWORD flags, DWORD first, DWORD count, PALETTEENTRY* entries) override;
    HRESULT SetEntries(DWORD flags, DWORD first, DWORD count, const PALETTEENTRY* entries) override;

    const QList<QRgb>& ColourTable() const { return Table; }
    // Bumped by every change so views over 8-bit surfaces can refresh their colour tables.
    uint32_t Generation = 0;

private:
    DWORD Caps;
    PALETTEENTRY Entries[256]{};
    QList<QRgb> Table;
    void Rebuild();
};

} // namespace ddraw
