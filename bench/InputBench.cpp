// Input to pixels: from a mouse movement handled by the main window until the first frame drawn
// after it is in the window system's hands (put straight into the window, or painted and
// flushed), while a row is dragged back and forth.
// The window runs as in play (the program's own loop, the vertical-blank wait on); movements
// arrive at a period unrelated to the refresh, so they land at every phase of a frame.
#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "display/DXClass.Timer.h"
#include "display/DXDraws.Control.h"
#include "game/MainForm.h"
#include "platform/ui/Forms.h"

namespace {

constexpr int Samples = 300;

// Times each movement of the display to the paint that shows the frame drawn after it.
class TInputProbe : public QObject {
public:
    QElapsedTimer Clock;
    bool Waiting = false;    // a movement was handled; its frame is not painted yet
    bool FrameDrawn = false; // a frame tick has run since that movement
    qint64 MovedAt = 0;
    std::vector<double> Latencies; // in milliseconds

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseMove && !Waiting) {
            MovedAt = Clock.nsecsElapsed();
            Waiting = true;
            FrameDrawn = false;
        } else if (event->type() == QEvent::Paint && Waiting && FrameDrawn) {
            // The paint itself is part of what is measured: run it here, then take the time.
            watched->event(event);
            Latencies.push_back(double(Clock.nsecsElapsed() - MovedAt) / 1e6);
            Waiting = false;
            return true;
        }
        return false;
    }
};

void Move(QWidget* target, QEvent::Type type, QPoint at) {
    QMouseEvent event(type, QPointF(at), QPointF(target->mapToGlobal(at)),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

double Percentile(std::vector<double> sorted, double share) {
    const size_t at = std::min(sorted.size() - 1, size_t(share * double(sorted.size() - 1) + 0.5));
    return sorted[at];
}

void BM_InputToPixels(benchmark::State& state) {
    for (auto _ : state) {
        TApplication application;
        auto form = std::make_unique<TForm1>();
        form->show();
        application.ProcessMessages();
        TDXDraw* dx = form->DXDraw1;
        if (!dx->Initialized()) {
            state.SkipWithError("the main window did not come up");
            return;
        }
        TInputProbe probe;
        probe.Clock.start();
        dx->installEventFilter(&probe);
        auto tick = form->DXTimer1->OnTimer;
        form->DXTimer1->OnTimer = [&](QObject* Sender, int Lag) {
            const unsigned long direct = dx->FramesShownDirectly();
            tick(Sender, Lag);
            if (!probe.Waiting) return;
            probe.FrameDrawn = true;
            if (dx->FramesShownDirectly() != direct) { // shown with no paint to wait for
                probe.Latencies.push_back(double(probe.Clock.nsecsElapsed() - probe.MovedAt) / 1e6);
                probe.Waiting = false;
            }
        };
        // A game dealt, then a press on row 5 and a drag across five cells and back.
        form->btnScrambleclick(nullptr);
        const int y = 258;
        Move(dx, QEvent::MouseButtonPress, QPoint(119, y));
        std::vector<int> path;
        for (int x = 125; x <= 289; x += 6)
            path.push_back(x);
        for (int x = 283; x >= 119; x -= 6)
            path.push_back(x);
        size_t step = 0;
        QTimer mover;
        mover.setTimerType(Qt::PreciseTimer);
        mover.setInterval(23); // no multiple of a refresh period
        QObject::connect(&mover, &QTimer::timeout, [&] {
            if (probe.Waiting) return; // one movement at a time, so each one is timed alone
            Move(dx, QEvent::MouseMove, QPoint(path[step++ % path.size()], y));
        });
        mover.start();
        QElapsedTimer watchdog;
        watchdog.start();
        while (probe.Latencies.size() < size_t(Samples) && watchdog.elapsed() < 60000)
            application.HandleMessage();
        mover.stop();
        Move(dx, QEvent::MouseButtonRelease, QPoint(path[(step + path.size() - 1) % path.size()], y));
        dx->removeEventFilter(&probe);
        form->DXTimer1->OnTimer = tick;
        if (probe.Latencies.size() < size_t(Samples)) {
            state.SkipWithError("the movements did not reach the window within a minute");
            return;
        }
        std::vector<double> sorted = probe.Latencies;
        std::sort(sorted.begin(), sorted.end());
        const double hz = QGuiApplication::primaryScreen()->refreshRate();
        const double period = hz > 0 ? 1000.0 / hz : 1000.0 / 60;
        const double median = Percentile(sorted, 0.5);
        state.SetIterationTime(median / 1000);
        state.counters["refresh_ms"] = period;
        state.counters["min_ms"] = sorted.front();
        state.counters["p10_ms"] = Percentile(sorted, 0.1);
        state.counters["median_ms"] = median;
        state.counters["p90_ms"] = Percentile(sorted, 0.9);
        state.counters["p99_ms"] = Percentile(sorted, 0.99);
        state.counters["max_ms"] = sorted.back();
        state.counters["within_refresh_%"] =
            100.0 * double(std::upper_bound(sorted.begin(), sorted.end(), period) - sorted.begin()) /
            double(sorted.size());
    }
}
BENCHMARK(BM_InputToPixels)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The settings of this run go to a folder of its own.
    char folder[] = "/tmp/zelvan-input-bench-XXXXXX";
    if (!std::getenv("XDG_CONFIG_HOME") && mkdtemp(folder)) setenv("XDG_CONFIG_HOME", folder, 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
