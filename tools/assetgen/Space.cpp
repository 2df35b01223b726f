// The space backdrop (nebula, stars, spiral galaxy) and the title logo with its elliptical ring.
#include "tools/assetgen/AssetGen.h"

#include <QFontDatabase>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace assetgen {

namespace {

constexpr double Pi = 3.14159265358979323846;

// Lattice value noise with a fixed integer hash, smoothly interpolated.
double Lattice(int x, int y, std::uint32_t seed) {
    std::uint32_t h =
        std::uint32_t(x) * 374761393u + std::uint32_t(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFFFF) / double(0xFFFFFF);
}

double Noise(double x, double y, std::uint32_t seed) {
    const int ix = int(std::floor(x)), iy = int(std::floor(y));
    const double fx = x - ix, fy = y - iy;
    const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const double a = Lattice(ix, iy, seed), b = Lattice(ix + 1, iy, seed);
    const double c = Lattice(ix, iy + 1, seed), d = Lattice(ix + 1, iy + 1, seed);
    return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy;
}

double Fbm(double x, double y, std::uint32_t seed, int octaves = 5) {
    double sum = 0, amp = 0.5, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amp * Noise(x, y, seed + std::uint32_t(i) * 101u);
        norm += amp;
        x *= 2.03;
        y *= 2.03;
        amp *= 0.5;
    }
    return sum / norm;
}

struct Light {
    int w, h;
    std::vector<double> px; // linear light, three per pixel
    Light(int width, int height) : w(width), h(height), px(std::size_t(width) * height * 3, 0.0) {}
    void Add(int x, int y, double r, double g, double b) {
        if (x < 0 || y < 0 || x >= w || y >= h) return;
        double* p = &px[(std::size_t(y) * w + x) * 3];
        p[0] += r, p[1] += g, p[2] += b;
    }
    // A round soft spot of the given colour and radius (sigma) at a sub-pixel position.
    void Spot(double cx, double cy, double sigma, double r, double g, double b) {
        const int reach = int(std::ceil(sigma * 3));
        for (int y = int(cy) - reach; y <= int(cy) + reach; ++y)
            for (int x = int(cx) - reach; x <= int(cx) + reach; ++x) {
                const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
                const double k = std::exp(-(dx * dx + dy * dy) / (2 * sigma * sigma));
                if (k > 0.002) Add(x, y, r * k, g * k, b * k);
            }
    }
};

void StarColour(Rng& rng, double& r, double& g, double& b) {
    const double t = rng.Uniform();
    if (t < 0.35)
        r = 0.75, g = 0.85, b = 1.0; // blue-white
    else if (t < 0.75)
        r = 1.0, g = 1.0, b = 1.0; // white
    else if (t < 0.92)
        r = 1.0, g = 0.92, b = 0.75; // yellow
    else
        r = 1.0, g = 0.72, b = 0.55; // orange
}

} // namespace

