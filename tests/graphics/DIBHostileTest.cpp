// Malformed and hostile picture data: clear errors, nothing allocated on trust, the picture kept.
#include <gtest/gtest.h>

#include <climits>

#include "graphics/DIB.h"
#include "tests/graphics/DIBTestData.h"

using namespace dibtest;

namespace {

// Loads a known 2 × 2 8-bit picture, then reads the bad data into it and reports the error class
// and message; the picture must be unchanged afterwards.
class DIBHostileTest : public ::testing::Test {
protected:
    void SetUp() override {
        Bytes good = Header40(2, 2, 8);
        PutTable(good, 256);
        Append(good, {1, 2, 0, 0, 3, 4, 0, 0});
        TMemoryStream s(good);
        Dib.ReadDIBData(s);
        TMemoryStream w;
        Dib.WriteDIBData(w);
        Before = w.Bytes();
    }

    std::string Error(const Bytes& data) {
        std::string result = "no error";
        try {
            TMemoryStream s(data);
            Dib.ReadDIBData(s);
        } catch (const EReadError& e) {
            result = std::string("read: ") + e.what();
        } catch (const EInvalidGraphic& e) {
            result = e.what();
        } catch (const EInvalidGraphicOperation& e) {
            result = std::string("op: ") + e.what();
        } catch (const std::exception& e) {
            result = std::string("other: ") + e.what();
        }
        if (result == "no error") return result;
        TMemoryStream w;
        Dib.WriteDIBData(w);
        EXPECT_EQ(w.Bytes(), Before) << "picture changed by a failed read";
        return result;
    }

