// The real main window under a real application object, its frame loop driven a few ticks at a
// time, and an independent picture of what a frame must look like.
#pragma once

#include "display/DXClass.Timer.h"
#include "display/DXDraws.Control.h"
#include "game/MainForm.h"
#include "game/Sprites.h"
#include "graphics/DIB.h"
#include "platform/ui/Forms.h"
#include "shell/Settings.h"
#include "tests/support/ResourcePicture.h"

#include <QElapsedTimer>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

inline void StoreValue(const std::string& name, const std::string& text) {
    WriteRegistryString(HKEY_CURRENT_USER, ZelvanKeyPath, name, text);
}
inline std::string StoredValue(const std::string& name) {
    return ReadRegistryString(HKEY_CURRENT_USER, ZelvanKeyPath, name);
}

class MainWindowTest : public ::testing::Test {
protected:
    static inline QImage Sheet, Frame, NumberedFrame;
    static void SetUpTestSuite() {
        Q_INIT_RESOURCE(assets);
        Sheet = ResourcePicture("tiles.dib");
        Frame = ResourcePicture("frame.dib");
        NumberedFrame = ResourcePicture("frame-numbered.dib");
    }

    void SetUp() override {
        ASSERT_FALSE(Sheet.isNull());
        App = std::make_unique<TApplication>();
        App->OnException = [this](QObject*, const std::exception& E) {
            Reported.push_back(E.what());
        };
    }
    void TearDown() override {
        delete Form;
        Form1 = nullptr;
        App.reset();
        for (const char* name : {"Sound", "Highlight", "Numbered", "TopPlayer", "HighScore"})
            StoreValue(name, "");
    }

    // Builds the main window and shows it as the loop does, counting the frame timer's ticks.
    void Start() {
        Form = new TForm1;
        Form1 = Form;
        auto tick = Form->DXTimer1->OnTimer;
        Form->DXTimer1->OnTimer = [this, tick](QObject* Sender, int Lag) {
            tick(Sender, Lag);
            ++Ticks;
        };
        Form->show();
    }

    // Runs the loop until n more frames have been drawn (or a generous deadline has passed).
    void RunTicks(int n) {
        const int until = Ticks + n;
        QElapsedTimer clock;
        clock.start();
        while (Ticks < until && clock.elapsed() < 10000)
            App->HandleMessage();
        ASSERT_GE(Ticks, until) << "the frame timer did not run";
        App->ProcessMessages();
    }

    // What the drawing surface shows now.
    QImage Shown() const {
        return Form->DXDraw1->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    // The frame as it must be: black, every sprite's pattern at its place, the frame picture over
    // everything but its lime see-through area.
    QImage Expected(bool numbered) const {
        QImage out(600, 480, QImage::Format_RGB32);
        out.fill(Qt::black);
        for (int i = 1; i <= 102; ++i) {
            const TMySprite* s = Form->Tiles(i);
            const int p = s->PatternBase;
            const int sx = (p % 10) * 34, sy = (p / 10) * 34;
            for (int y = 0; y < 34; ++y)
                for (int x = 0; x < 34; ++x) {
                    const int dx = int(s->X) + x, dy = int(s->Y) + y;
                    if (dx >= 0 && dy >= 0 && dx < 600 && dy < 480)
                        out.setPixel(dx, dy, Sheet.pixel(sx + x, sy + y));
                }
        }
        const QImage& frame = numbered ? NumberedFrame : Frame;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 600; ++x)
                if ((frame.pixel(x, y) & 0xFFFFFF) != 0x00FF00)
                    out.setPixel(x, y, frame.pixel(x, y));
        return out;
    }

    // Number of pixels that differ, with the first one described in Where.
    static int Differences(const QImage& a, const QImage& b, std::string& Where) {
        int count = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 600; ++x)
                if ((a.pixel(x, y) & 0xFFFFFF) != (b.pixel(x, y) & 0xFFFFFF) && count++ == 0)
                    Where = "first at (" + std::to_string(x) + ", " + std::to_string(y) + ")";
        return count;
    }

    // Colour of pixel (x, y) of pattern p of the tile sheet.
    static QRgb SheetPixel(int p, int x, int y) {
        return Sheet.pixel((p % 10) * 34 + x, (p / 10) * 34 + y) & 0xFFFFFF;
    }

    std::unique_ptr<TApplication> App;
    TForm1* Form = nullptr;
    int Ticks = 0;
    std::vector<std::string> Reported;
};
