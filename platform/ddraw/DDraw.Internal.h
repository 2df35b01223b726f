// Inside the display device module: rectangles, pixel formats, reference counting and the fault
// seams every platform object of the module shares.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/ddraw/ddraw.h"

namespace ddraw {

// The platform's answer to an outer object offered for aggregation, which nothing here supports.
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);

// Integer rectangle, right and bottom exclusive.
struct Box {
    int l = 0, t = 0, r = 0, b = 0;
    int W() const { return r - l; }
    int H() const { return b - t; }
    bool Empty() const { return l >= r || t >= b; }
};
inline Box FromRect(const RECT& rc) {
    return Box{rc.left, rc.top, rc.right, rc.bottom};
}
inline Box Intersect(const Box& a, const Box& b) {
    Box c{a.l > b.l ? a.l : b.l, a.t > b.t ? a.t : b.t, a.r < b.r ? a.r : b.r,
          a.b < b.b ? a.b : b.b};
    return c;
}
inline bool Contains(const Box& outer, const Box& inner) {
    return inner.l >= outer.l && inner.t >= outer.t && inner.r <= outer.r && inner.b <= outer.b;
}

// A pixel format this device supports: 8-bit indexed, 16-bit 5-6-5, 24-bit or 32-bit XRGB.
struct Format {
    int Bits = 32;
    int Bytes() const { return Bits / 8; }
    // The bits that carry colour (colour keys compare only these).
    DWORD ColourMask() const {
        return Bits == 32 ? 0x00FFFFFFu : Bits == 24 ? 0xFFFFFFu : Bits == 16 ? 0xFFFFu : 0xFFu;
    }
    DDPIXELFORMAT Describe() const;
    // The format a description asks for; false when it is not one of the supported ones.
    static bool FromPixelFormat(const DDPIXELFORMAT& pf, Format& out);
};

// Reference counting shared by every object.
template <typename Base> class RefCounted : public Base {
public:
    DWORD AddRef() override { return ++Refs; }
    DWORD Release() override {
        DWORD left = --Refs;
        if (left == 0) delete this;
        return left;
    }

protected:
    std::atomic<DWORD> Refs{1};
};

// The injected faults (DDFAULT_ bits) in force.
DWORD Faults();
void SetFaults(DWORD faults);

} // namespace ddraw
