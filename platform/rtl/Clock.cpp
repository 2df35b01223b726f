// The millisecond clock over std::chrono::steady_clock, with a replaceable source for tests.
#include "platform/rtl/Clock.h"

#include <chrono>

namespace {
std::function<uint32_t()>& Source() {
    static std::function<uint32_t()> source;
    return source;
}
} // namespace

uint32_t TimeGetTime() {
    if (auto& s = Source()) return s();
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<uint32_t>(static_cast<uint64_t>(ms));
}

void SetClockSource(std::function<uint32_t()> source) {
    Source() = std::move(source);
}
