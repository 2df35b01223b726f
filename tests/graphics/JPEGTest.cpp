// The JPEG reader: the committed splash decodes exactly, damaged or hostile data is refused
// cleanly.
#include "graphics/JPEG.h"

#include <QBuffer>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes SplashBytes() {
    QFile file(QStringLiteral(ZELVAN_SOURCE_DIR "/assets/splash.jpg"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray raw = file.readAll();
    return Bytes(raw.begin(), raw.end());
}

// Offset of the first SOF0 marker's height field (FF C0, length, precision, height, width).
std::size_t FrameHeaderAt(const Bytes& jpeg) {
    for (std::size_t i = 2; i + 9 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) return i + 5;
    return 0;
}

// A width x height colour picture with detail everywhere, compressed by the library itself.
Bytes Compress(int width, int height, bool arithmetic, bool progressive) {
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    info.arith_code = arithmetic ? TRUE : FALSE;
    if (progressive) jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(std::size_t(width) * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width * 3; ++x)
            row[std::size_t(x)] = JSAMPLE((x * 7 + y * 13 + (x * y) % 31) & 0xFF);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes bytes(out, out + size);
    std::free(out);
    return bytes;
}

// Offset of the first start-of-frame marker's height field, of any coding (FF C0 to FF CF but not
// the table and restart markers C4, C8, CC).
std::size_t AnyFrameHeaderAt(const Bytes& jpeg) {
    for (std::size_t i = 2; i + 9 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] >= 0xC0 && jpeg[i + 1] <= 0xCF && jpeg[i + 1] != 0xC4 &&
            jpeg[i + 1] != 0xC8 && jpeg[i + 1] != 0xCC)
            return i + 5;
    return 0;
}

void ClaimSize(Bytes& jpeg, int width, int height) {
    const std::size_t at = AnyFrameHeaderAt(jpeg);
    ASSERT_NE(at, 0u);
    jpeg[at] = std::uint8_t(height >> 8);
    jpeg[at + 1] = std::uint8_t(height);
    jpeg[at + 2] = std::uint8_t(width >> 8);
    jpeg[at + 3] = std::uint8_t(width);
}

std::string ErrorOf(TJPEGImage& image, const Bytes& bytes) {
    try {
        image.LoadFromBytes(bytes.data(), bytes.size());
    } catch (const EJPEGError& E) {
        return E.what();
    }
    return "";
}

std::string StoredErrorOf(TJPEGImage& image, const Bytes& stored) {
    TReadOnlyMemoryStream stream(stored.data(), stored.size());
    try {
        image.ReadPictureData(stream);
    } catch (const Exception& E) {
        return E.what();
    }
    return "";
}

TEST(JPEGReader, DecodesTheSplashAsTheStoredValueLikeAnIndependentDecoder) {
    const Bytes jpeg = SplashBytes();
    ASSERT_FALSE(jpeg.empty());
    const Bytes stored = TJPEGImage::MakePictureData(jpeg.data(), jpeg.size());
    ASSERT_EQ(stored[0], 10);
    EXPECT_EQ(std::string(stored.begin() + 1, stored.begin() + 11), "TJPEGImage");
    EXPECT_EQ(stored[11] | stored[12] << 8 | stored[13] << 16 | stored[14] << 24, int(jpeg.size()));

    TJPEGImage image;
    EXPECT_EQ(StoredErrorOf(image, stored), "");
    ASSERT_EQ(image.Width(), 481);
    ASSERT_EQ(image.Height(), 332);
    ASSERT_EQ(image.Pixels().size(), std::size_t(481 * 332 * 3));

    // Qt's own JPEG plug-in as the reference; decoders may differ by a rounding step.
    QImage reference;
    ASSERT_TRUE(reference.loadFromData(
        QByteArray(reinterpret_cast<const char*>(jpeg.data()), qsizetype(jpeg.size())), "JPEG"));
    const QImage ours = image.ToImage();
    int worst = 0;
    for (int y = 0; y < 332; ++y)
        for (int x = 0; x < 481; ++x) {
            const QRgb a = ours.pixel(x, y), b = reference.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                              std::abs(qBlue(a) - qBlue(b))});
        }
    EXPECT_LE(worst, 2);
}

