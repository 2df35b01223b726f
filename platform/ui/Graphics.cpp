// Canvas drawing on device contexts, and the picture base.
#include "platform/ui/Graphics.h"

#include "platform/ui/BlockCopy.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cstring>

void TGraphic::SetSize(int, int, int) {
    throw EInvalidGraphicOperation(Format("Cannot change the size of a %s", ClassName()));
}

// ---------------------------------------------------------------------------------------------
// Canvas

static QRgb ToQRgb(TColor color) {
    const TColor c = ColorToRGB(color);
    return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

static TColor FromQRgb(QRgb c) {
    return RGB(qRed(c), qGreen(c), qBlue(c));
}

namespace {

bool IsIndexed(const QImage& image) {
    return image.format() == QImage::Format_Indexed8 || image.format() == QImage::Format_Mono ||
           image.format() == QImage::Format_MonoLSB;
}

// Runs a QPainter over the image. Indexed images cannot be painted on directly: the drawing goes
// to an RGB copy and every pixel it changed is mapped back to the nearest colour-table entry.
template <class Fn> void PaintOn(QImage& image, Fn&& fn) {
    if (image.isNull()) return;
    if (!IsIndexed(image)) {
        QPainter painter(&image);
        fn(painter);
        return;
    }
    const QImage before = image.convertToFormat(QImage::Format_RGB32);
    QImage after = before;
    {
        QPainter painter(&after);
        fn(painter);
    }
    const QList<QRgb> table = image.colorTable();
    if (table.isEmpty()) return;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* b = reinterpret_cast<const QRgb*>(before.constScanLine(y));
        const QRgb* a = reinterpret_cast<const QRgb*>(after.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (a[x] != b[x])
                image.setPixel(x, y, static_cast<uint>(NearestColorIndex(table, a[x])));
    }
}

QFont CanvasFont(const TCanvas& canvas) {
    QFont font(QString::fromStdString(canvas.FontName));
    font.setPointSize(canvas.FontSize > 0 ? canvas.FontSize : 8);
    font.setBold(canvas.FontBold);
    return font;
}

} // namespace

HDC TCanvas::Handle() {
    if (!FHandle) CreateHandle();
    return FHandle;
}

void TCanvas::FillRect(const TRect& rect) {
    HDC dc = Handle();
    if (!dc || BrushStyle == TBrushStyle::bsClear) return;
    QImage& image = dc->Image;
    if (image.format() == QImage::Format_Indexed8) {
        // Solid fills on indexed images go straight to the nearest entry.
        const QRect r = QRect(rect.Left, rect.Top, rect.Width(), rect.Height()) & image.rect();
        if (r.isEmpty() || image.colorTable().isEmpty()) return;
        const auto index =
            static_cast<uchar>(NearestColorIndex(image.colorTable(), ToQRgb(BrushColor)));
        for (int y = r.top(); y <= r.bottom(); ++y)
            std::memset(image.scanLine(y) + r.left(), index, r.width());
        return;
    }
    const QRgb color = ToQRgb(BrushColor);
    PaintOn(image, [&](QPainter& p) {
        p.fillRect(rect.Left, rect.Top, rect.Width(), rect.Height(), color);
    });
}

void TCanvas::Rectangle(const TRect& rect) {
    HDC dc = Handle();
    if (!dc || rect.Width() <= 0 || rect.Height() <= 0) return;
    PaintOn(dc->Image, [&](QPainter& p) {
        if (BrushStyle == TBrushStyle::bsSolid)
            p.fillRect(rect.Left, rect.Top, rect.Width(), rect.Height(), ToQRgb(BrushColor));
        QPen pen{QColor(ToQRgb(PenColor))};
        pen.setWidth(std::max(1, PenWidth));
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect.Left, rect.Top, rect.Width() - 1, rect.Height() - 1);
    });
}

void TCanvas::MoveTo(int x, int y) {
    PenPos = {x, y};
}

void TCanvas::LineTo(int x, int y) {
    HDC dc = Handle();
    const TPoint from = PenPos;
    PenPos = {x, y};
    if (!dc) return;
    PaintOn(dc->Image, [&](QPainter& p) {
        QPen pen{QColor(ToQRgb(PenColor))};
        pen.setWidth(std::max(1, PenWidth));
        p.setPen(pen);
        p.drawLine(from.X, from.Y, x, y);
    });
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
    HDC dc = Handle();
    if (!dc) return;
    const QFont font = CanvasFont(*this);
    const QString s = QString::fromStdString(text);
    PaintOn(dc->Image, [&](QPainter& p) {
        p.setFont(font);
        const QFontMetrics fm(font);
        if (BrushStyle == TBrushStyle::bsSolid)
            p.fillRect(x, y, fm.horizontalAdvance(s), fm.height(), ToQRgb(BrushColor));
        p.setPen(QColor(ToQRgb(FontColor)));
        p.drawText(x, y + fm.ascent(), s);
    });
}

int TCanvas::TextWidth(const std::string& text) {
    return QFontMetrics(CanvasFont(*this)).horizontalAdvance(QString::fromStdString(text));
}

int TCanvas::TextHeight(const std::string&) {
    return QFontMetrics(CanvasFont(*this)).height();
}

TColor TCanvas::Pixel(int x, int y) {
    HDC dc = Handle();
    if (!dc || !dc->Image.valid(x, y)) return clNone;
    return FromQRgb(dc->Image.pixel(x, y));
}

void TCanvas::SetPixel(int x, int y, TColor color) {
    HDC dc = Handle();
    if (!dc || !dc->Image.valid(x, y)) return;
    QImage& image = dc->Image;
    if (IsIndexed(image)) {
        if (image.colorTable().isEmpty()) return;
        image.setPixel(x, y,
                       static_cast<uint>(NearestColorIndex(image.colorTable(), ToQRgb(color))));
    } else {
        image.setPixel(x, y, ToQRgb(color));
    }
}

void TCanvas::Draw(int x, int y, TGraphic& graphic) {
    if (graphic.Empty()) return;
    graphic.Draw(*this, Bounds(x, y, graphic.Width(), graphic.Height()));
}

void TCanvas::StretchDraw(const TRect& rect, TGraphic& graphic) {
    if (graphic.Empty()) return;
    graphic.Draw(*this, rect);
}

void TCanvas::CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect) {
    StretchBlt(Handle(), dest.Left, dest.Top, dest.Width(), dest.Height(), source.Handle(),
               sourceRect.Left, sourceRect.Top, sourceRect.Width(), sourceRect.Height(), SRCCOPY);
}
