// The clipper object: binds a surface's presentation to one window.
#pragma once

#include "platform/ddraw/DDraw.Internal.h"
#include "platform/ddraw/DDraw.Window.h"

namespace ddraw {

class Clipper final : public RefCounted<IDirectDrawClipper> {
public:
    HRESULT QueryInterface(REFIID iid, void** object) override;
    HRESULT GetHWnd(HWND* window) override;
    HRESULT SetHWnd(DWORD flags, HWND window) override;
    HWND Window() const { return Bound.Get(); }

private:
    WindowRef Bound;
};

} // namespace ddraw
