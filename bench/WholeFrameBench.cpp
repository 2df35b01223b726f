// One tick of the game's frame loop on the real main window, the vertical-blank wait switched off.
// BM_WholeFrame: a whole frame (fill, move pass, 102 sprites, keyed frame picture, copy into the
// window's image); the numbers setting flips between ticks, so every tick redraws all of it.
// BM_DragFrame: a frame of a drag, where the dragged row moves one pixel to and fro between ticks
// and only the row's band is redrawn and presented.
#include <QApplication>
#include <benchmark/benchmark.h>

#include <memory>

#include "BenchMainWindow.h"
#include "display/DXClass.Timer.h"
#include "display/DXDraws.Control.h"
#include "game/MainForm.h"
#include "game/Sprites.h"
#include "graphics/DXSpriteEngine.h"

namespace {

void MeasureFrames(benchmark::State& state, bool whole) {
    auto form = OpenBenchMainWindow(state);
    if (!form) return;
    TDXDraw* dx = form->DXDraw1;
    // A row in the middle of a drag, so the wrap-around sprites are on the surface as in play.
    form->SoundSetting.assign(1, '0');
    form->btnScrambleclick(nullptr);
    form->DXDraw1MouseDown(nullptr, mbLeft, 0, 100, 250);
    form->DXDraw1MouseMove(nullptr, ssLeft, 117, 250);
    if (form->Puzzle().Axis() != TAxis::Row) state.SkipWithError("the movement did not drag a row");
    int x = 117, drawn = 0;
    const unsigned long framesBefore = dx->VerticalBlankWaits();
    for (auto _ : state) {
        x = x == 117 ? 118 : 117;
        form->DXDraw1MouseMove(nullptr, ssLeft, x, 250);
        if (whole) form->NumberedSetting = form->NumberedSetting == "1" ? "0" : "1";
        form->DXSpriteEngine1->Root().PaintedCount = 0;
        form->DXTimer1Timer(form->DXTimer1, 1);
        drawn += form->DXSpriteEngine1->Root().PaintedCount == 102;
    }
    if (drawn != static_cast<int>(state.iterations()))
        state.SkipWithError("a tick drew no frame or not every sprite");
    if (dx->VerticalBlankWaits() != framesBefore)
        state.SkipWithError("the frame waited for the vertical blank");
    form.reset();
}

void BM_WholeFrame(benchmark::State& state) {
    MeasureFrames(state, true);
}
BENCHMARK(BM_WholeFrame)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_DragFrame(benchmark::State& state) {
    MeasureFrames(state, false);
}
BENCHMARK(BM_DragFrame)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace
