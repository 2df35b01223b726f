// Pixel kernels of the display device: fills, opaque and keyed copies, scaled and mirrored copies.
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/ddraw/DDraw.Blit.h"

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

// Keyed row copy for 32-bit pixels: every source pixel whose colour bits differ from the key
// replaces the destination pixel.
void KeyedRow32(uint32_t* d, const uint32_t* s, int n, uint32_t key) {
    int i = 0;
#if defined(__SSE2__)
    const __m128i vkey = _mm_set1_epi32(static_cast<int>(key));
    const __m128i vmask = _mm_set1_epi32(0x00FFFFFF);
    for (; i + 8 <= n; i += 8) {
        __m128i s0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        __m128i s1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 4));
        __m128i k0 = _mm_cmpeq_epi32(_mm_and_si128(s0, vmask), vkey);
        __m128i k1 = _mm_cmpeq_epi32(_mm_and_si128(s1, vmask), vkey);
        int m0 = _mm_movemask_epi8(k0), m1 = _mm_movemask_epi8(k1);
        if ((m0 & m1) == 0xFFFF) continue; // all eight see-through
        __m128i d0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
        __m128i d1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i + 4));
        d0 = _mm_or_si128(_mm_and_si128(k0, d0), _mm_andnot_si128(k0, s0));
        d1 = _mm_or_si128(_mm_and_si128(k1, d1), _mm_andnot_si128(k1, s1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), d0);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i + 4), d1);
    }
#endif
    for (; i < n; ++i) {
        uint32_t v = s[i];
        if ((v & 0x00FFFFFFu) != key) d[i] = v;
    }
}

template <typename T> void KeyedRow(T* d, const T* s, int n, T key) {
    for (int i = 0; i < n; ++i) {
        T v = s[i];
        if (v != key) d[i] = v;
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

namespace {
void OpaqueRow32Plain(uint32_t* __restrict d, const uint32_t* __restrict s, int n) {
    for (int i = 0; i < n; ++i)
        d[i] = s[i] | 0xFF000000u;
}
#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target("avx2"))) void OpaqueRow32Wide(uint32_t* __restrict d,
                                                     const uint32_t* __restrict s, int n) {
    for (int i = 0; i < n; ++i)
        d[i] = s[i] | 0xFF000000u;
}
#endif
} // namespace

void OpaqueRow32(uint32_t* d, const uint32_t* s, int n) {
#if defined(__x86_64__) && defined(__GNUC__)
    static const bool wide = __builtin_cpu_supports("avx2");
    if (wide) {
        OpaqueRow32Wide(d, s, n);
        return;
    }
#endif
    OpaqueRow32Plain(d, s, n);
}

namespace {
// Whether 16 pixels of d differ anywhere from s (top byte set).
inline bool BlockDiffers(const uint32_t* d, const uint32_t* s) {
#if defined(__SSE2__)
    const __m128i top = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    __m128i diff = _mm_setzero_si128();
    for (int k = 0; k < 16; k += 4) {
        const __m128i a =
            _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + k)), top);
        diff = _mm_or_si128(
            diff, _mm_xor_si128(a, _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + k))));
    }
    return _mm_movemask_epi8(_mm_cmpeq_epi32(diff, _mm_setzero_si128())) != 0xFFFF;
#else
    uint32_t diff = 0;
    for (int k = 0; k < 16; ++k)
        diff |= (s[k] | 0xFF000000u) ^ d[k];
    return diff != 0;
#endif
}
// Index of the first pixel of d that differs from s (top byte set), or n.
int FirstChange(const uint32_t* d, const uint32_t* s, int n) {
    int i = 0;
    while (i + 16 <= n && !BlockDiffers(d + i, s + i))
        i += 16;
    while (i < n && (s[i] | 0xFF000000u) == d[i])
        ++i;
    return i;
}
// One past the last pixel of d in [from, n) that differs from s; from when none does.
int EndOfChange(const uint32_t* d, const uint32_t* s, int from, int n) {
    int j = n;
    while (j - 16 >= from && !BlockDiffers(d + j - 16, s + j - 16))
        j -= 16;
    while (j > from && (s[j - 1] | 0xFF000000u) == d[j - 1])
        --j;
    return j;
}
} // namespace

bool UpdateRow32(uint32_t* d, const uint32_t* s, int n, int& first, int& last) {
    first = FirstChange(d, s, n);
    if (first == n) return false;
    last = EndOfChange(d, s, first, n);
    OpaqueRow32(d + first, s + first, last - first);
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
    for (int i = 0; i < s.H(); ++i) {
        int r = upward ? s.H() - 1 - i : i;
        uint8_t* d = dst.Row(dy + r) + dx * bytes;
        const uint8_t* p = src.Row(s.t + r) + s.l * bytes;
        if (&dst == &src && dy + r == s.t + r && dx > s.l) {
            // Same row, moving right: go from the right end so nothing is read after being written.
            for (int x = s.W() - 1; x >= 0; --x) {
                DWORD v = Read(p + x * bytes, bytes);
                if (v != key) Write(d + x * bytes, bytes, v);
            }
            continue;
        }
        switch (bytes) {
        case 4:
            KeyedRow32(reinterpret_cast<uint32_t*>(d), reinterpret_cast<const uint32_t*>(p), s.W(),
                       key);
            break;
        case 2:
            KeyedRow(reinterpret_cast<uint16_t*>(d), reinterpret_cast<const uint16_t*>(p), s.W(),
                     static_cast<uint16_t>(key));
            break;
        case 1:
            KeyedRow(d, p, s.W(), static_cast<uint8_t>(key));
            break;
        default:
            for (int x = 0; x < s.W(); ++x) {
                DWORD v = Read(p + x * 3, 3);
                if (v != key) Write(d + x * 3, 3, v);
            }
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
