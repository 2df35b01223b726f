// Tests of the committed game assets, read through the system's own readers: the frame pictures
// and tile sheet (TDIB), the waves (TWave), the splash (libjpeg), the icons, the resource list, and
// byte-identical regeneration by the generator.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <fstream>
#include <set>

#include <jpeglib.h>

#include "graphics/DIB.h"
#include "sound/Wave.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const std::string AssetDir = std::string(ZELVAN_SOURCE_DIR) + "/assets/";

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot open " << path;
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::uint32_t Le32(const Bytes& b, std::size_t at) {
    return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
           std::uint32_t(b[at + 3]) << 24;
}
std::uint16_t Le16(const Bytes& b, std::size_t at) {
    return std::uint16_t(b[at] | b[at + 1] << 8);
}

struct Rgb {
    int r, g, b;
    int Luma() const { return (r * 299 + g * 587 + b * 114) / 1000; }
    int Sum() const { return r + g + b; }
};

// An 8-bit picture read through TDIB, with its pixels as palette indices, row 0 at the top.
struct Picture {
    int width = 0, height = 0, bitCount = 0;
    TRGBQuads table{};
    std::vector<std::uint8_t> index;
    std::uint8_t At(int x, int y) const { return index[std::size_t(y) * width + x]; }
    Rgb Colour(int x, int y) const {
        const TRGBQuad& q = table[At(x, y)];
        return {q.rgbRed, q.rgbGreen, q.rgbBlue};
    }
};

Picture LoadPicture(const std::string& name, Bytes* rewritten = nullptr) {
    TMemoryStream stream(ReadFile(AssetDir + name));
    TDIB dib;
    dib.ReadPictureData(stream);
    EXPECT_EQ(stream.Position(), stream.Size()) << name << ": bytes left over after the picture";
    Picture p;
    p.width = dib.Width();
    p.height = dib.Height();
    p.bitCount = dib.BitCount();
    p.table = dib.ColorTable();
    if (p.bitCount == 8)
        for (int y = 0; y < p.height; ++y) {
            const std::uint8_t* row = dib.ScanLine(y);
            p.index.insert(p.index.end(), row, row + p.width);
        }
    if (rewritten) {
        TMemoryStream out;
        dib.WritePictureData(out);
        *rewritten = out.Bytes();
    }
    return p;
}

bool OnBoard(int x, int y) {
    return x >= 34 && x <= 373 && y >= 105 && y <= 444;
}

// ---- Frame pictures -----------------------------------------------------------------------------

TEST(FramePictures, AreStoredAs600By480EightBitPicturesWithBlackAndLimeEntries) {
    for (const char* name : {"frame.dib", "frame-numbered.dib"}) {
        SCOPED_TRACE(name);
        const Bytes raw = ReadFile(AssetDir + name);
        ASSERT_EQ(raw.size(), 289069u);
        // Length-prefixed class name, then the 40-byte header as stored.
        EXPECT_EQ(raw[0], 4);
        EXPECT_EQ(std::memcmp(raw.data() + 1, "TDIB", 4), 0);
        EXPECT_EQ(Le32(raw, 5), 40u);
        EXPECT_EQ(Le32(raw, 9), 600u);
        EXPECT_EQ(Le32(raw, 13), 480u); // positive: bottom-up rows
        EXPECT_EQ(Le16(raw, 17), 1);
        EXPECT_EQ(Le16(raw, 19), 8);
        EXPECT_EQ(Le32(raw, 21), 0u);      // no compression
        EXPECT_EQ(Le32(raw, 25), 288000u); // WidthBytes × height
        EXPECT_EQ(Le32(raw, 37), 0u);      // colours used 0: 256 entries

        Bytes rewritten;
        const Picture p = LoadPicture(name, &rewritten);
        EXPECT_EQ(p.width, 600);
        EXPECT_EQ(p.height, 480);
        EXPECT_EQ(p.bitCount, 8);
        EXPECT_EQ(p.table[0], (TRGBQuad{0, 0, 0, 0}));
        EXPECT_EQ(p.table[127], (TRGBQuad{0, 255, 0, 0}));
        for (int i = 0; i < 256; ++i)
            if (i != 127) {
                EXPECT_FALSE(p.table[i] == (TRGBQuad{0, 255, 0, 0}))
                    << "entry " << i << " is also lime";
            }
        // The picture reader and writer agree with the stored bytes exactly.
        EXPECT_EQ(rewritten, raw);
    }
}

