// The two sound effects, synthesised: "Click" (a short wooden tock) and "Blip" (a rising chime).
#include "tools/assetgen/AssetGen.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

namespace {

constexpr double Pi = 3.14159265358979323846;

// Raised-cosine ramps at both ends so neither sound starts or stops with a jump.
double Fade(int i, int count, int in, int out) {
    double k = 1;
    if (i < in) k *= 0.5 - 0.5 * std::cos(Pi * i / in);
    const int fromEnd = count - 1 - i;
    if (fromEnd < out) k *= 0.5 - 0.5 * std::cos(Pi * fromEnd / out);
    return k;
}

// 8-bit unsigned PCM: silence is 128.
TWave Pack(const std::vector<double>& samples, std::uint32_t rate) {
    TWave wave;
    wave.SetPCMFormat(rate, 1, 8);
    wave.SetSize(int(samples.size()));
    for (std::size_t i = 0; i < samples.size(); ++i)
        wave.Data()[i] = std::uint8_t(std::clamp(128 + int(std::lround(samples[i] * 127)), 1, 255));
    return wave;
}

} // namespace

TWave MakeClick() {
    constexpr int rate = 8000, count = 353;
    std::vector<double> s(count);
    Rng rng(0xC11C);
    double noise = 0;
    for (int i = 0; i < count; ++i) {
        const double t = double(i) / rate;
        // Two body modes of a small wooden block, and a brief filtered tap at the start.
        const double body = 0.62 * std::sin(2 * Pi * 1870 * t) * std::exp(-t / 0.0065) +
                            0.38 * std::sin(2 * Pi * 930 * t + 0.6) * std::exp(-t / 0.011);
        noise = 0.55 * noise + 0.45 * rng.Range(-1, 1);
        const double tap = noise * std::exp(-t / 0.0016) * 0.45;
        s[std::size_t(i)] = (body + tap) * 0.85 * Fade(i, count, 12, 60);
    }
    return Pack(s, rate);
}

TWave MakeBlip() {
    constexpr int rate = 11025, count = 789;
    std::vector<double> s(count);
    double phase = 0;
    for (int i = 0; i < count; ++i) {
        const double t = double(i) / rate;
        const double progress = double(i) / (count - 1);
        // A glide of a fifth, A5 to E6, with a soft octave overtone.
        const double freq = 880 * std::pow(1.5, std::min(1.0, progress * 1.8));
        phase += 2 * Pi * freq / rate;
        const double tone =
            std::sin(phase) + 0.22 * std::sin(2 * phase) + 0.06 * std::sin(3 * phase);
        const double envelope = std::exp(-t / 0.045);
        s[std::size_t(i)] = tone * envelope * 0.62 * Fade(i, count, 44, 160);
    }
    return Pack(s, rate);
}

} // namespace assetgen
