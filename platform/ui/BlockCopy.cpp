// StretchBlt/BitBlt: block copies between device contexts of any pixel format.
#include "platform/ui/BlockCopy.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <unordered_map>

namespace {

// Reads pixels of one source image as RGB. Indexed formats go through a 256-entry table whose
// entries beyond the image's colour table are black.
class TPixelReader {
public:
    explicit TPixelReader(const QImage& image) : Image(image) {
        Lut.fill(qRgb(0, 0, 0));
        const QList<QRgb> table = image.colorTable();
        for (int i = 0; i < std::min<int>(256, table.size()); ++i)
            Lut[i] = table[i] | 0xFF000000u;
    }
    QRgb operator()(int x, int y) const {
        const uchar* line = Image.constScanLine(y);
        switch (Image.format()) {
        case QImage::Format_Indexed8:
            return Lut[line[x]];
        case QImage::Format_Mono:
            return Lut[(line[x >> 3] >> (7 - (x & 7))) & 1];
        case QImage::Format_MonoLSB:
            return Lut[(line[x >> 3] >> (x & 7)) & 1];
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32:
            return reinterpret_cast<const QRgb*>(line)[x] | 0xFF000000u;
        case QImage::Format_BGR888:
            return qRgb(line[3 * x + 2], line[3 * x + 1], line[3 * x]);
        case QImage::Format_RGB16: {
            const unsigned v = reinterpret_cast<const quint16*>(line)[x];
            const unsigned r = (v >> 11) & 31, g = (v >> 5) & 63, b = v & 31;
            return qRgb(int((r << 3) | (r >> 2)), int((g << 2) | (g >> 4)),
                        int((b << 3) | (b >> 2)));
        }
        case QImage::Format_RGB555: {
            const unsigned v = reinterpret_cast<const quint16*>(line)[x];
            const unsigned r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
            return qRgb(int((r << 3) | (r >> 2)), int((g << 3) | (g >> 2)),
                        int((b << 3) | (b >> 2)));
        }
        default:
            return Image.pixel(x, y);
        }
    }

private:
    const QImage& Image;
    std::array<QRgb, 256> Lut{};
};

// Writes RGB pixels into one destination image; indexed images take the nearest table entry.
// 32-bit pixels are stored with a zero top byte, as the device formats keep them.
class TPixelWriter {
public:
    explicit TPixelWriter(QImage& image) : Image(image), Table(image.colorTable()) {}
    void operator()(int x, int y, QRgb c) {
        uchar* line = Image.scanLine(y);
        switch (Image.format()) {
        case QImage::Format_Indexed8:
            line[x] = static_cast<uchar>(Index(c));
            return;
        case QImage::Format_Mono:
        case QImage::Format_MonoLSB:
            Image.setPixel(x, y, static_cast<uint>(Index(c)));
            return;
        case QImage::Format_RGB32:
            reinterpret_cast<QRgb*>(line)[x] = c & 0x00FFFFFFu;
            return;
        case QImage::Format_BGR888:
            line[3 * x] = static_cast<uchar>(qBlue(c));
            line[3 * x + 1] = static_cast<uchar>(qGreen(c));
            line[3 * x + 2] = static_cast<uchar>(qRed(c));
            return;
        case QImage::Format_RGB16:
            reinterpret_cast<quint16*>(line)[x] = static_cast<quint16>(
                ((qRed(c) >> 3) << 11) | ((qGreen(c) >> 2) << 5) | (qBlue(c) >> 3));
            return;
        case QImage::Format_RGB555:
            reinterpret_cast<quint16*>(line)[x] = static_cast<quint16>(
                ((qRed(c) >> 3) << 10) | ((qGreen(c) >> 3) << 5) | (qBlue(c) >> 3));
            return;
        default:
            Image.setPixel(x, y, c | 0xFF000000u);
        }
    }

private:
    int Index(QRgb c) {
        if (Table.isEmpty()) return 0;
        c |= 0xFF000000u;
        auto it = Cache.find(c);
        if (it != Cache.end()) return it->second;
        const int index = NearestColorIndex(Table, c);
        Cache.emplace(c, index);
        return index;
    }
    QImage& Image;
    QList<QRgb> Table;
    std::unordered_map<QRgb, int> Cache;
};

bool SameTables(const QImage& a, const QImage& b) {
    return a.colorTable() == b.colorTable();
}

bool IsIndexedFormat(const QImage& image) {
    return image.format() == QImage::Format_Indexed8 || image.format() == QImage::Format_Mono ||
           image.format() == QImage::Format_MonoLSB;
}

} // namespace

