// assetgen OUTDIR [--png DIR]: writes the game's pictures, sounds, splash, icons and resource list.
#include "tools/assetgen/AssetGen.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QSaveFile>
#include <cstdio>
#include <stdexcept>

namespace assetgen {

Fonts LoadFonts() {
    auto load = [](const char* path) {
        const int id = QFontDatabase::addApplicationFont(QString::fromUtf8(path));
        const QStringList families =
            id < 0 ? QStringList() : QFontDatabase::applicationFontFamilies(id);
        if (families.isEmpty())
            throw std::runtime_error(std::string("cannot load font ") + path +
                                     " (install fonts-liberation and fonts-quicksand)");
        return families.first();
    };
    Fonts fonts;
    fonts.Sans = load("/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf");
    fonts.SansBold = load("/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf");
    fonts.Rounded = load("/usr/share/fonts/truetype/quicksand/Quicksand-Bold.ttf");
    return fonts;
}

} // namespace assetgen

namespace {

using namespace assetgen;

void Write(const QString& path, const std::vector<std::uint8_t>& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) !=
            qint64(bytes.size()) ||
        !file.commit())
        throw std::runtime_error("cannot write " + path.toStdString() + ": " +
                                 file.errorString().toStdString());
}

void WriteText(const QString& path, const std::string& text) {
    Write(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

// The frame pictures must let exactly the board show through.
void CheckSeeThrough(const IndexedPicture& picture, const char* what) {
    for (int y = 0; y < picture.Height; ++y)
        for (int x = 0; x < picture.Width; ++x) {
            const bool board =
                x >= BoardLeft && x <= BoardRight && y >= BoardTop && y <= BoardBottom;
            if ((picture.Pixels[std::size_t(y) * picture.Width + x] == LimeIndex) != board)
                throw std::runtime_error(std::string(what) +
                                         ": see-through area is not exactly the board");
        }
}

void SavePng(const QString& dir, const char* name, const QImage& image) {
    if (dir.isEmpty()) return;
    if (!image.save(dir + "/" + name))
        throw std::runtime_error(std::string("cannot write PNG ") + name);
}

const char* const ResourceList =
    "<!DOCTYPE RCC>\n"
    "<!-- The game's pictures, sounds, splash and icons, written by tools/assetgen. -->\n"
    "<RCC version=\"1.0\">\n"
    "  <qresource prefix=\"/assets\">\n"
    "    <file>frame.dib</file>\n"
    "    <file>frame-numbered.dib</file>\n"
    "    <file>tiles.dib</file>\n"
    "    <file>click.wav</file>\n"
    "    <file>blip.wav</file>\n"
    "    <file>splash.jpg</file>\n"
    "    <file>zelvan.ico</file>\n"
    "    <file>icons/zelvan-16.png</file>\n"
    "    <file>icons/zelvan-32.png</file>\n"
    "    <file>icons/zelvan-48.png</file>\n"
    "    <file>icons/zelvan-64.png</file>\n"
    "    <file>icons/zelvan-128.png</file>\n"
    "    <file>icons/zelvan-256.png</file>\n"
    "  </qresource>\n"
    "</RCC>\n";

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QString outDir, pngDir;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == "--png" && i + 1 < argc)
            pngDir = QString::fromLocal8Bit(argv[++i]);
        else if (outDir.isEmpty() && !arg.startsWith("-"))
            outDir = arg;
        else {
            std::fprintf(stderr, "usage: assetgen OUTDIR [--png DIR]\n");
            return 2;
        }
    }
    if (outDir.isEmpty()) {
        std::fprintf(stderr, "usage: assetgen OUTDIR [--png DIR]\n");
        return 2;
    }
    try {
        if (!QDir().mkpath(outDir))
            throw std::runtime_error("cannot create " + outDir.toStdString());
        if (!pngDir.isEmpty() && !QDir().mkpath(pngDir))
            throw std::runtime_error("cannot create " + pngDir.toStdString());
        const Fonts fonts = LoadFonts();

        const QImage plain = DrawFrame(fonts, false);
        const QImage numbered = DrawFrame(fonts, true);
        // One palette for both frames (cut from the numbered one, which holds every colour), and a
        // per-pixel mapping, so the two differ only where the numbers stand.
        const std::vector<QRgb> framePalette = BuildPalette({&numbered}, 256, true);
        const IndexedPicture frame0 = Quantise(plain, framePalette, true, false);
        const IndexedPicture frame2 = Quantise(numbered, framePalette, true, false);
        CheckSeeThrough(frame0, "frame");
        CheckSeeThrough(frame2, "numbered frame");
        Write(outDir + "/frame.dib", PictureStream(frame0));
        Write(outDir + "/frame-numbered.dib", PictureStream(frame2));

        const QImage sheet = DrawTileSheet(fonts);
        const IndexedPicture tiles =
            Quantise(sheet, BuildPalette({&sheet}, 256, false), false, false);
        Write(outDir + "/tiles.dib", PictureStream(tiles));

        Write(outDir + "/click.wav", MakeClick().SaveToBytes());
        Write(outDir + "/blip.wav", MakeBlip().SaveToBytes());

        const QImage splash = DrawSplash(fonts);
        Write(outDir + "/splash.jpg", EncodeJpeg(splash, 92));

        const QImage icon = DrawIcon(fonts, 32);
        Write(outDir + "/zelvan.ico", EncodeIcon(icon));
        // The icon theme's pictures, one drawing per size; installed, not compiled in.
        if (!QDir().mkpath(outDir + "/icons"))
            throw std::runtime_error("cannot create " + outDir.toStdString() + "/icons");
        for (int size : IconSizes())
            Write(outDir + QString("/icons/zelvan-%1.png").arg(size),
                  EncodePng(DrawIcon(fonts, size)));

        WriteText(outDir + "/assets.qrc", ResourceList);

        SavePng(pngDir, "frame-rgb.png", plain);
        SavePng(pngDir, "frame.png", frame0.ToImage());
        SavePng(pngDir, "frame-numbered.png", frame2.ToImage());
        SavePng(pngDir, "tiles.png", tiles.ToImage());
        SavePng(pngDir, "splash.png", splash);
        SavePng(pngDir, "icon.png", icon);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "assetgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
