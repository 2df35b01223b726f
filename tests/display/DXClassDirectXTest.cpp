// Tests of the wrapper base and of loading platform libraries at run time.
#include <gtest/gtest.h>

#include "platform/ui/DirectX.h"
#include "platform/rtl/Exceptions.h"

namespace {

class TCountingWrapper : public TDirectX {
public:
    int Checks = 0;

protected:
    void CheckResult() override { ++Checks; }
};

TEST(DirectX, WritingANonZeroResultCallsCheckResult) {
    TCountingWrapper w;
    w.SetLastResult(0);
    EXPECT_EQ(w.Checks, 0);
    w.SetLastResult(-5);
    EXPECT_EQ(w.LastResult(), -5);
    EXPECT_EQ(w.Checks, 1);
}

TEST(DirectX, LoadPlatformFunctionFindsTheModuleWhateverTheCaseOfItsName) {
    void* a = LoadPlatformFunction("DDraw.dll", "DirectDrawCreateEx");
    void* b = LoadPlatformFunction("DDRAW.DLL", "DirectDrawCreateEx");
    EXPECT_NE(a, nullptr);
    EXPECT_EQ(a, b);
}

TEST(DirectX, MissingLibrariesAndEntriesAreNamedByTheLibrary) {
    try {
        LoadPlatformFunction("NoSuch.dll", "DirectDrawCreate");
        ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "NoSuch.dll not loaded");
    }
    try {
        LoadPlatformFunction("DDraw.dll", "NoSuchEntry");
        ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "DDraw.dll not loaded");
    }
    // A name with a path never reaches outside the module directories.
    EXPECT_THROW(LoadPlatformFunction("../bin/ddraw.dll", "DirectDrawCreate"), Exception);
    EXPECT_THROW(LoadPlatformFunction("", "DirectDrawCreate"), Exception);
}

} // namespace