TEST(FramePictures, ShowTheBoardThroughExactlyTheLimeRectangle) {
    for (const char* name : {"frame.dib", "frame-numbered.dib"}) {
        SCOPED_TRACE(name);
        const Picture p = LoadPicture(name);
        ASSERT_EQ(p.index.size(), 600u * 480u);
        int wrong = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 600; ++x)
                if ((p.At(x, y) == 127) != OnBoard(x, y) && ++wrong <= 5)
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") index " << int(p.At(x, y));
        EXPECT_EQ(wrong, 0);
    }
}

TEST(FramePictures, NumberedFrameDiffersOnlyWhereTheNumbersStand) {
    const Picture plain = LoadPicture("frame.dib");
    const Picture numbered = LoadPicture("frame-numbered.dib");
    ASSERT_EQ(plain.index.size(), numbered.index.size());
    EXPECT_EQ(plain.table, numbered.table);
    auto inTopBorder = [](int x, int y) { return x >= 20 && x <= 387 && y >= 86 && y <= 104; };
    auto inLeftBorder = [](int x, int y) { return x >= 20 && x <= 33 && y >= 86 && y <= 461; };
    // Changed pixels per column (top border) and per row (left border), with their centroids.
    long colCount[10] = {}, colSum[10] = {}, rowCount[10] = {}, rowSum[10] = {};
    int outside = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 600; ++x) {
            if (plain.Colour(x, y).Sum() == numbered.Colour(x, y).Sum() &&
                plain.At(x, y) == numbered.At(x, y))
                continue;
            if (inTopBorder(x, y) && x >= 34 && x <= 373) {
                const int c = (x - 34) / 34;
                ++colCount[c], colSum[c] += x;
            } else if (inLeftBorder(x, y) && y >= 105 && y <= 444) {
                const int r = (y - 105) / 34;
                ++rowCount[r], rowSum[r] += y;
            } else if (!inTopBorder(x, y) && !inLeftBorder(x, y) && ++outside <= 5) {
                ADD_FAILURE() << "pixel (" << x << ", " << y
                              << ") differs outside the number borders";
            }
        }
    EXPECT_EQ(outside, 0);
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(i + 1);
        ASSERT_GT(colCount[i], 4) << "no column number above column " << i + 1;
        ASSERT_GT(rowCount[i], 4) << "no row number beside row " << i + 1;
        EXPECT_NEAR(double(colSum[i]) / colCount[i], 34 + i * 34 + 16.5, 3.0);
        EXPECT_NEAR(double(rowSum[i]) / rowCount[i], 105 + i * 34 + 16.5, 3.0);
        // The new figures are white (the brightest pixels of the numbered frame there).
    }
    int white = 0;
    for (int y = 86; y <= 104; ++y)
        for (int x = 34; x <= 373; ++x)
            if (numbered.Colour(x, y).Luma() > 235) ++white;
    EXPECT_GT(white, 40);
}

TEST(FramePictures, ShowADarkSkyABrightGalaxyAVioletFrameAndTheLogo) {
    const Picture p = LoadPicture("frame.dib");
    // The frame's face at the middle of each side is light violet-blue.
    for (auto [x, y] :
         {std::pair{27, 310}, std::pair{380, 300}, std::pair{200, 96}, std::pair{200, 455}}) {
        const Rgb c = p.Colour(x, y);
        EXPECT_GT(c.b, 180) << x << "," << y;
        EXPECT_GT(c.b, c.r + 40) << x << "," << y;
        EXPECT_GT(c.r, 90) << x << "," << y;
    }
    // A dark starfield away from the frame, logo and galaxy.
    long sky = 0, n = 0;
    for (int y = 300; y < 480; ++y)
        for (int x = 400; x < 600; ++x)
            sky += p.Colour(x, y).Luma(), ++n;
    EXPECT_LT(sky / n, 50);
    // A bright galaxy right of the middle, in the gap between the side panel and the text box.
    int core = 0;
    for (int y = 229; y <= 269; ++y)
        for (int x = 473; x <= 513; ++x)
            core = std::max(core, p.Colour(x, y).Luma());
    EXPECT_GT(core, 200);
    // The logo's golden ring at the top left.
    int gold = 0;
    for (int y = 0; y < 86; ++y)
        for (int x = 0; x < 330; ++x) {
            const Rgb c = p.Colour(x, y);
            if (c.r > 200 && c.g > 120 && c.b < 150) ++gold;
        }
    EXPECT_GT(gold, 150);
}

