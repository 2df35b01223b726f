// Picture streams: reading and writing DIB data, bitmap files, stored picture values, run-length
// data.
#include <QFile>
#include <climits>
#include <cstring>

#include "graphics/DIB.Internal.h"

namespace {

[[noreturn]] void Invalid() {
    throw EInvalidGraphic("DIB is invalid");
}

std::uint32_t Get32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}
std::uint16_t Get16(const std::uint8_t* p) {
    return std::uint16_t(p[0] | p[1] << 8);
}

void Write32(TStream& s, std::uint32_t v) {
    const std::uint8_t b[4] = {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16),
                               std::uint8_t(v >> 24)};
    s.WriteBuffer(b, 4);
}

// Raises the stream read error when fewer than count bytes are left, before anything is allocated.
void NeedBytes(TStream& s, std::int64_t count) {
    if (count < 0 || s.Remaining() < count) throw EReadError("Stream read error");
}

} // namespace

bool DecodeRLE(const std::uint8_t* data, std::size_t size, int bitCount, int width, int height,
               std::uint8_t* out, int widthBytes) {
    long long x = 0, y = 0; // y counts rows from the bottom
    auto put = [&](std::uint8_t v) {
        if (x < width && out) {
            std::uint8_t* row = out + std::size_t(height - 1 - y) * std::size_t(widthBytes);
            if (bitCount == 8) {
                row[x] = v;
            } else {
                std::uint8_t& b = row[x >> 1];
                b = (x & 1) ? std::uint8_t((b & 0xF0) | (v & 0x0F))
                            : std::uint8_t((b & 0x0F) | (v << 4));
            }
        }
        ++x;
    };
    std::size_t i = 0;
    while (i + 1 < size) {
        const std::uint8_t count = data[i], value = data[i + 1];
        i += 2;
        if (count > 0) {
            if (y >= height) return false;
            for (int k = 0; k < count; ++k)
                put(bitCount == 8 ? value
                    : (k & 1)     ? std::uint8_t(value & 0x0F)
                                  : std::uint8_t(value >> 4));
            continue;
        }
        switch (value) {
        case 0: // end of line
            x = 0;
            ++y;
            break;
        case 1: // end of bitmap
            return true;
        case 2: // delta: right and up (rows count from the bottom)
            if (i + 1 >= size) return false;
            x += data[i];
            y += data[i + 1];
            i += 2;
            if (x > width || y >= height) return false;
            break;
        default: { // literal run, padded to 16 bits
            const std::size_t bytes = bitCount == 8 ? value : (value + 1u) / 2u;
            if (y >= height || i + bytes > size) return false;
            for (int k = 0; k < value; ++k)
                put(bitCount == 8 ? data[i + std::size_t(k)]
                    : (k & 1)     ? std::uint8_t(data[i + std::size_t(k / 2)] & 0x0F)
                                  : std::uint8_t(data[i + std::size_t(k / 2)] >> 4));
            i += (bytes + 1) & ~std::size_t(1);
        }
        }
    }
    return true; // data that stop without an end-of-bitmap leave the rest zero
}

namespace {

// Reads DIB data into a new store; pixelOffset, when not negative, is the stream position where
// a bitmap file says its pixels start.
std::shared_ptr<TDIBSharedImage> ReadStore(TStream& stream, bool memoryImage,
                                           std::int64_t pixelOffset) {
    std::uint8_t head[40] = {};
    const std::size_t got = stream.Read(head, 4);
    if (got == 0) return TDIBSharedImage::Empty();
    if (got < 4) Invalid();

    long long width = 0, height = 0;
    int bitCount = 0;
    std::uint32_t compression = 0, imageSize = 0, colorsUsed = 0;
    const std::uint32_t headerSize = Get32(head);
    if (headerSize == 12) {
        stream.ReadBuffer(head + 4, 8);
        width = Get16(head + 4);
        height = Get16(head + 6);
        bitCount = Get16(head + 10);
    } else if (headerSize == 40) {
        stream.ReadBuffer(head + 4, 36);
        width = std::int32_t(Get32(head + 4));
        height = std::int32_t(Get32(head + 8));
        bitCount = Get16(head + 14);
        compression = Get32(head + 16);
        imageSize = Get32(head + 20);
        colorsUsed = Get32(head + 32);
    } else {
        Invalid();
    }
    if (compression > 3) Invalid();
    const bool rle = compression == 1 || compression == 2;
    // Sizes that cannot describe a picture: negative widths, a height whose size does not exist
    // (INT_MIN), dimensions beyond the limits, run-length data of the wrong bit count or stored
    // top-down.
    if (width < 0 || height == INT_MIN) Invalid();
    const bool topDown = height < 0;
    const long long rows = topDown ? -height : height;
    if (width > kMaxDIBDimension || rows > kMaxDIBDimension) Invalid();
    if (rle && (topDown || bitCount != (compression == 1 ? 8 : 4))) Invalid();

    TPixelFormat format;
    if (compression == 3) {
        std::uint8_t masks[12];
        stream.ReadBuffer(masks, 12);
        format = MakeDIBPixelFormatMask(Get32(masks), Get32(masks + 4), Get32(masks + 8));
    } else {
        format = bitCount == 16 ? MakeDIBPixelFormat(5, 5, 5) : MakeDIBPixelFormat(8, 8, 8);
    }
    CheckDIBFormat(bitCount, format);
    if (WidthBytes(width, bitCount) * rows > kMaxDIBBytes) Invalid();

    // Colour table: up to 256 entries are kept; entries beyond them are skipped so that the
    // pixels are read from where they are.
    const std::int64_t entries = colorsUsed != 0 ? colorsUsed : bitCount <= 8 ? (1 << bitCount) : 0;
    const int entrySize = headerSize == 12 ? 3 : 4;
    TRGBQuads table{};
    const std::int64_t kept = std::min<std::int64_t>(entries, 256);
    NeedBytes(stream, entries * entrySize);
    for (std::int64_t i = 0; i < kept; ++i) {
        std::uint8_t e[4] = {};
        stream.ReadBuffer(e, std::size_t(entrySize));
        table[std::size_t(i)] = TRGBQuad{e[0], e[1], e[2], 0};
        if (entrySize == 4) table[std::size_t(i)].rgbReserved = e[3];
    }
    if (entries > kept) stream.SetPosition(stream.Position() + (entries - kept) * entrySize);
    if (pixelOffset >= 0 && pixelOffset > stream.Position() && pixelOffset <= stream.Size())
        stream.SetPosition(pixelOffset);

    if (rle) {
        NeedBytes(stream, imageSize);
        std::vector<std::uint8_t> data(imageSize);
        stream.ReadBuffer(data.data(), data.size());
        if (!DecodeRLE(data.data(), data.size(), bitCount, int(width), int(rows), nullptr,
                       int(WidthBytes(width, bitCount))))
            Invalid();
        auto store =
            TDIBSharedImage::Create(int(width), int(rows), bitCount, format, table, true, true);
        store->Memory = std::move(data);
        store->Size = store->Memory.size();
        store->BuildInfo();
        return store;
    }

    const std::int64_t rowBytes = WidthBytes(width, bitCount);
    NeedBytes(stream, rowBytes * rows);
    auto store =
        TDIBSharedImage::Create(int(width), int(rows), bitCount, format, table, true, false);
    // Memory is top-down: bottom-up stream rows go in from the last row upwards.
    for (long long r = 0; r < rows; ++r) {
        const long long memoryRow = topDown ? r : rows - 1 - r;
        stream.ReadBuffer(store->Pixels() + memoryRow * rowBytes, std::size_t(rowBytes));
    }
    if (!memoryImage && store->Size && !store->DC())
        throw EOutOfResources(Format("%s cannot be made", "DIB"));
    return store;
}

} // namespace

