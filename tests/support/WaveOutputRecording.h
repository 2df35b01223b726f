// Tests that listen to what is played: OpenAL Soft's wave-file output as the only device, and the
// recording it writes read back as 16-bit samples.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/TestEnvironment.h"

inline std::string RecordingPath() {
    return TestConfigHome() + "/recorded.wav";
}

// OpenAL reads its configuration once per process, before the first device opens, so the
// environment is set up before any test runs: every sound goes to a wave file at 8,000 Hz mono
// 16-bit (an 8-bit wave at 8,000 Hz is recorded sample for sample). Extra lines join [general].
class WaveOutputEnvironment : public ::testing::Environment {
public:
    explicit WaveOutputEnvironment(std::string ExtraGeneral = {})
        : FExtra(std::move(ExtraGeneral)) {}
    void SetUp() override {
        const std::string conf = TestConfigHome() + "/alsoft.conf";
        std::ofstream(conf) << "[general]\ndrivers = wave\nfrequency = 8000\nchannels = mono\n"
                               "sample-type = int16\ndither = false\n"
                            << FExtra << "[wave]\nfile = " << RecordingPath() << "\n";
        setenv("ALSOFT_CONF", conf.c_str(), 1);
    }

private:
    std::string FExtra;
};

// The 16-bit samples of the recording (empty when there is none).
inline std::vector<int16_t> Recording() {
    std::ifstream in(RecordingPath(), std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    for (size_t i = 12; i + 8 <= bytes.size();) {
        uint32_t size =
            bytes[i + 4] | bytes[i + 5] << 8 | bytes[i + 6] << 16 | uint32_t(bytes[i + 7]) << 24;
        if (std::equal(bytes.begin() + long(i), bytes.begin() + long(i) + 4, "data")) {
            size = std::min<uint32_t>(size, uint32_t(bytes.size() - i - 8));
            std::vector<int16_t> samples(size / 2);
            std::memcpy(samples.data(), bytes.data() + i + 8, samples.size() * 2);
            return samples;
        }
        i += 8 + size;
    }
    return {};
}
