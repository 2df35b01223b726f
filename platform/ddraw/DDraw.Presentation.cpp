// Presentation into a window's pixels: copies onto the primary surface are converted to 32 bits,
// written only where they change something, and the changed part is collected for the window.
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstring>

#include "platform/ddraw/DDraw.Blit.h"
#include "platform/ddraw/DDraw.Presentation.h"

namespace ddraw {

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

// A 32-bit image in a fresh shared-memory segment, marked for removal at once so that it cannot
// outlive its users (Linux lets other processes attach it until then); null when the system
// gives no segment.
QImage SharedImage(int width, int height, int& id) {
    id = -1;
    const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
    if (bytes == 0) return QImage();
    const int segment = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (segment < 0) return QImage();
    void* at = shmat(segment, nullptr, 0);
    shmctl(segment, IPC_RMID, nullptr);
    if (at == reinterpret_cast<void*>(-1)) return QImage();
    QImage image(static_cast<uchar*>(at), width, height, width * 4, QImage::Format_RGB32,
                 [](void* pixels) { shmdt(pixels); }, at);
    id = segment;
    return image;
}

} // namespace

void Presentation::Fit(int width, int height) {
    if (Image.width() == width && Image.height() == height) return;
    int segment = -1;
    QImage fresh = SharedImage(width, height, segment);
    if (fresh.isNull()) fresh = QImage(width, height, QImage::Format_RGB32);
    fresh.fill(0xFF000000u);
    if (!Image.isNull()) {
        const int w = std::min(Image.width(), width), h = std::min(Image.height(), height);
        for (int y = 0; y < h; ++y)
            std::memcpy(fresh.scanLine(y), Image.constScanLine(y), static_cast<size_t>(w) * 4);
    }
    Image = std::move(fresh);
    SegmentId = segment;
    SegmentBits = segment >= 0 ? Image.constBits() : nullptr;
    // Whoever shows the window has to take the new size whole.
    Changed = QRegion(Image.rect());
}

void Presentation::Take(QImage& image, QRegion& changed) {
    image = Image;
    changed = Changed;
    Changed = QRegion();
}

void Presentation::Present(const Box& area, const Box& dest, const Surface* source,
                           const Box& src, bool keyed, bool mirrorX, bool mirrorY,
                           QRgb fillColour) {
    Fit(area.W(), area.H());
    // From here on everything is in window pixels.
    const Box to{dest.l - area.l, dest.t - area.t, dest.r - area.l, dest.b - area.t};
    const Box clip = Intersect(to, Box{0, 0, area.W(), area.H()});
    if (clip.Empty()) return;
    auto* base = reinterpret_cast<uint32_t*>(Image.bits());
    const ptrdiff_t stride = Image.bytesPerLine() / 4;
    Damage damage;
    if (!source) {
        const uint32_t c = fillColour | 0xFF000000u;
        for (int y = clip.t; y < clip.b; ++y) {
            uint32_t* row = base + y * stride;
            int first = clip.r, last = clip.l;
            for (int x = clip.l; x < clip.r; ++x)
                Put(row, x, c, first, last);
            if (first < last) damage.AddRow(y, first, last);
        }
    } else {
        const int bytes = source->PixelFormat().Bytes();
        const DWORD mask = source->PixelFormat().ColourMask();
        const DWORD key = source->Key.dwColorSpaceLowValue & mask;
        const bool same = !mirrorX && !mirrorY && to.W() == src.W() && to.H() == src.H();
        QList<QRgb> table;
        if (bytes == 1) table = source->ColourTable();
        for (int y = clip.t; y < clip.b; ++y) {
            int fy = y - to.t;
            if (mirrorY) fy = to.H() - 1 - fy;
            const int sy = src.t + static_cast<int>(static_cast<int64_t>(fy) * src.H() / to.H());
            const uint8_t* srow = source->Row(sy);
            uint32_t* row = base + y * stride;
            int first = clip.r, last = clip.l;
            if (same && !keyed && bytes == 4) {
                const uint8_t* from = srow + (src.l + clip.l - to.l) * 4;
                int f = 0, l = 0;
                if (UpdateRow32(row + clip.l, reinterpret_cast<const uint32_t*>(from), clip.W(), f,
                                l)) {
                    first = clip.l + f;
                    last = clip.l + l;
                }
            } else {
                for (int x = clip.l; x < clip.r; ++x) {
                    int fx = x - to.l;
                    if (mirrorX) fx = to.W() - 1 - fx;
                    const int sx =
                        src.l + static_cast<int>(static_cast<int64_t>(fx) * src.W() / to.W());
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
            if (first < last) damage.AddRow(y, first, last);
        }
    }
    const QRegion changed = damage.Finish();
    CountPresentation(!changed.isEmpty());
    Changed += changed;
}

} // namespace ddraw
