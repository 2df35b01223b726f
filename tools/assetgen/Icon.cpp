// The window icon: four small tiles on a rounded dark square, 32 × 32 in 16 colours (.ico).
#include "tools/assetgen/AssetGen.h"

#include <QPainter>
#include <stdexcept>

namespace assetgen {

QImage DrawIcon(const Fonts& fonts) {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(152, 150, 232), 1.0));
    p.setBrush(QColor(24, 18, 72));
    p.drawRoundedRect(QRectF(0.5, 0.5, 31, 31), 5, 5);
    p.setRenderHint(QPainter::Antialiasing, false);

    QFont font(fonts.SansBold);
    font.setWeight(QFont::Bold);
    font.setPixelSize(11);
    font.setHintingPreference(QFont::PreferFullHinting);
    // Two-level edges survive the 16-colour table better than soft ones.
    font.setStyleStrategy(QFont::NoAntialias);
    p.setFont(font);
    const QFontMetrics metrics(font);
    for (int i = 0; i < 4; ++i) {
        const int x = 3 + (i % 2) * 14, y = 3 + (i / 2) * 14;
        const bool highlighted = i == 3;
        p.fillRect(x, y, 12, 12, highlighted ? QColor(255, 255, 128) : QColor(222, 222, 255));
        p.fillRect(x, y + 11, 12, 1, highlighted ? QColor(176, 160, 104) : QColor(128, 128, 196));
        p.fillRect(x + 11, y, 1, 12, highlighted ? QColor(176, 160, 104) : QColor(128, 128, 196));
        const QString text = QString::number(i + 1);
        const QRect ink = metrics.tightBoundingRect(text);
        p.setPen(highlighted ? QColor(128, 64, 0) : QColor(0, 0, 128));
        p.drawText(x + (12 - ink.width()) / 2 - ink.left(), y + (12 - ink.height()) / 2 - ink.top(), text);
    }
    return image;
}

std::vector<std::uint8_t> EncodeIcon(const QImage& source) {
    if (source.width() != 32 || source.height() != 32) throw std::runtime_error("the icon must be 32 x 32");
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
    auto put16 = [&](unsigned v) { put8(v & 0xFF); put8(v >> 8 & 0xFF); };
    auto put32 = [&](std::uint32_t v) { put16(v & 0xFFFF); put16(v >> 16); };
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
            put8(unsigned(picture.Pixels[std::size_t(y) * 32 + x] << 4 | picture.Pixels[std::size_t(y) * 32 + x + 1]));
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
