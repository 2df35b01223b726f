// JPEG decoding over the IJG decompression API, with an error manager that returns control here.
#include "graphics/JPEG.h"

#include "platform/rtl/Exceptions.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

#include <jpeglib.h>
#include <jerror.h>

namespace {

// Progressive data can hold many tiny scans, each a full pass over the picture; a picture with more
// than this is treated as hostile rather than decoded for minutes.
constexpr int MaxScans = 256;
// The decoder's own working memory (coefficient buffers of multi-scan pictures) is capped as well.
constexpr long MaxDecoderMemory = 128L * 1024 * 1024;

struct TErrorManager {
    jpeg_error_mgr Public; // first, so the decoder's pointer to it is a pointer to this
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
};

[[noreturn]] void Fail(j_common_ptr info, const char* text) {
    auto* error = reinterpret_cast<TErrorManager*>(info->err);
    std::snprintf(error->Message, sizeof error->Message, "%s", text);
    std::longjmp(error->Jump, 1);
}

[[noreturn]] void ErrorExit(j_common_ptr info) {
    auto* error = reinterpret_cast<TErrorManager*>(info->err);
    (*info->err->format_message)(info, error->Message);
    std::longjmp(error->Jump, 1);
}

// Level -1 is a warning: corrupt data the decoder would patch over (premature end, bad Huffman
// code, junk between markers). Such a picture is refused rather than shown half grey. Trace
// messages (level >= 0) are dropped; nothing is ever printed.
void EmitMessage(j_common_ptr info, int level) {
    if (level < 0) ErrorExit(info);
}

void OutputMessage(j_common_ptr) {}

// Huffman data that ends before the picture does makes the decoder warn, which refuses it. The
// arithmetic decoder gives no such warning: meeting a marker mid-scan is allowed there, and it goes
// on decoding from zero bits, so data cut short (or a header claiming a far larger picture than
// its data codes) would come out as a grey picture. An encoder drops the zero bytes that end a
// scan, so the decoder may rightly run past the data while on the last row of blocks, or on the
// row before it when the decoder reads ahead. A scan whose data met the end of the file with two
// or more rows of blocks still to decode is taken to have ended early; a picture whose last rows
// are so uniform that they code to nothing at all would be refused as well, which for pictures
// meant to be shown is the safer mistake.
bool ArithmeticDataEndedEarly(j_decompress_ptr info) {
    return info->arith_code && info->unread_marker == JPEG_EOI &&
           info->total_iMCU_rows > info->input_iMCU_row + 1;
}

// Called by the decoder between rows of blocks, while it reads the data and while it returns rows.
void ProgressMonitor(j_common_ptr info) {
    if (!info->is_decompressor) return;
    const auto decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > MaxScans) Fail(info, "Too many scans in the JPEG data");
    if (ArithmeticDataEndedEarly(decompress)) {
        // The same message as for Huffman data that ends early.
        info->err->msg_code = JWRN_HIT_MARKER;
        ErrorExit(info);
    }
}

struct TDecodeJob {
    jpeg_decompress_struct Info;
    TErrorManager Error;
    jpeg_progress_mgr Progress;
    const std::uint8_t* Data = nullptr;
    std::size_t Size = 0;
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Pixels;
};

// Every decoder call that can fail longjmps out of this function, so it keeps no local object that
// needs destroying: all state lives in the job.
[[gnu::noinline]] void DecodeSteps(TDecodeJob& job) {
    j_decompress_ptr info = &job.Info;
    jpeg_mem_src(info, job.Data, static_cast<unsigned long>(job.Size));
    jpeg_read_header(info, TRUE);

    // Checked before the decoder sets aside anything sized by the picture, and before we do.
    const std::int64_t width = info->image_width;
    const std::int64_t height = info->image_height;
    if (width <= 0 || height <= 0 || width > TJPEGImage::MaxSide || height > TJPEGImage::MaxSide ||
        width * height > TJPEGImage::MaxPixels)
        Fail(reinterpret_cast<j_common_ptr>(info), "JPEG picture dimensions out of range");
    const bool grey = info->num_components == 1 && info->jpeg_color_space == JCS_GRAYSCALE;
    const bool colour = info->num_components == 3 &&
                        (info->jpeg_color_space == JCS_YCbCr || info->jpeg_color_space == JCS_RGB);
    if (!grey && !colour)
        Fail(reinterpret_cast<j_common_ptr>(info), "JPEG colour layout not supported");

    info->out_color_space = JCS_RGB;
    info->scale_num = 1;
    info->scale_denom = 1;
    jpeg_start_decompress(info);
    if (std::int64_t(info->output_width) != width || std::int64_t(info->output_height) != height ||
        info->output_components != 3)
        Fail(reinterpret_cast<j_common_ptr>(info), "JPEG picture decodes to an unexpected size");

    job.Width = int(width);
    job.Height = int(height);
    job.Pixels.assign(std::size_t(width * height * 3), 0);
    while (info->output_scanline < info->output_height) {
        JSAMPROW row =
            job.Pixels.data() + std::size_t(info->output_scanline) * std::size_t(width) * 3;
        if (jpeg_read_scanlines(info, &row, 1) != 1)
            Fail(reinterpret_cast<j_common_ptr>(info), "JPEG data ended early");
    }
    jpeg_finish_decompress(info);
}

