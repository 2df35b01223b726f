// Builders of raw picture streams for the picture tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/DIB.h"

namespace dibtest {

using Bytes = std::vector<std::uint8_t>;

inline void Put16(Bytes& b, std::uint32_t v) {
    b.push_back(std::uint8_t(v));
    b.push_back(std::uint8_t(v >> 8));
}
inline void Put32(Bytes& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

// A 40-byte information header.
inline Bytes Header40(std::int32_t width, std::int32_t height, int bitCount,
                      std::uint32_t compression = 0, std::uint32_t imageSize = 0,
                      std::uint32_t colorsUsed = 0) {
    Bytes b;
    Put32(b, 40);
    Put32(b, std::uint32_t(width));
    Put32(b, std::uint32_t(height));
    Put16(b, 1);
    Put16(b, std::uint32_t(bitCount));
    Put32(b, compression);
    Put32(b, imageSize);
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, colorsUsed);
    Put32(b, 0);
    return b;
}

// count colour entries: entry i is (blue i, green 2i, red 3i).
inline void PutTable(Bytes& b, int count, int entrySize = 4) {
    for (int i = 0; i < count; ++i) {
        b.push_back(std::uint8_t(i));
        b.push_back(std::uint8_t(2 * i));
        b.push_back(std::uint8_t(3 * i));
        if (entrySize == 4) b.push_back(0);
    }
}

inline void Append(Bytes& b, const Bytes& more) {
    b.insert(b.end(), more.begin(), more.end());
}

inline TMemoryStream StreamOf(const Bytes& b) {
    return TMemoryStream(b);
}

} // namespace dibtest
