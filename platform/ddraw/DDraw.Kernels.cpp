// Row kernels: the plain and SSE2 builds, and the choice of the build in force.
#include "platform/ddraw/DDraw.Kernels.h"

#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace ddraw {

namespace {

template <typename T> void KeyedPlain(T* d, const T* s, int n, T key) {
    for (int i = 0; i < n; ++i)
        if (s[i] != key) d[i] = s[i];
}
void Keyed8Plain(uint8_t* d, const uint8_t* s, int n, uint8_t key) {
    KeyedPlain(d, s, n, key);
}
void Keyed16Plain(uint16_t* d, const uint16_t* s, int n, uint16_t key) {
    KeyedPlain(d, s, n, key);
}
void Keyed24Plain(uint8_t* d, const uint8_t* s, int n, uint32_t key) {
    for (int i = 0; i < n; ++i) {
        const uint8_t* p = s + 3 * i;
        if (static_cast<uint32_t>(p[0] | p[1] << 8 | p[2] << 16) != key) {
            uint8_t* q = d + 3 * i;
            q[0] = p[0];
            q[1] = p[1];
            q[2] = p[2];
        }
    }
}
void Keyed32Plain(uint32_t* d, const uint32_t* s, int n, uint32_t key) {
    for (int i = 0; i < n; ++i)
        if ((s[i] & 0x00FFFFFFu) != key) d[i] = s[i];
}
void Opaque32Plain(uint32_t* d, const uint32_t* s, int n) {
    for (int i = 0; i < n; ++i)
        d[i] = s[i] | 0xFF000000u;
}
int FirstChange32Plain(const uint32_t* d, const uint32_t* s, int n) {
    int i = 0;
    while (i < n && (s[i] | 0xFF000000u) == d[i])
        ++i;
    return i;
}
int EndOfChange32Plain(const uint32_t* d, const uint32_t* s, int from, int n) {
    int j = n;
    while (j > from && (s[j - 1] | 0xFF000000u) == d[j - 1])
        --j;
    return j;
}

const RowKernels Plain{Keyed8Plain,   Keyed16Plain,       Keyed24Plain,      Keyed32Plain,
                       Opaque32Plain, FirstChange32Plain, EndOfChange32Plain};

#if defined(__SSE2__)
inline __m128i Load(const void* p) {
    return _mm_loadu_si128(static_cast<const __m128i*>(p));
}
inline void Store(void* p, __m128i v) {
    _mm_storeu_si128(static_cast<__m128i*>(p), v);
}
// Where m is all ones the destination stays, elsewhere the source comes in.
inline __m128i Keep(__m128i m, __m128i d, __m128i s) {
    return _mm_or_si128(_mm_and_si128(m, d), _mm_andnot_si128(m, s));
}

void Keyed8Sse2(uint8_t* d, const uint8_t* s, int n, uint8_t key) {
    const __m128i k = _mm_set1_epi8(static_cast<char>(key));
    int i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m128i v = Load(s + i);
        const __m128i m = _mm_cmpeq_epi8(v, k);
        if (_mm_movemask_epi8(m) == 0xFFFF) continue;
        Store(d + i, Keep(m, Load(d + i), v));
    }
    KeyedPlain(d + i, s + i, n - i, key);
}

void Keyed16Sse2(uint16_t* d, const uint16_t* s, int n, uint16_t key) {
    const __m128i k = _mm_set1_epi16(static_cast<short>(key));
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m128i v = Load(s + i);
        const __m128i m = _mm_cmpeq_epi16(v, k);
        if (_mm_movemask_epi8(m) == 0xFFFF) continue;
        Store(d + i, Keep(m, Load(d + i), v));
    }
    KeyedPlain(d + i, s + i, n - i, key);
}

// 16 pixels of three bytes are three vectors; a byte is "key" when it equals the key's byte at
// its place in the pixel, and a pixel is see-through when all three of its bytes are.
void Keyed24Sse2(uint8_t* d, const uint8_t* s, int n, uint32_t key) {
    alignas(16) uint8_t pattern[48];
    for (int j = 0; j < 48; ++j)
        pattern[j] = static_cast<uint8_t>(key >> (8 * (j % 3)));
    const __m128i k0 = Load(pattern), k1 = Load(pattern + 16), k2 = Load(pattern + 32);
    constexpr uint64_t all = (uint64_t(1) << 48) - 1;
    constexpr uint64_t firstBytes = 0x249249249249ull; // bit 3p for p = 0..15
    int i = 0;
    for (; i + 16 <= n; i += 16) {
        const uint8_t* p = s + 3 * i;
        const __m128i v0 = Load(p), v1 = Load(p + 16), v2 = Load(p + 32);
        const uint64_t m = uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v0, k0)))) |
                           uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v1, k1)))) << 16 |
                           uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v2, k2)))) << 32;
        if (m == all) continue;
        uint8_t* q = d + 3 * i;
        if ((m & m >> 1 & m >> 2 & firstBytes) == 0) {
            Store(q, v0);
            Store(q + 16, v1);
            Store(q + 32, v2);
            continue;
        }
        Keyed24Plain(q, p, 16, key);
    }
    Keyed24Plain(d + 3 * i, s + 3 * i, n - i, key);
}

