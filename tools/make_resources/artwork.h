// All artwork of the converter is drawn here, from code, so that it can be
// regenerated at any size and tweaked without an image editor.
#pragma once

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>
#include <QVector>

namespace make_resources {

// The window banner. Its size and the plain red of the last row/column are
// fixed by the main window layout, which tiles that colour past the image.
inline constexpr QSize kBannerSize{884, 206};
inline constexpr QRgb kBannerRed = 0xFF800000; // (128, 0, 0)

// Red used for the emblem on the application icons.
inline constexpr QRgb kEmblemRed = 0xFFB40000;

// Box-blurs `image` in place (premultiplied ARGB), `passes` times with a
// window of 2 * radius + 1 pixels; three passes approximate a Gaussian.
void boxBlur(QImage& image, int radius, int passes);

// The emblem (a fan inside two circling arrows: air that moves, values that
// convert) on a transparent background, `size` x `size` pixels, painted in
// `colour`. Stroke widths scale with the size but never drop below what stays
// readable at 32 px.
QImage renderEmblem(int size, QColor colour);

// Application icon: the red emblem on an opaque white square.
QImage renderIcon(int size);

// The sixteen colours of the legacy .ico: white and greys for the square and
// antialiasing, and a ramp of reds towards white for the emblem's edges.
QVector<QRgb> iconPalette();

// Result of renderBanner(): the image plus the font actually used, so the
// caller can refuse to write artwork rendered with a fallback font.
struct Banner {
    QImage image;
    QString fontFamily;
};

// The 884 x 206 banner: emblem and lettering on the left (the only part the
// window leaves uncovered), a dark blurred machinery motif on the right.
Banner renderBanner();

} // namespace make_resources