void TDIB::ReadDIBData(TStream& stream) {
    SetImage(ReadStore(stream, FImage->MemoryImage, -1));
}

void TDIB::WriteDIBData(TStream& stream) {
    if (Empty()) return;
    FImage->SyncFromDC();
    const TDIBSharedImage& s = *FImage;
    stream.WriteBuffer(s.BitmapInfo.data(), s.BitmapInfo.size());
    if (s.Compressed) {
        stream.WriteBuffer(s.Memory.data(), s.Memory.size());
        return;
    }
    for (int y = s.Height - 1; y >= 0; --y)
        stream.WriteBuffer(s.Memory.data() + std::size_t(y) * std::size_t(s.WidthBytes),
                           std::size_t(s.WidthBytes));
}

void TDIB::LoadBitmapFile(TStream& stream) {
    std::uint8_t header[14];
    const std::size_t got = stream.Read(header, sizeof header);
    if (got == 0) return;
    if (got < sizeof header || header[0] != 'B' || header[1] != 'M') Invalid();
    const std::int64_t start = stream.Position() - std::int64_t(sizeof header);
    SetImage(ReadStore(stream, FImage->MemoryImage, start + Get32(header + 10)));
}

void TDIB::SaveBitmapFile(TStream& stream) {
    if (Empty()) return;
    const std::uint32_t info = std::uint32_t(FImage->BitmapInfo.size());
    const std::uint32_t image =
        std::uint32_t(FImage->Compressed ? FImage->Memory.size() : FImage->Size);
    stream.WriteBuffer("BM", 2);
    Write32(stream, 14 + info + image);
    Write32(stream, 0);
    Write32(stream, 14 + info);
    WriteDIBData(stream);
}

void TDIB::ReadPictureData(TStream& stream) {
    std::uint8_t length = 0;
    if (stream.Read(&length, 1) == 0) {
        Clear();
        return;
    }
    std::string name(length, '\0');
    stream.ReadBuffer(name.data(), length);
    if (name != "TDIB") throw EInvalidGraphic(Format("Unknown picture class '%s'", name.c_str()));
    ReadDIBData(stream);
}

void TDIB::WritePictureData(TStream& stream) {
    const std::uint8_t length = 4;
    stream.WriteBuffer(&length, 1);
    stream.WriteBuffer("TDIB", 4);
    WriteDIBData(stream);
}

void TDIB::LoadFromFile(const std::string& fileName) {
    QFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::ReadOnly))
        throw EStreamError(Format("Cannot open file \"%s\"", fileName.c_str()));
    const QByteArray bytes = file.readAll();
    TReadOnlyMemoryStream stream(bytes.constData(), std::size_t(bytes.size()));
    if (bytes.startsWith("BM"))
        LoadBitmapFile(stream);
    else
        ReadPictureData(stream);
}

void TDIB::SaveToFile(const std::string& fileName) {
    TMemoryStream stream;
    if (fileName.size() >= 4 && fileName.compare(fileName.size() - 4, 4, ".bmp") == 0)
        SaveBitmapFile(stream);
    else
        WritePictureData(stream);
    QFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char*>(stream.Bytes().data()),
                   qint64(stream.Bytes().size())) != qint64(stream.Bytes().size()))
        throw EStreamError(Format("Cannot create file \"%s\"", fileName.c_str()));
}
