// Tests of the wave data: RIFF reading and writing, hostile streams, and the block-wise sample
// memory.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "sound/Wave.h"
#include "sound/Wave.Stream.h"
#include "sound/Wave.StreamError.h"
#include "tests/support/TestEnvironment.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Append(Bytes& out, const void* data, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    out.insert(out.end(), p, p + size);
}
void Append32(Bytes& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(std::uint8_t(v >> (8 * i)));
}
void Chunk(Bytes& out, const char* id, const Bytes& body, std::uint32_t claimedSize = UINT32_MAX) {
    Append(out, id, 4);
    Append32(out, claimedSize == UINT32_MAX ? std::uint32_t(body.size()) : claimedSize);
    Append(out, body.data(), body.size());
}
Bytes Pcm(std::uint32_t rate, std::uint16_t channels, std::uint16_t bits) {
    TWave w;
    w.SetPCMFormat(rate, channels, bits);
    return w.FormatBlock();
}
// "RIFF" <length> "WAVE" followed by the given chunk bytes.
Bytes Riff(const Bytes& chunks) {
    Bytes out;
    Append(out, "RIFF", 4);
    Append32(out, std::uint32_t(chunks.size() + 4));
    Append(out, "WAVE", 4);
    Append(out, chunks.data(), chunks.size());
    return out;
}
Bytes Samples(std::size_t n, std::uint8_t first = 1) {
    Bytes s(n);
    for (std::size_t i = 0; i < n; ++i)
        s[i] = std::uint8_t(first + i * 7);
    return s;
}
Bytes PlainWave(const Bytes& samples, std::uint32_t rate = 8000) {
    Bytes chunks;
    Chunk(chunks, "fmt ", Pcm(rate, 1, 8));
    Chunk(chunks, "data", samples);
    return Riff(chunks);
}
Bytes Content(const TWave& w) {
    return Bytes(w.Data(), w.Data() + w.Size());
}

// Runs the read and returns the error message ("" when it succeeded).
std::string ReadError(TWave& wave, const Bytes& bytes) {
    try {
        wave.LoadFromBytes(bytes);
    } catch (const EWaveStreamError& e) {
        return e.Message;
    } catch (const EStreamError& e) {
        return e.Message;
    }
    return "";
}

