// Picture streams, formats, run-length data, sharing and canvases of TDIB.
#include <gtest/gtest.h>

#include "graphics/DIB.h"
#include "tests/graphics/DIBTestData.h"

using namespace dibtest;

namespace {

Bytes Written(TDIB& dib, bool picture = false) {
    TMemoryStream s;
    if (picture)
        dib.WritePictureData(s);
    else
        dib.WriteDIBData(s);
    return s.Bytes();
}

void Read(TDIB& dib, const Bytes& b) {
    TMemoryStream s(b);
    dib.ReadDIBData(s);
}

template <class E> std::string ReadError(TDIB& dib, const Bytes& b) {
    try {
        Read(dib, b);
    } catch (const E& e) {
        return e.what();
    } catch (const std::exception& e) {
        return std::string("wrong class: ") + e.what();
    }
    return "no error";
}

// A small 8-bit picture whose pixel (x, y) is x + 10 y.
void Fill8(TDIB& dib, int w, int h) {
    dib.SetSize(w, h, 8);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            dib.ScanLineForWrite(y)[x] = std::uint8_t(x + 10 * y);
}

TEST(DIBStreamTest, TheGamesPicturesHaveTheirStoredSizes) {
    TDIB frame;
    Fill8(frame, 600, 480);
    EXPECT_EQ(Written(frame, true).size(), 289069u);
    TDIB sheet;
    sheet.SetSize(340, 680, 8);
    EXPECT_EQ(sheet.WidthBytes(), 340);
    const Bytes data = Written(sheet, true);
    EXPECT_EQ(data.size(), 232269u);
    // Header of the stored value: name, then header size 40, positive height, 8 bits, no
    // compression, colours-used 0, image size WidthBytes × height.
    EXPECT_EQ(data[0], 4);
    EXPECT_EQ(std::string(data.begin() + 1, data.begin() + 5), "TDIB");
    EXPECT_EQ(data[5], 40);
    EXPECT_EQ(data[5 + 8] | data[5 + 9] << 8, 680);
    EXPECT_EQ(data[5 + 14], 8);
    EXPECT_EQ(data[5 + 16], 0);
    EXPECT_EQ(data[5 + 20] | data[5 + 21] << 8 | data[5 + 22] << 16, 231200);
    EXPECT_EQ(data[5 + 32], 0);

    TDIB back;
    TMemoryStream s(Written(frame, true));
    back.ReadPictureData(s);
    ASSERT_EQ(back.Width(), 600);
    ASSERT_EQ(back.Height(), 480);
    EXPECT_EQ(back.ScanLine(0)[7], 7);
    EXPECT_EQ(back.ScanLine(3)[5], 35);
    EXPECT_EQ(Written(back), Written(frame));
}

TEST(DIBStreamTest, RowWidthsArePaddedToWords) {
    EXPECT_EQ(WidthBytes(1, 8), 4);
    EXPECT_EQ(WidthBytes(3, 24), 12);
    EXPECT_EQ(WidthBytes(33, 1), 8);
    EXPECT_EQ(WidthBytes(5, 4), 4);
    EXPECT_EQ(WidthBytes(3, 16), 8);
    TDIB dib;
    dib.SetSize(1, 2, 8);
    EXPECT_EQ(dib.WidthBytes(), 4);
    EXPECT_EQ(dib.Size(), 8u);
}

TEST(DIBStreamTest, TopDownRowsReadIntoTheSameMemoryAsTheirBottomUpTwin) {
    const int w = 3, h = 4;
    Bytes up = Header40(w, h, 24), down = Header40(w, -h, 24);
    Bytes rows[h];
    for (int r = 0; r < h; ++r)
        for (int i = 0; i < 12; ++i)
            rows[r].push_back(std::uint8_t(16 * r + i));
    for (int r = 0; r < h; ++r)
        Append(up, rows[r]); // bottom row first
    for (int r = h - 1; r >= 0; --r)
        Append(down, rows[r]); // top row first
    TDIB a, b;
    Read(a, up);
    Read(b, down);
    ASSERT_EQ(b.Height(), h);
    for (int y = 0; y < h; ++y)
        EXPECT_EQ(std::memcmp(a.ScanLine(y), b.ScanLine(y), 12), 0) << y;
    EXPECT_EQ(a.ScanLine(0)[0], 16 * 3); // the top row is the last one stored bottom-up
    EXPECT_EQ(Written(a), Written(b));
    EXPECT_EQ(Written(b)[8], 4); // written back with a positive height
}

TEST(DIBStreamTest, ColoursUsedBeyond256KeepsTheFirst256AndFindsThePixels) {
    Bytes b = Header40(2, 1, 8, 0, 0, 300);
    PutTable(b, 300);
    Append(b, {7, 255, 0, 0});
    TDIB dib;
    Read(dib, b);
    EXPECT_EQ(dib.ColorTable()[255].rgbBlue, 255);
    EXPECT_EQ(dib.ColorTable()[100].rgbRed, std::uint8_t(300));
    EXPECT_EQ(dib.ScanLine(0)[0], 7);
    EXPECT_EQ(dib.ScanLine(0)[1], 255);
}

TEST(DIBStreamTest, SixteenBitLayouts) {
    TDIB dib;
    Bytes plain = Header40(2, 1, 16);
    Append(plain, {0x1F, 0x7C, 0, 0});
    Read(dib, plain);
    EXPECT_TRUE(IsFormat555(dib.PixelFormat()));

    Bytes masked = Header40(2, 1, 16, 3);
    Put32(masked, 0xF800);
    Put32(masked, 0x7E0);
    Put32(masked, 0x1F);
    Append(masked, {0x00, 0xF8, 0xE0, 0x07});
    Read(dib, masked);
    EXPECT_TRUE(IsFormat565(dib.PixelFormat()));
    EXPECT_EQ(dib.PixelFormat().GBitCount, 6u);
    EXPECT_EQ(dib.PixelFormat().RShift, 8u);
    // Through the canvas the first pixel is pure red, the second pure green.
    EXPECT_EQ(dib.Canvas().Pixel(0, 0), clRed);
    EXPECT_EQ(dib.Canvas().Pixel(1, 0), clLime);
    // Written back with its masks, and read back the same.
    const Bytes again = Written(dib);
    EXPECT_EQ(again.size(), 40u + 12u + 4u);
    TDIB copy;
    Read(copy, again);
    EXPECT_TRUE(IsFormat565(copy.PixelFormat()));

    Bytes wide = Header40(2, 1, 16, 3);
    Put32(wide, 0xFF0000);
    Put32(wide, 0xFF00);
    Put32(wide, 0xFF);
    Append(wide, {0, 0, 0, 0});
    EXPECT_EQ(ReadError<EInvalidGraphicOperation>(dib, wide), "PixelFormat in invalid");
    EXPECT_TRUE(IsFormat565(dib.PixelFormat())); // kept its picture
}

TEST(DIBStreamTest, EmptyStreamGivesAnEmptyPicture) {
    TDIB dib;
    Read(dib, {});
    EXPECT_TRUE(dib.Empty());
    EXPECT_EQ(dib.Width(), 0);
    EXPECT_EQ(dib.Height(), 0);
    EXPECT_TRUE(Written(dib).empty());
    TMemoryStream file;
    dib.SaveBitmapFile(file);
    EXPECT_EQ(file.Size(), 0);
    TMemoryStream none;
    dib.LoadBitmapFile(none);
    EXPECT_TRUE(dib.Empty());
}

TEST(DIBStreamTest, SmallHeaderWithThreeByteEntries) {
    Bytes b;
    Put32(b, 12);
    Put16(b, 3);
    Put16(b, 2);
    Put16(b, 1);
    Put16(b, 4);
    PutTable(b, 16, 3);
    Append(b, {0x12, 0x30, 0, 0, 0xAB, 0xC0, 0, 0});
    TDIB dib;
    Read(dib, b);
    EXPECT_EQ(dib.BitCount(), 4);
    EXPECT_EQ(dib.ColorTable()[5].rgbRed, 15);
    EXPECT_EQ(dib.ColorTable()[5].rgbReserved, 0);
    EXPECT_EQ(dib.ScanLine(0)[0], 0xAB); // top row = last stored
    EXPECT_EQ(dib.BitmapInfo()[0], 40);  // kept as a 40-byte header
}

// 8-bit run-length data of a 4 × 3 picture: a run, a padded odd literal, a delta and the end.
Bytes Rle8Picture() {
    const Bytes data = {3, 9, 0, 0,       // bottom row: 9 9 9 _, end of line
                        0, 3, 1, 2, 3, 0, // row 1: literal 1 2 3 (padded to 16 bits)
                        0, 0,             // end of line
                        0, 2, 2, 0,       // delta two to the right
                        2, 5, 0, 1};      // row 2: _ _ 5 5, end of bitmap
    Bytes b = Header40(4, 3, 8, 1, std::uint32_t(data.size()));
    PutTable(b, 256);
    Append(b, data);
    return b;
}

TEST(DIBRunLengthTest, EightBitDataStayCompressedUntilPixelsAreNeeded) {
    TDIB dib;
    Read(dib, Rle8Picture());
    EXPECT_TRUE(dib.Compressed());
    EXPECT_EQ(Written(dib)[16], 1); // still written as run-length data
    const std::uint8_t top[4] = {0, 0, 5, 5};
    const std::uint8_t mid[4] = {1, 2, 3, 0};
    const std::uint8_t bottom[4] = {9, 9, 9, 0};
    EXPECT_EQ(std::memcmp(dib.ScanLine(0), top, 4), 0);
    EXPECT_EQ(std::memcmp(dib.ScanLine(1), mid, 4), 0);
    EXPECT_EQ(std::memcmp(dib.ScanLine(2), bottom, 4), 0);
    EXPECT_FALSE(dib.Compressed());
    EXPECT_EQ(Written(dib)[16], 0);
}

TEST(DIBRunLengthTest, FourBitRunsAlternateTheirNibbles) {
    // 5 × 2: bottom row run of 5 alternating 1/2, top row literal 3 4 5 6 7.
    const Bytes data = {5, 0x12, 0, 0, 0, 5, 0x34, 0x56, 0x70, 0, 0, 1};
    Bytes b = Header40(5, 2, 4, 2, std::uint32_t(data.size()));
    PutTable(b, 16);
    Append(b, data);
    TDIB dib;
    Read(dib, b);
    ASSERT_TRUE(dib.Compressed());
    EXPECT_EQ(dib.ScanLine(1)[0], 0x12);
    EXPECT_EQ(dib.ScanLine(1)[1], 0x12);
    EXPECT_EQ(dib.ScanLine(1)[2], 0x10);
    EXPECT_EQ(dib.ScanLine(0)[0], 0x34);
    EXPECT_EQ(dib.ScanLine(0)[2], 0x70);
}

TEST(DIBRunLengthTest, CompressingKeepsEveryPixelInLessMemory) {
    // Rows of runs from 1 to 300 pixels (past the longest run a code holds) and literals of
    // every length, odd and even, from a fixed pseudo-random sequence.
    TDIB dib;
    dib.SetSize(600, 90, 8);
    std::uint32_t seed = 12345;
    const auto next = [&seed](std::uint32_t bound) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % bound;
    };
    for (int y = 0; y < dib.Height(); ++y) {
        std::uint8_t* row = dib.ScanLineForWrite(y);
        for (int x = 0; x < 600;) {
            const int length = 1 + int(next(y % 3 == 0 ? 300 : 6));
            const auto value = std::uint8_t(next(4));
            for (int k = 0; k < length && x < 600; ++k, ++x)
                row[x] = y % 3 == 1 ? std::uint8_t(next(256)) : value;
        }
    }
    const Bytes raw = Written(dib);
    TDIB copy;
    Read(copy, raw);
    copy.Compress();
    ASSERT_TRUE(copy.Compressed());
    const Bytes packed = Written(copy);
    EXPECT_EQ(packed[16], 1); // written as run-length data, as a compressed picture is read
    EXPECT_LT(packed.size(), raw.size());
    for (int y = 0; y < dib.Height(); ++y)
        ASSERT_EQ(std::memcmp(copy.ScanLine(y), dib.ScanLine(y), 600), 0) << "row " << y;
    EXPECT_EQ(Written(copy), raw);

