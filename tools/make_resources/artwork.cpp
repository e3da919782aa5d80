#include "artwork.h"

#include <QFont>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <QTransform>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace make_resources {
namespace {

constexpr double kDegree = std::numbers::pi / 180.0;

double clamp01(double v) {
    return std::clamp(v, 0.0, 1.0);
}

double smoothstep(double edge0, double edge1, double x) {
    const double t = clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3.0 - 2.0 * t);
}

// A tiny xorshift generator: std::uniform_*_distribution may differ between
// standard libraries, and the committed images should not change just because
// somebody regenerates them with another toolchain.
class Grain {
public:
    explicit Grain(std::uint32_t seed) : state_(seed ? seed : 1u) {}
    // Uniform in [-1, 1].
    double next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<double>(state_) / 2147483647.5 - 1.0;
    }

private:
    std::uint32_t state_;
};

using Channels = std::array<int, 4>;

void blurLine(std::vector<Channels>& line, int radius) {
    const int n = static_cast<int>(line.size());
    const int window = 2 * radius + 1;
    auto at = [&](int i) -> const Channels& { return line[std::clamp(i, 0, n - 1)]; };
    Channels sum{};
    for (int i = -radius; i <= radius; ++i)
        for (int c = 0; c < 4; ++c)
            sum[c] += at(i)[c];
    std::vector<Channels> out(line.size());
    for (int x = 0; x < n; ++x) {
        for (int c = 0; c < 4; ++c) {
            out[x][c] = (sum[c] + window / 2) / window;
            sum[c] += at(x + radius + 1)[c] - at(x - radius)[c];
        }
    }
    line.swap(out);
}

Channels unpack(QRgb p) {
    return {qAlpha(p), qRed(p), qGreen(p), qBlue(p)};
}
QRgb pack(const Channels& c) {
    return qRgba(c[1], c[2], c[3], c[0]);
}

// One blade of the fan, pointing along +x, for a fan of radius 1. The same
// outline is used by the emblem and, much larger, by the banner's backdrop, so
// the two read as the same machine.
QPainterPath bladeShape() {
    QPainterPath path;
    path.moveTo(0.10, -0.10);
    path.cubicTo(0.38, -0.46, 0.78, -0.58, 0.97, -0.34);
    path.cubicTo(1.05, -0.22, 1.03, -0.02, 0.93, 0.10);
    path.cubicTo(0.72, 0.30, 0.40, 0.26, 0.10, 0.12);
    path.closeSubpath();
    return path;
}

QPointF polar(QPointF centre, double radius, double degrees) {
    return centre +
           QPointF(radius * std::cos(degrees * kDegree), radius * std::sin(degrees * kDegree));
}

QFont bannerFont(int pixelSize, bool bold) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(pixelSize);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    // No hinting: glyph shapes then depend on the font file alone, not on the
    // rasteriser's grid fitting, which keeps regenerated banners stable.
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

// Largest pixel size, at most `preferred`, at which `text` fits `maxWidth`.
QFont fittedFont(const QString& text, double maxWidth, int preferred, bool bold) {
    for (int size = preferred; size > 8; --size) {
        QFont font = bannerFont(size, bold);
        if (QFontMetricsF(font).horizontalAdvance(text) <= maxWidth)
            return font;
    }
    return bannerFont(8, bold);
}

QColor grey(int level, int alpha = 255) {
    return QColor(level, level, level, alpha);
}

// Shading across a round pipe or duct, so that blurred it still reads as a
// lit cylinder rather than a flat band.
QLinearGradient cylinder(QPointF from, QPointF to, int dark, int light) {
    QLinearGradient g(from, to);
    g.setColorAt(0.0, grey(dark / 2));
    g.setColorAt(0.28, grey(light));
    g.setColorAt(0.45, grey((light + dark) / 2));
    g.setColorAt(0.85, grey(dark));
    g.setColorAt(1.0, grey(dark / 3));
    return g;
}

