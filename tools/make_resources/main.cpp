// Regenerates the converter's artwork: the window banner, the legacy .ico, the
// hicolor PNG icons for desktop integration and the window's larger emblems.
//
//   make_resources <output directory>
//
// Everything is drawn with QPainter; no image files are read.
#include "artwork.h"
#include "image_files.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTextStream>
#include <cstdlib>

using namespace make_resources;

namespace {

QTextStream& err() {
    static QTextStream stream(stderr);
    return stream;
}

QTextStream& out() {
    static QTextStream stream(stdout);
    return stream;
}

bool report(const QString& error, const QString& path) {
    if (!error.isEmpty()) {
        err() << "make_resources: " << error << Qt::endl;
        return false;
    }
    out() << "escrito " << path << " (" << QFileInfo(path).size() << " bytes)" << Qt::endl;
    return true;
}

} // namespace

int main(int argc, char** argv) {
    // No display is needed, only a font database and a raster engine.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QStringList args = app.arguments();
    if (args.size() != 2) {
        err() << "uso: make_resources <directorio de salida>" << Qt::endl;
        return EXIT_FAILURE;
    }
    const QDir dir(args.at(1));
    if (!QDir().mkpath(dir.path())) {
        err() << "make_resources: no se puede crear " << dir.path() << Qt::endl;
        return EXIT_FAILURE;
    }

    const Banner banner = renderBanner();
    // A substituted font would silently change the lettering's metrics and
    // could push it under the category list; better to stop.
    if (banner.fontFamily != QLatin1String("Liberation Sans")) {
        err() << "make_resources: falta la fuente Liberation Sans (se obtuvo \""
              << banner.fontFamily << "\"); instale fonts-liberation" << Qt::endl;
        return EXIT_FAILURE;
    }
    bool ok =
        report(writeBmp24(banner.image, dir.filePath("banner.bmp")), dir.filePath("banner.bmp"));

    // The 32 px PNG is taken from the quantised image so that it matches
    // the .ico pixel for pixel.
    const QImage icon32 = quantise(renderIcon(32), iconPalette());
    ok = report(writeIco4(icon32, dir.filePath("icon.ico")), dir.filePath("icon.ico")) && ok;

    for (const int size : {32, 64, 128, 256}) {
        const QString sub = QStringLiteral("icons/hicolor/%1x%1/apps").arg(size);
        if (!dir.mkpath(sub)) {
            err() << "make_resources: no se puede crear " << dir.filePath(sub) << Qt::endl;
            return EXIT_FAILURE;
        }
        const QString path = dir.filePath(sub + QStringLiteral("/conversor-unidades.png"));
        const QImage image =
            size == 32 ? icon32.convertToFormat(QImage::Format_RGB32) : renderIcon(size);
        ok = report(image.save(path, "PNG") ? QString()
                                            : QStringLiteral("no se puede escribir %1").arg(path),
                    path) &&
             ok;
        // The window's own copy of the larger sizes: a plain bitmap it reads without Qt's
        // image plugins.
        if (size > 32) {
            const QString bmp = dir.filePath(QStringLiteral("emblem-%1.bmp").arg(size));
            ok = report(writeBmp24(image, bmp), bmp) && ok;
        }
    }
    return ok ? EXIT_SUCCESS : EXIT_FAILURE;
}
