// The clipper object.
#include "platform/ddraw/DDraw.Clipper.h"

namespace ddraw {

HRESULT Clipper::QueryInterface(REFIID iid, void** object) {
    if (!object) return DDERR_INVALIDPARAMS;
    if (iid == IID_IUnknown || iid == IID_IDirectDrawClipper) {
        AddRef();
        *object = static_cast<IDirectDrawClipper*>(this);
        return DD_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT Clipper::GetHWnd(HWND* window) {
    if (!window) return DDERR_INVALIDPARAMS;
    *window = Bound.Get();
    return DD_OK;
}

HRESULT Clipper::SetHWnd(DWORD flags, HWND window) {
    if (flags != 0) return DDERR_INVALIDPARAMS;
    Bound = WindowRef(window);
    return DD_OK;
}

} // namespace ddraw
