#include "image_files.h"

#include <QByteArray>
#include <QSaveFile>
#include <cstdint>
#include <limits>

namespace make_resources {
namespace {

// BMP and ICO are little-endian regardless of the host, so every field goes
// through these helpers rather than a memcpy of a packed struct.
void put16(QByteArray& out, std::uint16_t value) {
    out.append(static_cast<char>(value & 0xFF));
    out.append(static_cast<char>((value >> 8) & 0xFF));
}

void put32(QByteArray& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.append(static_cast<char>((value >> shift) & 0xFF));
}

void put8(QByteArray& out, std::uint8_t value) {
    out.append(static_cast<char>(value));
}

// 2835 px/m is 72 dpi; readers ignore it but zero confuses some old viewers.
constexpr std::uint32_t kPixelsPerMetre = 2835;

void putInfoHeader(QByteArray& out, std::int32_t width, std::int32_t height, std::uint16_t bits,
                   std::uint32_t imageBytes, std::uint32_t coloursUsed) {
    put32(out, 40); // biSize: the plain BITMAPINFOHEADER, understood by everything
    put32(out, static_cast<std::uint32_t>(width));
    put32(out, static_cast<std::uint32_t>(height)); // positive: rows stored bottom-up
    put16(out, 1);                                  // biPlanes
    put16(out, bits);
    put32(out, 0); // BI_RGB, no compression
    put32(out, imageBytes);
    put32(out, kPixelsPerMetre);
    put32(out, kPixelsPerMetre);
    put32(out, coloursUsed);
    put32(out, 0); // biClrImportant: all of them
}

QString save(const QByteArray& bytes, const QString& path) {
    // QSaveFile so an interrupted run never leaves a truncated resource behind.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("no se puede abrir %1: %2").arg(path, file.errorString());
    if (file.write(bytes) != bytes.size() || !file.commit())
        return QStringLiteral("no se puede escribir %1: %2").arg(path, file.errorString());
    return {};
}

int squaredDistance(QRgb a, QRgb b) {
    const int dr = qRed(a) - qRed(b);
    const int dg = qGreen(a) - qGreen(b);
    const int db = qBlue(a) - qBlue(b);
    return dr * dr + dg * dg + db * db;
}

} // namespace

QImage quantise(const QImage& image, const QVector<QRgb>& palette) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    QImage indexed(rgb.size(), QImage::Format_Indexed8);
    indexed.setColorTable(palette);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        uchar* dst = indexed.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x) {
            int best = 0;
            int bestDistance = std::numeric_limits<int>::max();
            for (int i = 0; i < palette.size(); ++i) {
                const int d = squaredDistance(src[x], palette[i]);
                if (d < bestDistance) {
                    best = i;
                    bestDistance = d;
                }
            }
            dst[x] = static_cast<uchar>(best);
        }
    }
    return indexed;
}

QString writeBmp24(const QImage& image, const QString& path) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    const int width = rgb.width();
    const int height = rgb.height();
    // Rows are padded to a multiple of four bytes.
    const std::uint32_t rowBytes = (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u;
    const std::uint32_t pixelBytes = rowBytes * static_cast<std::uint32_t>(height);
    constexpr std::uint32_t kHeaderBytes = 14 + 40;

    QByteArray out;
    out.reserve(static_cast<qsizetype>(kHeaderBytes + pixelBytes));
    out.append("BM", 2);
    put32(out, kHeaderBytes + pixelBytes);
    put16(out, 0);
    put16(out, 0);
    put32(out, kHeaderBytes);
    putInfoHeader(out, width, height, 24, pixelBytes, 0);

    for (int y = height - 1; y >= 0; --y) {
        const uchar* line = rgb.constScanLine(y);
        for (int x = 0; x < width; ++x) {
            // BMP stores blue first.
            put8(out, line[x * 3 + 2]);
            put8(out, line[x * 3 + 1]);
            put8(out, line[x * 3 + 0]);
        }
        for (std::uint32_t pad = static_cast<std::uint32_t>(width) * 3; pad < rowBytes; ++pad)
            put8(out, 0);
    }
    return save(out, path);
}

QString writeIco4(const QImage& indexed, const QString& path) {
    if (indexed.format() != QImage::Format_Indexed8 || indexed.colorCount() > 16)
        return QStringLiteral("el icono debe tener 16 colores indexados como máximo");
    const int width = indexed.width();
    const int height = indexed.height();
    if (width > 255 || height > 255 || width % 8 != 0)
        return QStringLiteral("tamaño de icono no admitido: %1x%2").arg(width).arg(height);

    // 4-bit rows and 1-bit mask rows are each padded to four bytes.
    const std::uint32_t xorRow = ((static_cast<std::uint32_t>(width) * 4 + 31) / 32) * 4;
    const std::uint32_t andRow = ((static_cast<std::uint32_t>(width) + 31) / 32) * 4;
    const std::uint32_t xorBytes = xorRow * static_cast<std::uint32_t>(height);
    const std::uint32_t andBytes = andRow * static_cast<std::uint32_t>(height);
    constexpr std::uint32_t kPaletteBytes = 16 * 4;
    const std::uint32_t imageBytes = 40 + kPaletteBytes + xorBytes + andBytes;
    constexpr std::uint32_t kDirectoryBytes = 6 + 16;

    QByteArray out;
    // ICONDIR
    put16(out, 0); // reserved
    put16(out, 1); // 1 = icon (2 would be a cursor)
    put16(out, 1); // one image
    // ICONDIRENTRY
    put8(out, static_cast<std::uint8_t>(width));
    put8(out, static_cast<std::uint8_t>(height));
    put8(out, 16); // colours in the palette
    put8(out, 0);  // reserved
    put16(out, 1); // planes
    put16(out, 4); // bits per pixel
    put32(out, imageBytes);
    put32(out, kDirectoryBytes);

    // The embedded DIB reports twice the height: XOR bitmap plus AND mask.
    putInfoHeader(out, width, height * 2, 4, xorBytes + andBytes, 16);

    const QVector<QRgb> table = indexed.colorTable();
    for (int i = 0; i < 16; ++i) {
        const QRgb c = i < table.size() ? table[i] : qRgb(0, 0, 0);
        put8(out, static_cast<std::uint8_t>(qBlue(c)));
        put8(out, static_cast<std::uint8_t>(qGreen(c)));
        put8(out, static_cast<std::uint8_t>(qRed(c)));
        put8(out, 0);
    }

    for (int y = height - 1; y >= 0; --y) {
        const uchar* line = indexed.constScanLine(y);
        // Leftmost pixel lives in the high nibble.
        for (int x = 0; x < width; x += 2)
            put8(out, static_cast<std::uint8_t>(((line[x] & 0x0F) << 4) | (line[x + 1] & 0x0F)));
        for (std::uint32_t pad = static_cast<std::uint32_t>(width) / 2; pad < xorRow; ++pad)
            put8(out, 0);
    }
    // All-zero mask: every pixel opaque, the white square is part of the icon.
    out.append(QByteArray(static_cast<qsizetype>(andBytes), '\0'));

    return save(out, path);
}

} // namespace make_resources
