// Fuzz target for the wave reader: a RIFF "WAVE" stream read into a TWave.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "sound/Wave.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TWave wave;
    wave.SetPCMFormat(8000, 1, 8);
    wave.SetSize(3);
    const std::vector<std::uint8_t> before = wave.SaveToBytes();
    try {
        wave.LoadFromBytes(data, size);
    } catch (const Exception&) {
        // Malformed input raises the wave or stream errors and leaves the wave as it was.
        if (wave.SaveToBytes() != before) std::abort();
        return 0;
    }
    // Whatever was read is within the bytes given and survives a write/read round trip.
    if (wave.Size() < 0 || std::size_t(wave.Size()) > size || std::size_t(wave.FormatSize()) > size)
        std::abort();
    if (wave.Capacity() % TWave::DataBlock != 0 || wave.Capacity() < std::size_t(wave.Size()))
        std::abort();
    const std::vector<std::uint8_t> written = wave.SaveToBytes();
    if (written.empty()) return 0;
    TWave copy;
    copy.LoadFromBytes(written);
    if (copy.SaveToBytes() != written) std::abort();
    return 0;
}