void Keyed32Sse2(uint32_t* d, const uint32_t* s, int n, uint32_t key) {
    const __m128i k = _mm_set1_epi32(static_cast<int>(key));
    const __m128i colour = _mm_set1_epi32(0x00FFFFFF);
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m128i v0 = Load(s + i), v1 = Load(s + i + 4);
        const __m128i m0 = _mm_cmpeq_epi32(_mm_and_si128(v0, colour), k);
        const __m128i m1 = _mm_cmpeq_epi32(_mm_and_si128(v1, colour), k);
        if ((_mm_movemask_epi8(m0) & _mm_movemask_epi8(m1)) == 0xFFFF) continue;
        const __m128i d0 = Load(d + i), d1 = Load(d + i + 4);
        Store(d + i, Keep(m0, d0, v0));
        Store(d + i + 4, Keep(m1, d1, v1));
    }
    Keyed32Plain(d + i, s + i, n - i, key);
}

void Opaque32Sse2(uint32_t* d, const uint32_t* s, int n) {
    const __m128i top = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        Store(d + i, _mm_or_si128(Load(s + i), top));
        Store(d + i + 4, _mm_or_si128(Load(s + i + 4), top));
    }
    Opaque32Plain(d + i, s + i, n - i);
}

// Whether 16 pixels of d differ anywhere from s with its top byte set.
inline bool Differs16(const uint32_t* d, const uint32_t* s) {
    const __m128i top = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    __m128i diff = _mm_setzero_si128();
    for (int k = 0; k < 16; k += 4)
        diff = _mm_or_si128(diff, _mm_xor_si128(_mm_or_si128(Load(s + k), top), Load(d + k)));
    return _mm_movemask_epi8(_mm_cmpeq_epi32(diff, _mm_setzero_si128())) != 0xFFFF;
}
int FirstChange32Sse2(const uint32_t* d, const uint32_t* s, int n) {
    int i = 0;
    while (i + 16 <= n && !Differs16(d + i, s + i))
        i += 16;
    return i + FirstChange32Plain(d + i, s + i, n - i);
}
int EndOfChange32Sse2(const uint32_t* d, const uint32_t* s, int from, int n) {
    int j = n;
    while (j - 16 >= from && !Differs16(d + j - 16, s + j - 16))
        j -= 16;
    return EndOfChange32Plain(d, s, from, j);
}

const RowKernels Sse2{Keyed8Sse2,   Keyed16Sse2,       Keyed24Sse2,      Keyed32Sse2,
                      Opaque32Sse2, FirstChange32Sse2, EndOfChange32Sse2};
#endif

bool Runs(KernelLevel level) {
    switch (level) {
    case KernelLevel::Plain:
        return true;
    case KernelLevel::Sse2:
        return Sse2Kernels() != nullptr;
    case KernelLevel::Avx2:
#if defined(__x86_64__) && defined(__GNUC__)
        return Avx2Kernels() != nullptr && __builtin_cpu_supports("avx2");
#else
        return false;
#endif
    }
    return false;
}

const RowKernels& Of(KernelLevel level) {
    switch (level) {
    case KernelLevel::Avx2:
        return *Avx2Kernels();
    case KernelLevel::Sse2:
        return *Sse2Kernels();
    default:
        return Plain;
    }
}

KernelLevel Best(KernelLevel ceiling) {
    int level = static_cast<int>(ceiling);
    while (level > 0 && !Runs(static_cast<KernelLevel>(level)))
        --level;
    return static_cast<KernelLevel>(level);
}

KernelLevel FromEnvironment() {
    const char* wanted = std::getenv("ZELVAN_DDRAW_KERNELS");
    if (!wanted) return KernelLevel::Avx2;
    if (std::strcmp(wanted, "plain") == 0) return KernelLevel::Plain;
    if (std::strcmp(wanted, "sse2") == 0) return KernelLevel::Sse2;
    return KernelLevel::Avx2;
}

struct Choice {
    KernelLevel Level;
    const RowKernels* Set;
};
Choice& InForce() {
    static Choice choice = [] {
        const KernelLevel level = Best(FromEnvironment());
        return Choice{level, &Of(level)};
    }();
    return choice;
}

} // namespace

const RowKernels& PlainKernels() {
    return Plain;
}

const RowKernels* Sse2Kernels() {
#if defined(__SSE2__)
    return &Sse2;
#else
    return nullptr;
#endif
}

const RowKernels& Kernels() {
    return *InForce().Set;
}

KernelLevel CurrentKernelLevel() {
    return InForce().Level;
}

KernelLevel SetKernelLevel(KernelLevel wanted) {
    const KernelLevel level = Best(wanted);
    InForce() = Choice{level, &Of(level)};
    return level;
}

} // namespace ddraw
