// A picture of the program's resources decoded through the system's own picture reader.
#pragma once

#include <QFile>
#include <QImage>

#include <cstdint>

#include "graphics/DIB.h"

// The resource ":/assets/<name>" (a stored picture) as RGB colours; a null image when the
// resource is missing. The test links the library that compiles the resources in.
inline QImage ResourcePicture(const char* name) {
    QFile file(QStringLiteral(":/assets/") + QString::fromLatin1(name));
    if (!file.open(QIODevice::ReadOnly)) return QImage();
    const QByteArray bytes = file.readAll();
    TReadOnlyMemoryStream stream(bytes.constData(), size_t(bytes.size()));
    TDIB dib;
    dib.ReadPictureData(stream);
    QImage image(dib.Width(), dib.Height(), QImage::Format_RGB32);
    const TRGBQuads& table = dib.ColorTable();
    for (int y = 0; y < dib.Height(); ++y) {
        const std::uint8_t* row = dib.ScanLine(y);
        for (int x = 0; x < dib.Width(); ++x) {
            const TRGBQuad& c = table[row[x]];
            image.setPixel(x, y, qRgb(c.rgbRed, c.rgbGreen, c.rgbBlue));
        }
    }
    return image;
}
