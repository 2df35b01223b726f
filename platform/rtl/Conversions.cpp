// Integer <-> text conversion.
#include "platform/rtl/Conversions.h"

#include "platform/rtl/Exceptions.h"

std::string IntToStr(int32_t value) {
    return std::to_string(value);
}

int32_t StrToInt(const std::string& text) {
    auto fail = [&]() -> int32_t {
        throw EConvertError(Format("'%s' is not a valid integer value", text.c_str()));
    };
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size()) return fail();
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return fail();
        value = value * base + digit;
        // Hex text may spell the full 32-bit pattern; decimal must fit the signed range.
        if (value > (base == 16 ? int64_t{0xFFFFFFFF} : int64_t{0x80000000})) return fail();
    }
    if (base == 16) return static_cast<int32_t>(static_cast<uint32_t>(negative ? -value : value));
    if (negative) value = -value;
    if (value > INT32_MAX) return fail();
    return static_cast<int32_t>(value);
}
