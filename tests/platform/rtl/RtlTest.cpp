// Conversion, random sequence, clock seam, list error, streams and assignment of the run-time
// library.
#include <gtest/gtest.h>

#include "platform/rtl/Clock.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/Random.h"
#include "platform/rtl/Streams.h"

TEST(Conversions, IntegerTextRoundTrips) {
    EXPECT_EQ(IntToStr(0), "0");
    EXPECT_EQ(IntToStr(1000), "1000");
    EXPECT_EQ(IntToStr(-7), "-7");
    EXPECT_EQ(StrToInt("1000"), 1000);
    EXPECT_EQ(StrToInt(" 42"), 42);
    EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
    EXPECT_EQ(StrToInt("2147483647"), INT32_MAX);
    EXPECT_EQ(StrToInt("$FF"), 255);
}

TEST(Conversions, BadTextRaisesConvertErrorWithTheText) {
    for (const char* bad : {"", "abc", "12a", "2147483648", "-2147483649", " ", "-", "1 "}) {
        try {
            StrToInt(bad);
            ADD_FAILURE() << "no error for '" << bad << "'";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message, std::string("'") + bad + "' is not a valid integer value");
        }
    }
}

TEST(Random, FollowsTheLinearCongruentialSequenceFromZero) {
    RandSeed = 0;
    // First state is 1: upper 32 bits of 1 * 100 are 0.
    EXPECT_EQ(Random(100), 0);
    EXPECT_EQ(RandSeed, 1u);
    // Second state 134775814: (134775814 * 100) >> 32 = 3.
    EXPECT_EQ(Random(100), 3);
    EXPECT_EQ(RandSeed, 134775814u);
    uint32_t s = RandSeed;
    for (int i = 0; i < 1000; ++i) {
        s = s * 134775813u + 1u;
        const int32_t expected = static_cast<int32_t>((uint64_t{s} * 10u) >> 32);
        const int32_t got = Random(10);
        ASSERT_EQ(got, expected);
        ASSERT_GE(got, 0);
        ASSERT_LT(got, 10);
    }
}

TEST(Clock, SeamReplacesAndRestoresTheSource) {
    uint32_t fake = 0xFFFFFFF0u;
    SetClockSource([&] { return fake; });
    EXPECT_EQ(TimeGetTime(), 0xFFFFFFF0u);
    fake += 0x20; // wraps
    EXPECT_EQ(TimeGetTime(), 0x10u);
    SetClockSource({});
    const uint32_t a = TimeGetTime();
    const uint32_t b = TimeGetTime();
    EXPECT_LE(static_cast<uint32_t>(b - a), 1000u);
}

TEST(Exceptions, ListErrorCarriesTheIndex) {
    try {
        ListIndexError(-3);
        FAIL();
    } catch (const EListError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (-3)");
    }
    EXPECT_EQ(Format("%s cannot be made", "Surface"), "Surface cannot be made");
}

TEST(StreamTest, ShortReadsRaiseAndMemoryStreamsGrow) {
    TMemoryStream s;
    const char data[] = "abcdef";
    s.WriteBuffer(data, 6);
    EXPECT_EQ(s.Size(), 6);
    s.SetPosition(4);
    char buf[4] = {};
    EXPECT_THROW(s.ReadBuffer(buf, 3), EReadError);
    s.SetPosition(4);
    EXPECT_EQ(s.Read(buf, 4), 2u);
    EXPECT_EQ(s.Remaining(), 0);
    TReadOnlyMemoryStream r(data, 3);
    EXPECT_EQ(r.Read(buf, 4), 3u);
    EXPECT_EQ(r.Read(buf, 4), 0u);
    try {
        r.ReadBuffer(buf, 1);
        FAIL();
    } catch (const EReadError& e) {
        EXPECT_STREQ(e.what(), "Stream read error");
    }
}

TEST(PersistentTest, UnrelatedAssignmentIsRefused) {
    TPersistent a, b;
    EXPECT_THROW(a.Assign(&b), EConvertError);
    EXPECT_THROW(a.Assign(nullptr), EConvertError);
}
