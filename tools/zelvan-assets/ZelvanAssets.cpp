// zelvan-assets: inspects pictures (bitmap files, stored picture values) and waves, and turns
// pictures into PNG files, all through the system's own readers.
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <cstdio>
#include <cstring>
#include <string>

#include "display/DXDraws.Surfaces.h"
#include "graphics/DIB.h"
#include "platform/ui/BlockCopy.h"
#include "sound/Wave.h"

namespace {

QByteArray ReadAll(const std::string& fileName) {
    QFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::ReadOnly))
        throw EStreamError(Format("Cannot open file \"%s\"", fileName.c_str()));
    return file.readAll();
}

std::uint32_t Get32(const QByteArray& b, qsizetype at) {
    if (at + 4 > b.size()) return 0;
    const auto* p = reinterpret_cast<const std::uint8_t*>(b.constData() + at);
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

// Reads a picture: a bitmap file when it starts with "BM", else a stored picture value.
// Returns where its information header starts.
qsizetype LoadPicture(const QByteArray& bytes, TDIB& dib) {
    TReadOnlyMemoryStream stream(bytes.constData(), std::size_t(bytes.size()));
    if (bytes.startsWith("BM")) {
        dib.LoadBitmapFile(stream);
        return 14;
    }
    dib.ReadPictureData(stream);
    return bytes.isEmpty() ? 0 : 1 + static_cast<std::uint8_t>(bytes[0]);
}

std::string DescribePicture(const QByteArray& bytes) {
    TDIB dib;
    const qsizetype header = LoadPicture(bytes, dib);
    if (dib.Empty()) return "picture: empty";
    const bool small = Get32(bytes, header) == 12;
    const std::uint32_t compression = small ? 0 : Get32(bytes, header + 16);
    const std::uint32_t colorsUsed = small ? 0 : Get32(bytes, header + 32);
    const bool topDown = !small && std::int32_t(Get32(bytes, header + 8)) < 0;
    static const char* const kCompression[] = {"none", "run-length 8", "run-length 4",
                                               "bit fields"};
    return Format("picture: %d x %d, %d bits per pixel, compression %s, colours used %u%s",
                  dib.Width(), dib.Height(), dib.BitCount(), kCompression[compression & 3],
                  colorsUsed, topDown ? ", top-down" : "");
}

std::string DescribeWave(const QByteArray& bytes) {
    TWave wave;
    wave.LoadFromBytes(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                       std::size_t(bytes.size()));
    const TWaveFormatEx f = wave.Format();
    const std::string format =
        f.wFormatTag == WAVE_FORMAT_PCM ? "PCM" : Format("format 0x%04X", f.wFormatTag);
    return Format("wave: %s, %u channels, %u Hz, %u bits, %d data bytes", format.c_str(),
                  unsigned(f.nChannels), unsigned(f.nSamplesPerSec), unsigned(f.wBitsPerSample),
                  wave.Size());
}

int Info(const std::string& fileName) {
    const QByteArray bytes = ReadAll(fileName);
    const std::string line =
        bytes.startsWith("RIFF") ? DescribeWave(bytes) : DescribePicture(bytes);
    std::printf("%s\n", line.c_str());
    return 0;
}

// Decodes the picture into a surface of the display device (32 bits per pixel) the way the image
// list loads its pictures, and saves what the surface then holds.
int Png(const std::string& fileName, const std::string& out) {
    TDIB dib;
    LoadPicture(ReadAll(fileName), dib);
    if (dib.Empty()) throw EInvalidGraphic("Picture is empty");
    TDirectDraw device(nullptr, true);
    TDirectDrawSurface surface(&device);
    surface.LoadFromGraphic(dib);
    if (surface.Width() != dib.Width() || surface.Height() != dib.Height())
        throw EOutOfResources(Format("%s cannot be made", "Surface"));
    QImage image(surface.Width(), surface.Height(), QImage::Format_RGB32);
    if (image.isNull()) throw EOutOfMemory("Out of memory");
    TDeviceContext dc{image};
    image = QImage(); // the context holds the only reference, so the copy lands in place
    const bool copied = BitBlt(&dc, 0, 0, surface.Width(), surface.Height(),
                               surface.Canvas().Handle(), 0, 0, SRCCOPY);
    surface.Canvas().ReleaseCanvas();
    if (!copied) throw EOutOfResources(Format("%s cannot be made", "Surface"));
    if (!dc.Image.save(QString::fromStdString(out), "PNG"))
        throw EStreamError(Format("Cannot create file \"%s\"", out.c_str()));
    return 0;
}

int Usage() {
    std::fprintf(stderr, "usage: zelvan-assets info FILE\n"
                         "       zelvan-assets png FILE OUT.png\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 3) return Usage();
    const std::string command = argv[1];
    try {
        if (command == "info" && argc == 3) return Info(argv[2]);
        if (command == "png" && argc == 4) return Png(argv[2], argv[3]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 1;
    }
    return Usage();
}
