// One whole tick of the game's frame loop on the real main window: fill, move pass, 102 sprites,
// keyed frame picture, copy into the window's image; the vertical-blank wait is switched off.
#include <QApplication>
#include <benchmark/benchmark.h>

#include <memory>

#include "display/DXClass.Timer.h"
#include "display/DXDraws.h"
#include "game/MainForm.h"
#include "game/Sprites.h"
#include "graphics/DXSpriteEngine.h"

namespace {

void BM_WholeFrame(benchmark::State& state) {
    auto form = std::make_unique<TForm1>();
    form->show(); // builds the display, its surfaces and the 102 sprites
    QApplication::processEvents();
    TDXDraw* dx = form->DXDraw1;
    if (!dx->Initialized() || !form->Tiles[102]) {
        state.SkipWithError("the main window did not come up");
        return;
    }
    TDXDrawOptions options = dx->Options();
    options.Exclude(doWaitVBlank);
    dx->SetOptions(options);
    // A row in the middle of a drag, so the wrap-around sprites are on the surface as in play.
    form->Puzzle.RowIndex = 5;
    form->Puzzle.Axis = "Row";
    form->PlaceDummySprites("Row", 5);
    form->ScrollRow(17);
    for (auto _ : state)
        form->DXTimer1Timer(form->DXTimer1, 1);
    if (form->DXSpriteEngine1->Root().PaintedCount != 102)
        state.SkipWithError("not every sprite was drawn");
    if (dx->VerticalBlankWaits() != 0)
        state.SkipWithError("the frame waited for the vertical blank");
    form.reset();
}
BENCHMARK(BM_WholeFrame)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace
