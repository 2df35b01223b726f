// Presentation counters of the display device, written to a file for measurements of the running
// program (ZELVAN_DDRAW_COUNTERS).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/ddraw/DDraw.Device.h"
#include "platform/ddraw/DDraw.Presentation.h"

namespace ddraw {

namespace {

struct Counters {
    uint64_t Presented = 0;
    uint64_t Changed = 0;
    std::string Path;
    std::chrono::steady_clock::time_point LastWrite{};
};

Counters& State() {
    static Counters counters = [] {
        Counters c;
        if (const char* path = std::getenv("ZELVAN_DDRAW_COUNTERS")) c.Path = path;
        return c;
    }();
    return counters;
}

// Writes the counts as of now beside the file and renames, so a reader never sees half a file.
void Write(const Counters& c, std::chrono::steady_clock::time_point now) {
    const std::string partial = c.Path + ".partial";
    FILE* file = std::fopen(partial.c_str(), "w");
    if (!file) return;
    const double seconds = std::chrono::duration<double>(now.time_since_epoch()).count();
    std::fprintf(file, "presented %llu\nchanged %llu\nrefresh %d\nseconds %.6f\n",
                 static_cast<unsigned long long>(c.Presented),
                 static_cast<unsigned long long>(c.Changed), RefreshRate(), seconds);
    if (std::fclose(file) == 0) std::rename(partial.c_str(), c.Path.c_str());
}

} // namespace

void CountPresentation(bool changed) {
    Counters& c = State();
    ++c.Presented;
    if (changed) ++c.Changed;
    if (c.Path.empty()) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - c.LastWrite < std::chrono::seconds(1)) return;
    c.LastWrite = now;
    Write(c, now);
}

} // namespace ddraw
