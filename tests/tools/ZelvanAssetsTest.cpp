// zelvan-assets: info lines, errors, and PNG output matching an independent bitmap decoder.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "graphics/DIB.h"
#include "tests/graphics/DIBTestData.h"

using namespace dibtest;

namespace {

struct TRun {
    int Status = -1;
    QString Out;
    QString Err;
};

TRun RunProgram(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    TRun r;
    if (!p.waitForFinished(60000)) return r;
    r.Status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.Out = QString::fromUtf8(p.readAllStandardOutput());
    r.Err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

TRun Tool(const QStringList& args) {
    return RunProgram(QString(ZELVAN_BIN_DIR) + "/zelvan-assets", args);
}

void Save(const QString& path, const Bytes& b) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char*>(b.data()), qint64(b.size()));
}

// A bitmap file around an information header, table and pixel bytes.
Bytes FileOf(const Bytes& info, const Bytes& pixels) {
    Bytes b = {'B', 'M'};
    Put32(b, std::uint32_t(14 + info.size() + pixels.size()));
    Put32(b, 0);
    Put32(b, std::uint32_t(14 + info.size()));
    Append(b, info);
    Append(b, pixels);
    return b;
}

std::uint32_t Noise(int x, int y, int salt) {
    std::uint32_t v = std::uint32_t(x * 7919 + y * 104729 + salt * 1299709);
    v ^= v >> 13;
    v *= 0x5bd1e995u;
    return v ^ (v >> 15);
}

// Pictures written through TDIB: every pixel and table entry from the noise function.
Bytes Written(int w, int h, int bits, const TPixelFormat* format = nullptr) {
    TDIB dib;
    if (format)
        dib.SetSize(w, h, bits, *format);
    else
        dib.SetSize(w, h, bits);
    TRGBQuads table{};
    for (int i = 0; i < 256; ++i) {
        const std::uint32_t n = Noise(i, 0, 99);
        table[std::size_t(i)] =
            TRGBQuad{std::uint8_t(n), std::uint8_t(n >> 8), std::uint8_t(n >> 16), 0};
    }
    dib.SetColorTable(table);
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = dib.ScanLineForWrite(y);
        for (int i = 0; i < dib.WidthBytes(); ++i)
            row[i] = std::uint8_t(Noise(i, y, bits));
        if (bits == 32)
            for (int x = 0; x < w; ++x)
                row[4 * x + 3] = 0;
        if (bits == 16 && format && IsFormat555(*format))
            for (int x = 0; x < w; ++x)
                row[2 * x + 1] &= 0x7F;
    }
    TMemoryStream s;
    dib.SaveBitmapFile(s);
    return s.Bytes();
}

// Hand-made files: plain 16 and 32 bits without masks, top-down 8 bits, 12-byte header.
Bytes Plain(int w, int h, int bits, bool topDown = false) {
    Bytes info = Header40(w, topDown ? -h : h, bits);
    if (bits <= 8) PutTable(info, 1 << bits);
    Bytes pixels;
    const int wb = int(WidthBytes(w, bits));
    for (int y = 0; y < h; ++y)
        for (int i = 0; i < wb; ++i) {
            std::uint8_t v = std::uint8_t(Noise(i, y, 5));
            if (bits == 32 && i % 4 == 3) v = 0;
            if (bits == 16 && i % 2 == 1) v &= 0x7F;
            pixels.push_back(v);
        }
    return FileOf(info, pixels);
}

Bytes Core(int w, int h) {
    Bytes info;
    Put32(info, 12);
    Put16(info, std::uint32_t(w));
    Put16(info, std::uint32_t(h));
    Put16(info, 1);
    Put16(info, 8);
    PutTable(info, 256, 3);
    Bytes pixels;
    for (int y = 0; y < h; ++y)
        for (int i = 0; i < int(WidthBytes(w, 8)); ++i)
            pixels.push_back(std::uint8_t(Noise(i, y, 8)));
    return FileOf(info, pixels);
}

// Run-length files: per row a run, a literal and another run, then end of line; end of bitmap.
Bytes RunLength(int bits) {
    const int w = bits == 8 ? 13 : 11, h = 7;
    Bytes data;
    for (int y = 0; y < h; ++y) {
        if (bits == 8) {
            Append(data, {5, std::uint8_t(3 * y), 0, 5});
            for (int i = 0; i < 5; ++i)
                data.push_back(std::uint8_t(40 + 9 * y + i));
            data.push_back(0); // pad the odd literal
            Append(data, {3, std::uint8_t(200 - y)});
        } else {
            Append(data, {4, std::uint8_t(0x10 * (y + 1) + (15 - y)), 0, 5});
            Append(data,
                   {std::uint8_t(0x12 + y), std::uint8_t(0x34 + y), std::uint8_t(0x50 + y), 0});
            Append(data, {2, std::uint8_t(0xE0 + y)});
        }
        Append(data, {0, 0});
    }
    Append(data, {0, 1});
    Bytes info = Header40(w, h, bits, bits == 8 ? 1 : 2, std::uint32_t(data.size()));
    PutTable(info, 1 << bits);
    return FileOf(info, data);
}

class ZelvanAssetsTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    QString Path(const QString& name) { return Dir.filePath(name); }
};

TEST_F(ZelvanAssetsTest, PngMatchesAnIndependentDecoderForEveryKindOfBitmap) {
    const QString convert = QStandardPaths::findExecutable("convert");
    if (convert.isEmpty()) GTEST_SKIP() << "ImageMagick's convert is not installed";
    const TPixelFormat f555 = MakeDIBPixelFormat(5, 5, 5), f565 = MakeDIBPixelFormat(5, 6, 5);
    const std::vector<std::pair<QString, Bytes>> files = {
        {"mono", Written(37, 9, 1)},
        {"four", Written(13, 5, 4)},
        {"eight", Written(21, 11, 8)},
        {"fields555", Written(9, 6, 16, &f555)},
        {"fields565", Written(9, 6, 16, &f565)},
        {"true24", Written(7, 5, 24)},
        {"fields32", Written(6, 4, 32)},
        {"plain16", Plain(5, 4, 16)},
        {"plain32", Plain(5, 4, 32)},
        {"topdown8", Plain(6, 5, 8, true)},
        {"core8", Core(6, 3)},
        {"rle8", RunLength(8)},
        {"rle4", RunLength(4)},
    };
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name.toStdString());
        const QString bmp = Path(name + ".bmp"), ours = Path(name + ".png"),
                      theirs = Path(name + "-im.png");
        Save(bmp, bytes);
        const TRun r = Tool({"png", bmp, ours});
        ASSERT_EQ(r.Status, 0) << r.Err.toStdString();
        const TRun im = RunProgram(convert, {bmp, "-alpha", "off", "-type", "TrueColor", theirs});
        ASSERT_EQ(im.Status, 0) << im.Err.toStdString();
        const QImage a = QImage(ours).convertToFormat(QImage::Format_RGB32);
        const QImage b = QImage(theirs).convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(a.isNull());
        ASSERT_EQ(a.size(), b.size());
        // 5-bit components may be widened to 8 bits by shifting or by scaling.
        const int tolerance =
            name.contains("16") || name.contains("555") || name.contains("565") ? 8 : 0;
        int bad = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x) {
                const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
                if (std::abs(qRed(p) - qRed(q)) > tolerance ||
                    std::abs(qGreen(p) - qGreen(q)) > tolerance ||
                    std::abs(qBlue(p) - qBlue(q)) > tolerance) {
                    if (bad++ < 3)
                        ADD_FAILURE()
                            << "pixel " << x << "," << y << ": " << std::hex << p << " vs " << q;
                }
            }
        EXPECT_EQ(bad, 0);
    }
}

TEST_F(ZelvanAssetsTest, InfoDescribesPicturesAndWavesAndReportsErrors) {
    Save(Path("p.bmp"), RunLength(4));
    TRun r = Tool({"info", Path("p.bmp")});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Out.trimmed().toStdString(),
              "picture: 11 x 7, 4 bits per pixel, compression run-length 4, colours used 0");

    TDIB dib;
    dib.SetSize(600, 480, 8);
    TMemoryStream value;
    dib.WritePictureData(value);
    Save(Path("frame.dib"), value.Bytes());
    r = Tool({"info", Path("frame.dib")});
    EXPECT_EQ(r.Out.trimmed().toStdString(),
              "picture: 600 x 480, 8 bits per pixel, compression none, colours used 0");

    Bytes wave = {'R', 'I', 'F', 'F'};
    Put32(wave, 4 + 8 + 16 + 8 + 3);
    Append(wave, {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(wave, 16);
    Put16(wave, 1);
    Put16(wave, 1);
    Put32(wave, 11025);
    Put32(wave, 11025);
    Put16(wave, 1);
    Put16(wave, 8);
    Append(wave, {'d', 'a', 't', 'a'});
    Put32(wave, 3);
    Append(wave, {128, 130, 126, 0});
    Save(Path("w.wav"), wave);
    r = Tool({"info", Path("w.wav")});
    EXPECT_EQ(r.Status, 0) << r.Err.toStdString();
    EXPECT_EQ(r.Out.trimmed().toStdString(),
              "wave: PCM, 1 channels, 11025 Hz, 8 bits, 3 data bytes");

    Bytes bad = RunLength(8);
    bad[14 + 14] = 7; // bit count
    Save(Path("bad.bmp"), bad);
    r = Tool({"info", Path("bad.bmp")});
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err.trimmed().toStdString(), "error: DIB is invalid");
    r = Tool({"png", Path("bad.bmp"), Path("bad.png")});
    EXPECT_EQ(r.Status, 1);
    EXPECT_FALSE(QFile::exists(Path("bad.png")));
    Save(Path("short.bmp"), Bytes{'B', 'M', 1});
    EXPECT_EQ(Tool({"info", Path("short.bmp")}).Err.trimmed().toStdString(),
              "error: DIB is invalid");
    EXPECT_EQ(Tool({"info", Path("missing.bmp")}).Status, 1);
    EXPECT_EQ(Tool({"frobnicate"}).Status, 2);
}

} // namespace
