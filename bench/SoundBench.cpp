// One sound play as the game makes it: look "Click" up and play it once, on an initialised wave
// list whose output is OpenAL Soft's wave-file writer (so no sound card is needed).
#include <QApplication>
#include <QWidget>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "sound/DXSounds.DXSound.h"
#include "sound/DXSounds.DXWaveList.h"

namespace {

void BM_PlayClick(benchmark::State& state) {
    QWidget form;
    TDXSound sound(&form);
    TDXWaveList list(&form);
    list.SetDXSound(&sound);
    TWaveCollectionItem* click = list.Items().Add();
    click->SetName("Click");
    click->Wave().LoadFromFile(ZELVAN_SOURCE_DIR "/assets/click.wav");
    try {
        sound.Initialize();
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
        return;
    }
    // As in the game, each play finds its earlier copy finished (here: stopped outside the
    // timing), so the copy is restarted rather than a new one made.
    for (auto _ : state) {
        state.PauseTiming();
        click->Stop();
        state.ResumeTiming();
        list.Items().Find("Click")->Play(false);
    }
    state.counters["PlayBuffers"] = click->PlayBufferCount();
    if (click->PlayBufferCount() != 1)
        state.SkipWithError("a play made a new copy instead of reusing one");
}
BENCHMARK(BM_PlayClick)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The wave-file output, written to a scratch file, unless the caller chose an output.
    const std::string dir =
        (std::filesystem::temp_directory_path() / "zelvan-sound-bench").string();
    std::filesystem::create_directories(dir);
    if (!std::getenv("ALSOFT_CONF")) {
        std::ofstream(dir + "/alsoft.conf")
            << "[general]\ndrivers = wave\n[wave]\nfile = " << dir << "/out.wav\n";
        setenv("ALSOFT_CONF", (dir + "/alsoft.conf").c_str(), 1);
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(dir);
    return 0;
}
