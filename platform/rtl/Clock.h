// The multimedia millisecond clock: a 32-bit count that wraps about every 49.7 days.
#pragma once

#include <cstdint>
#include <functional>

// Milliseconds since the clock's origin, modulo 2^32.
uint32_t TimeGetTime();

// Test seam: replaces the clock's source (an empty function restores the steady clock).
void SetClockSource(std::function<uint32_t()> source);