    TDIB Dib;
    Bytes Before;
};

const std::string kInvalid = "DIB is invalid";
const std::string kReadError = "read: Stream read error";

TEST_F(DIBHostileTest, HeaderSizesAndShortHeaders) {
    EXPECT_EQ(Error({40}), kInvalid);
    EXPECT_EQ(Error({40, 0, 0}), kInvalid);
    Bytes odd;
    Put32(odd, 20);
    odd.resize(64);
    EXPECT_EQ(Error(odd), kInvalid);
    Bytes cut = Header40(2, 2, 8);
    cut.resize(30);
    EXPECT_EQ(Error(cut), kReadError);
    EXPECT_EQ(Error(Header40(2, 2, 8, 4)), kInvalid);
}

TEST_F(DIBHostileTest, BitCountsAndMasks) {
    Bytes zero = Header40(2, 2, 0);
    zero.resize(200);
    EXPECT_EQ(Error(zero), "op: Bitcount in invalid (0)");
    Bytes seven = Header40(2, 2, 7);
    seven.resize(2000);
    EXPECT_EQ(Error(seven), "op: Bitcount in invalid (7)");

    auto masked = [](std::uint32_t r, std::uint32_t g, std::uint32_t b, int bits = 32) {
        Bytes d = Header40(1, 1, bits, 3);
        Put32(d, r);
        Put32(d, g);
        Put32(d, b);
        d.resize(d.size() + 4);
        return d;
    };
    EXPECT_EQ(Error(masked(0, 0, 0)), "op: PixelFormat in invalid");
    EXPECT_EQ(Error(masked(0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF)), "op: PixelFormat in invalid");
    // Same counts as 8-8-8 but overlapping or swapped: would otherwise read the wrong colours.
    EXPECT_EQ(Error(masked(0xFF00, 0xFF00, 0xFF)), "op: PixelFormat in invalid");
    EXPECT_EQ(Error(masked(0xFF, 0xFF00, 0xFF0000)), "op: PixelFormat in invalid");
    EXPECT_EQ(Error(masked(0x7C00, 0x3E0, 0x1F)), "op: PixelFormat in invalid");
    EXPECT_EQ(Error(masked(0xF800, 0x7E0, 0x1F, 16)), "no error");
    EXPECT_EQ(Dib.BitCount(), 16);
}

TEST_F(DIBHostileTest, SizesThatOverflowOrLieAreRefusedBeforeAllocating) {
    EXPECT_EQ(Error(Header40(INT_MAX, INT_MAX, 32)), kInvalid);
    EXPECT_EQ(Error(Header40(0x40000000, 4, 32)), kInvalid);
    EXPECT_EQ(Error(Header40(2, INT_MIN, 8)), kInvalid);
    EXPECT_EQ(Error(Header40(-2, 2, 8)), kInvalid);
    // Plausible sizes whose pixels are not there: read error, no 64 MB allocation on trust.
    Bytes big = Header40(8192, 2048, 32);
    EXPECT_EQ(Error(big), kReadError);
    Bytes shortTable = Header40(2, 2, 8);
    PutTable(shortTable, 100);
    EXPECT_EQ(Error(shortTable), kReadError);
    Bytes manyColours = Header40(1, 1, 24, 0, 0, 0xFFFFFFF0u);
    EXPECT_EQ(Error(manyColours), kReadError);
    Bytes shortPixels = Header40(2, 2, 8);
    PutTable(shortPixels, 256);
    Append(shortPixels, {1, 2, 0, 0, 3});
    EXPECT_EQ(Error(shortPixels), kReadError);
    Bytes rleLie = Header40(4, 4, 8, 1, 0x7FFFFFFF);
    PutTable(rleLie, 256);
    Append(rleLie, {0, 1});
    EXPECT_EQ(Error(rleLie), kReadError);
}

TEST_F(DIBHostileTest, ColourIndicesBeyondTheTableReadZeroedEntries) {
    Bytes d = Header40(2, 1, 4, 0, 0, 2);
    PutTable(d, 2);
    d[40 + 4 + 2] = 200; // entry 1 red
    Append(d, {0x1F, 0, 0, 0});
    EXPECT_EQ(Error(d), "no error");
    EXPECT_EQ(Dib.Canvas().Pixel(0, 0), RGB(200, 2, 1));
    EXPECT_EQ(Dib.Canvas().Pixel(1, 0), clBlack);
}

Bytes Rle(int width, int height, int bits, const Bytes& data) {
    Bytes d = Header40(width, height, bits, bits == 8 ? 1 : 2, std::uint32_t(data.size()));
    PutTable(d, 1 << bits);
    Append(d, data);
    return d;
}

TEST_F(DIBHostileTest, RunLengthDataThatLeavesTheBitmap) {
    // Runs after the last row, deltas past the right edge or the top, literals cut short.
    EXPECT_EQ(Error(Rle(2, 1, 8, {0, 0, 2, 7, 0, 1})), kInvalid);
    EXPECT_EQ(Error(Rle(2, 2, 8, {0, 2, 3, 0, 0, 1})), kInvalid);
    EXPECT_EQ(Error(Rle(2, 2, 8, {0, 2, 0, 2, 0, 1})), kInvalid);
    EXPECT_EQ(Error(Rle(2, 2, 8, {0, 2, 0})), kInvalid);
    EXPECT_EQ(Error(Rle(4, 1, 8, {0, 4, 1, 2})), kInvalid);
    EXPECT_EQ(Error(Rle(4, 1, 4, {0, 8, 0x12})), kInvalid);
    Bytes afterEnd = Rle(2, 1, 8, {0, 0, 0, 0, 0, 3, 1, 2, 3, 0});
    EXPECT_EQ(Error(afterEnd), kInvalid);
    // Run-length data stored top-down, or with the other run-length bit count.
    Bytes topDown = Rle(2, 1, 8, {2, 1, 0, 1});
    topDown[8] = 0xFF, topDown[9] = 0xFF, topDown[10] = 0xFF, topDown[11] = 0xFF;
    EXPECT_EQ(Error(topDown), kInvalid);
    Bytes wrongBits = Rle(2, 1, 8, {2, 1, 0, 1});
    wrongBits[16] = 2;
    EXPECT_EQ(Error(wrongBits), kInvalid);
}

TEST_F(DIBHostileTest, RunsPastTheRowEndAreClippedNotWrapped) {
    EXPECT_EQ(Error(Rle(2, 2, 8, {5, 7, 0, 0, 1, 9, 0, 1})), "no error");
    EXPECT_EQ(Dib.ScanLine(1)[0], 7);
    EXPECT_EQ(Dib.ScanLine(1)[1], 7);
    EXPECT_EQ(Dib.ScanLine(1)[2], 0); // padding stays zero
    EXPECT_EQ(Dib.ScanLine(0)[0], 9);
    EXPECT_EQ(Dib.ScanLine(0)[1], 0);
}

TEST_F(DIBHostileTest, EveryTruncationOfValidDataFailsCleanly) {
    Bytes good = Header40(5, 3, 4, 2, 0);
    PutTable(good, 16);
    const Bytes rle = {5, 0x12, 0, 0, 0, 5, 0x34, 0x56, 0x70, 0, 0, 0, 0, 2, 1, 0, 2, 0xAB, 0, 1};
    good[20] = std::uint8_t(rle.size());
    Append(good, rle);
    for (std::size_t n = 1; n < good.size(); ++n) {
        const std::string e = Error(Bytes(good.begin(), good.begin() + std::ptrdiff_t(n)));
        EXPECT_TRUE(e == kInvalid || e == kReadError) << n << ": " << e;
    }
    EXPECT_EQ(Error(good), "no error");
    // Single-byte corruptions anywhere either read or fail with one of the picture errors.
    for (std::size_t i = 0; i < good.size(); ++i)
        for (std::uint8_t v : {std::uint8_t(0), std::uint8_t(0xFF), std::uint8_t(0x80)}) {
            Bytes bad = good;
            bad[i] = v;
            try {
                TMemoryStream s(bad);
                TDIB d;
                d.ReadDIBData(s);
                if (!d.Empty()) d.ScanLine(0);
            } catch (const Exception&) {
            }
        }
}

TEST_F(DIBHostileTest, PictureValuesWithOtherClassNames) {
    TMemoryStream s(Bytes{4, 'T', 'B', 'M', 'P'});
    EXPECT_THROW(Dib.ReadPictureData(s), EInvalidGraphic);
    TMemoryStream cut(Bytes{9, 'T', 'D'});
    EXPECT_THROW(Dib.ReadPictureData(cut), EReadError);
    EXPECT_EQ(Dib.Width(), 2);
}

} // namespace
