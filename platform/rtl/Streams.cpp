// Byte streams: reads and writes over memory, and the all-or-error buffer calls.
#include "platform/rtl/Streams.h"

#include <algorithm>
#include <cstring>

void TStream::ReadBuffer(void* buffer, std::size_t count) {
    if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, std::size_t count) {
    if (count != 0 && Write(buffer, count) != count) throw EWriteError("Stream write error");
}

std::int64_t TStream::Remaining() const {
    return std::max<std::int64_t>(0, Size() - Position());
}

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
    if (Pos >= static_cast<std::int64_t>(Data.size())) return 0;
    const std::size_t n = std::min(count, Data.size() - static_cast<std::size_t>(Pos));
    std::memcpy(buffer, Data.data() + Pos, n);
    Pos += static_cast<std::int64_t>(n);
    return n;
}

std::size_t TMemoryStream::Write(const void* buffer, std::size_t count) {
    const std::size_t end = static_cast<std::size_t>(Pos) + count;
    if (end > Data.size()) Data.resize(end);
    if (count) std::memcpy(Data.data() + Pos, buffer, count);
    Pos = static_cast<std::int64_t>(end);
    return count;
}

std::size_t TReadOnlyMemoryStream::Read(void* buffer, std::size_t count) {
    if (Pos >= static_cast<std::int64_t>(Length)) return 0;
    const std::size_t n = std::min(count, Length - static_cast<std::size_t>(Pos));
    std::memcpy(buffer, Data + Pos, n);
    Pos += static_cast<std::int64_t>(n);
    return n;
}