// Background plant room: ducts and pipes, far away and strongly out of focus.
// Grey levels are brightness factors, 128 meaning "leave the red as it is".
QImage farLayer() {
    QImage img(kBannerSize, QImage::Format_ARGB32_Premultiplied);
    img.fill(grey(128));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);

    // The room recedes towards the right: every run is given by its top and
    // bottom edge at the left (x = 240) and right (x = 884) end.
    struct Run {
        double topLeft, bottomLeft, topRight, bottomRight;
        double top(double x) const { return topLeft + (topRight - topLeft) * along(x); }
        double bottom(double x) const { return bottomLeft + (bottomRight - bottomLeft) * along(x); }
        static double along(double x) { return (x - 240.0) / 644.0; }
        QPolygonF between(double x0, double x1, double grow = 0) const {
            return QPolygonF{QPointF(x0, top(x0) - grow), QPointF(x1, top(x1) - grow),
                             QPointF(x1, bottom(x1) + grow), QPointF(x0, bottom(x0) + grow)};
        }
    };
    auto drawRun = [&p](const Run& run, int dark, int light) {
        const double mid = 560;
        p.setBrush(
            cylinder(QPointF(mid, run.top(mid)), QPointF(mid, run.bottom(mid)), dark, light));
        p.drawPolygon(run.between(240, 884));
    };
    // Joints get closer together with distance, as they would through a lens.
    std::vector<double> joints;
    for (double x = 300, step = 130; x < 884; x += step, step *= 0.8)
        joints.push_back(x);

    // Large duct along the ceiling, with flanged joints.
    const Run duct{-40, 78, 6, 50};
    drawRun(duct, 44, 150);
    for (size_t i = 0; i < joints.size(); ++i) {
        const double width = 12.0 * std::pow(0.85, static_cast<double>(i));
        p.setBrush(grey(40));
        p.drawPolygon(duct.between(joints[i], joints[i] + width, 3));
        p.setBrush(grey(165));
        p.drawPolygon(duct.between(joints[i] + width, joints[i] + width + 2, 3));
    }

    // Two pipes along the floor, fed by a riser from the duct.
    const Run upper{146, 176, 120, 136};
    const Run lower{183, 202, 142, 152};
    const QRectF riser(790, duct.bottom(790) - 4, 26, upper.top(790) - duct.bottom(790) + 8);
    p.setBrush(cylinder(riser.topLeft(), riser.topRight(), 40, 160));
    p.drawRect(riser);
    drawRun(upper, 38, 158);
    drawRun(lower, 38, 158);
    for (size_t i = 1; i < joints.size(); i += 2) {
        const double width = 9.0 * std::pow(0.85, static_cast<double>(i));
        p.setBrush(grey(30)); // pipe clamps
        p.drawPolygon(QPolygonF{QPointF(joints[i], upper.top(joints[i]) - 4),
                                QPointF(joints[i] + width, upper.top(joints[i]) - 4),
                                QPointF(joints[i] + width, lower.bottom(joints[i]) + 4),
                                QPointF(joints[i], lower.bottom(joints[i]) + 4)});
    }
    // Ceiling lamps: out of focus they become the soft discs of a photograph.
    for (const QPointF lamp : {QPointF(372, 26), QPointF(612, 8), QPointF(742, 30)}) {
        QRadialGradient glow(lamp, 26);
        glow.setColorAt(0.0, grey(235));
        glow.setColorAt(0.5, grey(190));
        glow.setColorAt(1.0, grey(128, 0));
        p.setBrush(glow);
        p.drawEllipse(lamp, 26, 26);
    }
    p.end();

    // Mottling before the blur turns into the uneven light of a real room.
    Grain grain(20260117u);
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const int v = std::clamp(qRed(line[x]) + static_cast<int>(grain.next() * 26), 0, 255);
            line[x] = qRgb(v, v, v);
        }
    }
    boxBlur(img, 9, 3);
    return img;
}

