// Helpers shared by the picture store and the picture stream reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "graphics/DIB.h"

// Raises "Bitcount in invalid (%d)" or "PixelFormat in invalid" unless the pair is allowed.
void CheckDIBFormat(int bitCount, const TPixelFormat& format);

// Decodes 8-bit (bitCount 8) or 4-bit (bitCount 4) run-length data into top-down rows of
// widthBytes bytes; out may be null to only check the data. Pixels past a row's end are dropped;
// a run, literal or delta that leaves the bitmap's rows, or a literal cut short by the end of the
// data, makes the data invalid (false) and nothing is written beyond the bitmap in any case.
bool DecodeRLE(const std::uint8_t* data, std::size_t size, int bitCount, int width, int height,
               std::uint8_t* out, int widthBytes);

// Encodes top-down 8-bit rows of widthBytes bytes as 8-bit run-length data (bottom-up rows, each
// closed by an end-of-line code, the last by end-of-bitmap) that DecodeRLE turns back into them.
std::vector<std::uint8_t> EncodeRLE8(const std::uint8_t* pixels, int width, int height,
                                     int widthBytes);