    // Pixels that no run shortens, and pictures of other depths, stay as they are.
    TDIB distinct;
    Fill8(distinct, 20, 3);
    distinct.Compress();
    EXPECT_FALSE(distinct.Compressed());
    TDIB deep;
    deep.SetSize(4, 4, 24);
    deep.Compress();
    EXPECT_FALSE(deep.Compressed());
}

TEST(DIBSharingTest, AssignedPicturesShareUntilOneChanges) {
    TDIB a, b;
    Fill8(a, 4, 4);
    b.Assign(&a);
    EXPECT_TRUE(b.SharesStoreWith(a));
    b.ScanLineForWrite(0)[0] = 99;
    EXPECT_FALSE(b.SharesStoreWith(a));
    EXPECT_EQ(a.ScanLine(0)[0], 0);
    EXPECT_EQ(b.ScanLine(0)[0], 99);
    // Drawing on a canvas also copies first.
    TDIB c;
    c.Assign(&a);
    c.Canvas().SetPixel(1, 1, RGB(3, 6, 9)); // the grey table's nearest entry is 6
    EXPECT_EQ(c.ScanLine(1)[1], 6);
    EXPECT_EQ(a.ScanLine(1)[1], 11);
    b.Assign(nullptr);
    EXPECT_TRUE(b.Empty());
}

