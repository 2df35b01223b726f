// Pixel kernels between two surfaces of the same format.
#pragma once

#include "platform/ddraw/DDraw.Surface.h"

namespace ddraw {

// Rectangles are already clipped and equal in size.
void CopyOpaque(const Surface& dst, int dx, int dy, const Surface& src, const Box& s);
void CopyKeyed(const Surface& dst, int dx, int dy, const Surface& src, const Box& s, DWORD key);
void FillBox(const Surface& dst, const Box& box, DWORD value);
// Copies n 32-bit pixels, setting the unused top byte (presentation images are opaque).
void OpaqueRow32(uint32_t* d, const uint32_t* s, int n);
// Brings n pixels of d up to date with s the way OpaqueRow32 copies them, writing only the span
// [first, last) that differs; false (and nothing written) when the row is already equal.
bool UpdateRow32(uint32_t* d, const uint32_t* s, int n, int& first, int& last);
// General copy with scaling (nearest pixel) and mirroring: the full destination rectangle full
// maps onto source rectangle s; only the part clip of it is written.
void CopyGeneral(const Surface& dst, const Box& full, const Box& clip, const Surface& src,
                 const Box& s, bool keyed, DWORD key, bool mirrorX, bool mirrorY);

} // namespace ddraw
