// Wave data: RIFF "WAVE" parsing and writing, and the block-wise sample memory of TWave.
#include "sound/Wave.h"
#include "sound/Wave.Stream.h"
#include "sound/Wave.StreamError.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

// A format block longer than this is not a wave format record but damage.
constexpr std::uint32_t MaxFormatSize = 0x10000;
// The smallest block that describes PCM samples (tag, channels, rate, byte rate, align, bits).
constexpr std::uint32_t MinFormatSize = 16;

[[noreturn]] void WaveInvalid() {
    throw EWaveStreamError("Wave is invalid");
}

std::uint32_t Get32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}
std::uint16_t Get16(const std::uint8_t* p) {
    return std::uint16_t(p[0] | p[1] << 8);
}

void Put32(TStream& out, std::uint32_t v) {
    const std::uint8_t b[4] = {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16),
                               std::uint8_t(v >> 24)};
    out.WriteBuffer(b, 4);
}

} // namespace

// ---- TWaveStream -------------------------------------------------------------------------------

TWaveStream::TWaveStream(TStream& stream) : FStream(stream), FStart(stream.Position()) {}

TWaveStream::~TWaveStream() {
    if (FOpened && !FReading) {
        try {
            Close();
        } catch (...) {
            // A destructor must not throw; the caller who cares closes explicitly.
        }
    }
}

void TWaveStream::Open() {
    if (FOpened) throw EWaveStreamError("Stream has already been opened");
    FOpened = true;
    FReading = true;
    FFormat.clear();
    FDataSize = 0;
    FDataStart = 0;
    FDataHeader = 0;
    FPosition = 0;

    // Every chunk size is checked against the bytes actually present before it is used.
    const std::int64_t end = FStream.Size();
    FStream.SetPosition(FStart);
    std::uint8_t head[12];
    FStream.ReadBuffer(head, 12);
    if (std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "WAVE", 4) != 0) WaveInvalid();

    bool haveFormat = false, haveData = false;
    std::int64_t pos = FStart + 12;
    while (pos < end) {
        std::uint8_t chunk[8] = {};
        const std::size_t got = FStream.Read(chunk, 8);
        if (Get32(chunk) == 0) break; // an empty identifier (or zero padding) ends the chunk list
        if (got < 8) WaveInvalid();   // a chunk header cut short
        const std::uint32_t size = Get32(chunk + 4);
        const std::int64_t body = pos + 8;
        if (std::int64_t(size) > end - body) WaveInvalid(); // a chunk claiming more than is there
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (size > MaxFormatSize) WaveInvalid();
            std::vector<std::uint8_t> format(size);
            FStream.ReadBuffer(format.data(), size);
            FFormat = std::move(format);
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            FDataSize = size;
            FDataStart = body;
            FDataHeader = pos;
            haveData = true;
        }
        // Chunks follow one another by exactly their size, without a pad byte.
        pos = body + size;
        FStream.SetPosition(pos);
    }
    if (!haveFormat || !haveData || FFormat.size() < MinFormatSize) WaveInvalid();
    FStream.SetPosition(FDataStart);
}

void TWaveStream::OpenWrite(const std::vector<std::uint8_t>& format) {
    if (FOpened) throw EWaveStreamError("Stream has already been opened");
    if (format.empty() || format.size() > MaxFormatSize)
        throw EWaveStreamError("Format is invalid");
    FOpened = true;
    FReading = false;
    FFormat = format;
    FDataSize = 0;
    FPosition = 0;
    FStream.SetPosition(FStart);
    FStream.WriteBuffer("RIFF\0\0\0\0WAVE", 12);
    FStream.WriteBuffer("fmt ", 4);
    Put32(FStream, std::uint32_t(format.size()));
    FStream.WriteBuffer(format.data(), format.size());
    FDataHeader = FStart + 20 + std::int64_t(format.size());
    FStream.WriteBuffer("data", 4);
    Put32(FStream, 0);
    FDataStart = FDataHeader + 8;
}

void TWaveStream::Close() {
    if (!FOpened) return;
    FOpened = false;
    if (FReading) return;
    const std::int64_t end = FDataStart + FDataSize;
    FStream.SetPosition(FStart);
    FStream.WriteBuffer("RIFF", 4);
    Put32(FStream, std::uint32_t(end - FStart - 8));
    FStream.WriteBuffer("WAVE", 4);
    FStream.SetPosition(FDataHeader);
    FStream.WriteBuffer("data", 4);
    Put32(FStream, std::uint32_t(FDataSize));
    FStream.SetPosition(end);
}

void TWaveStream::CheckOpen() const {
    if (!FOpened) throw EWaveStreamError("Stream not opend");
}

std::int64_t TWaveStream::ReadSamples(void* buffer, std::int64_t count) {
    CheckOpen();
    if (!FReading) throw EWaveStreamError("Stream not opend");
    count = std::clamp<std::int64_t>(count, 0, FDataSize - FPosition);
    // Nothing to copy: an empty wave has no sample memory to point at.
    if (count == 0) return 0;
    const std::int64_t got = std::int64_t(FStream.Read(buffer, std::size_t(count)));
    FPosition += got;
    return got;
}

