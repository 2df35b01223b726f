// Wave data: RIFF "WAVE" parsing and writing, and the block-wise sample memory of TWave.
#include "sound/Wave.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <fstream>
#include <istream>
#include <ostream>
#include <sstream>

namespace {

// A format block longer than this is not a wave format record but damage.
constexpr std::uint32_t MaxFormatSize = 0x10000;
// The smallest block that describes PCM samples (tag, channels, rate, byte rate, align, bits).
constexpr std::uint32_t MinFormatSize = 16;

[[noreturn]] void WaveInvalid() { throw EWaveStreamError("Wave is invalid"); }
[[noreturn]] void ReadError() { throw EWaveReadError("Stream read error"); }

std::uint32_t Get32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}
std::uint16_t Get16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }

void Put32(std::ostream& out, std::uint32_t v) {
    const char b[4] = {char(v & 0xFF), char(v >> 8 & 0xFF), char(v >> 16 & 0xFF), char(v >> 24 & 0xFF)};
    out.write(b, 4);
}

// Reads up to count bytes; returns how many arrived (the stream's failure bits are cleared so the
// caller can keep seeking).
std::int64_t ReadSome(std::istream& in, void* buffer, std::int64_t count) {
    in.read(static_cast<char*>(buffer), count);
    const std::int64_t got = in.gcount();
    if (got < count) in.clear();
    return got;
}

void SeekTo(std::istream& in, std::int64_t pos) {
    in.clear();
    in.seekg(pos, std::ios::beg);
    if (!in) WaveInvalid();
}

} // namespace

// ---- TWaveStream -------------------------------------------------------------------------------

TWaveStream::TWaveStream(std::istream& in) : FIn(&in) {
    const std::istream::pos_type p = in.tellg();
    FStart = p == std::istream::pos_type(-1) ? 0 : std::int64_t(p);
}

TWaveStream::TWaveStream(std::ostream& out) : FOut(&out) {
    const std::ostream::pos_type p = out.tellp();
    FStart = p == std::ostream::pos_type(-1) ? 0 : std::int64_t(p);
}

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
    if (!FIn) throw EWaveStreamError("Wave is invalid");
    std::istream& in = *FIn;
    FOpened = true;
    FReading = true;
    FFormat.clear();
    FDataSize = 0;
    FDataStart = 0;
    FDataHeader = 0;
    FPosition = 0;

    // The chunk sizes are checked against the bytes actually present, so the end is needed first.
    in.clear();
    in.seekg(0, std::ios::end);
    const std::istream::pos_type endPos = in.tellg();
    if (!in || endPos == std::istream::pos_type(-1)) WaveInvalid();
    const std::int64_t end = endPos;
    SeekTo(in, FStart);

    std::uint8_t head[12];
    if (ReadSome(in, head, 12) < 12) ReadError();
    if (std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "WAVE", 4) != 0) WaveInvalid();

    bool haveFormat = false, haveData = false;
    std::int64_t pos = FStart + 12;
    while (pos < end) {
        std::uint8_t chunk[8] = {};
        const std::int64_t got = ReadSome(in, chunk, 8);
        if (Get32(chunk) == 0 && std::all_of(chunk + 4, chunk + got, [](std::uint8_t b) { return b == 0; }))
            break; // zero padding ends the chunk list
        if (got < 8) WaveInvalid(); // a chunk header cut short
        const std::uint32_t size = Get32(chunk + 4);
        const std::int64_t body = pos + 8;
        if (std::int64_t(size) > end - body) WaveInvalid(); // a chunk claiming more than is there
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (size > MaxFormatSize) WaveInvalid();
            std::vector<std::uint8_t> format(size);
            if (ReadSome(in, format.data(), size) < std::int64_t(size)) ReadError();
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
        SeekTo(in, pos);
    }
    if (!haveFormat || !haveData || FFormat.size() < MinFormatSize) WaveInvalid();
    SeekTo(in, FDataStart);
}

void TWaveStream::OpenWrite(const std::vector<std::uint8_t>& format) {
    if (FOpened) throw EWaveStreamError("Stream has already been opened");
    if (format.empty() || format.size() > MaxFormatSize) throw EWaveStreamError("Format is invalid");
    if (!FOut) throw EWaveStreamError("Stream not opend");
    std::ostream& out = *FOut;
    FOpened = true;
    FReading = false;
    FFormat = format;
    FDataSize = 0;
    out.write("RIFF\0\0\0\0WAVE", 12);
    out.write("fmt ", 4);
    Put32(out, std::uint32_t(format.size()));
    out.write(reinterpret_cast<const char*>(format.data()), std::streamsize(format.size()));
    FDataHeader = FStart + 20 + std::int64_t(format.size());
    out.write("data", 4);
    Put32(out, 0);
    FDataStart = FDataHeader + 8;
    if (!out) throw EWaveStreamError("Stream write error");
}

