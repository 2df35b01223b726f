// The entry points the module exports: device creation, driver enumeration, what a primary
// surface presented, the fault seams and the choice of the pixel loops.
#include "platform/ddraw/DDraw.Device.h"
#include "platform/ddraw/DDraw.Kernels.h"
#include "platform/ddraw/DDraw.Presentation.h"
#include "platform/ddraw/DDraw.Surface.h"

using namespace ddraw;

namespace {

// The identifier of the one driver this module offers besides the default display.
constexpr GUID SoftwareDriverGuid = {
    0x5A454C56, 0x414E, 0x4444, {0x52, 0x41, 0x57, 0x53, 0x4F, 0x46, 0x54, 0x57}};

HRESULT CreateDevice(const GUID* driverGuid, Device*& device) {
    device = nullptr;
    auto raw = reinterpret_cast<uintptr_t>(driverGuid);
    // 1 and 2 are the platform's "hardware only" and "emulation only" requests.
    if (driverGuid && raw > 2 && !(*driverGuid == SoftwareDriverGuid))
        return DDERR_INVALIDDIRECTDRAWGUID;
    if (Faults() & DDFAULT_REFUSE_DEVICE) return DDERR_GENERIC;
    device = new Device();
    return DD_OK;
}
} // namespace

extern "C" {

DDRAW_API HRESULT DirectDrawCreateEx(const GUID* driverGuid, void** directDraw, REFIID iid,
                                     IUnknown* outer) {
    if (!directDraw) return DDERR_INVALIDPARAMS;
    *directDraw = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (!(iid == IID_IDirectDraw7)) return DDERR_INVALIDPARAMS;
    Device* device;
    HRESULT hr = CreateDevice(driverGuid, device);
    if (hr != DD_OK) return hr;
    *directDraw = static_cast<IDirectDraw7*>(device);
    return DD_OK;
}

DDRAW_API HRESULT DirectDrawCreate(const GUID* driverGuid, IDirectDraw** directDraw,
                                   IUnknown* outer) {
    if (!directDraw) return DDERR_INVALIDPARAMS;
    *directDraw = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    Device* device;
    HRESULT hr = CreateDevice(driverGuid, device);
    if (hr != DD_OK) return hr;
    *directDraw = static_cast<IDirectDraw*>(device);
    return DD_OK;
}

DDRAW_API HRESULT DirectDrawEnumerateA(LPDDENUMCALLBACKA callback, void* context) {
    if (!callback) return DDERR_INVALIDPARAMS;
    char primaryDescription[] = "Primary Display Driver";
    char primaryName[] = "display";
    if (!callback(nullptr, primaryDescription, primaryName, context)) return DD_OK;
    GUID guid = SoftwareDriverGuid;
    char description[] = "Software Display Device";
    char name[] = "software";
    callback(&guid, description, name, context);
    return DD_OK;
}

DDRAW_API HRESULT DirectDrawTakePresentation(IDirectDrawSurface* primary, QImage* image,
                                             QRegion* changed) {
    auto* surface = dynamic_cast<Surface*>(primary);
    if (!image) return DDERR_INVALIDPARAMS;
    if (!surface || !surface->IsPrimary()) return DDERR_INVALIDOBJECT;
    if (changed)
        surface->Shown().Take(*image, *changed);
    else
        *image = surface->Shown().Pixels();
    return DD_OK;
}

DDRAW_API int DirectDrawPresentationSegment(IDirectDrawSurface* primary) {
    auto* surface = dynamic_cast<Surface*>(primary);
    if (!surface || !surface->IsPrimary()) return -1;
    return surface->Shown().Segment();
}

DDRAW_API void DirectDrawSetFaults(DWORD faults) {
    SetFaults(faults);
}
DDRAW_API DWORD DirectDrawGetFaults() {
    return Faults();
}
DDRAW_API void DirectDrawLoseAllSurfaces() {
    LoseSurfaces(nullptr);
}
DDRAW_API DWORD DirectDrawSetKernels(DWORD kernels) {
    const KernelLevel wanted = kernels >= DDKERNELS_AVX2 ? KernelLevel::Avx2
                               : kernels == DDKERNELS_SSE2 ? KernelLevel::Sse2
                                                           : KernelLevel::Plain;
    return static_cast<DWORD>(SetKernelLevel(wanted));
}

} // extern "C"
