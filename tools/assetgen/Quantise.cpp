// Palette reduction by variance-driven box cutting, nearest-colour mapping, and the picture stream.
#include "tools/assetgen/AssetGen.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace assetgen {

std::uint32_t Rng::Next() {
    // xorshift64* — fixed arithmetic, so every build draws the same art.
    s ^= s >> 12;
    s ^= s << 25;
    s ^= s >> 27;
    return std::uint32_t((s * 0x2545F4914F6CDD1Dull) >> 32);
}

QImage IndexedPicture::ToImage() const {
    QImage img(Width, Height, QImage::Format_RGB32);
    for (int y = 0; y < Height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < Width; ++x)
            line[x] = Palette[Pixels[std::size_t(y) * Width + x]];
    }
    return img;
}

namespace {

struct Entry {
    std::uint8_t c[3];
    std::uint32_t count;
};

struct Box {
    std::vector<Entry> entries;
    double error = 0; // weighted squared distance to the mean
    double mean[3] = {0, 0, 0};
};

void Measure(Box& box) {
    double n = 0, sum[3] = {0, 0, 0}, sq[3] = {0, 0, 0};
    for (const Entry& e : box.entries)
        for (int k = 0; k < 3; ++k) {
            sum[k] += double(e.c[k]) * e.count;
            sq[k] += double(e.c[k]) * e.c[k] * e.count;
        }
    for (const Entry& e : box.entries)
        n += e.count;
    box.error = 0;
    for (int k = 0; k < 3; ++k) {
        box.mean[k] = n > 0 ? sum[k] / n : 0;
        box.error += sq[k] - (n > 0 ? sum[k] * sum[k] / n : 0);
    }
}

// Splits along the channel of largest spread at the weighted median.
bool Split(Box& box, Box& other) {
    if (box.entries.size() < 2) return false;
    double n = 0, sum[3] = {0, 0, 0}, sq[3] = {0, 0, 0};
    for (const Entry& e : box.entries) {
        n += e.count;
        for (int k = 0; k < 3; ++k) {
            sum[k] += double(e.c[k]) * e.count;
            sq[k] += double(e.c[k]) * e.c[k] * e.count;
        }
    }
    int axis = 0;
    double best = -1;
    for (int k = 0; k < 3; ++k) {
        // Green weighs most in perceived brightness, blue least.
        static const double weight[3] = {1.0, 1.2, 0.8};
        const double var = (sq[k] - sum[k] * sum[k] / n) * weight[k];
        if (var > best) best = var, axis = k;
    }
    std::stable_sort(box.entries.begin(), box.entries.end(),
                     [axis](const Entry& a, const Entry& b) {
                         if (a.c[axis] != b.c[axis]) return a.c[axis] < b.c[axis];
                         return std::memcmp(a.c, b.c, 3) < 0;
                     });
    double acc = 0;
    std::size_t cut = 1;
    for (std::size_t i = 0; i < box.entries.size(); ++i) {
        acc += box.entries[i].count;
        if (acc >= n / 2) {
            cut = std::clamp<std::size_t>(i + 1, 1, box.entries.size() - 1);
            break;
        }
    }
    other.entries.assign(box.entries.begin() + std::ptrdiff_t(cut), box.entries.end());
    box.entries.resize(cut);
    Measure(box);
    Measure(other);
    return true;
}

int Distance(QRgb a, int r, int g, int b) {
    const int dr = qRed(a) - r, dg = qGreen(a) - g, db = qBlue(a) - b;
    return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
}

constexpr QRgb Lime = 0xFF00FF00u;

} // namespace

