// The game's own work: dealing a game on the puzzle model, and one mouse movement on the real main
// window handled and drawn into the next frame.
#include <QApplication>
#include <QMouseEvent>
#include <benchmark/benchmark.h>

#include <memory>

#include "BenchMainWindow.h"
#include "display/DXClass.Timer.h"
#include "display/DXDraws.Control.h"
#include "game/MainForm.h"
#include "game/model/Puzzle.h"
#include "graphics/DXSpriteEngine.h"

namespace {

// One whole deal: the start layout, 100 passes of up to ten steps, the patterns refreshed.
void BM_Scramble(benchmark::State& state) {
    TPuzzle puzzle;
    const TStartLayout layout = SolvedLayout();
    for (auto _ : state) {
        puzzle.Scramble(layout, true);
        benchmark::DoNotOptimize(puzzle.TileIn(1, 1));
    }
}
BENCHMARK(BM_Scramble)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

void SendMouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButtons held) {
    QMouseEvent event(type, at, target->mapToGlobal(at),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// A movement event of a row drag through Qt to the display control's handler, then the next frame
// (no vertical-blank wait). The pointer moves 17 pixels each time, so every second event completes
// a step of the row.
void BM_DragStep(benchmark::State& state) {
    auto form = OpenBenchMainWindow(state);
    if (!form) return;
    TDXDraw* dx = form->DXDraw1;
    form->SoundSetting.assign(1, '0'); // silent: the sound device is not what is measured
    form->btnScrambleclick(nullptr);
    int x = 100;
    SendMouse(dx, QEvent::MouseButtonPress, {x, 250}, Qt::LeftButton);
    for (auto _ : state) {
        x += 17;
        SendMouse(dx, QEvent::MouseMove, {x, 250}, Qt::LeftButton);
        form->DXTimer1Timer(form->DXTimer1, 1);
    }
    if (form->Puzzle().Axis() != TAxis::Row || form->Puzzle().Line() != 5)
        state.SkipWithError("the movements did not drag row 5");
    SendMouse(dx, QEvent::MouseButtonRelease, {x, 250}, Qt::NoButton);
    form.reset();
}
BENCHMARK(BM_DragStep)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace
