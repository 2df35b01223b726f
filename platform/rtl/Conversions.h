// Integer <-> text conversion of the run-time library.
#pragma once

#include <cstdint>
#include <string>

// Decimal text of the value: no sign for non-negative values, no padding.
std::string IntToStr(int32_t value);

// Parses decimal text (optionally hex with '$' or "0x"), with an optional sign and leading blanks.
// Anything else, or a value outside 32 bits, raises EConvertError
// "'%s' is not a valid integer value".
int32_t StrToInt(const std::string& text);
