// Row kernels of the pixel copies in three builds (plain C++, SSE2, AVX2), one chosen at run time.
#pragma once

#include <cstdint>

namespace ddraw {

// The builds, lowest first; each gives exactly the results of the plain one.
enum class KernelLevel : int { Plain = 0, Sse2 = 1, Avx2 = 2 };

struct RowKernels {
    // Keyed copies of n pixels: every source pixel whose colour bits differ from key replaces the
    // destination pixel (32-bit pixels compare their low 24 bits and copy all 32). d and s may lie
    // in one row as long as d is not to the right of s.
    void (*Keyed8)(uint8_t* d, const uint8_t* s, int n, uint8_t key);
    void (*Keyed16)(uint16_t* d, const uint16_t* s, int n, uint16_t key);
    void (*Keyed24)(uint8_t* d, const uint8_t* s, int n, uint32_t key);
    void (*Keyed32)(uint32_t* d, const uint32_t* s, int n, uint32_t key);
    // Copies n 32-bit pixels, setting the top byte.
    void (*Opaque32)(uint32_t* d, const uint32_t* s, int n);
    // Index of the first pixel of d that differs from s with its top byte set, or n.
    int (*FirstChange32)(const uint32_t* d, const uint32_t* s, int n);
    // One past the last such pixel in [from, n); from when there is none.
    int (*EndOfChange32)(const uint32_t* d, const uint32_t* s, int from, int n);
};

// The kernels in force: the best this processor runs, unless lowered by SetKernelLevel or the
// environment variable ZELVAN_DDRAW_KERNELS (plain, sse2 or avx2).
const RowKernels& Kernels();
KernelLevel CurrentKernelLevel();
// Asks for a build; a level this processor cannot run gives the best one below it. Returns the
// level now in force.
KernelLevel SetKernelLevel(KernelLevel wanted);

// The builds themselves; the AVX2 one only where the compiler can make it (null otherwise).
const RowKernels& PlainKernels();
const RowKernels* Sse2Kernels();
const RowKernels* Avx2Kernels();

} // namespace ddraw
