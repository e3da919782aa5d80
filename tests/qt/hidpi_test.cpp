// The window on a high-density screen: run with QT_SCALE_FACTOR=2. It is twice as large in
// device pixels with the same layout, its text is drawn at the screen's own resolution
// rather than enlarged from a smaller picture, and the banner keeps its size in the layout.
#include "platform/qt/qt_runtime.h"
#include "qt/window_support.h"
#include "ui/qt/ftarvel_window.h"

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QRect>
#include <QTest>

#include <functional>

namespace {

constexpr qreal kScale = 2;
const QSize kClient(455, 324);

struct Program {
    Program() : window(runtime) {}

    QWidget* control(const QString& name) {
        auto* found = window.findChild<QWidget*>(name);
        if (found == nullptr) {
            qFatal("the window has no control named %s", qPrintable(name));
        }
        return found;
    }

    tarvel::platform::QtRuntime runtime;
    tarvel::ui::fTarvelWindow window;
};

using Ink = std::function<bool(QRgb)>;

int luminance(QRgb c) { return (qRed(c) * 299 + qGreen(c) * 587 + qBlue(c) * 114) / 1000; }

/// The smallest rectangle that holds every pixel of `area` that counts as ink.
QRect inkBox(const QImage& image, const QRect& area, const Ink& ink) {
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (ink(image.pixel(x, y))) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

/// Of the 2x2 blocks inside `box`, how many hold more than one colour. A picture drawn at
/// half the resolution and doubled has none.
int detailedBlocks(const QImage& image, const QRect& box) {
    int detailed = 0;
    for (int y = box.top() & ~1; y + 1 <= box.bottom(); y += 2) {
        for (int x = box.left() & ~1; x + 1 <= box.right(); x += 2) {
            const QRgb c = image.pixel(x, y);
            if (image.pixel(x + 1, y) != c || image.pixel(x, y + 1) != c ||
                image.pixel(x + 1, y + 1) != c) {
                ++detailed;
            }
        }
    }
    return detailed;
}

QRect scaled(const QRect& r) {
    return QRect(qRound(r.x() * kScale), qRound(r.y() * kScale), qRound(r.width() * kScale),
                 qRound(r.height() * kScale));
}

QString text(const QRect& r) {
    return QStringLiteral("(%1,%2 %3x%4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

}  // namespace

class HiDpiTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void windowIsTwiceAsLarge();
    void layoutIsUnchanged_data();
    void layoutIsUnchanged();
    void bannerKeepsItsLogicalSize();
    void textIsDrawnAtTheScreensResolution_data();
    void textIsDrawnAtTheScreensResolution();
};

void HiDpiTest::initTestCase() {
    tarvel::ui::prepareApplication(*qApp);
    QVERIFY2(qFuzzyCompare(qApp->devicePixelRatio(), kScale),
             "run this test with QT_SCALE_FACTOR=2 in its environment");
}

void HiDpiTest::windowIsTwiceAsLarge() {
    Program p;
    p.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&p.window));
    QCOMPARE(p.window.size(), kClient);
    QCOMPARE(p.window.devicePixelRatio(), kScale);
    const QPixmap shot = p.window.grab();
    QCOMPARE(shot.size(), QSize(910, 648));
    QCOMPARE(shot.devicePixelRatio(), kScale);
}

void HiDpiTest::layoutIsUnchanged_data() {
    tarvel::testing::addLayoutRows();
}

// The same logical places as at scale 1, and each control is painted over exactly twice
// its logical rectangle in the window's device pixels. The outermost logical pixel is left
// out: there neighbours touch (UA over Combo1's edge) and frames blend into what lies under.
void HiDpiTest::layoutIsUnchanged() {
    QFETCH(QString, name);
    QFETCH(QRect, expected);
    Program p;
    QWidget* control = p.control(name);
    QCOMPARE(control->geometry(), expected);

    const QImage shot = p.window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage own = control->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(own.size(), expected.size() * 2);
    const QRect device = scaled(expected);
    int differing = 0;
    for (int y = 2; y < own.height() - 2; ++y) {
        for (int x = 2; x < own.width() - 2; ++x) {
            differing += shot.pixel(device.x() + x, device.y() + y) != own.pixel(x, y) ? 1 : 0;
        }
    }
    QVERIFY2(differing == 0,
             qPrintable(QStringLiteral("%1 pixels at %2 in device pixels are not the control's own")
                            .arg(differing)
                            .arg(text(device))));
}