TEST(DIBCanvasTest, CanvasDrawsIntoThePixelsWithNearestColours) {
    TDIB dib;
    dib.SetSize(4, 4, 8);
    TRGBQuads table{};
    table[1] = TRGBQuad{0, 255, 0, 0}; // lime
    table[2] = TRGBQuad{255, 0, 0, 0}; // blue
    dib.SetColorTable(table);
    dib.Canvas().BrushColor = RGB(10, 250, 10);
    dib.Canvas().FillRect(Rect(1, 1, 3, 3));
    EXPECT_EQ(dib.ScanLine(1)[1], 1);
    EXPECT_EQ(dib.ScanLine(0)[0], 0);
    EXPECT_FALSE(dib.MemoryImage());
    // A table change reaches the canvas and the information block.
    table[1] = TRGBQuad{0, 0, 255, 0};
    dib.SetColorTable(table);
    EXPECT_EQ(dib.Canvas().Pixel(1, 1), clRed);
    EXPECT_EQ(dib.BitmapInfo()[40 + 4 + 2], 255);
}

TEST(DIBCanvasTest, FourBitCanvasChangesReachThePixels) {
    TDIB dib;
    dib.SetSize(3, 1, 4);
    TRGBQuads table{};
    table[9] = TRGBQuad{0, 0, 255, 0};
    dib.SetColorTable(table);
    dib.Canvas().SetPixel(1, 0, clRed);
    EXPECT_EQ(dib.ScanLine(0)[0], 0x09);
    dib.ScanLineForWrite(0)[1] = 0x90;
    EXPECT_EQ(dib.Canvas().Pixel(2, 0), clRed);
}

