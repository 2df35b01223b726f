// The run-time library's pseudo-random generator.
#include "platform/rtl/Random.h"

uint32_t RandSeed = 0;

int32_t Random(int32_t n) {
    RandSeed = RandSeed * 134775813u + 1u;
    const uint64_t product = uint64_t{RandSeed} * static_cast<uint32_t>(n);
    return static_cast<int32_t>(product >> 32);
}