TEST(WaveData, WritesTheRiffLayoutAndReadsItBack) {
    TWave wave;
    wave.SetPCMFormat(11025, 1, 8);
    wave.SetSize(789);
    const Bytes samples = Samples(789);
    std::memcpy(wave.Data(), samples.data(), samples.size());

    const Bytes bytes = wave.SaveToBytes();
    ASSERT_EQ(bytes.size(), 833u); // 12 + 8 + 16 + 8 + 789
    EXPECT_EQ(std::memcmp(bytes.data(), "RIFF", 4), 0);
    EXPECT_EQ(bytes[4] | bytes[5] << 8 | bytes[6] << 16 | bytes[7] << 24, 833 - 8);
    EXPECT_EQ(std::memcmp(bytes.data() + 8, "WAVEfmt ", 8), 0);
    EXPECT_EQ(bytes[16], 16);
    EXPECT_EQ(std::memcmp(bytes.data() + 36, "data", 4), 0);
    EXPECT_EQ(bytes[40] | bytes[41] << 8, 789);

    TWave back;
    back.LoadFromBytes(bytes);
    EXPECT_EQ(back.FormatBlock(), wave.FormatBlock());
    EXPECT_EQ(Content(back), samples);
    const TWaveFormatEx f = back.Format();
    EXPECT_EQ(f.wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(f.nChannels, 1);
    EXPECT_EQ(f.nSamplesPerSec, 11025u);
    EXPECT_EQ(f.nAvgBytesPerSec, 11025u);
    EXPECT_EQ(f.nBlockAlign, 1);
    EXPECT_EQ(f.wBitsPerSample, 8);

    TWave stereo;
    stereo.SetPCMFormat(44100, 2, 16);
    EXPECT_EQ(stereo.Format().nBlockAlign, 4);
    EXPECT_EQ(stereo.Format().nAvgBytesPerSec, 176400u);
}

TEST(WaveData, WritesNothingWithoutFormatOrSamples) {
    TWave noSamples;
    noSamples.SetPCMFormat(8000, 1, 8);
    EXPECT_TRUE(noSamples.SaveToBytes().empty());
    TWave noFormat;
    noFormat.SetSize(10);
    EXPECT_TRUE(noFormat.SaveToBytes().empty());
}

TEST(WaveData, SkipsOtherChunksAndTakesTheLastFormatAndData) {
    Bytes chunks;
    Chunk(chunks, "LIST", Samples(9)); // odd size, skipped without a pad byte
    Chunk(chunks, "fmt ", Pcm(22050, 1, 8));
    Chunk(chunks, "data", Samples(5, 100));
    Chunk(chunks, "cue ", Samples(12));
    Chunk(chunks, "fmt ", Pcm(8000, 1, 8));
    Chunk(chunks, "data", Samples(3, 200));
    Chunk(chunks, "junk", Samples(4));
    TWave wave;
    wave.LoadFromBytes(Riff(chunks));
    EXPECT_EQ(wave.Format().nSamplesPerSec, 8000u);
    EXPECT_EQ(Content(wave), Samples(3, 200));
}

TEST(WaveData, DataAsTheLastChunkAndTrailingPaddingReadCompletely) {
    TWave wave;
    wave.LoadFromBytes(PlainWave(Samples(353)));
    EXPECT_EQ(Content(wave), Samples(353));

    Bytes padded = PlainWave(Samples(353));
    padded.push_back(0); // the pad byte after an odd-sized last chunk
    TWave again;
    again.LoadFromBytes(padded);
    EXPECT_EQ(Content(again), Samples(353));
}

TEST(WaveData, ReadsFromWhereTheStreamStandsAndWritesThere) {
    TWave wave;
    wave.SetPCMFormat(8000, 1, 8);
    wave.SetSize(4);
    std::memcpy(wave.Data(), "\x10\x20\x30\x40", 4);

    TMemoryStream stream;
    stream.WriteBuffer("prefix", 6);
    wave.WriteWaveData(stream);
    EXPECT_EQ(stream.Position(), stream.Size()); // left at its end
    const Bytes& all = stream.Bytes();
    ASSERT_EQ(all.size(), 6u + 48u);
    EXPECT_EQ(std::memcmp(all.data(), "prefixRIFF", 10), 0);
    EXPECT_EQ(all[10], 48 - 8); // the length counts from the wave's own start

    stream.SetPosition(6);
    TWave back;
    back.ReadWaveData(stream);
    EXPECT_EQ(Content(back), Content(wave));
}

TEST(WaveData, RejectsStreamsThatAreNotRiffWave) {
    TWave wave;
    Bytes notRiff = PlainWave(Samples(8));
    std::memcpy(notRiff.data(), "RIFX", 4);
    EXPECT_EQ(ReadError(wave, notRiff), "Wave is invalid");
    Bytes notWave = PlainWave(Samples(8));
    std::memcpy(notWave.data() + 8, "AVI ", 4);
    EXPECT_EQ(ReadError(wave, notWave), "Wave is invalid");
    EXPECT_EQ(ReadError(wave, Bytes{'R', 'I', 'F', 'F', 0, 0}), "Stream read error");
    EXPECT_EQ(ReadError(wave, Bytes{}), "Stream read error");
}

TEST(WaveData, RejectsChunksCutShortOrClaimingMoreThanIsThere) {
    TWave wave;
    // A chunk header of only five bytes after the data.
    Bytes cutHeader = PlainWave(Samples(8));
    Append(cutHeader, "LIST\x01", 5);
    EXPECT_EQ(ReadError(wave, cutHeader), "Wave is invalid");

    // Sample bytes fewer than the data chunk says.
    Bytes chunks;
    Chunk(chunks, "fmt ", Pcm(8000, 1, 8));
    Chunk(chunks, "data", Samples(10), 1000);
    EXPECT_EQ(ReadError(wave, Riff(chunks)), "Wave is invalid");

    // A format chunk claiming nearly 4 GiB must fail before anything that size is allocated.
    Bytes huge;
    Chunk(huge, "fmt ", Pcm(8000, 1, 8), 0xFFFFFFF0u);
    EXPECT_EQ(ReadError(wave, Riff(huge)), "Wave is invalid");

    // An unknown chunk running past the end.
    Bytes runaway;
    Chunk(runaway, "fmt ", Pcm(8000, 1, 8));
    Chunk(runaway, "data", Samples(4));
    Chunk(runaway, "LIST", Samples(2), 0x7FFFFFFF);
    EXPECT_EQ(ReadError(wave, Riff(runaway)), "Wave is invalid");
}

TEST(WaveData, RejectsMissingOrTooShortFormatAndMissingData) {
    TWave wave;
    Bytes noFormat;
    Chunk(noFormat, "data", Samples(8));
    EXPECT_EQ(ReadError(wave, Riff(noFormat)), "Wave is invalid");

    Bytes noData;
    Chunk(noData, "fmt ", Pcm(8000, 1, 8));
    EXPECT_EQ(ReadError(wave, Riff(noData)), "Wave is invalid");

    Bytes shortFormat;
    const Bytes format = Pcm(8000, 1, 8);
    Chunk(shortFormat, "fmt ", Bytes(format.begin(), format.begin() + 14));
    Chunk(shortFormat, "data", Samples(8));
    EXPECT_EQ(ReadError(wave, Riff(shortFormat)), "Wave is invalid");

    EXPECT_EQ(ReadError(wave, Riff(Bytes{})), "Wave is invalid");
}

TEST(WaveData, AFailedReadKeepsThePreviousWave) {
    TWave wave;
    wave.LoadFromBytes(PlainWave(Samples(20), 11025));
    Bytes broken;
    Chunk(broken, "fmt ", Pcm(8000, 1, 8));
    Chunk(broken, "data", Samples(4), 400);
    EXPECT_EQ(ReadError(wave, Riff(broken)), "Wave is invalid");
    EXPECT_EQ(wave.Format().nSamplesPerSec, 11025u);
    EXPECT_EQ(Content(wave), Samples(20));
}

TEST(WaveData, DamagedStreamsEitherReadOrFailCleanly) {
    // Byte flips, truncations and size-field damage over a wave with an extra chunk: every read
    // must end in a wave whose samples are all present, or in one of the reader's errors.
    Bytes chunks;
    Chunk(chunks, "fmt ", Pcm(8000, 1, 8));
    Chunk(chunks, "LIST", Samples(6));
    Chunk(chunks, "data", Samples(40));
    const Bytes original = Riff(chunks);
    std::uint32_t state = 12345;
    auto next = [&] { return state = state * 1103515245u + 12345u, state >> 8; };
    int read = 0, refused = 0;
    for (int round = 0; round < 3000; ++round) {
        Bytes damaged = original;
        switch (round % 3) {
        case 0:
            damaged[next() % damaged.size()] = std::uint8_t(next());
            break;
        case 1:
            damaged.resize(next() % damaged.size());
            break;
        default: { // the top byte of the fmt, LIST or data chunk's size
            static const std::size_t sizeFields[3] = {16, 40, 54};
            damaged[sizeFields[next() % 3] + 3] = std::uint8_t(next());
        }
        }
        TWave wave;
        const std::string error = ReadError(wave, damaged);
        if (error.empty()) {
            ++read;
            EXPECT_GE(wave.FormatSize(), 16);
            EXPECT_LE(std::size_t(wave.Size()), damaged.size());
        } else {
            ++refused;
            EXPECT_TRUE(error == "Wave is invalid" || error == "Stream read error") << error;
        }
    }
    EXPECT_GT(read, 0);
    EXPECT_GT(refused, 0);
}

TEST(WaveData, SampleMemoryGrowsInWholeBlocks) {
    TWave wave;
    wave.SetSize(8097);
    EXPECT_EQ(wave.Size(), 8097);
    EXPECT_EQ(wave.Capacity(), 2u * 8096u);
    wave.SetSize(8096);
    EXPECT_EQ(wave.Capacity(), 8096u);
    wave.SetSize(1);
    EXPECT_EQ(wave.Capacity(), 8096u);
    wave.SetSize(-5);
    EXPECT_EQ(wave.Size(), 0);
    EXPECT_EQ(wave.Capacity(), 0u);

    // Shrinking and growing again within a block shows zeros, not the old samples.
    wave.SetSize(10);
    std::memset(wave.Data(), 0xAB, 10);
    wave.SetSize(4);
    wave.SetSize(10);
    EXPECT_EQ(Content(wave), (Bytes{0xAB, 0xAB, 0xAB, 0xAB, 0, 0, 0, 0, 0, 0}));
}

TEST(WaveStream, ReportsMisuseWithItsOwnMessages) {
    const Bytes bytes = PlainWave(Samples(6));
    TReadOnlyMemoryStream in(bytes.data(), bytes.size());
    TWaveStream reader(in);
    std::uint8_t buffer[16];
    try {
        reader.ReadSamples(buffer, 4);
        FAIL() << "reading an unopened wave stream must fail";
    } catch (const EWaveStreamError& e) {
        EXPECT_EQ(e.Message, "Stream not opend");
    }
    reader.Open();
    try {
        reader.Open();
        FAIL() << "opening twice must fail";
    } catch (const EWaveStreamError& e) {
        EXPECT_EQ(e.Message, "Stream has already been opened");
    }
    // Reads are clamped to the sample data.
    EXPECT_EQ(reader.ReadSamples(buffer, 16), 6);
    EXPECT_EQ(Bytes(buffer, buffer + 6), Samples(6));
    EXPECT_EQ(reader.ReadSamples(buffer, 16), 0);

    TMemoryStream out;
    TWaveStream writer(out);
    try {
        writer.OpenWrite(Bytes{});
        FAIL() << "an empty format block must be refused";
    } catch (const EWaveStreamError& e) {
        EXPECT_EQ(e.Message, "Format is invalid");
    }
    EXPECT_EQ(out.Size(), 0);
}

TEST(WaveData, FilesRoundTripAndMissingFilesAreNamed) {
    const std::string path = TestConfigHome() + "/round.wav";
    TWave wave;
    wave.SetPCMFormat(8000, 1, 8);
    wave.SetSize(3);
    std::memcpy(wave.Data(), "abc", 3);
    wave.SaveToFile(path);
    TWave back;
    back.LoadFromFile(path);
    EXPECT_EQ(Content(back), Content(wave));

    const std::string missing = TestConfigHome() + "/nowhere/missing.wav";
    try {
        back.LoadFromFile(missing);
        FAIL() << "a missing file must fail";
    } catch (const EWaveStreamError& e) {
        EXPECT_NE(e.Message.find(missing), std::string::npos);
    }
    EXPECT_EQ(Content(back), Content(wave));
}

} // namespace