TEST(DIBCanvasTest, DrawingAPictureConvertsItsColours) {
    TDIB src;
    Fill8(src, 2, 2);
    TRGBQuads table{};
    table[0] = TRGBQuad{0, 0, 255, 0};
    table[1] = TRGBQuad{255, 0, 0, 0};
    table[10] = TRGBQuad{0, 255, 0, 0};
    src.SetColorTable(table);
    TDIB dst;
    dst.SetSize(4, 4, 32);
    dst.Canvas().Draw(1, 1, src);
    EXPECT_EQ(dst.Canvas().Pixel(1, 1), clRed);
    EXPECT_EQ(dst.Canvas().Pixel(2, 1), clBlue);
    EXPECT_EQ(dst.Canvas().Pixel(1, 2), clLime);
    EXPECT_EQ(dst.Canvas().Pixel(0, 0), clBlack);
}

// A picture that is not a DIB: fills whatever rectangle it is drawn into with yellow.
struct TYellow : TGraphic {
    int Width() const override { return 3; }
    int Height() const override { return 2; }
    void Draw(TCanvas& canvas, const TRect& rect) override {
        canvas.BrushColor = clYellow;
        canvas.FillRect(rect);
    }
};

TEST(DIBCanvasTest, AssigningAnotherPictureDrawsItIntoA24BitPicture) {
    TYellow yellow;
    TDIB dib;
    dib.Assign(&yellow);
    ASSERT_EQ(dib.BitCount(), 24);
    ASSERT_EQ(dib.Width(), 3);
    EXPECT_EQ(dib.ScanLine(1)[6], 0x00); // blue
    EXPECT_EQ(dib.ScanLine(1)[7], 0xFF); // green
    EXPECT_EQ(dib.ScanLine(1)[8], 0xFF); // red
    TPersistent stranger;
    EXPECT_THROW(dib.Assign(&stranger), EConvertError);
    EXPECT_EQ(dib.Width(), 3);
}

TEST(DIBFileTest, BitmapFilesRoundTripAndCheckTheirHeader) {
    TDIB dib;
    Fill8(dib, 5, 3);
    TMemoryStream file;
    dib.SaveBitmapFile(file);
    const Bytes& b = file.Bytes();
    ASSERT_EQ(b.size(), 14u + 40u + 1024u + 8u * 3u);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[2] | b[3] << 8, int(b.size()));
    EXPECT_EQ(b[10] | b[11] << 8, 14 + 40 + 1024);
    TDIB back;
    file.SetPosition(0);
    back.LoadBitmapFile(file);
    EXPECT_EQ(Written(back), Written(dib));

    for (const Bytes& bad :
         {Bytes{'B', 'M', 0}, Bytes{'M', 'B', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 40}}) {
        TMemoryStream s(bad);
        try {
            back.LoadBitmapFile(s);
            ADD_FAILURE();
        } catch (const EInvalidGraphic& e) {
            EXPECT_STREQ(e.what(), "DIB is invalid");
        }
        EXPECT_EQ(back.Width(), 5);
    }
}

TEST(DIBFileTest, PixelsAreTakenFromTheOffsetTheFileGives) {
    TDIB dib;
    Fill8(dib, 2, 1);
    TMemoryStream file;
    dib.SaveBitmapFile(file);
    Bytes b = file.Bytes();
    // Two bytes of gap between the table and the pixels.
    b.insert(b.begin() + 14 + 40 + 1024, {0xEE, 0xEE});
    b[10] += 2;
    TDIB back;
    TMemoryStream s(b);
    back.LoadBitmapFile(s);
    EXPECT_EQ(back.ScanLine(0)[1], 1);
}

} // namespace