QImage DrawSpace(int width, int height, double gx, double gy, double galaxyRadius,
                 std::uint64_t seed) {
    Light light(width, height);
    const std::uint32_t s32 = std::uint32_t(seed);

    // Nebula: violet and blue veils over a near-black sky, a little brighter around the galaxy.
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double n1 = Fbm(x / 110.0, y / 110.0, s32 + 1);
            const double n2 = Fbm(x / 60.0 + 17.3, y / 60.0 - 4.1, s32 + 7);
            const double dx = (x - gx) / (galaxyRadius * 3.2), dy = (y - gy) / (galaxyRadius * 2.4);
            const double nearGalaxy = std::exp(-(dx * dx + dy * dy));
            const double violet =
                std::pow(std::max(0.0, n1 - 0.35) / 0.65, 2.2) * (0.55 + 0.9 * nearGalaxy);
            const double blue = std::pow(std::max(0.0, n2 - 0.45) / 0.55, 2.0) * 0.7;
            double* p = &light.px[(std::size_t(y) * width + x) * 3];
            p[0] = 0.010 + violet * 0.16 + blue * 0.02;
            p[1] = 0.010 + violet * 0.05 + blue * 0.05;
            p[2] = 0.035 + violet * 0.24 + blue * 0.16;
        }

    // The galaxy: bright core, two logarithmic arms with dust lanes and star-forming knots,
    // seen tilted.
    const double tilt = 0.56, turn = -0.38, c = std::cos(turn), s = std::sin(turn);
    const double winding = 2.1; // radians of turn per e-fold of radius
    const int reach = int(galaxyRadius * 1.6);
    for (int y = int(gy) - reach; y <= int(gy) + reach; ++y)
        for (int x = int(gx) - reach; x <= int(gx) + reach; ++x) {
            if (x < 0 || y < 0 || x >= width || y >= height) continue;
            const double dx = x + 0.5 - gx, dy = y + 0.5 - gy;
            const double u = dx * c + dy * s, v = (-dx * s + dy * c) / tilt;
            const double r = std::sqrt(u * u + v * v) / galaxyRadius;
            const double theta = std::atan2(v, u);
            const double core =
                1.7 * std::exp(-(r / 0.07) * (r / 0.07)) + 0.55 * std::exp(-r / 0.14);
            double arms = 0;
            for (int arm = 0; arm < 2; ++arm) {
                double d = theta - winding * std::log(r + 0.02) - arm * Pi;
                d = std::remainder(d, 2 * Pi);
                const double band = std::exp(-d * d / (2 * 0.50 * 0.50));
                const double lane =
                    1 - 0.55 * std::exp(-(d + 0.38) * (d + 0.38) / (2 * 0.11 * 0.11));
                arms += band * lane;
            }
            const double rise = std::clamp((r - 0.05) / 0.18, 0.0, 1.0);
            const double clump = 0.55 + 0.9 * Fbm(x / 7.0, y / 7.0, s32 + 31, 4);
            arms *= rise * std::exp(-r / 0.48) * clump * 1.05;
            const double halo = 0.10 * std::exp(-r / 0.55);
            light.Add(x, y, core * 1.00 + arms * 0.62 + halo * 0.55,
                      core * 0.90 + arms * 0.70 + halo * 0.6,
                      core * 0.72 + arms * 1.00 + halo * 1.0);
        }
    Rng rng(seed);
    // Pink and blue knots along the arms.
    for (int i = 0; i < 70; ++i) {
        const int arm = int(rng.Next() & 1);
        const double r = rng.Range(0.16, 0.95);
        const double theta = winding * std::log(r + 0.02) + arm * Pi + rng.Range(-0.25, 0.25);
        const double u = r * galaxyRadius * std::cos(theta),
                     v = r * galaxyRadius * std::sin(theta) * tilt;
        const double x = gx + u * c - v * s, y = gy + u * s + v * c;
        const bool pink = rng.Uniform() < 0.55;
        const double k = rng.Range(0.25, 0.6) * (1.1 - r * 0.6);
        light.Spot(x, y, rng.Range(0.6, 1.3), k * (pink ? 1.0 : 0.6), k * (pink ? 0.45 : 0.75),
                   k * (pink ? 0.75 : 1.0));
    }

    // Stars: many faint points, fewer bright ones, a handful with spikes.
    const int count = width * height / 260;
    for (int i = 0; i < count; ++i) {
        const double x = rng.Range(0, width), y = rng.Range(0, height);
        const double t = rng.Uniform();
        const double bright = 0.06 + 0.9 * std::pow(t, 7.0);
        double r, g, b;
        StarColour(rng, r, g, b);
        const double sigma = 0.42 + 0.5 * std::pow(t, 5.0);
        light.Spot(x, y, sigma, r * bright * 1.6, g * bright * 1.6, b * bright * 1.6);
        if (bright > 0.62) {
            const int spike = int(4 + bright * 7);
            for (int k = 1; k <= spike; ++k) {
                const double f = bright * 0.55 * std::pow(1.0 - double(k) / (spike + 1), 1.6);
                light.Add(int(x) + k, int(y), r * f, g * f, b * f);
                light.Add(int(x) - k, int(y), r * f, g * f, b * f);
                light.Add(int(x), int(y) + k, r * f, g * f, b * f);
                light.Add(int(x), int(y) - k, r * f, g * f, b * f);
            }
            light.Spot(x, y, 2.2, r * 0.12, g * 0.12, b * 0.16);
        }
    }

    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const double* p = &light.px[(std::size_t(y) * width + x) * 3];
            int out[3];
            for (int k = 0; k < 3; ++k) {
                // Soft shoulder: highlights saturate gently instead of clipping into flat blobs.
                const double v = 1 - std::exp(-1.35 * p[k]);
                out[k] = std::clamp(int(std::lround(v * 255)), 0, 255);
            }
            line[x] = qRgb(out[0], out[1], out[2]);
        }
    }
    return image;
}

