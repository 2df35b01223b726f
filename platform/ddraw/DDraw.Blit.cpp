// Pixel kernels of the display device: fills, opaque and keyed copies, scaled and mirrored copies.
#include <cstring>
#include <vector>

#include "platform/ddraw/DDraw.Blit.h"
#include "platform/ddraw/DDraw.Kernels.h"

namespace ddraw {

namespace {

inline DWORD Read(const uint8_t* p, int bytes) {
    switch (bytes) {
    case 4: {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
    }
    case 3:
        return p[0] | p[1] << 8 | p[2] << 16;
    case 2: {
        uint16_t v;
        std::memcpy(&v, p, 2);
        return v;
    }
    default:
        return p[0];
    }
}

inline void Write(uint8_t* p, int bytes, DWORD v) {
    switch (bytes) {
    case 4:
        std::memcpy(p, &v, 4);
        break;
    case 3:
        p[0] = v & 0xFF;
        p[1] = (v >> 8) & 0xFF;
        p[2] = (v >> 16) & 0xFF;
        break;
    case 2: {
        uint16_t w = static_cast<uint16_t>(v);
        std::memcpy(p, &w, 2);
        break;
    }
    default:
        p[0] = static_cast<uint8_t>(v);
        break;
    }
}

// Finds the runs of non-key pixels of the whole surface.
void BuildSpans(const Surface& src, DWORD key, KeySpans& spans) {
    const int bytes = src.PixelFormat().Bytes();
    const DWORD mask = src.PixelFormat().ColourMask();
    spans.RowStart.assign(static_cast<size_t>(src.Height()) + 1, 0);
    spans.Runs.clear();
    for (int y = 0; y < src.Height(); ++y) {
        spans.RowStart[static_cast<size_t>(y)] = static_cast<uint32_t>(spans.Runs.size());
        const uint8_t* row = src.Row(y);
        int x = 0;
        const int w = src.Width();
        while (x < w) {
            while (x < w && (Read(row + x * bytes, bytes) & mask) == key)
                ++x;
            int start = x;
            while (x < w && (Read(row + x * bytes, bytes) & mask) != key)
                ++x;
            if (x > start) spans.Runs.emplace_back(start, x);
        }
    }
    spans.RowStart.back() = static_cast<uint32_t>(spans.Runs.size());
}

// The runs of the source for this key, or null when the plain compare loop is the better choice:
// runs are only worth building for a picture copied unchanged more than once, so they are built
// on the second keyed copy at one memory version and reused until the memory changes.
const KeySpans* SpansFor(const Surface& src, DWORD key) {
    KeySpans& spans = src.Pixels().Spans;
    const uint64_t version = src.Pixels().Version;
    if (spans.Built && spans.Version == version && spans.Key == key) return &spans;
    if (spans.SeenVersion == version && spans.SeenKey == key) {
        BuildSpans(src, key, spans);
        spans.Built = true;
        spans.Version = version;
        spans.Key = key;
        return &spans;
    }
    spans.SeenVersion = version;
    spans.SeenKey = key;
    return nullptr;
}

} // namespace

void OpaqueRow32(uint32_t* d, const uint32_t* s, int n) {
    Kernels().Opaque32(d, s, n);
}

bool UpdateRow32(uint32_t* d, const uint32_t* s, int n, int& first, int& last) {
    const RowKernels& k = Kernels();
    first = k.FirstChange32(d, s, n);
    if (first == n) return false;
    last = k.EndOfChange32(d, s, first, n);
    k.Opaque32(d + first, s + first, last - first);
    return true;
}

void CopyOpaque(const Surface& dst, int dx, int dy, const Surface& src, const Box& s) {
    const int bytes = dst.PixelFormat().Bytes();
    const size_t rowBytes = static_cast<size_t>(s.W()) * bytes;
    // A copy within one surface may overlap: walk the rows in the safe direction.
    const bool upward = &dst == &src && dy > s.t;
    for (int i = 0; i < s.H(); ++i) {
        int r = upward ? s.H() - 1 - i : i;
        std::memmove(dst.Row(dy + r) + dx * bytes, src.Row(s.t + r) + s.l * bytes, rowBytes);
    }
}

void CopyKeyed(const Surface& dst, int dx, int dy, const Surface& src, const Box& s, DWORD key) {
    const int bytes = dst.PixelFormat().Bytes();
    if (&dst != &src) {
        if (const KeySpans* spans = SpansFor(src, key)) {
            for (int r = 0; r < s.H(); ++r) {
                const int y = s.t + r;
                const uint8_t* from = src.Row(y);
                uint8_t* to = dst.Row(dy + r) + (dx - s.l) * bytes;
                for (uint32_t i = spans->RowStart[static_cast<size_t>(y)];
                     i < spans->RowStart[static_cast<size_t>(y) + 1]; ++i) {
                    int a = spans->Runs[i].first, b = spans->Runs[i].second;
                    if (a < s.l) a = s.l;
                    if (b > s.r) b = s.r;
                    if (a < b)
                        std::memcpy(to + a * bytes, from + a * bytes,
                                    static_cast<size_t>(b - a) * bytes);
                }
            }
            return;
        }
    }
    const bool upward = &dst == &src && dy > s.t;
    const DWORD mask = src.PixelFormat().ColourMask();
    const RowKernels& k = Kernels();
    for (int i = 0; i < s.H(); ++i) {
        int r = upward ? s.H() - 1 - i : i;
        uint8_t* d = dst.Row(dy + r) + dx * bytes;
        const uint8_t* p = src.Row(s.t + r) + s.l * bytes;
        if (&dst == &src && dy + r == s.t + r && dx > s.l) {
            // Same row, moving right: go from the right end so nothing is read after being written.
            for (int x = s.W() - 1; x >= 0; --x) {
                DWORD v = Read(p + x * bytes, bytes);
                if ((v & mask) != key) Write(d + x * bytes, bytes, v);
            }
            continue;
        }
        switch (bytes) {
        case 4:
            k.Keyed32(reinterpret_cast<uint32_t*>(d), reinterpret_cast<const uint32_t*>(p), s.W(),
                      key);
            break;
        case 3:
            k.Keyed24(d, p, s.W(), key);
            break;
        case 2:
            k.Keyed16(reinterpret_cast<uint16_t*>(d), reinterpret_cast<const uint16_t*>(p), s.W(),
                      static_cast<uint16_t>(key));
            break;
        default:
            k.Keyed8(d, p, s.W(), static_cast<uint8_t>(key));
        }
    }
}

void FillBox(const Surface& dst, const Box& box, DWORD value) {
    const int bytes = dst.PixelFormat().Bytes();
    value &= bytes == 4 ? 0xFFFFFFFFu : (1u << (bytes * 8)) - 1;
    const int n = box.W();
    for (int y = box.t; y < box.b; ++y) {
        uint8_t* row = dst.Row(y) + box.l * bytes;
        switch (bytes) {
        case 4: {
            auto* p = reinterpret_cast<uint32_t*>(row);
            if (value == 0)
                std::memset(p, 0, static_cast<size_t>(n) * 4);
            else
                for (int x = 0; x < n; ++x)
                    p[x] = value;
            break;
        }
        case 2: {
            auto* p = reinterpret_cast<uint16_t*>(row);
            for (int x = 0; x < n; ++x)
                p[x] = static_cast<uint16_t>(value);
            break;
        }
        case 1:
            std::memset(row, static_cast<int>(value), static_cast<size_t>(n));
            break;
        default:
            for (int x = 0; x < n; ++x)
                Write(row + x * 3, 3, value);
        }
    }
}

void CopyGeneral(const Surface& dst, const Box& full, const Box& clip, const Surface& src,
                 const Box& s, bool keyed, DWORD key, bool mirrorX, bool mirrorY) {
    const int bytes = dst.PixelFormat().Bytes();
    const DWORD mask = src.PixelFormat().ColourMask();
    // Scaled copies within one surface read from a snapshot of the source rectangle.
    std::vector<uint8_t> snapshot;
    const uint8_t* base;
    ptrdiff_t pitch;
    if (&dst == &src) {
        pitch = static_cast<ptrdiff_t>(s.W()) * bytes;
        snapshot.resize(static_cast<size_t>(pitch) * s.H());
        for (int y = 0; y < s.H(); ++y)
            std::memcpy(snapshot.data() + y * pitch, src.Row(s.t + y) + s.l * bytes,
                        static_cast<size_t>(pitch));
        base = snapshot.data();
    } else {
        pitch = src.Pitch();
        base = src.Row(s.t) + s.l * bytes;
    }
    for (int y = clip.t; y < clip.b; ++y) {
        int fy = y - full.t;
        if (mirrorY) fy = full.H() - 1 - fy;
        int sy = static_cast<int>(static_cast<int64_t>(fy) * s.H() / full.H());
        const uint8_t* srow = base + sy * pitch;
        uint8_t* drow = dst.Row(y);
        for (int x = clip.l; x < clip.r; ++x) {
            int fx = x - full.l;
            if (mirrorX) fx = full.W() - 1 - fx;
            int sx = static_cast<int>(static_cast<int64_t>(fx) * s.W() / full.W());
            DWORD v = Read(srow + sx * bytes, bytes);
            if (keyed && (v & mask) == key) continue;
            Write(drow + x * bytes, bytes, v);
        }
    }
}

} // namespace ddraw
