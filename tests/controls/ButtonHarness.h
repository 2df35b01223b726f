// Test harness for the flat colour button: a shown host window, real mouse input, pixel probes.
#pragma once

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include "controls/brixColorButton.h"

// Counts its paints, so tests can tell a repaint request from none.
class TCountingButton : public TbrixColorButton {
public:
    using TbrixColorButton::TbrixColorButton;
    int Paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override {
        ++Paints;
        TbrixColorButton::paintEvent(event);
    }
};

inline QColor Rgb(TColor c) {
    const TColor v = ColorToRGB(c);
    return QColor(GetRValue(v), GetGValue(v), GetBValue(v));
}

inline QColor Pixel(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

// Number of pixels of exactly this colour inside the rectangle.
inline int CountColor(const QImage& image, const QRect& area, const QColor& color) {
    int n = 0;
    const QRect r = area & image.rect();
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (image.pixelColor(x, y).rgb() == color.rgb()) ++n;
    return n;
}

// Smallest rectangle holding every pixel of this colour (null when there is none).
inline QRect ColorBounds(const QImage& image, const QColor& color) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).rgb() == color.rgb()) bounds |= QRect(x, y, 1, 1);
    return bounds;
}

// A shown top-level window with one button on it. Mouse input goes through the window system
// layer, so the button gets what a real pointer would give it: enter and leave, the mouse kept by
// the pressed control, double clicks from the click timing.
class ButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        Host = new QWidget;
        Host->setAttribute(Qt::WA_DeleteOnClose, false);
        Host->resize(200, 120);
        Host->setPalette(QPalette(Qt::black));
        Host->setAutoFillBackground(true);
        Button = new TCountingButton(Host);
        Button->move(20, 20);
        Button->resize(80, 26);
        // Crisp glyphs: every caption pixel is exactly the caption colour.
        QFont f(QStringLiteral("Liberation Sans"));
        f.setPixelSize(14);
        f.setBold(true);
        f.setStyleStrategy(QFont::NoAntialias);
        Button->setFont(f);
        Button->SetFontColor(clBlack);
        Host->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Host));
        MoveTo(QPoint(180, 100)); // start with the pointer away from the button
    }
    void TearDown() override {
        // Leave no button held for the next test.
        if (Held != Qt::NoButton) QTest::mouseRelease(Window(), Held, {}, QPoint(180, 100));
        delete Host;
    }

    QWindow* Window() const { return Host->windowHandle(); }
    QPoint Center() const { return Button->geometry().center(); }
    QPoint Outside() const { return QPoint(180, 100); }

    void MoveTo(QPoint p) {
        QTest::mouseMove(Window(), p);
        QApplication::processEvents();
    }
    void Press(Qt::MouseButton b, QPoint p) {
        QTest::mousePress(Window(), b, {}, p);
        Held = b;
        QApplication::processEvents();
    }
    void Release(Qt::MouseButton b, QPoint p) {
        QTest::mouseRelease(Window(), b, {}, p);
        Held = Qt::NoButton;
        QApplication::processEvents();
    }
    void ClickAt(Qt::MouseButton b, QPoint p) {
        MoveTo(p);
        Press(b, p);
        Release(b, p);
    }
    QImage Shot() const { return Button->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    QWidget* Host = nullptr;
    TCountingButton* Button = nullptr;
    Qt::MouseButton Held = Qt::NoButton;
};
