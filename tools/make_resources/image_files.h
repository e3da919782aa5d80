// Writers for the two legacy formats the application ships. Both are emitted
// byte by byte instead of through QImageWriter: the installer and the window
// banner slot expect one exact layout (24-bit BI_RGB bottom-up BMP, 4-bit ICO
// with an AND mask), and Qt's own encoders are free to pick other variants.
#pragma once

#include <QImage>
#include <QString>
#include <QVector>

namespace make_resources {

// Maps every pixel to the nearest palette entry (plain Euclidean distance in
// RGB). Ties go to the lowest index so the output never depends on iteration
// order. The result is Format_Indexed8 carrying `palette` as its colour table.
QImage quantise(const QImage& image, const QVector<QRgb>& palette);

// Writes `image` (any format; it is converted to RGB888 first) as an
// uncompressed 24-bit bottom-up BMP with the classic 54-byte header.
// Returns an empty string on success, otherwise a message for the user.
QString writeBmp24(const QImage& image, const QString& path);

// Writes a single-image .ico holding `indexed` (Format_Indexed8, every index
// below 16) as a 4-bit XOR bitmap with a fully opaque AND mask.
QString writeIco4(const QImage& indexed, const QString& path);

} // namespace make_resources