TEST(JPEGReader, DamagedOrHostileDataIsRefusedAndThePictureKept) {
    const Bytes good = SplashBytes();
    ASSERT_FALSE(good.empty());
    TJPEGImage image;
    image.LoadFromBytes(good.data(), good.size());
    const Bytes before = image.Pixels();

    auto expectRefused = [&](const std::string& error, const char* what, const char* why) {
        EXPECT_NE(error.find(what), std::string::npos) << why << ": " << error;
        EXPECT_EQ(image.Width(), 481) << why;
        EXPECT_TRUE(image.Pixels() == before) << why;
    };

    // Truncated: the decoder would pad the missing rows with grey and only warn.
    expectRefused(ErrorOf(image, Bytes(good.begin(), good.begin() + good.size() / 2)),
                  "JPEG picture cannot be read", "truncated");
    expectRefused(ErrorOf(image, Bytes(good.begin(), good.begin() + 300)),
                  "JPEG picture cannot be read", "header only");
    expectRefused(ErrorOf(image, Bytes{}), "no data", "empty");
    expectRefused(ErrorOf(image, Bytes(2000, 0x5A)), "JPEG picture cannot be read", "not a JPEG");

    // A header claiming 20000 x 20000 pixels is refused before any pixel memory is set aside.
    Bytes huge = good;
    const std::size_t at = FrameHeaderAt(huge);
    ASSERT_NE(at, 0u);
    huge[at] = huge[at + 2] = 0x4E;
    huge[at + 1] = huge[at + 3] = 0x20;
    expectRefused(ErrorOf(image, huge), "dimensions out of range", "20000 x 20000");

    // The stored value: a count beyond the bytes present, a foreign class name, a short header.
    Bytes stored = TJPEGImage::MakePictureData(good.data(), good.size());
    stored[14] = 0x7F;
    expectRefused(StoredErrorOf(image, stored), "claims", "count beyond the data");
    stored = TJPEGImage::MakePictureData(good.data(), good.size());
    stored[1] = 'X';
    expectRefused(StoredErrorOf(image, stored), "Unknown picture class", "class name");
    stored[1] = 'T';
    expectRefused(StoredErrorOf(image, Bytes(stored.begin(), stored.begin() + 13)),
                  "Stream read error", "cut header");
}

// Arithmetic-coded data may end at a marker and the decoder then reads zero bits without a word;
// data that ends well before the picture does is refused as Huffman data is.
TEST(JPEGReader, DataEndingBeforeThePictureIsRefusedWhateverTheCoding) {
    TJPEGImage image;
    const Bytes arithmetic = Compress(64, 160, true, false);
    const Bytes progressive = Compress(64, 160, true, true);
    const Bytes huffman = Compress(64, 160, false, false);
    // Whole pictures of each kind decode to the same pixels within a rounding step.
    for (const Bytes* whole : {&arithmetic, &progressive, &huffman}) {
        TJPEGImage other;
        ASSERT_EQ(ErrorOf(other, *whole), "");
        ASSERT_EQ(other.Width(), 64);
        ASSERT_EQ(other.Height(), 160);
        if (image.Empty()) image = other;
        int worst = 0;
        for (std::size_t i = 0; i < other.Pixels().size(); ++i)
            worst = std::max(worst, std::abs(other.Pixels()[i] - image.Pixels()[i]));
        EXPECT_LE(worst, 2);
    }
    const Bytes before = image.Pixels();

    auto expectEndedEarly = [&](const Bytes& bytes, const char* why) {
        EXPECT_EQ(ErrorOf(image, bytes),
                  "JPEG picture cannot be read: Corrupt JPEG data: premature end of data segment")
            << why;
        EXPECT_EQ(image.Width(), 64) << why;
        EXPECT_TRUE(image.Pixels() == before) << why;
    };
    // A header claiming 4096 rows over the data of a small picture, end marker and all.
    for (const Bytes* whole : {&arithmetic, &progressive, &huffman}) {
        Bytes claimed = *whole;
        ClaimSize(claimed, 64, 4096);
        expectEndedEarly(claimed, whole == &huffman        ? "huffman, claimed size"
                                  : whole == &progressive ? "progressive, claimed size"
                                                          : "arithmetic, claimed size");
    }
    // Cut in the middle of the data, the end marker put back.
    Bytes cut(arithmetic.begin(), arithmetic.begin() + std::ptrdiff_t(arithmetic.size() / 2));
    cut.insert(cut.end(), {0xFF, 0xD9});
    expectEndedEarly(cut, "arithmetic, cut");
}

} // namespace
