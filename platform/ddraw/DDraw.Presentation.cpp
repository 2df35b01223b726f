// The presentation of a window: copies onto the primary surface are converted to 32 bits into the
// window's image and the window is asked to repaint the part of it they changed.
#include <QObject>
#include <QRegion>
#include <algorithm>
#include <cstring>
#include <map>

#include "platform/ddraw/DDraw.Blit.h"
#include "platform/ddraw/DDraw.Presentation.h"

namespace ddraw {

namespace {
std::map<QWidget*, QImage>& Presentations() {
    static std::map<QWidget*, QImage> images;
    return images;
}
} // namespace

QImage& PresentationFor(QWidget* window) {
    auto& images = Presentations();
    auto it = images.find(window);
    if (it == images.end()) {
        it = images.emplace(window, QImage()).first;
        QObject::connect(window, &QObject::destroyed, [window] { Presentations().erase(window); });
    }
    QImage& image = it->second;
    QSize size = window->size().expandedTo(QSize(1, 1));
    if (image.size() != size) {
        QImage fresh(size, QImage::Format_RGB32);
        fresh.fill(0xFF000000u);
        if (!image.isNull()) {
            int w = std::min(image.width(), fresh.width()),
                h = std::min(image.height(), fresh.height());
            for (int y = 0; y < h; ++y)
                std::memcpy(fresh.scanLine(y), image.constScanLine(y), static_cast<size_t>(w) * 4);
        }
        image = std::move(fresh);
    }
    return image;
}

const QImage* PresentationOf(QWidget* window) {
    auto& images = Presentations();
    auto it = images.find(window);
    return it == images.end() ? nullptr : &it->second;
}

namespace {
// The part of a window's region that is not covered by sibling widgets stacked above it. Child
// windows clip their siblings, so a control lying over the display (a panel, a text box) is neither
// drawn over nor repainted with every presented frame.
QRegion VisiblePart(QWidget* window, const QRegion& changed) {
    QRegion region = changed;
    QWidget* parent = window->isWindow() ? nullptr : window->parentWidget();
    if (!parent) return region;
    const QObjectList& siblings = parent->children();
    for (qsizetype k = siblings.indexOf(window) + 1; k < siblings.size(); ++k) {
        auto* sibling = qobject_cast<QWidget*>(siblings[k]);
        if (sibling && !sibling->isWindow() && sibling->isVisible())
            region -= sibling->geometry().translated(-window->pos());
    }
    return region;
}
} // namespace

namespace {

// The changed part of one presentation, collected row by row from the top: consecutive changed
// rows form a band as wide as their changes together.
class Damage {
public:
    void AddRow(int y, int first, int last) {
        if (Open && y == Band.bottom() + 1) {
            Band.setLeft(std::min(Band.left(), first));
            Band.setRight(std::max(Band.right(), last - 1));
            Band.setBottom(y);
            return;
        }
        Close();
        Band = QRect(first, y, last - first, 1);
        Open = true;
    }
    QRegion Finish() {
        Close();
        return Changed;
    }

private:
    QRegion Changed;
    QRect Band;
    bool Open = false;
    void Close() {
        if (Open) Changed += Band;
        Open = false;
    }
};

// Writes value into row[x] when it differs, widening the row's changed span.
inline void Put(uint32_t* row, int x, uint32_t value, int& first, int& last) {
    if (row[x] == value) return;
    row[x] = value;
    first = std::min(first, x);
    last = std::max(last, x + 1);
}

} // namespace

HRESULT PresentToWindow(QWidget* window, const Box& dest, const Surface* source, const Box& src,
                        bool keyed, bool mirrorX, bool mirrorY, QRgb fillColour) {
    if (!window) return DD_OK; // the screen outside every window of this program
    QPoint origin = window->mapToGlobal(QPoint(0, 0));
    QImage& image = PresentationFor(window);
    Box windowBox{origin.x(), origin.y(), origin.x() + image.width(), origin.y() + image.height()};
    Box clip = Intersect(dest, windowBox);
    if (clip.Empty()) return DD_OK;
    // The image holds what the window shows: only pixels that differ from it are written, and
    // only the rows and columns they lie in are repainted.
    auto* base = reinterpret_cast<uint32_t*>(image.bits());
    const ptrdiff_t stride = image.bytesPerLine() / 4;
    Damage damage;
    if (!source) {
        const uint32_t c = fillColour | 0xFF000000u;
        for (int y = clip.t; y < clip.b; ++y) {
            uint32_t* row = base + (y - origin.y()) * stride - origin.x();
            int first = clip.r, last = clip.l;
            for (int x = clip.l; x < clip.r; ++x)
                Put(row, x, c, first, last);
            if (first < last) damage.AddRow(y - origin.y(), first - origin.x(), last - origin.x());
        }
    } else {
        const int bytes = source->PixelFormat().Bytes();
        const DWORD mask = source->PixelFormat().ColourMask();
        const DWORD key = source->Key.dwColorSpaceLowValue & mask;
        const bool same = !mirrorX && !mirrorY && dest.W() == src.W() && dest.H() == src.H();
        QList<QRgb> table;
        if (bytes == 1) table = source->ColourTable();
        for (int y = clip.t; y < clip.b; ++y) {
            int fy = y - dest.t;
            if (mirrorY) fy = dest.H() - 1 - fy;
            int sy = src.t + static_cast<int>(static_cast<int64_t>(fy) * src.H() / dest.H());
            const uint8_t* srow = source->Row(sy);
            uint32_t* row = base + (y - origin.y()) * stride - origin.x();
            int first = clip.r, last = clip.l;
            if (same && !keyed && bytes == 4) {
                const uint8_t* from = srow + (src.l + clip.l - dest.l) * 4;
                int f = 0, l = 0;
                if (UpdateRow32(row + clip.l, reinterpret_cast<const uint32_t*>(from), clip.W(), f,
                                l)) {
                    first = clip.l + f;
                    last = clip.l + l;
                }
            } else {
                for (int x = clip.l; x < clip.r; ++x) {
                    int fx = x - dest.l;
                    if (mirrorX) fx = dest.W() - 1 - fx;
                    int sx =
                        src.l + static_cast<int>(static_cast<int64_t>(fx) * src.W() / dest.W());
                    const uint8_t* p = srow + sx * bytes;
                    DWORD v = bytes == 4
                                  ? (p[0] | p[1] << 8 | p[2] << 16 | static_cast<DWORD>(p[3]) << 24)
                              : bytes == 3 ? (p[0] | p[1] << 8 | p[2] << 16)
                              : bytes == 2 ? (p[0] | p[1] << 8)
                                           : p[0];
                    if (keyed && (v & mask) == key) continue;
                    Put(row, x, bytes == 1 ? (table[v] | 0xFF000000u) : source->ToRgb(v), first,
                        last);
                }
            }
            if (first < last) damage.AddRow(y - origin.y(), first - origin.x(), last - origin.x());
        }
    }
    const QRegion changed = damage.Finish();
    CountPresentation(!changed.isEmpty());
    // An unchanged frame reaches neither the window nor the window system.
    if (!changed.isEmpty()) window->update(VisiblePart(window, changed));
    return DD_OK;
}

} // namespace ddraw