std::vector<QRgb> BuildPalette(const std::vector<const QImage*>& images, int entries,
                               bool reserveLime) {
    std::map<std::uint32_t, std::uint32_t>
        histogram; // ordered: the result never depends on hashing
    for (const QImage* image : images)
        for (int y = 0; y < image->height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image->constScanLine(y));
            for (int x = 0; x < image->width(); ++x) {
                const QRgb c = line[x] | 0xFF000000u;
                if (c == Lime || c == 0xFF000000u) continue; // these have their own entries
                ++histogram[c & 0xFFFFFFu];
            }
        }
    const int free = entries - 1 - (reserveLime ? 1 : 0);
    std::vector<Box> boxes(1);
    for (const auto& [rgb, count] : histogram)
        boxes[0].entries.push_back(
            {{std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb)}, count});
    Measure(boxes[0]);
    if (boxes[0].entries.empty()) boxes.clear();
    while (int(boxes.size()) < free) {
        std::size_t worst = boxes.size();
        for (std::size_t i = 0; i < boxes.size(); ++i)
            if (boxes[i].entries.size() > 1 &&
                (worst == boxes.size() || boxes[i].error > boxes[worst].error))
                worst = i;
        if (worst == boxes.size()) break;
        Box other;
        Split(boxes[worst], other);
        boxes.push_back(std::move(other));
    }
    std::vector<QRgb> colours;
    for (const Box& box : boxes) {
        QRgb c = qRgb(int(box.mean[0] + 0.5), int(box.mean[1] + 0.5), int(box.mean[2] + 0.5));
        if (c == Lime) c = qRgb(0, 254, 0); // only the reserved entry may be the colour key
        colours.push_back(c);
    }
    // Dark to light, so the table reads sensibly; ties broken by the value itself.
    std::sort(colours.begin(), colours.end(), [](QRgb a, QRgb b) {
        const int la = qRed(a) * 299 + qGreen(a) * 587 + qBlue(a) * 114;
        const int lb = qRed(b) * 299 + qGreen(b) * 587 + qBlue(b) * 114;
        return la != lb ? la < lb : a < b;
    });
    std::vector<QRgb> palette(std::size_t(entries), qRgb(0, 0, 0));
    std::size_t next = 0;
    for (int i = 1; i < entries && next < colours.size(); ++i) {
        if (reserveLime && i == LimeIndex) continue;
        palette[std::size_t(i)] = colours[next++];
    }
    if (reserveLime) palette[LimeIndex] = Lime;
    return palette;
}

IndexedPicture Quantise(const QImage& image, const std::vector<QRgb>& palette, bool reserveLime,
                        bool dither) {
    static const int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    IndexedPicture out;
    out.Width = image.width();
    out.Height = image.height();
    out.Palette = palette;
    out.Palette.resize(256, qRgb(0, 0, 0));
    out.Pixels.resize(std::size_t(out.Width) * out.Height);
    std::map<std::uint32_t, std::uint8_t> memo;
    for (int y = 0; y < out.Height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < out.Width; ++x) {
            const QRgb c = line[x] | 0xFF000000u;
            std::uint8_t index;
            if (reserveLime && c == Lime) {
                index = LimeIndex;
            } else {
                const int d = dither ? (bayer[y & 3][x & 3] - 7) / 3 : 0; // about ±2 levels
                const int r = std::clamp(qRed(c) + d, 0, 255),
                          g = std::clamp(qGreen(c) + d, 0, 255),
                          b = std::clamp(qBlue(c) + d, 0, 255);
                const std::uint32_t key = std::uint32_t(r) << 16 | g << 8 | b;
                auto hit = memo.find(key);
                if (hit != memo.end()) {
                    index = hit->second;
                } else {
                    int best = 0, bestDistance = Distance(palette[0], r, g, b);
                    for (int i = 1; i < int(palette.size()); ++i) {
                        if (reserveLime && i == LimeIndex) continue;
                        const int dist = Distance(palette[std::size_t(i)], r, g, b);
                        if (dist < bestDistance) best = i, bestDistance = dist;
                    }
                    index = std::uint8_t(best);
                    memo.emplace(key, index);
                }
            }
            out.Pixels[std::size_t(y) * out.Width + x] = index;
        }
    }
    return out;
}

std::vector<std::uint8_t> PictureStream(const IndexedPicture& picture) {
    std::vector<std::uint8_t> out;
    auto put8 = [&](unsigned v) { out.push_back(std::uint8_t(v)); };
    auto put16 = [&](unsigned v) {
        put8(v & 0xFF);
        put8(v >> 8 & 0xFF);
    };
    auto put32 = [&](std::uint32_t v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    const int widthBytes = (8 * picture.Width + 31) / 32 * 4;
    put8(4);
    for (char ch : {'T', 'D', 'I', 'B'})
        put8(std::uint8_t(ch));
    put32(40);
    put32(std::uint32_t(picture.Width));
    put32(std::uint32_t(picture.Height)); // positive: rows bottom-up
    put16(1);
    put16(8);
    put32(0); // no compression
    put32(std::uint32_t(widthBytes * picture.Height));
    put32(0);
    put32(0);
    put32(0); // colours used 0: the full 256-entry table follows
    put32(0);
    for (int i = 0; i < 256; ++i) {
        const QRgb c = picture.Palette[std::size_t(i)];
        put8(qBlue(c));
        put8(qGreen(c));
        put8(qRed(c));
        put8(0);
    }
    for (int y = picture.Height - 1; y >= 0; --y) {
        const std::uint8_t* row = picture.Pixels.data() + std::size_t(y) * picture.Width;
        out.insert(out.end(), row, row + picture.Width);
        out.resize(out.size() + std::size_t(widthBytes - picture.Width), 0);
    }
    return out;
}

} // namespace assetgen
