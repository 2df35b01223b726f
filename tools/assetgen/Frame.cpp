// The frame pictures: space backdrop, logo, the bevelled board frame, the see-through board and
// (for the numbered one) the row and column numbers in the border.
#include "tools/assetgen/AssetGen.h"

#include <QPainter>
#include <QRegion>
#include <algorithm>
#include <cmath>

namespace assetgen {

namespace {

constexpr int OuterBevel = 3, InnerBevel = 2;

QRgb Mix(QRgb a, QRgb b, double t) {
    return qRgb(int(std::lround(qRed(a) + (qRed(b) - qRed(a)) * t)),
                int(std::lround(qGreen(a) + (qGreen(b) - qGreen(a)) * t)),
                int(std::lround(qBlue(a) + (qBlue(b) - qBlue(a)) * t)));
}

// Colour of one pixel of the border ring, from its distances to the outer edge and the hole.
QRgb BorderPixel(int x, int y) {
    const QRgb face = qRgb(152, 150, 232);
    const QRgb light = qRgb(222, 220, 255), lighter = qRgb(246, 244, 255);
    const QRgb shade = qRgb(88, 84, 170), deeper = qRgb(52, 48, 120);

    const int toLeft = x - FrameLeft, toRight = FrameRight - x, toTop = y - FrameTop,
              toBottom = FrameBottom - y;
    const int outer = std::min({toLeft, toRight, toTop, toBottom});
    if (outer < OuterBevel) {
        // Raised outer edge: lit from the top left. At the corners the nearer edge wins, with the
        // top-right and bottom-left corners mitred along the diagonal.
        const bool lit =
            (outer == toLeft && toLeft <= toBottom) || (outer == toTop && toTop <= toRight);
        const double t = double(outer) / OuterBevel;
        return lit ? Mix(lighter, light, t) : Mix(deeper, shade, t);
    }

    // Distances outside the hole along each axis (0 when level with it).
    const int dx = x < BoardLeft ? BoardLeft - 1 - x : (x > BoardRight ? x - BoardRight - 1 : -1);
    const int dy = y < BoardTop ? BoardTop - 1 - y : (y > BoardBottom ? y - BoardBottom - 1 : -1);
    const int inner = std::max(dx, dy);
    if (inner < InnerBevel) {
        // Sunken inner edge: the top and left sides of the hole are in shadow.
        const bool shadowSide = (dy >= dx) ? y < BoardTop : x < BoardLeft;
        const double t = double(inner) / InnerBevel;
        return shadowSide ? Mix(deeper, shade, t) : Mix(lighter, light, t);
    }

    // The flat face, with a soft sheen that is brighter towards the top left.
    const double sheen = 1.06 - 0.12 * (double(x - FrameLeft) / (FrameRight - FrameLeft) * 0.35 +
                                        double(y - FrameTop) / (FrameBottom - FrameTop) * 0.65);
    return qRgb(std::min(255, int(qRed(face) * sheen)), std::min(255, int(qGreen(face) * sheen)),
                std::min(255, int(qBlue(face) * sheen)));
}

void DrawBorderNumbers(QImage& image, const Fonts& fonts) {
    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont font(fonts.SansBold);
    font.setWeight(QFont::Bold);
    font.setPixelSize(9); // "10" must fit the nine-pixel face of the left border
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setStyleStrategy(
        QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoSubpixelAntialias));
    p.setFont(font);
    // The figures stay inside the top and left borders.
    QRegion border(QRect(FrameLeft, FrameTop, FrameRight - FrameLeft + 1, BoardTop - FrameTop));
    border += QRect(FrameLeft, FrameTop, BoardLeft - FrameLeft, FrameBottom - FrameTop + 1);
    p.setClipRegion(border);
    const QFontMetrics metrics(font);
    auto figure = [&](int number, double centreX, double centreY) {
        const QString text = QString::number(number);
        const QRect ink = metrics.tightBoundingRect(text);
        const int x = int(std::floor(centreX - ink.width() / 2.0)) - ink.left();
        const int y = int(std::floor(centreY - ink.height() / 2.0)) - ink.top();
        p.setPen(QColor(30, 24, 90));
        p.drawText(x + 1, y + 1, text);
        p.setPen(Qt::white);
        p.drawText(x, y, text);
    };
    const double topMiddle = (FrameTop + OuterBevel + BoardTop - InnerBevel) / 2.0;
    // One pixel right of the face's middle: a light figure against the light outer bevel would
    // merge with it, while the dark inner bevel sets it off.
    const double leftMiddle = (FrameLeft + OuterBevel + BoardLeft - InnerBevel) / 2.0 + 1.0;
    for (int i = 1; i <= 10; ++i) {
        figure(i, BoardLeft + (i - 1) * Cell + Cell / 2.0, topMiddle);
        figure(i, leftMiddle, BoardTop + (i - 1) * Cell + Cell / 2.0);
    }
}

} // namespace

QImage DrawFrame(const Fonts& fonts, bool numbered) {
    // The galaxy sits in the gap between the side panel and the information text, right of the
    // board, where the window leaves the backdrop uncovered.
    QImage image = DrawSpace(SurfaceWidth, SurfaceHeight, 493, 249, 104, 0x5EED2026);
    DrawLogo(image, fonts, 168, 44, 1.0);

    // A soft shadow below and right of the frame lifts it off the sky.
    for (int y = FrameTop + 2; y <= FrameBottom + 6 && y < SurfaceHeight; ++y)
        for (int x = FrameLeft + 2; x <= FrameRight + 6 && x < SurfaceWidth; ++x) {
            if (x <= FrameRight && y <= FrameBottom) continue;
            const int d = std::max(x - FrameRight, y - FrameBottom);
            const double k = 0.55 * (1.0 - d / 7.0);
            auto* px = reinterpret_cast<QRgb*>(image.scanLine(y)) + x;
            *px = Mix(*px, qRgb(0, 0, 0), k);
        }
    for (int y = FrameTop; y <= FrameBottom; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = FrameLeft; x <= FrameRight; ++x) {
            const bool hole =
                x >= BoardLeft && x <= BoardRight && y >= BoardTop && y <= BoardBottom;
            line[x] = hole ? qRgb(0, 255, 0) : BorderPixel(x, y);
        }
    }
    if (numbered) DrawBorderNumbers(image, fonts);
    return image;
}

} // namespace assetgen
