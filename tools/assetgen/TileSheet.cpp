// The tile sheet: numbers 1 to 100 on lavender tiles, then the same on pale yellow (highlighted).
#include "tools/assetgen/AssetGen.h"

#include <QPainter>
#include <cmath>

namespace assetgen {

void DrawTile(QImage& image, int x0, int y0, int number, bool highlighted, const Fonts& fonts,
              int size) {
    const QColor face = highlighted ? QColor(255, 255, 222) : QColor(222, 222, 255);
    const QColor light = highlighted ? QColor(255, 255, 250) : QColor(250, 250, 255);
    const QColor dark = highlighted ? QColor(176, 160, 104) : QColor(128, 128, 196);
    const QColor ink = highlighted ? QColor(104, 52, 16) : QColor(20, 26, 104);

    QPainter p(&image);
    p.fillRect(x0, y0, size, size, face);
    // One-pixel bevel: light along the top and left, dark along the bottom and right.
    p.fillRect(x0, y0, size, 1, light);
    p.fillRect(x0, y0, 1, size, light);
    p.fillRect(x0, y0 + size - 1, size, 1, dark);
    p.fillRect(x0 + size - 1, y0, 1, size, dark);

    QFont font(fonts.SansBold);
    font.setWeight(QFont::Bold);
    font.setPixelSize(int(std::lround((number >= 100 ? 15 : 16) * size / double(Cell))));
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setStyleStrategy(
        QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoSubpixelAntialias));
    p.setFont(font);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QString text = QString::number(number);
    const QRect box = QFontMetrics(font).tightBoundingRect(text);
    // Whole-pixel placement keeps the hinted stems sharp; the ink box is centred in the tile.
    const int x = x0 + (size - box.width()) / 2 - box.left();
    const int y = y0 + (size - box.height()) / 2 - box.top();
    p.setPen(ink);
    p.drawText(x, y, text);
}

QImage DrawTileSheet(const Fonts& fonts) {
    QImage sheet(10 * Cell, 20 * Cell, QImage::Format_RGB32);
    sheet.fill(Qt::black);
    for (int pattern = 0; pattern < 200; ++pattern) {
        const bool highlighted = pattern >= 100;
        const int number = highlighted ? pattern - 99 : pattern + 1;
        DrawTile(sheet, pattern % 10 * Cell, pattern / 10 * Cell, number, highlighted, fonts);
    }
    return sheet;
}

} // namespace assetgen