// The fan unit in front: closer, so only slightly soft.
QImage nearLayer() {
    QImage img(kBannerSize, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    const QPointF centre(632, 108);
    const double housing = 104;

    // Square casing behind the round housing, lit from the upper left.
    QLinearGradient casing(centre - QPointF(housing, housing), centre + QPointF(housing, housing));
    casing.setColorAt(0.0, grey(120));
    casing.setColorAt(0.5, grey(70));
    casing.setColorAt(1.0, grey(34));
    p.setPen(Qt::NoPen);
    p.setBrush(casing);
    p.drawRoundedRect(QRectF(centre.x() - housing - 14, centre.y() - housing - 14, 2 * housing + 28,
                             2 * housing + 28),
                      10, 10);

    // Dark throat of the housing.
    QRadialGradient throat(centre, housing);
    throat.setColorAt(0.0, grey(44));
    throat.setColorAt(0.85, grey(22));
    throat.setColorAt(1.0, grey(10));
    p.setBrush(throat);
    p.drawEllipse(centre, housing, housing);

    // Five blades, lit on their leading edge.
    const QPainterPath blade = bladeShape();
    for (int i = 0; i < 5; ++i) {
        QTransform t;
        t.translate(centre.x(), centre.y());
        t.rotate(-70 + i * 72.0);
        t.scale(housing * 0.9, housing * 0.9);
        QLinearGradient shade(t.map(QPointF(0.5, -0.5)), t.map(QPointF(0.5, 0.3)));
        shade.setColorAt(0.0, grey(150));
        shade.setColorAt(0.35, grey(88));
        shade.setColorAt(1.0, grey(40));
        p.setBrush(shade);
        p.drawPath(t.map(blade));
    }
    p.setBrush(grey(26));
    p.drawEllipse(centre, 22, 22);
    p.setBrush(grey(110));
    p.drawEllipse(centre, 7, 7);

    // Guard: concentric wires and spokes in front of the blades.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(grey(18, 200), 2.2));
    for (double r = 30; r < housing; r += 17)
        p.drawEllipse(centre, r, r);
    for (int i = 0; i < 8; ++i)
        p.drawLine(polar(centre, 24, i * 45.0 + 22.5), polar(centre, housing, i * 45.0 + 22.5));
    p.setPen(QPen(grey(150, 220), 3));
    p.drawEllipse(centre, housing + 2, housing + 2);
    p.end();

    boxBlur(img, 2, 3);
    return img;
}

// White emblem and lettering, on a transparent layer so that a blurred copy
// can serve as the drop shadow that keeps them readable over the gradient.
QImage lettering(QString* fontFamily) {
    QImage img(kBannerSize, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // Everything must stay left of x = 276, where the category list starts.
    constexpr double kLeft = 18;
    constexpr double kRight = 266;
    constexpr int kEmblem = 82;
    constexpr double kEmblemTop = 20;
    p.drawImage(QPointF(kLeft - 2, kEmblemTop), renderEmblem(kEmblem, Qt::white));

    const double nameLeft = kLeft + kEmblem + 10;
    const QFont first = fittedFont(QStringLiteral("Conversor"), kRight - nameLeft, 34, true);
    const QFont second = fittedFont(QStringLiteral("de unidades"), kRight - nameLeft, 30, true);
    *fontFamily = QFontInfo(first).family();
    p.setPen(Qt::white);
    p.setFont(first);
    p.drawText(QPointF(nameLeft, 57), QStringLiteral("Conversor"));
    p.setFont(second);
    p.drawText(QPointF(nameLeft + 1, 90), QStringLiteral("de unidades"));

    // Hairline between the name and the secondary lines.
    QLinearGradient rule(QPointF(kLeft, 0), QPointF(kRight, 0));
    rule.setColorAt(0.0, QColor(255, 255, 255, 200));
    rule.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.fillRect(QRectF(kLeft, 121, kRight - kLeft, 1.2), rule);

    const QString subtitle = QStringLiteral("Climatización · Calefacción · Ventilación");
    p.setFont(fittedFont(subtitle, kRight - kLeft, 15, true));
    p.drawText(QPointF(kLeft, 148), subtitle);

    const QString notice = QStringLiteral("© 2026 · Unidades para ingeniería térmica");
    p.setPen(QColor(255, 255, 255, 215));
    p.setFont(fittedFont(notice, kRight - kLeft, 12, false));
    p.drawText(QPointF(kLeft, 184), notice);
    p.end();
    return img;
}

} // namespace

void boxBlur(QImage& image, int radius, int passes) {
    if (image.format() != QImage::Format_ARGB32_Premultiplied)
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int w = image.width();
    const int h = image.height();
    std::vector<Channels> line;
    for (int pass = 0; pass < passes; ++pass) {
        line.resize(static_cast<size_t>(w));
        for (int y = 0; y < h; ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < w; ++x)
                line[x] = unpack(row[x]);
            blurLine(line, radius);
            for (int x = 0; x < w; ++x)
                row[x] = pack(line[x]);
        }
        line.resize(static_cast<size_t>(h));
        for (int x = 0; x < w; ++x) {
            for (int y = 0; y < h; ++y)
                line[y] = unpack(reinterpret_cast<const QRgb*>(image.constScanLine(y))[x]);
            blurLine(line, radius);
            for (int y = 0; y < h; ++y)
                reinterpret_cast<QRgb*>(image.scanLine(y))[x] = pack(line[y]);
        }
    }
}

