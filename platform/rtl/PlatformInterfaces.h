// Integer types, identifiers and the reference-counted interface base shared by the platform
// modules.
#pragma once

#include <cstdint>

#include "platform/rtl/Types.h"

using BOOL = int32_t;
using HRESULT = int32_t;
using HANDLE = void*;
using LPVOID = void*;

// A 16-byte interface or driver identifier.
struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};
using IID = GUID;
using REFIID = const IID&;
inline bool operator==(const GUID& a, const GUID& b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i]) return false;
    return true;
}
static_assert(sizeof(GUID) == 16);

constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// Every module object is reference counted: creation hands out one reference, AddRef adds one,
// Release drops one and frees the object at zero (returning the new count). QueryInterface hands
// out the same object, with one more reference, for every interface it implements.
struct IUnknown {
    virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
    virtual DWORD AddRef() = 0;
    virtual DWORD Release() = 0;

protected:
    virtual ~IUnknown() = default;
};
