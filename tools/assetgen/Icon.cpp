// The icon, four tiles on a rounded dark square: each theme size (PNG) and the window icon (.ico).
#include "tools/assetgen/AssetGen.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>
#include <algorithm>
#include <stdexcept>
#include <string>

namespace assetgen {

namespace {

// Pixel layout of the icon at one size: every length is fitted to whole pixels at that size
// rather than scaled, so the small icons stay sharp.
struct IconLayout {
    int Size;
    int Margin, Tile, Gap; // tiles' offset from the edge, their side and the space between them
    int Edge;              // thickness of a tile's darker right and bottom edge
    double Outline;        // pen width of the rounded square's border
    double Radius;         // corner radius of the rounded square
    int Digit;             // pixel size of the tile numbers; 0 leaves them out
};

constexpr IconLayout Layouts[] = {
    {16, 2, 5, 2, 1, 1.0, 3.0, 0}, // numbers would be a blur at five pixels
    {32, 3, 12, 2, 1, 1.0, 5.0, 11},     {48, 4, 18, 4, 1, 1.5, 7.5, 16},
    {64, 6, 24, 4, 2, 2.0, 10.0, 22},    {128, 12, 48, 8, 4, 4.0, 20.0, 44},
    {256, 24, 96, 16, 8, 8.0, 40.0, 88},
};

const IconLayout& LayoutFor(int size) {
    for (const IconLayout& layout : Layouts)
        if (layout.Size == size) return layout;
    throw std::runtime_error("no icon layout for " + std::to_string(size) + " pixels");
}

} // namespace

const std::vector<int>& IconSizes() {
    static const std::vector<int> sizes = [] {
        std::vector<int> all;
        for (const IconLayout& layout : Layouts)
            all.push_back(layout.Size);
        return all;
    }();
    return sizes;
}

QImage DrawIcon(const Fonts& fonts, int size) {
    const IconLayout& L = LayoutFor(size);
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(152, 150, 232), L.Outline));
    p.setBrush(QColor(24, 18, 72));
    const double inset = L.Outline / 2;
    p.drawRoundedRect(QRectF(inset, inset, size - L.Outline, size - L.Outline), L.Radius, L.Radius);
    p.setRenderHint(QPainter::Antialiasing, false);

    QFont font(fonts.SansBold);
    font.setWeight(QFont::Bold);
    font.setPixelSize(std::max(L.Digit, 1));
    font.setHintingPreference(QFont::PreferFullHinting);
    // Up to 32 pixels two-level edges read better (and survive the window icon's 16-colour
    // table); the larger sizes have room for smooth ones.
    if (size <= 32) font.setStyleStrategy(QFont::NoAntialias);
    p.setFont(font);
    p.setRenderHint(QPainter::TextAntialiasing, size > 32);
    const QFontMetrics metrics(font);
    for (int i = 0; i < 4; ++i) {
        const int x = L.Margin + (i % 2) * (L.Tile + L.Gap),
                  y = L.Margin + (i / 2) * (L.Tile + L.Gap);
        const bool highlighted = i == 3;
        const QColor edge = highlighted ? QColor(176, 160, 104) : QColor(128, 128, 196);
        p.fillRect(x, y, L.Tile, L.Tile,
                   highlighted ? QColor(255, 255, 128) : QColor(222, 222, 255));
        p.fillRect(x, y + L.Tile - L.Edge, L.Tile, L.Edge, edge);
        p.fillRect(x + L.Tile - L.Edge, y, L.Edge, L.Tile, edge);
        if (L.Digit == 0) continue;
        const QString text = QString::number(i + 1);
        const QRect ink = metrics.tightBoundingRect(text);
        p.setPen(highlighted ? QColor(128, 64, 0) : QColor(0, 0, 128));
        p.drawText(x + (L.Tile - ink.width()) / 2 - ink.left(),
                   y + (L.Tile - ink.height()) / 2 - ink.top(), text);
    }
    return image;
}

std::vector<std::uint8_t> EncodePng(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image))
        throw std::runtime_error("cannot encode PNG: " + writer.errorString().toStdString());
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

std::vector<std::uint8_t> EncodeIcon(const QImage& source) {
    if (source.width() != 32 || source.height() != 32)
        throw std::runtime_error("the icon must be 32 x 32");
    const QImage argb = source.convertToFormat(QImage::Format_ARGB32);
    // Transparent pixels become black colour pixels under a set mask bit.
    QImage opaque(32, 32, QImage::Format_RGB32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const QRgb c = argb.pixel(x, y);
            opaque.setPixel(x, y, qAlpha(c) >= 128 ? (c | 0xFF000000u) : qRgb(0, 0, 0));
        }
    const std::vector<QRgb> palette = BuildPalette({&opaque}, 16, false);
    const IndexedPicture picture = Quantise(opaque, palette, false, false);

    std::vector<std::uint8_t> out;
    auto put8 = [&](unsigned v) { out.push_back(std::uint8_t(v)); };
    auto put16 = [&](unsigned v) {
        put8(v & 0xFF);
        put8(v >> 8 & 0xFF);
    };
    auto put32 = [&](std::uint32_t v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    const std::uint32_t xorBytes = 16 * 32, andBytes = 4 * 32;
    const std::uint32_t imageBytes = 40 + 16 * 4 + xorBytes + andBytes;
    // Icon directory with one entry.
    put16(0);
    put16(1);
    put16(1);
    put8(32);
    put8(32);
    put8(16);
    put8(0);
    put16(1);
    put16(4);
    put32(imageBytes);
    put32(22);
    // The image: a bitmap header of double height (colour rows, then the mask rows).
    put32(40);
    put32(32);
    put32(64);
    put16(1);
    put16(4);
    put32(0);
    put32(xorBytes + andBytes);
    put32(0);
    put32(0);
    put32(16);
    put32(0);
    for (int i = 0; i < 16; ++i) {
        const QRgb c = palette[std::size_t(i)];
        put8(qBlue(c));
        put8(qGreen(c));
        put8(qRed(c));
        put8(0);
    }
    for (int y = 31; y >= 0; --y)
        for (int x = 0; x < 32; x += 2)
            put8(unsigned(picture.Pixels[std::size_t(y) * 32 + x] << 4 |
                          picture.Pixels[std::size_t(y) * 32 + x + 1]));
    for (int y = 31; y >= 0; --y)
        for (int byte = 0; byte < 4; ++byte) {
            unsigned bits = 0;
            for (int bit = 0; bit < 8; ++bit)
                if (qAlpha(argb.pixel(byte * 8 + bit, y)) < 128) bits |= 0x80u >> bit;
            put8(bits);
        }
    return out;
}

} // namespace assetgen