// 884 x 206 in the layout, so 1768 x 412 device pixels of which the window shows the left
// 910: every banner pixel left of the category list becomes a 2x2 block, nothing blurred,
// and the white begins at logical row 206.
void HiDpiTest::bannerKeepsItsLogicalSize() {
    Program p;
    const QImage banner =
        QImage(QStringLiteral(":/banner.bmp")).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(banner.size(), QSize(884, 206));
    const QImage shot = p.window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int listLeft = p.control(QStringLiteral("List1"))->x();
    int differing = 0;
    for (int y = 0; y < 2 * banner.height(); ++y) {
        for (int x = 0; x < 2 * listLeft; ++x) {
            differing += shot.pixel(x, y) != banner.pixel(x / 2, y / 2) ? 1 : 0;
        }
    }
    QCOMPARE(differing, 0);
    QCOMPARE(QColor(shot.pixel(20, 411)), QColor(128, 0, 0));
    QCOMPARE(QColor(shot.pixel(20, 412)), QColor(Qt::white));
}

void HiDpiTest::textIsDrawnAtTheScreensResolution_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("area");  // where to look for the text, in the control
    QTest::addColumn<int>("kind");    // 0 dark text, 1 light text, 2 red text
    QTest::newRow("Cerrar on the button") << "Command1" << QRect(60, 4, 325, 17) << 0;
    QTest::newRow("a value in UB") << "UB" << QRect(3, 3, 70, 18) << 0;
    QTest::newRow("the unit in Combo1") << "Combo1" << QRect(3, 3, 60, 18) << 0;
    QTest::newRow("a category in List1") << "List1" << QRect() << 1;  // the row of Masa
    QTest::newRow("the message in Label1") << "Label1" << QRect(0, 0, 133, 17) << 2;
}

// The text of each control takes twice the room in device pixels that it takes at scale 1,
// at the same place, and it is not that scale-1 picture enlarged: its 2x2 blocks differ
// within themselves, as glyphs rasterised at the finer grid do.
void HiDpiTest::textIsDrawnAtTheScreensResolution() {
    QFETCH(QString, name);
    QFETCH(QRect, area);
    QFETCH(int, kind);
    const Ink ink = kind == 0   ? Ink([](QRgb c) { return luminance(c) < 96; })
                    : kind == 1 ? Ink([](QRgb c) { return luminance(c) > 160; })
                                : Ink([](QRgb c) {
                                      return qRed(c) >= 200 && qGreen(c) <= 90 && qBlue(c) <= 90;
                                  });
    Program p;
    auto* ua = p.window.findChild<QLineEdit*>(QStringLiteral("UA"));
    ua->clear();  // the message line now says something
    QVERIFY(!p.window.findChild<QLabel*>(QStringLiteral("Label1"))->text().isEmpty());
    QWidget* control = p.control(name);

    // The window as a scale-1 screen shows it, drawn by the same code into a plain image.
    QImage single(p.window.size(), QImage::Format_RGB32);
    single.setDevicePixelRatio(1);
    p.window.render(&single);
    const QImage twice = p.window.grab().toImage().convertToFormat(QImage::Format_RGB32);

    if (area.isNull()) {
        auto* list = static_cast<QListWidget*>(control);
        area = list->visualItemRect(list->item(4)).translated(list->viewport()->pos());
    }
    const QRect where = area.translated(control->pos());
    const QRect small = inkBox(single, where, ink);
    const QRect large = inkBox(twice, scaled(where), ink);
    QVERIFY2(small.width() > 3 && small.height() > 3, qPrintable(text(small)));
    const QRect expected = scaled(small);
    const auto near = [](int a, int b) { return qAbs(a - b) <= 3; };
    QVERIFY2(near(large.left(), expected.left()) && near(large.right(), expected.right()) &&
                 near(large.top(), expected.top()) && near(large.bottom(), expected.bottom()),
             qPrintable(QStringLiteral("text at %1 in device pixels, %2 expected")
                            .arg(text(large), text(expected))));

    const int blocks = (large.width() / 2) * (large.height() / 2);
    const int detailed = detailedBlocks(twice, large);
    QVERIFY2(detailed * 10 >= blocks,
             qPrintable(QStringLiteral("only %1 of %2 blocks of the text have detail of their own")
                            .arg(detailed)
                            .arg(blocks)));
}

QTEST_MAIN(HiDpiTest)
#include "hidpi_test.moc"
