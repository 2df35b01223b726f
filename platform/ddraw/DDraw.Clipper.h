// The clipper object: binds a surface's presentation to one window.
#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/ddraw/DDraw.Internal.h"

namespace ddraw {

class Clipper final : public RefCounted<IDirectDrawClipper> {
public:
    HRESULT QueryInterface(REFIID iid, void** object) override;
    HRESULT GetHWnd(HWND* window) override;
    HRESULT SetHWnd(DWORD flags, HWND window) override;
    QWidget* Window() const { return Bound.data(); }

private:
    QPointer<QWidget> Bound;
};

} // namespace ddraw
