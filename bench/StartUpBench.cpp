// Start-up beyond the splash: from the splash timer's tick to the main window's first painted
// frame, through the program body's own sequence (windows created in order, the loop run).
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>
#include <benchmark/benchmark.h>

#include "controls/FontSubstitutes.h"
#include "display/DXClass.Timer.h"
#include "display/DXDraws.Control.h"
#include "game/MainForm.h"
#include "platform/ui/Forms.h"
#include "shell/SplashScreen.h"

namespace {

// Notes the first paint of the drawing surface once a frame has been drawn into it.
class TFirstPaint : public QObject {
public:
    bool FrameDrawn = false;
    qint64 PaintedAt = -1;
    QElapsedTimer* Clock = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && FrameDrawn && PaintedAt < 0) {
            const bool handled = QObject::eventFilter(watched, event);
            PaintedAt = Clock->nsecsElapsed();
            return handled;
        }
        return false;
    }
};

void BM_StartUpAfterSplash(benchmark::State& state) {
    InstallFontSubstitutes();
    for (auto _ : state) {
        TApplication application;
        QElapsedTimer clock;
        clock.start();
        Form1 = new TForm1;
        frmSplash = new TfrmSplash;
        // The splash's three seconds are not what is measured: its timer is made due at once.
        frmSplash->Timer1->setInterval(0);
        qint64 tickAt = -1;
        QObject::connect(frmSplash->Timer1, &QTimer::timeout, [&] {
            if (tickAt < 0) tickAt = clock.nsecsElapsed();
        });
        TFirstPaint paint;
        paint.Clock = &clock;
        Form1->DXDraw1->installEventFilter(&paint);
        auto tick = Form1->DXTimer1->OnTimer;
        Form1->DXTimer1->OnTimer = [&](QObject* Sender, int Lag) {
            tick(Sender, Lag);
            paint.FrameDrawn = true;
        };
        // Ends the loop once the painted frame is in; the watchdog ends a run that hangs.
        QTimer done;
        QObject::connect(&done, &QTimer::timeout, [&] {
            if (paint.PaintedAt >= 0 || clock.elapsed() > 10000) application.Terminate();
        });
        done.start(1);
        application.Run();
        done.stop();
        Form1->DXDraw1->removeEventFilter(&paint);
        delete frmSplash;
        delete Form1;
        Form1 = nullptr;
        if (tickAt < 0 || paint.PaintedAt < 0) {
            state.SkipWithError("the main window did not paint a frame");
            return;
        }
        state.SetIterationTime(double(paint.PaintedAt - tickAt) / 1e9);
    }
}
BENCHMARK(BM_StartUpAfterSplash)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20)
    ->Repetitions(3);

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
