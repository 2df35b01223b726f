// The run-time library's pseudo-random generator: a 32-bit linear congruential sequence.
#pragma once

#include <cstdint>

// Generator state; 0 when the program starts. Tests and the scramble may set it directly.
extern uint32_t RandSeed;

// Advances the state (s <- s * 134775813 + 1 mod 2^32) and returns the upper 32 bits of the
// 64-bit product s * n: a value in 0 .. n-1 for n > 0.
int32_t Random(int32_t n);
