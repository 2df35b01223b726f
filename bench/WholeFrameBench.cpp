// One whole tick of the game's frame loop on the real main window: fill, move pass, 102 sprites,
// keyed frame picture, copy into the window's image; the vertical-blank wait is switched off. The
// dragged row moves one pixel to and fro between ticks, so every tick makes a frame.
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

void BM_WholeFrame(benchmark::State& state) {
    auto form = OpenBenchMainWindow(state);
    if (!form) return;
    TDXDraw* dx = form->DXDraw1;
    // A row in the middle of a drag, so the wrap-around sprites are on the surface as in play.
    form->SoundSetting.assign(1, '0');
    form->btnScrambleclick(nullptr);
    form->DXDraw1MouseDown(nullptr, mbLeft, 0, 100, 250);
    form->DXDraw1MouseMove(nullptr, 0, 117, 250);
    if (form->Puzzle().Axis() != TAxis::Row) state.SkipWithError("the movement did not drag a row");
    int x = 117, drawn = 0;
    for (auto _ : state) {
        x = x == 117 ? 118 : 117;
        form->DXDraw1MouseMove(nullptr, 0, x, 250);
        form->DXSpriteEngine1->Root().PaintedCount = 0;
        form->DXTimer1Timer(form->DXTimer1, 1);
        drawn += form->DXSpriteEngine1->Root().PaintedCount == 102;
    }
    if (drawn != static_cast<int>(state.iterations()))
        state.SkipWithError("a tick drew no frame or not every sprite");
    if (dx->VerticalBlankWaits() != 0)
        state.SkipWithError("the frame waited for the vertical blank");
    form.reset();
}
BENCHMARK(BM_WholeFrame)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace
