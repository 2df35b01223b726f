// The asset generator's parts: drawing, palette reduction, stored formats and sound synthesis.
#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <cstdint>
#include <vector>

#include "sound/Wave.h"

namespace assetgen {

// Board geometry on the 600 × 480 surface.
constexpr int SurfaceWidth = 600, SurfaceHeight = 480;
constexpr int BoardLeft = 34, BoardTop = 105, BoardRight = 373, BoardBottom = 444; // inclusive
constexpr int FrameLeft = 20, FrameTop = 86, FrameRight = 387, FrameBottom = 461;  // inclusive
constexpr int Cell = 34;
constexpr int LimeIndex = 127;

// Font families loaded from their files, so output does not depend on fontconfig's choices.
struct Fonts {
    QString Sans;     // Liberation Sans
    QString SansBold; // Liberation Sans Bold
    QString Rounded;  // Quicksand Bold
};
Fonts LoadFonts();

// Small deterministic generator (the same sequence on every platform and library).
class Rng {
public:
    explicit Rng(std::uint64_t seed) : s(seed * 0x9E3779B97F4A7C15ull + 1) {}
    std::uint32_t Next();
    double Uniform() { return Next() / 4294967296.0; } // [0, 1)
    double Range(double lo, double hi) { return lo + (hi - lo) * Uniform(); }

private:
    std::uint64_t s;
};

// An 8-bit picture: palette (256 entries, 0xFFRRGGBB) and top-down pixel indices.
struct IndexedPicture {
    int Width = 0, Height = 0;
    std::vector<QRgb> Palette;
    std::vector<std::uint8_t> Pixels;
    QImage ToImage() const; // for looking at it
};

// Palette of `entries` colours for the given images: index 0 is black; with reserveLime, index
// 127 is pure lime and nothing else is lime. The rest is cut from the images' colours.
std::vector<QRgb> BuildPalette(const std::vector<const QImage*>& images, int entries,
                               bool reserveLime);
// Maps every pixel to its nearest palette entry, never to a reserved lime entry; `exact` pixels
// equal to lime take the lime entry. dither adds a light position-only ordered dither, so a pixel's
// index depends on that pixel alone.
IndexedPicture Quantise(const QImage& image, const std::vector<QRgb>& palette, bool reserveLime,
                        bool dither);

// The stored picture stream: length-prefixed "TDIB", 40-byte header, colour table, bottom-up rows.
std::vector<std::uint8_t> PictureStream(const IndexedPicture& picture);

// Space backdrop: dark starfield with nebula and a spiral galaxy centred at (gx, gy).
QImage DrawSpace(int width, int height, double gx, double gy, double galaxyRadius,
                 std::uint64_t seed);
// Title logo: the name in an elliptical ring, centred at (cx, cy), scale 1 = the frame's size.
void DrawLogo(QImage& image, const Fonts& fonts, double cx, double cy, double scale);

// The frame pictures in 32 bits (numbered adds the row and column numbers).
QImage DrawFrame(const Fonts& fonts, bool numbered);
// The tile sheet in 32 bits: 200 patterns of 34 × 34.
QImage DrawTileSheet(const Fonts& fonts);
// One tile's look, used by the sheet and the splash.
void DrawTile(QImage& image, int x, int y, int number, bool highlighted, const Fonts& fonts,
              int size = Cell);
QImage DrawSplash(const Fonts& fonts);
// The icon at `size` pixels, one of IconSizes() (the icon theme's sizes); each size has its own
// pixel layout. Throws for any other size.
const std::vector<int>& IconSizes();
QImage DrawIcon(const Fonts& fonts, int size);

std::vector<std::uint8_t> EncodeJpeg(const QImage& image, int quality);
std::vector<std::uint8_t> EncodePng(const QImage& image);
// A Windows icon file with one 32 × 32, 4-bit image and its transparency mask.
std::vector<std::uint8_t> EncodeIcon(const QImage& image);

TWave MakeClick();
TWave MakeBlip();

} // namespace assetgen