void TWaveStream::Close() {
    if (!FOpened) return;
    FOpened = false;
    if (FReading) return;
    std::ostream& out = *FOut;
    const std::int64_t end = FDataStart + FDataSize;
    out.seekp(FStart + 4, std::ios::beg);
    Put32(out, std::uint32_t(end - FStart - 8));
    out.seekp(FDataHeader + 4, std::ios::beg);
    Put32(out, std::uint32_t(FDataSize));
    out.seekp(end, std::ios::beg);
    if (!out) throw EWaveStreamError("Stream write error");
}

void TWaveStream::CheckOpen() const {
    if (!FOpened) throw EWaveStreamError("Stream not opend");
}

std::int64_t TWaveStream::ReadSamples(void* buffer, std::int64_t count) {
    CheckOpen();
    if (!FReading) throw EWaveStreamError("Stream not opend");
    count = std::clamp<std::int64_t>(count, 0, FDataSize - FPosition);
    const std::int64_t got = ReadSome(*FIn, buffer, count);
    FPosition += got;
    return got;
}

void TWaveStream::WriteSamples(const void* buffer, std::int64_t count) {
    CheckOpen();
    if (FReading) throw EWaveStreamError("Stream not opend");
    if (count <= 0) return;
    if (FDataSize + count > std::int64_t(UINT32_MAX) - 64) throw EWaveStreamError("Wave is invalid");
    FOut->write(static_cast<const char*>(buffer), count);
    if (!*FOut) throw EWaveStreamError("Stream write error");
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
        std::fill(FData.begin() + value, FData.begin() + std::min<std::size_t>(FSize, FData.size()), 0);
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
    const std::uint8_t b[16] = {
        WAVE_FORMAT_PCM, 0, std::uint8_t(channels), std::uint8_t(channels >> 8),
        std::uint8_t(samplesPerSec), std::uint8_t(samplesPerSec >> 8), std::uint8_t(samplesPerSec >> 16),
        std::uint8_t(samplesPerSec >> 24), std::uint8_t(avg), std::uint8_t(avg >> 8), std::uint8_t(avg >> 16),
        std::uint8_t(avg >> 24), std::uint8_t(align), std::uint8_t(align >> 8), std::uint8_t(bits),
        std::uint8_t(bits >> 8)};
    SetFormat(b, sizeof b);
}

void TWave::ReadWaveData(std::istream& stream) {
    TWaveStream ws(stream);
    ws.Open();
    if (ws.DataSize() > INT_MAX) throw EWaveStreamError("Wave is invalid");
    // Everything is read into a fresh wave first; this one changes only when all went well.
    TWave fresh;
    fresh.FFormat = ws.Format();
    fresh.SetSize(int(ws.DataSize()));
    if (ws.ReadSamples(fresh.Data(), fresh.Size()) < fresh.Size()) ReadError();
    ws.Close();
    *this = std::move(fresh);
}

void TWave::WriteWaveData(std::ostream& stream) const {
    if (FFormat.empty() || FSize <= 0) return;
    TWaveStream ws(stream);
    ws.OpenWrite(FFormat);
    ws.WriteSamples(FData.data(), FSize);
    ws.Close();
}

void TWave::LoadFromBytes(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size), std::ios::binary);
    ReadWaveData(in);
}

std::vector<std::uint8_t> TWave::SaveToBytes() const {
    std::ostringstream out(std::ios::binary);
    WriteWaveData(out);
    const std::string s = out.str();
    return std::vector<std::uint8_t>(s.begin(), s.end());
}

void TWave::LoadFromFile(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) throw EWaveStreamError(::Format("Cannot open file \"%s\"", fileName.c_str()));
    ReadWaveData(in);
}

void TWave::SaveToFile(const std::string& fileName) const {
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    if (!out) throw EWaveStreamError(::Format("Cannot create file \"%s\"", fileName.c_str()));
    WriteWaveData(out);
    out.close();
    if (!out) throw EWaveStreamError(::Format("Cannot write file \"%s\"", fileName.c_str()));
}