// ---- Tile sheet ---------------------------------------------------------------------------------

struct PatternView {
    const Picture& sheet;
    int p;
    Rgb At(int x, int y) const { return sheet.Colour(p % 10 * 34 + x, p / 10 * 34 + y); }
    // Bounding box of the figures inside the bevel: pixels more than half-way from the face's
    // brightness to the darkest ink of the tile, so both colour sets measure alike.
    QRect Ink() const {
        const int face = At(3, 3).Sum();
        int darkest = face;
        for (int y = 1; y <= 32; ++y)
            for (int x = 1; x <= 32; ++x)
                darkest = std::min(darkest, At(x, y).Sum());
        int x0 = 99, y0 = 99, x1 = -1, y1 = -1;
        for (int y = 1; y <= 32; ++y)
            for (int x = 1; x <= 32; ++x)
                if (face - At(x, y).Sum() > (face - darkest) / 2)
                    x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x),
                    y1 = std::max(y1, y);
        return x1 < 0 ? QRect() : QRect(QPoint(x0, y0), QPoint(x1, y1));
    }
};

TEST(TileSheet, IsA340By680EightBitPictureOf200Patterns) {
    const Bytes raw = ReadFile(AssetDir + "tiles.dib");
    ASSERT_EQ(raw.size(), 232269u);
    EXPECT_EQ(Le32(raw, 25), 231200u);
    EXPECT_EQ(Le32(raw, 37), 0u);
    Bytes rewritten;
    const Picture sheet = LoadPicture("tiles.dib", &rewritten);
    EXPECT_EQ(sheet.width, 340);
    EXPECT_EQ(sheet.height, 680);
    EXPECT_EQ(sheet.bitCount, 8);
    EXPECT_EQ(rewritten, raw);
}

TEST(TileSheet, PatternsFollowTheNumberOrderWithNormalThenHighlightedColours) {
    const Picture sheet = LoadPicture("tiles.dib");
    ASSERT_EQ(sheet.index.size(), 340u * 680u);
    for (int p = 0; p < 200; ++p) {
        SCOPED_TRACE(p);
        const PatternView v{sheet, p};
        const Rgb face = v.At(3, 3);
        const Rgb expected = p < 100 ? Rgb{222, 222, 255} : Rgb{255, 255, 222};
        EXPECT_NEAR(face.r, expected.r, 4);
        EXPECT_NEAR(face.g, expected.g, 4);
        EXPECT_NEAR(face.b, expected.b, 4);
        // One-pixel bevel: lighter top and left, darker bottom and right.
        EXPECT_GT(v.At(12, 0).Sum(), face.Sum());
        EXPECT_GT(v.At(0, 12).Sum(), face.Sum());
        EXPECT_LT(v.At(12, 33).Sum(), face.Sum() - 60);
        EXPECT_LT(v.At(33, 12).Sum(), face.Sum() - 60);
        // The figures are centred and dark: navy on the first set, brown on the second.
        const QRect ink = v.Ink();
        ASSERT_FALSE(ink.isNull());
        EXPECT_NEAR(ink.center().x() + 0.5 * ((ink.width() + 1) % 2), 16.5, 1.5);
        EXPECT_NEAR(ink.center().y() + 0.5 * ((ink.height() + 1) % 2), 16.5, 1.5);
        EXPECT_GE(ink.height(), 10);
        Rgb darkest{255, 255, 255};
        for (int y = ink.top(); y <= ink.bottom(); ++y)
            for (int x = ink.left(); x <= ink.right(); ++x)
                if (v.At(x, y).Luma() < darkest.Luma()) darkest = v.At(x, y);
        if (p < 100)
            EXPECT_GT(darkest.b, darkest.r + 30) << "navy figures";
        else
            EXPECT_GT(darkest.r, darkest.b + 30) << "brown figures";
    }
}

TEST(TileSheet, NumbersGrowWithTheirDigitsAndRepeatInTheHighlightedSet) {
    const Picture sheet = LoadPicture("tiles.dib");
    auto width = [&](int p) { return PatternView{sheet, p}.Ink().width(); };
    // 1 (pattern 0), 10 (pattern 9) and 100 (pattern 99): one, two and three digits.
    EXPECT_LT(width(0), width(9));
    EXPECT_LT(width(9), width(99));
    EXPECT_LE(width(99), 30) << "\"100\" must fit inside the tile";
    for (int p = 0; p < 100; ++p)
        EXPECT_EQ(width(p), width(p + 100)) << "pattern " << p << " and " << p + 100;
}