bool StretchBlt(HDC dest, int x, int y, int w, int h, HDC source, int sx, int sy, int sw, int sh,
                std::uint32_t rop) {
    if (!dest || !source || rop != SRCCOPY) return false;
    if (w < 0 || h < 0 || sw < 0 || sh < 0) return false;
    QImage& di = dest->Image;
    const QImage& si = source->Image;
    if (di.isNull() || si.isNull()) return false;
    if (w == 0 || h == 0 || sw == 0 || sh == 0) return true;

    // Destination pixels that lie inside the destination image; each maps to source pixel
    // s + (d - origin) * sourceSize / size, and is left alone when that falls outside the source.
    const int dx0 = std::max(x, 0),
              dx1 =
                  static_cast<int>(std::min<long long>(static_cast<long long>(x) + w, di.width()));
    const int dy0 = std::max(y, 0),
              dy1 =
                  static_cast<int>(std::min<long long>(static_cast<long long>(y) + h, di.height()));
    if (dx0 >= dx1 || dy0 >= dy1) return true;
    auto srcX = [&](int dx) {
        return static_cast<long long>(sx) + (static_cast<long long>(dx - x) * sw) / w;
    };
    auto srcY = [&](int dy) {
        return static_cast<long long>(sy) + (static_cast<long long>(dy - y) * sh) / h;
    };

    // Equal sizes: clip to the columns whose source lies inside too, and copy whole row runs.
    if (w == sw && h == sh) {
        int cx0 = dx0, cx1 = dx1, cy0 = dy0, cy1 = dy1;
        cx0 = static_cast<int>(std::max<long long>(cx0, static_cast<long long>(x) - sx));
        cx1 =
            static_cast<int>(std::min<long long>(cx1, static_cast<long long>(x) - sx + si.width()));
        cy0 = static_cast<int>(std::max<long long>(cy0, static_cast<long long>(y) - sy));
        cy1 = static_cast<int>(
            std::min<long long>(cy1, static_cast<long long>(y) - sy + si.height()));
        if (cx0 >= cx1 || cy0 >= cy1) return true;
        const int n = cx1 - cx0;
        const int depth = di.depth();
        if (di.format() == si.format() && depth >= 8 &&
            (!IsIndexedFormat(di) || SameTables(di, si))) {
            const int bpp = depth / 8;
            for (int dy = cy0; dy < cy1; ++dy)
                std::memmove(di.scanLine(dy) + cx0 * bpp,
                             si.constScanLine(int(srcY(dy))) + srcX(cx0) * bpp,
                             static_cast<size_t>(n) * bpp);
            return true;
        }
        if (si.format() == QImage::Format_Indexed8 &&
            (di.format() == QImage::Format_RGB32 || di.format() == QImage::Format_Indexed8)) {
            // Table-driven conversion from 8-bit indexed pixels: one lookup per pixel.
            std::array<quint32, 256> lut{};
            const QList<QRgb> st = si.colorTable();
            const QList<QRgb> dt = di.colorTable();
            for (int i = 0; i < 256; ++i) {
                const QRgb c = i < st.size() ? st[i] : qRgb(0, 0, 0);
                lut[i] = di.format() == QImage::Format_RGB32 ? (c & 0x00FFFFFFu)
                         : dt.isEmpty()
                             ? 0u
                             : static_cast<quint32>(NearestColorIndex(dt, c | 0xFF000000u));
            }
            for (int dy = cy0; dy < cy1; ++dy) {
                const uchar* s = si.constScanLine(int(srcY(dy))) + srcX(cx0);
                if (di.format() == QImage::Format_RGB32) {
                    quint32* d = reinterpret_cast<quint32*>(di.scanLine(dy)) + cx0;
                    for (int i = 0; i < n; ++i)
                        d[i] = lut[s[i]];
                } else {
                    uchar* d = di.scanLine(dy) + cx0;
                    for (int i = 0; i < n; ++i)
                        d[i] = static_cast<uchar>(lut[s[i]]);
                }
            }
            return true;
        }
    }

    const TPixelReader read(si);
    TPixelWriter write(di);
    for (int dy = dy0; dy < dy1; ++dy) {
        const long long syy = srcY(dy);
        if (syy < 0 || syy >= si.height()) continue;
        for (int dx = dx0; dx < dx1; ++dx) {
            const long long sxx = srcX(dx);
            if (sxx < 0 || sxx >= si.width()) continue;
            write(dx, dy, read(int(sxx), int(syy)));
        }
    }
    return true;
}

bool BitBlt(HDC dest, int x, int y, int w, int h, HDC source, int sx, int sy, std::uint32_t rop) {
    return StretchBlt(dest, x, y, w, h, source, sx, sy, w, h, rop);
}

int NearestColorIndex(const QList<QRgb>& table, QRgb color) {
    int best = 0;
    long bestDistance = -1;
    for (int i = 0; i < table.size(); ++i) {
        const long dr = qRed(table[i]) - qRed(color);
        const long dg = qGreen(table[i]) - qGreen(color);
        const long db = qBlue(table[i]) - qBlue(color);
        const long d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
            best = i;
            bestDistance = d;
            if (d == 0) break;
        }
    }
    return best;
}
