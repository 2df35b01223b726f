// The real main window as the benchmarks measure it: shown offscreen with its display, surfaces
// and 102 sprites built, and the vertical-blank wait switched off.
#pragma once

#include <QApplication>
#include <benchmark/benchmark.h>

#include <memory>

#include "display/DXDraws.Control.h"
#include "game/MainForm.h"

// Null (and the benchmark marked as failed) when the window did not come up.
inline std::unique_ptr<TForm1> OpenBenchMainWindow(benchmark::State& state) {
    auto form = std::make_unique<TForm1>();
    form->show();
    QApplication::processEvents();
    TDXDraw* dx = form->DXDraw1;
    if (!dx->Initialized() || !form->Tiles(102)) {
        state.SkipWithError("the main window did not come up");
        return nullptr;
    }
    TDXDrawOptions options = dx->Options();
    options.Exclude(doWaitVBlank);
    dx->SetOptions(options);
    return form;
}