TEST(TileSheet, AllPatternsDiffer) {
    const Picture sheet = LoadPicture("tiles.dib");
    std::set<std::vector<int>> seen;
    for (int p = 0; p < 200; ++p) {
        std::vector<int> block;
        for (int y = 0; y < 34; ++y)
            for (int x = 0; x < 34; ++x)
                block.push_back(sheet.At(p % 10 * 34 + x, p / 10 * 34 + y));
        EXPECT_TRUE(seen.insert(block).second) << "pattern " << p << " repeats an earlier one";
    }
}

// ---- Waves --------------------------------------------------------------------------------------

struct WaveCase {
    const char* file;
    std::uint32_t rate;
    int samples;
    std::size_t bytes;
};

TEST(GameWaves, HaveTheirFormatsAndSizesAndFadeAtBothEnds) {
    for (const WaveCase& c :
         {WaveCase{"click.wav", 8000, 353, 397}, WaveCase{"blip.wav", 11025, 789, 833}}) {
        SCOPED_TRACE(c.file);
        const Bytes raw = ReadFile(AssetDir + c.file);
        EXPECT_EQ(raw.size(), c.bytes);
        TWave wave;
        wave.LoadFromBytes(raw);
        const TWaveFormatEx f = wave.Format();
        EXPECT_EQ(wave.FormatSize(), 16);
        EXPECT_EQ(f.wFormatTag, WAVE_FORMAT_PCM);
        EXPECT_EQ(f.nChannels, 1);
        EXPECT_EQ(f.nSamplesPerSec, c.rate);
        EXPECT_EQ(f.nAvgBytesPerSec, c.rate);
        EXPECT_EQ(f.nBlockAlign, 1);
        EXPECT_EQ(f.wBitsPerSample, 8);
        ASSERT_EQ(wave.Size(), c.samples);
        EXPECT_EQ(wave.SaveToBytes(), raw);
        // Silence is 128 in 8-bit samples: the ends sit on it, the middle is clearly audible.
        const std::uint8_t* s = wave.Data();
        EXPECT_NEAR(s[0], 128, 2);
        EXPECT_NEAR(s[c.samples - 1], 128, 2);
        int peak = 0;
        for (int i = 0; i < c.samples; ++i)
            peak = std::max(peak, std::abs(s[i] - 128));
        EXPECT_GT(peak, 50);
        EXPECT_LT(peak, 128) << "no clipping";
        // No jump between neighbouring samples near the ends.
        for (int i = 1; i < 6; ++i) {
            EXPECT_LT(std::abs(s[i] - s[i - 1]), 20);
            EXPECT_LT(std::abs(s[c.samples - i] - s[c.samples - i - 1]), 20);
        }
    }
}

// ---- Splash picture -----------------------------------------------------------------------------

struct JpegErrors {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX] = {};
};

void OnJpegError(j_common_ptr info) {
    auto* err = reinterpret_cast<JpegErrors*>(info->err);
    (*info->err->format_message)(info, err->message);
    std::longjmp(err->jump, 1);
}

TEST(SplashPicture, IsABaselineColourJfifOf481By332) {
    const Bytes raw = ReadFile(AssetDir + "splash.jpg");
    ASSERT_GT(raw.size(), 1000u);

    // Walk the markers up to the first scan: exactly one frame header, and it is baseline (SOF0).
    std::vector<int> frames;
    std::size_t at = 2;
    ASSERT_TRUE(raw[0] == 0xFF && raw[1] == 0xD8);
    while (at + 4 <= raw.size()) {
        ASSERT_EQ(raw[at], 0xFF) << "marker expected at " << at;
        const int marker = raw[at + 1];
        if (marker == 0xDA) break;
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
            frames.push_back(marker);
        at += 2 + (raw[at + 2] << 8 | raw[at + 3]);
    }
    EXPECT_EQ(frames, std::vector<int>{0xC0});

    jpeg_decompress_struct info;
    JpegErrors err;
    info.err = jpeg_std_error(&err.base);
    err.base.error_exit = OnJpegError;
    std::vector<unsigned char> pixels;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&info);
        FAIL() << "libjpeg: " << err.message;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, raw.data(), static_cast<unsigned long>(raw.size()));
    ASSERT_EQ(jpeg_read_header(&info, TRUE), JPEG_HEADER_OK);
    EXPECT_TRUE(info.saw_JFIF_marker);
    EXPECT_EQ(info.JFIF_major_version, 1);
    EXPECT_EQ(info.JFIF_minor_version, 1);
    EXPECT_EQ(info.image_width, 481u);
    EXPECT_EQ(info.image_height, 332u);
    EXPECT_EQ(info.num_components, 3);
    EXPECT_EQ(info.data_precision, 8);
    EXPECT_FALSE(info.progressive_mode);
    EXPECT_FALSE(info.arith_code);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    pixels.resize(std::size_t(info.output_width) * info.output_height * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels.data() + std::size_t(info.output_scanline) * info.output_width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);

    // The part the window shows (479 × 328) holds title art, not a flat fill: dark sky with
    // bright lettering.
    int bright = 0, dark = 0;
    for (int y = 0; y < 328; ++y)
        for (int x = 0; x < 479; ++x) {
            const unsigned char* px = &pixels[(std::size_t(y) * 481 + x) * 3];
            const int luma = (px[0] * 299 + px[1] * 587 + px[2] * 114) / 1000;
            if (luma > 200) ++bright;
            if (luma < 40) ++dark;
        }
    EXPECT_GT(bright, 2000);
    EXPECT_GT(dark, 479 * 328 / 3);
}

// ---- Icon ---------------------------------------------------------------------------------------

TEST(WindowIcon, IsA32By32SixteenColourIconWithTransparentCorners) {
    const Bytes raw = ReadFile(AssetDir + "zelvan.ico");
    ASSERT_GE(raw.size(), 22u);
    EXPECT_EQ(Le16(raw, 0), 0);
    EXPECT_EQ(Le16(raw, 2), 1); // icon
    EXPECT_EQ(Le16(raw, 4), 1); // one image
    EXPECT_EQ(raw[6], 32);
    EXPECT_EQ(raw[7], 32);
    EXPECT_EQ(raw[8], 16); // colours
    EXPECT_EQ(Le16(raw, 12), 4);
    const std::uint32_t size = Le32(raw, 14), offset = Le32(raw, 18);
    ASSERT_EQ(std::size_t(offset) + size, raw.size());
    EXPECT_EQ(Le32(raw, offset), 40u);
    EXPECT_EQ(Le32(raw, offset + 8), 64u); // colour rows and mask rows
    EXPECT_EQ(Le16(raw, offset + 14), 4);

    QImage icon;
    ASSERT_TRUE(icon.load(QString::fromStdString(AssetDir + "zelvan.ico"), "ICO"));
    ASSERT_EQ(icon.size(), QSize(32, 32));
    icon = icon.convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(icon.pixel(31, 31)), 0);
    EXPECT_EQ(qAlpha(icon.pixel(16, 16)), 255);
    std::set<QRgb> colours;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            if (qAlpha(icon.pixel(x, y))) colours.insert(icon.pixel(x, y));
    EXPECT_LE(colours.size(), 16u);
    EXPECT_GE(colours.size(), 5u);
}

// The icon theme's pictures: one drawing per size, so each must hold the whole design at its own
// resolution - the rounded square, the dark gap between the tiles, three light tiles and the
// highlighted one.
TEST(ThemeIcons, EverySizeIsItsOwnSquareDrawingOfTheTiles) {
    for (int size : {16, 32, 48, 64, 128, 256}) {
        SCOPED_TRACE(size);
        QImage icon;
        ASSERT_TRUE(icon.load(
            QString::fromStdString(AssetDir + "icons/zelvan-" + std::to_string(size) + ".png"),
            "PNG"));
        ASSERT_EQ(icon.size(), QSize(size, size));
        icon = icon.convertToFormat(QImage::Format_ARGB32);
        EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
        EXPECT_EQ(qAlpha(icon.pixel(size - 1, size - 1)), 0);
        const QRgb gap = icon.pixel(size / 2, size / 2);
        EXPECT_EQ(qAlpha(gap), 255);
        EXPECT_LT(qRed(gap) + qGreen(gap) + qBlue(gap), 200);
        // Points in the top left-hand part of each tile, clear of its number and shaded edges.
        const int near = size * 15 / 100, far = near + size * 7 / 16;
        for (const QPoint at : {QPoint(near, near), QPoint(far, near), QPoint(near, far)}) {
            const QRgb tile = icon.pixel(at);
            EXPECT_GT(qBlue(tile), 200) << at.x() << "," << at.y();
            EXPECT_GT(qRed(tile), 180) << at.x() << "," << at.y();
        }
        const QRgb highlighted = icon.pixel(far, far);
        EXPECT_GT(qRed(highlighted), 200);
        EXPECT_GT(qGreen(highlighted), 200);
        EXPECT_LT(qBlue(highlighted), 160);
    }
}

// ---- Resource list and regeneration ------------------------------------------------------------

QStringList AssetFiles() {
    QStringList files = QDir(QString::fromStdString(AssetDir)).entryList(QDir::Files, QDir::Name);
    files.removeAll("assets.qrc");
    return files;
}

// The icon theme's pictures, as named in their folder.
QStringList IconFiles() {
    QStringList files;
    for (const QString& icon :
         QDir(QString::fromStdString(AssetDir + "icons")).entryList(QDir::Files, QDir::Name))
        files << "icons/" + icon;
    return files;
}

TEST(ResourceList, ListsEveryAssetOnce) {
    QFile qrc(QString::fromStdString(AssetDir + "assets.qrc"));
    ASSERT_TRUE(qrc.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(qrc.readAll());
    QStringList listed;
    const QRegularExpression entry("<file>([^<]+)</file>");
    for (auto it = entry.globalMatch(text); it.hasNext();)
        listed << it.next().captured(1);
    listed.sort();
    QStringList expected = AssetFiles() + IconFiles();
    expected.sort();
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(AssetFiles().size(), 7);
    EXPECT_EQ(IconFiles().size(), 6);
}

TEST(ResourceList, CompiledResourcesHoldTheAssetsAndReadThroughTheSystemsReaders) {
    for (const QString& name : AssetFiles() + IconFiles()) {
        SCOPED_TRACE(name.toStdString());
        QFile resource(":/assets/" + name);
        ASSERT_TRUE(resource.open(QIODevice::ReadOnly));
        const QByteArray bytes = resource.readAll();
        EXPECT_TRUE(Bytes(bytes.begin(), bytes.end()) == ReadFile(AssetDir + name.toStdString()));
    }
    QFile frame(":/assets/frame.dib");
    ASSERT_TRUE(frame.open(QIODevice::ReadOnly));
    const QByteArray frameBytes = frame.readAll();
    TReadOnlyMemoryStream picture(frameBytes.constData(), std::size_t(frameBytes.size()));
    TDIB dib;
    dib.ReadPictureData(picture);
    EXPECT_EQ(dib.Width(), 600);

    QFile click(":/assets/click.wav");
    ASSERT_TRUE(click.open(QIODevice::ReadOnly));
    const QByteArray clickBytes = click.readAll();
    TReadOnlyMemoryStream sound(clickBytes.constData(), std::size_t(clickBytes.size()));
    TWave wave;
    wave.ReadWaveData(sound);
    EXPECT_EQ(wave.Size(), 353);
}

TEST(AssetGenerator, RegeneratesByteIdenticalFiles) {
    const QString generator = QString(ZELVAN_BIN_DIR) + "/assetgen";
    if (!QFile::exists(generator)) GTEST_SKIP() << "assetgen is not built in this configuration";
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    QProcess run;
    run.start(generator, {out.path()});
    ASSERT_TRUE(run.waitForFinished(120000));
    ASSERT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    QStringList made = QDir(out.path()).entryList(QDir::Files, QDir::Name);
    made.removeAll("assets.qrc");
    EXPECT_EQ(made, AssetFiles());
    const QStringList icons = QDir(out.filePath("icons")).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(icons,
              QDir(QString::fromStdString(AssetDir + "icons")).entryList(QDir::Files, QDir::Name));
    QStringList compared = QDir(out.path()).entryList(QDir::Files, QDir::Name);
    for (const QString& icon : icons)
        compared << "icons/" + icon;
    for (const QString& name : compared) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_TRUE(ReadFile(out.filePath(name).toStdString()) ==
                    ReadFile(AssetDir + name.toStdString()))
            << "regenerated file differs from the committed one";
    }
}

TEST(AssetGenerator, RefusesAnOutputItCannotWrite) {
    const QString generator = QString(ZELVAN_BIN_DIR) + "/assetgen";
    if (!QFile::exists(generator)) GTEST_SKIP() << "assetgen is not built in this configuration";
    QTemporaryDir out;
    QFile blocker(out.filePath("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QProcess run;
    run.start(generator, {out.filePath("file/sub")});
    ASSERT_TRUE(run.waitForFinished(120000));
    EXPECT_NE(run.exitCode(), 0);
    EXPECT_FALSE(run.readAllStandardError().isEmpty());
}

} // namespace
