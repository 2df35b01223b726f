// Row kernels: the AVX2 build, compiled for AVX2 whatever the rest of the module is built for and
// only ever called on a processor that has it.
#include "platform/ddraw/DDraw.Kernels.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>

#define WIDE __attribute__((target("avx2")))

namespace ddraw {

namespace {

WIDE inline __m256i Load(const void* p) {
    return _mm256_loadu_si256(static_cast<const __m256i*>(p));
}
WIDE inline void Store(void* p, __m256i v) {
    _mm256_storeu_si256(static_cast<__m256i*>(p), v);
}
// Where m is all ones the destination stays, elsewhere the source comes in.
WIDE inline __m256i Keep(__m256i m, __m256i d, __m256i s) {
    return _mm256_blendv_epi8(s, d, m);
}

// The tails (fewer pixels than a vector) go through the plain kernels.
const RowKernels& Tail() {
    return PlainKernels();
}

WIDE void Keyed8Avx2(uint8_t* d, const uint8_t* s, int n, uint8_t key) {
    const __m256i k = _mm256_set1_epi8(static_cast<char>(key));
    int i = 0;
    for (; i + 32 <= n; i += 32) {
        const __m256i v = Load(s + i);
        const __m256i m = _mm256_cmpeq_epi8(v, k);
        if (_mm256_movemask_epi8(m) == -1) continue;
        Store(d + i, Keep(m, Load(d + i), v));
    }
    Tail().Keyed8(d + i, s + i, n - i, key);
}

WIDE void Keyed16Avx2(uint16_t* d, const uint16_t* s, int n, uint16_t key) {
    const __m256i k = _mm256_set1_epi16(static_cast<short>(key));
    int i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m256i v = Load(s + i);
        const __m256i m = _mm256_cmpeq_epi16(v, k);
        if (_mm256_movemask_epi8(m) == -1) continue;
        Store(d + i, Keep(m, Load(d + i), v));
    }
    Tail().Keyed16(d + i, s + i, n - i, key);
}

// 32 pixels of three bytes are three vectors; a pixel is see-through when all three of its bytes
// equal the key's. Blocks wholly see-through are skipped, blocks with no see-through pixel are
// stored whole, and the mixed ones go pixel by pixel.
WIDE void Keyed24Avx2(uint8_t* d, const uint8_t* s, int n, uint32_t key) {
    alignas(32) uint8_t pattern[96];
    for (int j = 0; j < 96; ++j)
        pattern[j] = static_cast<uint8_t>(key >> (8 * (j % 3)));
    const __m256i k0 = Load(pattern), k1 = Load(pattern + 32), k2 = Load(pattern + 64);
    // Bit 3p for p = 0..31: the first byte of every pixel of a block.
    unsigned __int128 firstBytes = 0;
    for (int p = 0; p < 32; ++p)
        firstBytes |= static_cast<unsigned __int128>(1) << (3 * p);
    int i = 0;
    for (; i + 32 <= n; i += 32) {
        const uint8_t* p = s + 3 * i;
        const __m256i v0 = Load(p), v1 = Load(p + 32), v2 = Load(p + 64);
        const uint32_t m0 = static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v0, k0)));
        const uint32_t m1 = static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v1, k1)));
        const uint32_t m2 = static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v2, k2)));
        if ((m0 & m1 & m2) == 0xFFFFFFFFu) continue;
        const unsigned __int128 m = static_cast<unsigned __int128>(m0) |
                                    static_cast<unsigned __int128>(m1) << 32 |
                                    static_cast<unsigned __int128>(m2) << 64;
        const bool anyKey = (m & m >> 1 & m >> 2 & firstBytes) != 0;
        uint8_t* q = d + 3 * i;
        if (!anyKey) {
            Store(q, v0);
            Store(q + 32, v1);
            Store(q + 64, v2);
            continue;
        }
        Tail().Keyed24(q, p, 32, key);
    }
    Tail().Keyed24(d + 3 * i, s + 3 * i, n - i, key);
}

WIDE void Keyed32Avx2(uint32_t* d, const uint32_t* s, int n, uint32_t key) {
    const __m256i k = _mm256_set1_epi32(static_cast<int>(key));
    const __m256i colour = _mm256_set1_epi32(0x00FFFFFF);
    int i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m256i v0 = Load(s + i), v1 = Load(s + i + 8);
        const __m256i m0 = _mm256_cmpeq_epi32(_mm256_and_si256(v0, colour), k);
        const __m256i m1 = _mm256_cmpeq_epi32(_mm256_and_si256(v1, colour), k);
        if ((_mm256_movemask_epi8(m0) & _mm256_movemask_epi8(m1)) == -1) continue;
        const __m256i d0 = Load(d + i), d1 = Load(d + i + 8);
        Store(d + i, Keep(m0, d0, v0));
        Store(d + i + 8, Keep(m1, d1, v1));
    }
    Tail().Keyed32(d + i, s + i, n - i, key);
}

WIDE void Opaque32Avx2(uint32_t* d, const uint32_t* s, int n) {
    const __m256i top = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
    int i = 0;
    for (; i + 16 <= n; i += 16) {
        Store(d + i, _mm256_or_si256(Load(s + i), top));
        Store(d + i + 8, _mm256_or_si256(Load(s + i + 8), top));
    }
    Tail().Opaque32(d + i, s + i, n - i);
}

// Whether 32 pixels of d differ anywhere from s with its top byte set.
WIDE inline bool Differs32(const uint32_t* d, const uint32_t* s) {
    const __m256i top = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
    __m256i diff = _mm256_setzero_si256();
    for (int k = 0; k < 32; k += 8)
        diff = _mm256_or_si256(diff, _mm256_xor_si256(_mm256_or_si256(Load(s + k), top), Load(d + k)));
    return !_mm256_testz_si256(diff, diff);
}
WIDE int FirstChange32Avx2(const uint32_t* d, const uint32_t* s, int n) {
    int i = 0;
    while (i + 32 <= n && !Differs32(d + i, s + i))
        i += 32;
    return i + Tail().FirstChange32(d + i, s + i, n - i);
}
WIDE int EndOfChange32Avx2(const uint32_t* d, const uint32_t* s, int from, int n) {
    int j = n;
    while (j - 32 >= from && !Differs32(d + j - 32, s + j - 32))
        j -= 32;
    return Tail().EndOfChange32(d, s, from, j);
}

const RowKernels Avx2{Keyed8Avx2,   Keyed16Avx2,       Keyed24Avx2,      Keyed32Avx2,
                      Opaque32Avx2, FirstChange32Avx2, EndOfChange32Avx2};

} // namespace

const RowKernels* Avx2Kernels() {
    return &Avx2;
}

} // namespace ddraw

#else

namespace ddraw {
const RowKernels* Avx2Kernels() {
    return nullptr;
}
} // namespace ddraw

#endif
