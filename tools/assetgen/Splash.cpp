// The splash picture (title art) and its baseline JFIF encoding.
#include "tools/assetgen/AssetGen.h"

#include <QPainter>
#include <QPainterPath>
#include <csetjmp>
#include <cstdio>
#include <stdexcept>

#include <jpeglib.h>

namespace assetgen {

QImage DrawSplash(const Fonts& fonts) {
    constexpr int width = 481, height = 332; // the window shows the top-left 479 × 328
    QImage image = DrawSpace(width, height, 418, 44, 74, 0x5EED5A7A);
    DrawLogo(image, fonts, 232, 88, 1.55);

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // A row of tiles in mid-slide: the row is shifted half a cell, its last tile wrapping round.
    const int size = 44, gap = 4, count = 7;
    const int rowWidth = count * size + (count - 1) * gap;
    const int left = (479 - rowWidth) / 2, top = 170;
    p.fillRect(left - 10, top - 8, rowWidth + 20, size + 16, QColor(152, 150, 232));
    p.fillRect(left - 10, top - 8, rowWidth + 20, 2, QColor(236, 234, 255));
    p.fillRect(left - 10, top - 8, 2, size + 16, QColor(236, 234, 255));
    p.fillRect(left - 10, top + size + 6, rowWidth + 20, 2, QColor(60, 56, 140));
    p.fillRect(left + rowWidth + 8, top - 8, 2, size + 16, QColor(60, 56, 140));
    p.fillRect(left - 4, top - 3, rowWidth + 8, size + 6, QColor(16, 12, 48));
    p.end();
    for (int i = 0; i < count; ++i) {
        const int number = i == 0 ? 7 : i; // 7 has wrapped round to the front
        DrawTile(image, left + i * (size + gap), top, number, i == 3, fonts, size);
    }

    p.begin(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    // Slide arrows either side of the row.
    auto arrow = [&](double x, double y, int direction) {
        QPainterPath path;
        path.moveTo(x, y - 9);
        path.lineTo(x + direction * 12, y);
        path.lineTo(x, y + 9);
        path.closeSubpath();
        p.setPen(QPen(QColor(30, 20, 70), 2));
        p.setBrush(QColor(255, 214, 110));
        p.drawPath(path);
    };
    arrow(left - 16, top + size / 2.0, -1);
    arrow(left + rowWidth + 16, top + size / 2.0, +1);

    QFont tagline(fonts.Rounded);
    tagline.setPixelSize(21);
    tagline.setStyleStrategy(
        QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoSubpixelAntialias));
    p.setFont(tagline);
    p.setPen(QColor(30, 20, 70));
    p.drawText(QRect(1, 241, 479, 30), Qt::AlignHCenter | Qt::AlignVCenter,
               QStringLiteral("Slide the rows. Restore the order."));
    p.setPen(QColor(236, 232, 255));
    p.drawText(QRect(0, 240, 479, 30), Qt::AlignHCenter | Qt::AlignVCenter,
               QStringLiteral("Slide the rows. Restore the order."));

    QFont small(fonts.Sans);
    small.setPixelSize(13);
    small.setHintingPreference(QFont::PreferFullHinting);
    small.setStyleStrategy(
        QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoSubpixelAntialias));
    p.setFont(small);
    p.setPen(QColor(190, 184, 255));
    p.drawText(QRect(14, 294, 300, 24), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("www.marrowby.example"));
    QFont version(fonts.Rounded);
    version.setPixelSize(15);
    p.setFont(version);
    p.setPen(QColor(255, 220, 130));
    p.drawText(QRect(179, 294, 286, 24), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("Free  v1.0"));
    return image;
}

namespace {

struct JpegError {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void OnJpegError(j_common_ptr info) {
    auto* err = reinterpret_cast<JpegError*>(info->err);
    (*info->err->format_message)(info, err->message);
    std::longjmp(err->jump, 1);
}

} // namespace

std::vector<std::uint8_t> EncodeJpeg(const QImage& source, int quality) {
    const QImage image = source.convertToFormat(QImage::Format_RGB888);
    jpeg_compress_struct info;
    JpegError err;
    info.err = jpeg_std_error(&err.base);
    err.base.error_exit = OnJpegError;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&info);
        std::free(buffer);
        throw std::runtime_error(std::string("JPEG encoding failed: ") + err.message);
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(image.width());
    info.image_height = JDIMENSION(image.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    // Baseline JFIF 1.01, square pixels, no progressive scans.
    info.write_JFIF_header = TRUE;
    info.JFIF_major_version = 1;
    info.JFIF_minor_version = 1;
    info.density_unit = 1;
    info.X_density = 96;
    info.Y_density = 96;
    info.optimize_coding = TRUE;
    info.dct_method = JDCT_ISLOW;
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(image.constScanLine(int(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<std::uint8_t> out(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return out;
}

} // namespace assetgen