void DrawLogo(QImage& image, const Fonts& fonts, double cx, double cy, double scale) {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(cx, cy);
    p.rotate(-7);

    const double rx = 122 * scale, ry = 29 * scale;
    QLinearGradient gold(-rx, 0, rx, 0);
    gold.setColorAt(0.0, QColor(255, 170, 60));
    gold.setColorAt(0.3, QColor(255, 226, 130));
    gold.setColorAt(0.55, QColor(255, 246, 200));
    gold.setColorAt(0.8, QColor(250, 190, 80));
    gold.setColorAt(1.0, QColor(220, 120, 40));
    auto ring = [&](bool front) {
        p.save();
        // The back half of the ring passes behind the name, the front half before it.
        p.setClipRect(QRectF(-rx - 20 * scale, front ? 0 : -ry - 20 * scale, 2 * rx + 40 * scale,
                             ry + 20 * scale));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(20, 10, 40, 150), 9.5 * scale));
        p.drawEllipse(QPointF(0, 0), rx, ry);
        p.setPen(QPen(QBrush(gold), 6.0 * scale));
        p.drawEllipse(QPointF(0, 0), rx, ry);
        p.setPen(QPen(QColor(255, 252, 235, front ? 220 : 150), 1.3 * scale));
        p.drawEllipse(QPointF(0, 0), rx - 1.4 * scale, ry - 1.0 * scale);
        p.restore();
    };
    ring(false);

    QFont font(fonts.Rounded);
    font.setPixelSize(int(std::lround(50 * scale)));
    font.setStyleStrategy(
        QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoSubpixelAntialias));
    font.setLetterSpacing(QFont::AbsoluteSpacing, 1.5 * scale);
    QPainterPath text;
    text.addText(0, 0, font, QStringLiteral("Zelvan"));
    const QRectF box = text.boundingRect();
    text.translate(-box.center());
    // Glow, outline, then the gradient face with a light top edge.
    for (int i = 4; i >= 1; --i) {
        p.setPen(QPen(QColor(150, 110, 255, 34), (2.0 + i * 2.6) * scale, Qt::SolidLine,
                      Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(text);
    }
    p.setPen(QPen(QColor(18, 10, 60), 3.2 * scale, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(text);
    QLinearGradient face(0, -box.height() / 2, 0, box.height() / 2);
    face.setColorAt(0.0, QColor(255, 255, 255));
    face.setColorAt(0.45, QColor(205, 200, 255));
    face.setColorAt(0.55, QColor(150, 140, 250));
    face.setColorAt(1.0, QColor(95, 110, 235));
    p.setPen(Qt::NoPen);
    p.setBrush(face);
    p.drawPath(text);
    ring(true);

    // A small four-pointed glint on the ring.
    p.resetTransform();
    const double gxp = cx + rx * 0.62, gyp = cy + ry * 0.9 - 8 * scale;
    QPainterPath star;
    const double a = 7 * scale, b = 1.4 * scale;
    star.moveTo(gxp, gyp - a);
    star.lineTo(gxp + b, gyp - b);
    star.lineTo(gxp + a, gyp);
    star.lineTo(gxp + b, gyp + b);
    star.lineTo(gxp, gyp + a);
    star.lineTo(gxp - b, gyp + b);
    star.lineTo(gxp - a, gyp);
    star.lineTo(gxp - b, gyp - b);
    star.closeSubpath();
    p.setBrush(QColor(255, 255, 240, 230));
    p.drawPath(star);
}

} // namespace assetgen