// Returns false with job.Error.Message set when the data cannot be decoded.
bool Decode(TDecodeJob& job) {
    job.Info.err = jpeg_std_error(&job.Error.Public);
    job.Error.Public.error_exit = ErrorExit;
    job.Error.Public.emit_message = EmitMessage;
    job.Error.Public.output_message = OutputMessage;
    job.Error.Message[0] = '\0';
    if (setjmp(job.Error.Jump)) return false;
    jpeg_create_decompress(&job.Info);
    job.Info.mem->max_memory_to_use = MaxDecoderMemory;
    job.Progress.progress_monitor = ProgressMonitor;
    job.Info.progress = &job.Progress;
    DecodeSteps(job);
    return true;
}

} // namespace

void TJPEGImage::LoadFromBytes(const std::uint8_t* data, std::size_t size) {
    if (!data || size == 0) throw EJPEGError("JPEG picture cannot be read: no data");
    auto job = std::make_unique<TDecodeJob>();
    std::memset(static_cast<void*>(&job->Info), 0, sizeof job->Info);
    job->Data = data;
    job->Size = size;
    const bool done = Decode(*job);
    // Safe on a partly made decoder too: it releases only what was set up.
    jpeg_destroy_decompress(&job->Info);
    if (!done) throw EJPEGError(Format("JPEG picture cannot be read: %s", job->Error.Message));
    FWidth = job->Width;
    FHeight = job->Height;
    FPixels = std::move(job->Pixels);
}

void TJPEGImage::ReadPictureData(TStream& stream) {
    std::uint8_t length = 0;
    stream.ReadBuffer(&length, 1);
    std::string name(length, '\0');
    stream.ReadBuffer(name.data(), length);
    if (name != "TJPEGImage")
        throw EInvalidGraphic(Format("Unknown picture class '%s'", name.c_str()));
    std::uint8_t count[4];
    stream.ReadBuffer(count, 4);
    const std::uint32_t size = std::uint32_t(count[0]) | std::uint32_t(count[1]) << 8 |
                               std::uint32_t(count[2]) << 16 | std::uint32_t(count[3]) << 24;
    if (size > MaxStoredBytes || std::int64_t(size) > stream.Remaining())
        throw EJPEGError(Format("JPEG picture data claims %u bytes but %lld are present", size,
                                static_cast<long long>(stream.Remaining())));
    std::vector<std::uint8_t> bytes(size);
    stream.ReadBuffer(bytes.data(), size);
    LoadFromBytes(bytes.data(), bytes.size());
}

std::vector<std::uint8_t> TJPEGImage::MakePictureData(const std::uint8_t* data, std::size_t size) {
    if (size > MaxStoredBytes) throw EJPEGError("JPEG picture too large to store");
    static const char name[] = "TJPEGImage";
    std::vector<std::uint8_t> out;
    out.reserve(1 + sizeof name - 1 + 4 + size);
    out.push_back(std::uint8_t(sizeof name - 1));
    out.insert(out.end(), name, name + sizeof name - 1);
    for (int i = 0; i < 4; ++i)
        out.push_back(std::uint8_t((size >> (8 * i)) & 0xFF));
    if (size) out.insert(out.end(), data, data + size);
    return out;
}

void TJPEGImage::Clear() {
    FWidth = 0;
    FHeight = 0;
    FPixels.clear();
    FPixels.shrink_to_fit();
}

QImage TJPEGImage::ToImage() const {
    if (Empty()) return QImage();
    return QImage(FPixels.data(), FWidth, FHeight, FWidth * 3, QImage::Format_RGB888).copy();
}
