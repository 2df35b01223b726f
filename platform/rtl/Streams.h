// Byte streams (memory, read-only memory) and the errors a short read or write raises.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/rtl/Exceptions.h"

// Stream errors: a short read is "Stream read error", a short write "Stream write error".
class EStreamError : public Exception {
public:
    using Exception::Exception;
};
class EReadError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EWriteError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

// Byte stream with a position. Read returns how many bytes it could read (0 at the end);
// ReadBuffer insists on all of them and raises EReadError otherwise.
class TStream {
public:
    virtual ~TStream() = default;
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
    virtual std::int64_t Position() const = 0;
    virtual void SetPosition(std::int64_t position) = 0;
    virtual std::int64_t Size() const = 0;

    void ReadBuffer(void* buffer, std::size_t count);
    void WriteBuffer(const void* buffer, std::size_t count);
    // Bytes left between the position and the end (0 when the position is past the end).
    std::int64_t Remaining() const;
};

// A stream over a growable block of memory it owns.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<std::uint8_t> data) : Data(std::move(data)) {}
    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Position() const override { return Pos; }
    void SetPosition(std::int64_t position) override { Pos = position < 0 ? 0 : position; }
    std::int64_t Size() const override { return static_cast<std::int64_t>(Data.size()); }
    const std::vector<std::uint8_t>& Bytes() const { return Data; }

private:
    std::vector<std::uint8_t> Data;
    std::int64_t Pos = 0;
};

// A read-only stream over someone else's bytes (a resource, a fuzzer's input).
class TReadOnlyMemoryStream : public TStream {
public:
    TReadOnlyMemoryStream(const void* data, std::size_t size)
        : Data(static_cast<const std::uint8_t*>(data)), Length(size) {}
    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void*, std::size_t) override { return 0; }
    std::int64_t Position() const override { return Pos; }
    void SetPosition(std::int64_t position) override { Pos = position < 0 ? 0 : position; }
    std::int64_t Size() const override { return static_cast<std::int64_t>(Length); }

private:
    const std::uint8_t* Data;
    std::size_t Length;
    std::int64_t Pos = 0;
};
