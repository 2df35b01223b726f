// The JPEG reader: the committed splash decodes exactly, damaged or hostile data is refused
// cleanly.
#include "graphics/JPEG.h"

#include <QBuffer>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

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

} // namespace