QImage renderEmblem(int size, QColor colour) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    const double s = size;
    const QPointF centre(s / 2, s / 2);
    // Below ~2 px the arrows dissolve into the antialiasing at icon size.
    const double stroke = std::max(s * 0.075, 2.2);
    // Half the arrowhead's radial extent; relatively larger on small icons, where
    // otherwise the heads merge with the ring and the arrows stop reading.
    const double head = stroke * (size < 48 ? 1.8 : 1.45);
    const double ring = s / 2 - head - s * 0.01;
    const double headDegrees = head * 1.6 / ring / kDegree;
    // Clear space between an arrow's tip and the tail of the other arrow.
    const double gapDegrees = std::max(14.0, 2.5 / ring / kDegree);
    const double arcDegrees = 180.0 - headDegrees - gapDegrees;

    // Two arrows chasing each other round the fan: conversion goes both ways.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour, stroke, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    for (const double start : {-25.0, 155.0}) {
        const double end = start + arcDegrees;
        QPolygonF arc;
        for (double a = start; a < end; a += 2.0)
            arc << polar(centre, ring, a);
        arc << polar(centre, ring, end);
        p.drawPolyline(arc);

        // Base a degree behind the arc's end so no seam shows between them.
        const QPolygonF arrow{polar(centre, ring + head, end - 1.0),
                              polar(centre, ring + 0.0, end + headDegrees),
                              polar(centre, ring - head, end - 1.0)};
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawPolygon(arrow);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(colour, stroke, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    }

    // Three-bladed fan inside the ring.
    const double fan = ring - stroke / 2 - std::max(s * 0.055, 1.6);
    const double hub = fan * 0.27;
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    const QPainterPath blade = bladeShape();
    for (int i = 0; i < 3; ++i) {
        QTransform t;
        t.translate(centre.x(), centre.y());
        t.rotate(-90.0 + i * 120.0);
        // Slimmer blades on small icons keep them apart from each other.
        t.scale(fan, size < 48 ? fan * 0.8 : fan);
        p.drawPath(t.map(blade));
    }
    // From 48 px up there is room to separate the hub from the blades and to
    // show the shaft; at 32 px that detail would only blur the centre.
    if (size >= 48) {
        p.setCompositionMode(QPainter::CompositionMode_Clear);
        p.drawEllipse(centre, hub + s * 0.022, hub + s * 0.022);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    p.drawEllipse(centre, hub, hub);
    if (size >= 96) {
        p.setCompositionMode(QPainter::CompositionMode_Clear);
        p.drawEllipse(centre, hub * 0.32, hub * 0.32);
    }
    p.end();
    return img;
}

QImage renderIcon(int size) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    const int margin = std::max(1, static_cast<int>(std::lround(size * 0.04)));
    QPainter p(&img);
    p.drawImage(QPoint(margin, margin), renderEmblem(size - 2 * margin, QColor(kEmblemRed)));
    p.end();
    return img.convertToFormat(QImage::Format_RGB32);
}

