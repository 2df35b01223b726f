// Wrapper base TDirectX and LoadPlatformFunction (run-time loaded platform modules).
#pragma once

#include <cstdint>
#include <string>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Persistent.h"

// Base of the errors the wrappers of platform objects raise (display and sound).
class EDirectXError : public Exception {
public:
    using Exception::Exception;
};

// Base of every wrapper of a platform object. LastResult is the result code of the last platform
// call (0 = success); writing a non-zero value calls CheckResult.
class TDirectX : public TPersistent {
public:
    const char* ClassName() const override { return "TDirectX"; }
    std::int32_t LastResult() const { return FLastResult; }
    void SetLastResult(std::int32_t value);

protected:
    virtual void CheckResult() {}

private:
    std::int32_t FLastResult = 0;
};

// Looks an entry up in a platform library, loading the library on first use. The library name is
// the platform's ("DDraw.dll"): it is lower-cased and ".dll" becomes ".so". Libraries are kept in
// one process-wide list and stay loaded. A library that cannot be loaded, or lacks the entry,
// raises Exception "%s not loaded" with the library file name as given.
void* LoadPlatformFunction(const std::string& fileName, const std::string& entryName);

template <typename F>
F LoadPlatformFunctionAs(const std::string& fileName, const std::string& entryName) {
    return reinterpret_cast<F>(LoadPlatformFunction(fileName, entryName));
}
