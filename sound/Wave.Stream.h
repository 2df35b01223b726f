// The RIFF "WAVE" form over another stream: its chunks read once, its samples handed out or written.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/rtl/Streams.h"

// The RIFF form of a wave over another stream. Reading parses the chunks once at Open and then
// hands out the sample bytes; writing emits a placeholder header that Close completes. The wave
// form starts where the stream stands when the TWaveStream is made. A short read raises
// EReadError "Stream read error".
class TWaveStream {
public:
    explicit TWaveStream(TStream& stream);
    TWaveStream(const TWaveStream&) = delete;
    TWaveStream& operator=(const TWaveStream&) = delete;
    ~TWaveStream();

    // Reading: checks "RIFF" … "WAVE", walks the chunks and keeps the last "fmt " and "data".
    void Open();
    // Writing: the format block must not be empty ("Format is invalid").
    void OpenWrite(const std::vector<std::uint8_t>& format);
    // Finishes a written stream (RIFF length and data size); a read stream just closes.
    void Close();

    const std::vector<std::uint8_t>& Format() const { return FFormat; }
    std::int64_t DataSize() const { return FDataSize; }
    // Copies up to count sample bytes from the current sample position; returns how many.
    std::int64_t ReadSamples(void* buffer, std::int64_t count);
    void WriteSamples(const void* buffer, std::int64_t count);

private:
    void CheckOpen() const;
    TStream& FStream;
    std::int64_t FStart = 0;
    bool FOpened = false;
    bool FReading = false;
    std::vector<std::uint8_t> FFormat;
    std::int64_t FDataSize = 0;
    std::int64_t FDataStart = 0;
    std::int64_t FDataHeader = 0;
    std::int64_t FPosition = 0;
};
