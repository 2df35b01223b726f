// Wave data: one sound's format block and sample bytes, read from and written to RIFF "WAVE" form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/rtl/Streams.h"

// The format record at the head of a "fmt " chunk, decoded (little-endian on disk). cbSize is 0
// when the block is only the 16-byte PCM record.
struct TWaveFormatEx {
    std::uint16_t wFormatTag = 0;
    std::uint16_t nChannels = 0;
    std::uint32_t nSamplesPerSec = 0;
    std::uint32_t nAvgBytesPerSec = 0;
    std::uint16_t nBlockAlign = 0;
    std::uint16_t wBitsPerSample = 0;
    std::uint16_t cbSize = 0;
};

constexpr std::uint16_t WAVE_FORMAT_PCM = 1;

// One sound: its format block and samples. The sample memory grows and shrinks in whole blocks
// of DataBlock bytes, so small size changes do not reallocate.
class TWave {
public:
    static constexpr int DataBlock = 8096;

    TWave() = default;
    TWave(const TWave& other) { Assign(other); }
    TWave& operator=(const TWave& other) {
        Assign(other);
        return *this;
    }

    void Assign(const TWave& source);
    void Clear();

    // Sample bytes; Data() stays valid until the next size change.
    std::uint8_t* Data() { return FData.data(); }
    const std::uint8_t* Data() const { return FData.data(); }
    int Size() const { return FSize; }
    // A negative size counts as 0. New bytes are zero.
    void SetSize(int value);
    // Bytes reserved for samples: Size rounded up to whole blocks.
    std::size_t Capacity() const { return FData.size(); }

    // The raw format block as stored in the "fmt " chunk.
    const std::vector<std::uint8_t>& FormatBlock() const { return FFormat; }
    int FormatSize() const { return static_cast<int>(FFormat.size()); }
    void SetFormat(const void* format, int size);
    // Decoded view of the format block (fields beyond the block's length read as 0).
    TWaveFormatEx Format() const;
    // Sets a 16-byte PCM format block for the given rate, channels and sample width.
    void SetPCMFormat(std::uint32_t samplesPerSec, std::uint16_t channels, std::uint16_t bits);

    // Reads the RIFF form at the stream's position. On any error the wave keeps what it held.
    void ReadWaveData(TStream& stream);
    // Writes the RIFF form; writes nothing when the format block or the samples are empty.
    void WriteWaveData(TStream& stream) const;

    void LoadFromBytes(const std::uint8_t* data, std::size_t size);
    void LoadFromBytes(const std::vector<std::uint8_t>& bytes) {
        LoadFromBytes(bytes.data(), bytes.size());
    }
    std::vector<std::uint8_t> SaveToBytes() const;
    // Files: a missing or unreadable file raises EWaveStreamError naming it.
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName) const;

private:
    std::vector<std::uint8_t> FData;
    std::vector<std::uint8_t> FFormat;
    int FSize = 0;
};