void TWaveStream::WriteSamples(const void* buffer, std::int64_t count) {
    CheckOpen();
    if (FReading) throw EWaveStreamError("Stream not opend");
    if (count <= 0) return;
    // The RIFF length field is 32 bits wide.
    if (FDataStart - FStart + FDataSize + count > std::int64_t(UINT32_MAX))
        throw EWaveStreamError("Wave is invalid");
    FStream.WriteBuffer(buffer, std::size_t(count));
    FDataSize += count;
    FPosition += count;
}

// ---- TWave -------------------------------------------------------------------------------------

void TWave::Assign(const TWave& source) {
    if (&source == this) return;
    FFormat = source.FFormat;
    FData = source.FData;
    FSize = source.FSize;
}

void TWave::Clear() {
    FFormat.clear();
    FData.clear();
    FData.shrink_to_fit();
    FSize = 0;
}

void TWave::SetSize(int value) {
    if (value < 0) value = 0;
    const std::size_t blocks = (std::size_t(value) + DataBlock - 1) / DataBlock;
    if (blocks * DataBlock != FData.size()) {
        FData.resize(blocks * DataBlock);
        FData.shrink_to_fit();
    }
    // Bytes beyond the new size are cleared so that a later growth shows zeros, not old samples.
    if (std::size_t(value) < std::size_t(FSize))
        std::fill(FData.begin() + value, FData.begin() + std::min<std::size_t>(FSize, FData.size()),
                  0);
    FSize = value;
}

void TWave::SetFormat(const void* format, int size) {
    if (size <= 0 || !format) {
        FFormat.clear();
        return;
    }
    const auto* p = static_cast<const std::uint8_t*>(format);
    FFormat.assign(p, p + size);
}

TWaveFormatEx TWave::Format() const {
    std::uint8_t b[18] = {};
    std::memcpy(b, FFormat.data(), std::min<std::size_t>(FFormat.size(), sizeof b));
    TWaveFormatEx f;
    f.wFormatTag = Get16(b);
    f.nChannels = Get16(b + 2);
    f.nSamplesPerSec = Get32(b + 4);
    f.nAvgBytesPerSec = Get32(b + 8);
    f.nBlockAlign = Get16(b + 12);
    f.wBitsPerSample = Get16(b + 14);
    f.cbSize = Get16(b + 16);
    return f;
}

void TWave::SetPCMFormat(std::uint32_t samplesPerSec, std::uint16_t channels, std::uint16_t bits) {
    const std::uint16_t align = std::uint16_t(channels * ((bits + 7) / 8));
    const std::uint32_t avg = samplesPerSec * align;
    const std::uint8_t b[16] = {WAVE_FORMAT_PCM,
                                0,
                                std::uint8_t(channels),
                                std::uint8_t(channels >> 8),
                                std::uint8_t(samplesPerSec),
                                std::uint8_t(samplesPerSec >> 8),
                                std::uint8_t(samplesPerSec >> 16),
                                std::uint8_t(samplesPerSec >> 24),
                                std::uint8_t(avg),
                                std::uint8_t(avg >> 8),
                                std::uint8_t(avg >> 16),
                                std::uint8_t(avg >> 24),
                                std::uint8_t(align),
                                std::uint8_t(align >> 8),
                                std::uint8_t(bits),
                                std::uint8_t(bits >> 8)};
    SetFormat(b, sizeof b);
}

void TWave::ReadWaveData(TStream& stream) {
    TWaveStream ws(stream);
    ws.Open();
    if (ws.DataSize() > INT_MAX) throw EWaveStreamError("Wave is invalid");
    // Everything is read into a fresh wave first; this one changes only when all went well.
    TWave fresh;
    fresh.FFormat = ws.Format();
    fresh.SetSize(int(ws.DataSize()));
    if (ws.ReadSamples(fresh.Data(), fresh.Size()) < fresh.Size())
        throw EReadError("Stream read error");
    ws.Close();
    *this = std::move(fresh);
}

void TWave::WriteWaveData(TStream& stream) const {
    if (FFormat.empty() || FSize <= 0) return;
    TWaveStream ws(stream);
    ws.OpenWrite(FFormat);
    ws.WriteSamples(FData.data(), FSize);
    ws.Close();
}

void TWave::LoadFromBytes(const std::uint8_t* data, std::size_t size) {
    TReadOnlyMemoryStream in(data, size);
    ReadWaveData(in);
}

std::vector<std::uint8_t> TWave::SaveToBytes() const {
    TMemoryStream out;
    WriteWaveData(out);
    return out.Bytes();
}

void TWave::LoadFromFile(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) throw EWaveStreamError(::Format("Cannot open file \"%s\"", fileName.c_str()));
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    if (in.bad()) throw EWaveStreamError(::Format("Cannot read file \"%s\"", fileName.c_str()));
    LoadFromBytes(bytes);
}

void TWave::SaveToFile(const std::string& fileName) const {
    const std::vector<std::uint8_t> bytes = SaveToBytes();
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    if (!out) throw EWaveStreamError(::Format("Cannot create file \"%s\"", fileName.c_str()));
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    out.close();
    if (!out) throw EWaveStreamError(::Format("Cannot write file \"%s\"", fileName.c_str()));
}