QVector<QRgb> iconPalette() {
    const QColor red(kEmblemRed);
    QVector<QRgb> palette{qRgb(0, 0, 0),       qRgb(255, 255, 255), qRgb(128, 0, 0),
                          qRgb(88, 0, 0),      red.rgb(),           qRgb(64, 64, 64),
                          qRgb(128, 128, 128), qRgb(192, 192, 192), qRgb(224, 224, 224),
                          qRgb(220, 40, 40)};
    // Evenly spaced blends of the emblem red into white, so antialiased edges
    // keep their smoothness after quantisation.
    for (int step = 1; palette.size() < 16; ++step) {
        const double t = step / 7.0;
        palette << qRgb(static_cast<int>(std::lround(red.red() + (255 - red.red()) * t)),
                        static_cast<int>(std::lround(red.green() + (255 - red.green()) * t)),
                        static_cast<int>(std::lround(red.blue() + (255 - red.blue()) * t)));
    }
    return palette;
}

Banner renderBanner() {
    const int w = kBannerSize.width();
    const int h = kBannerSize.height();

    QImage backdrop = farLayer();
    {
        QPainter p(&backdrop);
        p.drawImage(0, 0, nearLayer());
    }

    QImage banner(kBannerSize, QImage::Format_RGB32);
    const QColor base(kBannerRed);
    Grain grain(884206u);
    for (int y = 0; y < h; ++y) {
        const auto* shade = reinterpret_cast<const QRgb*>(backdrop.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(banner.scanLine(y));
        for (int x = 0; x < w; ++x) {
            // Glow brightest behind the name, settling to the plain red at the
            // bottom and right edges, where the window continues in that red.
            const double glow =
                std::pow(clamp01(1.0 - y / double(h - 1)), 0.8) *
                std::pow(clamp01(1.0 - std::hypot((x - 90.0) / 820.0, (y - 30.0) / 300.0)), 1.4);
            double r = base.red() + 62.0 * glow;
            double g = base.green() + 6.0 * glow;
            double b = base.blue() + 10.0 * glow;

            // The backdrop only shows to the right of the lettering.
            const double amount =
                smoothstep(262, 390, x) * clamp01((w - 1 - x) / 28.0) * clamp01((h - 1 - y) / 6.0);
            if (amount > 0) {
                const double grainy = grain.next() * 5.0;
                const double f = 1.0 + ((qRed(shade[x]) + grainy) / 128.0 - 1.0) * amount;
                if (f <= 1.0) {
                    r *= f;
                    g *= f;
                    b *= f;
                } else {
                    // Highlights tint towards a warm pink, as on lit metal.
                    r += (255 - r) * (f - 1.0) * 0.55;
                    g += (255 - g) * (f - 1.0) * 0.30;
                    b += (255 - b) * (f - 1.0) * 0.28;
                }
            }
            out[x] = qRgb(static_cast<int>(std::lround(std::clamp(r, 0.0, 255.0))),
                          static_cast<int>(std::lround(std::clamp(g, 0.0, 255.0))),
                          static_cast<int>(std::lround(std::clamp(b, 0.0, 255.0))));
        }
    }

    Banner result;
    const QImage text = lettering(&result.fontFamily);
    QImage shadow = text;
    {
        QPainter p(&shadow);
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(shadow.rect(), QColor(40, 0, 0));
    }
    boxBlur(shadow, 2, 3);
    {
        QPainter p(&banner);
        p.setOpacity(0.6);
        p.drawImage(QPoint(1, 2), shadow);
        p.setOpacity(1.0);
        p.drawImage(QPoint(0, 0), text);
    }

    // The banner meets the window's plain red along its last row and column;
    // any grain or glow left there would show as a seam.
    for (int x = 0; x < w; ++x)
        banner.setPixel(x, h - 1, kBannerRed);
    for (int y = 0; y < h; ++y)
        banner.setPixel(w - 1, y, kBannerRed);

    result.image = banner;
    return result;
}

} // namespace make_resources
