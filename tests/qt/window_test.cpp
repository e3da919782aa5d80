// The window as the user meets it: real widgets, real key and mouse events, in a comma
// locale and a full-stop locale.
#include "catalogue/magnitudes.h"
#include "platform/qt/qt_runtime.h"
#include "qt/window_support.h"
#include "support/golden.h"
#include "ui/qt/controls.h"
#include "ui/qt/ftarvel_window.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFontInfo>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QInputMethodQueryEvent>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QObject>
#include <QPalette>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <QTestEventList>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

using tarvel::catalogue::construir_magnitudes;

const QLocale kComa(QLocale::Spanish, QLocale::Spain);
const QLocale kPunto(QLocale::English, QLocale::UnitedStates);

constexpr int kLongitud = 0;
constexpr int kArea = 1;
constexpr int kMasa = 4;
constexpr int kFuerza = 5;
constexpr int kM = 0;
constexpr int kCm = 1;
constexpr int kPulg = 5;
constexpr int kKm = 6;
constexpr int kMillas = 7;
constexpr int kMilla2 = 7;

/// Contrast of two colours as WCAG defines it: 1 (alike) to 21 (black on white).
double contrast(const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& c) {
        const auto linear = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) +
               0.0722 * linear(c.blueF());
    };
    const double first = luminance(a);
    const double second = luminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

/// A dark desktop scheme: light text on dark controls, as a dark theme gives.
QPalette darkDesktop() {
    QPalette dark(QColor(53, 53, 53), QColor(42, 42, 42));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
    return dark;
}

/// A number written with a full stop, as the given locale shows it.
QString shown(const QLocale& locale, QString number) {
    return number.replace(QLatin1Char('.'), locale.decimalPoint());
}

using tarvel::testing::RecordingRuntime;

/// The whole program in one window, under a chosen locale.
struct Program {
    explicit Program(const QLocale& locale = kPunto) : runtime(locale), window(runtime) {}

    template <class Control>
    Control* control(const char* name) {
        auto* found = window.findChild<Control*>(QString::fromLatin1(name));
        if (found == nullptr) {
            qFatal("the window has no control named %s", name);
        }
        return found;
    }
    QListWidget* List1() { return control<QListWidget>("List1"); }
    QComboBox* Combo1() { return control<QComboBox>("Combo1"); }
    QComboBox* Combo2() { return control<QComboBox>("Combo2"); }
    QLineEdit* UA() { return control<QLineEdit>("UA"); }
    QLineEdit* UB() { return control<QLineEdit>("UB"); }
    QLabel* Label1() { return control<QLabel>("Label1"); }
    QPushButton* Command1() { return control<QPushButton>("Command1"); }

    bool showActive() {
        window.show();
        return QTest::qWaitForWindowActive(&window);
    }

    // The user's ways of choosing: a click on a category row, arrow keys in a unit list,
    // and keys in a value box. Otherwise the program's: the widgets' own setters.
    void chooseCategory(int row, bool byUser) {
        QListWidget* list = List1();
        if (byUser) {
            QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                              list->visualItemRect(list->item(row)).center());
        } else {
            list->setCurrentRow(row);
        }
    }
    static void chooseUnit(QComboBox* combo, int index, bool byUser) {
        if (!byUser) {
            combo->setCurrentIndex(index);
            return;
        }
        QTest::keyClick(combo, Qt::Key_Home);
        for (int i = 0; i < index; ++i) {
            QTest::keyClick(combo, Qt::Key_Down);
        }
    }
    static void enter(QLineEdit* box, const QString& digits, bool byUser) {
        if (!byUser) {
            box->setText(digits);
            return;
        }
        QTest::keyClick(box, Qt::Key_End);
        for (qsizetype left = box->text().size(); left > 0; --left) {
            QTest::keyClick(box, Qt::Key_Backspace);
        }
        QTest::keyClicks(box, digits);
    }

    RecordingRuntime runtime;
    tarvel::ui::fTarvelWindow window;
};

QStringList unitNames(int category) {
    const auto catalogue = construir_magnitudes();
    const auto& m = catalogue[static_cast<std::size_t>(category)];
    QStringList names;
    for (int i = 0; i <= m.ultimo; ++i) {
        const std::string_view name = m.unidad[static_cast<std::size_t>(i)];
        names << QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    }
    return names;
}

QStringList items(const QComboBox* combo) {
    QStringList names;
    for (int i = 0; i < combo->count(); ++i) {
        names << combo->itemText(i);
    }
    return names;
}

QStringList items(const QListWidget* list) {
    QStringList names;
    for (int i = 0; i < list->count(); ++i) {
        names << list->item(i)->text();
    }
    return names;
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    // Layout and look
    void controlsAreCreatedInOrder();
    void geometry_data();
    void geometry();
    void fonts_data();
    void fonts();
    void colours_data();
    void colours();
    void bannerAtNaturalSizeFromTheCorner();
    void fixedWindowWithOnlyACloseButton();
    void programIdentity();
    void toolkitTextsAreSpanish();

    // Focus
    void focusStartsInUA();
    void tabOrder_data();
    void tabOrder();

    // Start-up and selections
    void startUp_data();
    void startUp();
    void categoryChange_data();
    void categoryChange();
    void unitChange_data();
    void unitChange();
    void categoryListKeepsItsSelection_data();
    void categoryListKeepsItsSelection();
    void unitListsTakeNoTypedText();

    // Numbers in the value boxes
    void writtenNumbersShowTheirStart();
    void doubleClickTakesTheWholeNumber_data();
    void doubleClickTakesTheWholeNumber();

    // The key filter
    void keys_data();
    void keys();
    void keysAsX11SendsThem_data();
    void keysAsX11SendsThem();
    void noInputMethodBypassesTheFilter();

    // Figures
    void goldenRowsThroughTheWidgets();

    // Ending
    void enterAndEscapeNeverPressCerrar_data();
    void enterAndEscapeNeverPressCerrar();
    void cerrarAndTheCloseButtonEnd_data();
    void cerrarAndTheCloseButtonEnd();
};

void WindowTest::initTestCase() {
    tarvel::ui::prepareApplication(*qApp);
    // Something a stray paste would put into a box.
    QApplication::clipboard()->setText(QStringLiteral("99"));
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("99"));
}

// ---- Layout and look --------------------------------------------------------------------

void WindowTest::controlsAreCreatedInOrder() {
    Program p;
    QStringList order;
    for (const QObject* child : p.window.children()) {
        // Hidden labels that name the unit lists for screen readers are not controls.
        const auto* widget = qobject_cast<const QWidget*>(child);
        if (widget != nullptr && !widget->isHidden()) {
            order << child->objectName();
        }
    }
    // Later controls lie over earlier ones where they touch: UA over Combo1's left edge.
    QCOMPARE(order, (QStringList{"Command1", "List1", "Combo2", "Combo1", "UB", "UA", "Label2",
                                 "Label1"}));
}

void WindowTest::geometry_data() {
    tarvel::testing::addLayoutRows();
}

void WindowTest::geometry() {
    QFETCH(QString, name);
    QFETCH(QRect, expected);
    Program p;
    QVERIFY(p.showActive());
    const QWidget* control = p.control<QWidget>(name.toLatin1().constData());
    QCOMPARE(control->geometry(), expected);
    QVERIFY(control->isVisible());
    QVERIFY(p.window.rect().contains(control->geometry()));
}

void WindowTest::fonts_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("faces");
    QTest::addColumn<qreal>("points");
    QTest::addColumn<int>("pixels");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");
    // Arial, or its metric twin; MS Sans Serif, or a face of the same size and weight.
    const QStringList arial{"Arial", "Liberation Sans"};
    const QStringList msSans{"MS Sans Serif", "Microsoft Sans Serif", "Arial", "Liberation Sans"};
    QTest::newRow("List1") << "List1" << arial << 8.25 << 11 << false << false;
    QTest::newRow("Combo1") << "Combo1" << arial << 9.75 << 13 << true << false;
    QTest::newRow("Combo2") << "Combo2" << arial << 9.75 << 13 << true << false;
    QTest::newRow("UA") << "UA" << arial << 9.75 << 13 << true << false;
    QTest::newRow("UB") << "UB" << arial << 9.75 << 13 << true << false;
    QTest::newRow("Command1") << "Command1" << arial << 12.0 << 16 << true << true;
    QTest::newRow("Label2") << "Label2" << msSans << 13.5 << 18 << true << false;
    QTest::newRow("Label1") << "Label1" << msSans << 8.25 << 11 << false << false;
}

void WindowTest::fonts() {
    QFETCH(QString, name);
    QFETCH(QStringList, faces);
    QFETCH(qreal, points);
    QFETCH(int, pixels);
    QFETCH(bool, bold);
    QFETCH(bool, italic);
    Program p;
    const QFont font = p.control<QWidget>(name.toLatin1().constData())->font();
    const QFontInfo used(font);
    QVERIFY2(faces.contains(used.family()), qPrintable("resolved to " + used.family()));
    QCOMPARE(font.pointSizeF(), points);
    QCOMPARE(used.pixelSize(), pixels);  // at 96 logical dots per inch
    QCOMPARE(used.bold(), bold);
    QCOMPARE(used.italic(), italic);
}

void WindowTest::colours_data() {
    QTest::addColumn<QPalette>("desktop");
    QTest::newRow("light desktop") << QApplication::style()->standardPalette();
    QTest::newRow("dark desktop") << darkDesktop();
}

void WindowTest::colours() {
    QFETCH(QPalette, desktop);
    const QPalette before = QApplication::palette();
    QApplication::setPalette(desktop);
    const auto restore = qScopeGuard([&before] { QApplication::setPalette(before); });
    Program p;
    QVERIFY(p.showActive());
    // An empty box puts a message into the label.
    p.UA()->clear();
    QVERIFY(!p.Label1()->text().isEmpty());
    const QImage shot = p.window.grab().toImage();
    const auto pixels = [&shot](const QRect& area) {
        QList<QColor> found;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                found << shot.pixelColor(x, y);
            }
        }
        return found;
    };

    // A row of the list that is not selected, away from its text.
    const QListWidget* list = p.List1();
    const QRect masa = list->visualItemRect(list->item(kMasa));
    QCOMPARE(shot.pixelColor(list->viewport()->mapTo(&p.window,
                                                     QPoint(masa.right() - 4, masa.center().y()))),
             QColor(128, 0, 0));
    QCOMPARE(list->palette().color(QPalette::Text), QColor(Qt::white));

    // The message in exactly its red, whatever the desktop's colours. Smoothed strokes blend
    // that red into the white, so every pixel lies on the line from white to (255, 0, 0), and
    // the strokes' inked cores come close to its end.
    QCOMPARE(p.Label1()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    int inked = 255;
    for (const QColor& c : pixels(p.Label1()->geometry())) {
        QVERIFY2(c.red() == 255 && c.green() == c.blue(), qPrintable(c.name()));
        inked = std::min(inked, c.green());
    }
    QVERIFY2(inked <= 16, qPrintable(QStringLiteral("strokes no stronger than %1").arg(inked)));

    // The "=" stands on the window's white: its strokes must read on white.
    QList<QColor> equals = pixels(p.control<QLabel>("Label2")->geometry());
    const QColor darkest = *std::min_element(equals.begin(), equals.end(), [](auto& a, auto& b) {
        return a.lightnessF() < b.lightnessF();
    });
    QVERIFY2(contrast(darkest, Qt::white) >= 4.5,
             qPrintable(QStringLiteral("the = is %1 on white").arg(darkest.name())));

    // The value boxes keep the desktop's colours, which read on each other.
    for (const QLineEdit* box : {p.UA(), p.UB()}) {
        QCOMPARE(box->palette().color(QPalette::Base), desktop.color(QPalette::Base));
        QCOMPARE(box->palette().color(QPalette::Text), desktop.color(QPalette::Text));
        QVERIFY(contrast(desktop.color(QPalette::Text), desktop.color(QPalette::Base)) >= 4.5);
    }

    // White under the banner, between the middle row and the button, and around the label.
    for (const QPoint at : {QPoint(2, 210), QPoint(450, 244), QPoint(100, 310), QPoint(450, 320)}) {
        QCOMPARE(shot.pixelColor(at), QColor(Qt::white));
    }

    // The keyboard in the category list shows as white on the current row's edge.
    const auto whiteOnTopEdge = [&p] {
        const QImage list = p.List1()->viewport()->grab().toImage();
        const QRect row = p.List1()->visualItemRect(p.List1()->currentItem());
        int white = 0;
        for (int x = row.left(); x <= row.right(); ++x) {
            white += list.pixelColor(x, row.top()) == QColor(Qt::white) ? 1 : 0;
        }
        return white;
    };
    QCOMPARE(whiteOnTopEdge(), 0);
    p.List1()->setFocus();
    QVERIFY(whiteOnTopEdge() > p.List1()->visualItemRect(p.List1()->currentItem()).width() / 4);
}

void WindowTest::bannerAtNaturalSizeFromTheCorner() {
    Program p;
    const QImage banner(QStringLiteral(":/banner.bmp"));
    QCOMPARE(banner.size(), QSize(884, 206));
    const QImage shot = p.window.grab().toImage().convertToFormat(banner.format());
    // Every pixel left of the list, and the columns right of it, is the banner's own pixel at
    // the same place: not moved, not scaled, clipped at the right edge.
    const int listLeft = p.List1()->x();
    const int listRight = p.List1()->geometry().right();
    int differing = 0;
    for (int y = 0; y < banner.height(); ++y) {
        for (int x = 0; x < p.window.width(); ++x) {
            const bool underList = x >= listLeft && x <= listRight && y < p.List1()->height();
            if (!underList && shot.pixel(x, y) != banner.pixel(x, y)) {
                ++differing;
            }
        }
    }
    QCOMPARE(differing, 0);
    // Its plain dark-red last row ends where the white begins.
    QCOMPARE(shot.pixelColor(10, 205), QColor(128, 0, 0));
    QCOMPARE(shot.pixelColor(10, 206), QColor(Qt::white));
}

void WindowTest::fixedWindowWithOnlyACloseButton() {
    Program p;
    QCOMPARE(p.window.windowTitle(), QStringLiteral("Conversor de unidades"));
    const Qt::WindowFlags flags = p.window.windowFlags();
    QVERIFY(flags.testFlag(Qt::Window));
    QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
    QVERIFY(flags.testFlag(Qt::WindowTitleHint));
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(flags.testFlag(Qt::MSWindowsFixedSizeDialogHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QCOMPARE(p.window.minimumSize(), QSize(455, 324));
    QCOMPARE(p.window.maximumSize(), QSize(455, 324));

    QVERIFY(p.showActive());
    QCOMPARE(p.window.size(), QSize(455, 324));
    const QRect desktop = p.window.screen()->availableGeometry();
    const QPoint offCentre = p.window.geometry().center() - desktop.center();
    QVERIFY2(offCentre.manhattanLength() <= 1,
             qPrintable(QStringLiteral("off centre by %1,%2").arg(offCentre.x()).arg(offCentre.y())));
}

void WindowTest::programIdentity() {
    Program p;
    QCOMPARE(QCoreApplication::applicationVersion(), QStringLiteral("1.00"));
    // The program file's 32-pixel emblem and, for task switchers, the menu entry's larger ones
    // (those a moment later, once the event loop runs).
    QTRY_COMPARE(p.window.windowIcon().availableSizes(),
                 (QList<QSize>{QSize(32, 32), QSize(64, 64), QSize(128, 128), QSize(256, 256)}));
    const QIcon icon = p.window.windowIcon();
    for (const int size : {64, 128, 256}) {
        const QImage entry(QStringLiteral(RESOURCES_DIR "/icons/hicolor/%1x%1/apps/"
                                          "conversor-unidades.png").arg(size));
        QCOMPARE(icon.pixmap(size).toImage().convertToFormat(QImage::Format_RGB32),
                 entry.convertToFormat(QImage::Format_RGB32));
    }
    QCOMPARE(p.Command1()->text(), QStringLiteral("Cerrar"));
    QCOMPARE(p.control<QLabel>("Label2")->text(), QStringLiteral("="));
}

void WindowTest::toolkitTextsAreSpanish() {
    Program p;
    const std::unique_ptr<QMenu> menu(p.UA()->createStandardContextMenu());
    QStringList texts;
    for (const QAction* action : menu->actions()) {
        if (!action->isSeparator()) {
            texts << action->text().section(QLatin1Char('\t'), 0, 0);  // without the shortcut
        }
    }
    QCOMPARE(texts, (QStringList{"&Deshacer", "&Rehacer", "Cor&tar", "&Copiar", "&Pegar",
                                 "Borrar", "Seleccionar todo"}));
}

// ---- Focus ------------------------------------------------------------------------------

void WindowTest::focusStartsInUA() {
    Program p;
    QVERIFY(p.showActive());
    QCOMPARE(QApplication::focusWidget(), p.UA());
}

void WindowTest::tabOrder_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QStringList>("visits");
    const QStringList forward{"UB", "Combo1", "Combo2", "List1", "Command1", "UA"};
    const QStringList backward{"Command1", "List1", "Combo2", "Combo1", "UB", "UA"};
    QTest::newRow("Tab goes forward and wraps")
        << int(Qt::Key_Tab) << Qt::KeyboardModifiers() << forward;
    QTest::newRow("Shift+Tab goes back and wraps")
        << int(Qt::Key_Tab) << Qt::KeyboardModifiers(Qt::ShiftModifier) << backward;
    QTest::newRow("Backtab goes back and wraps")
        << int(Qt::Key_Backtab) << Qt::KeyboardModifiers(Qt::ShiftModifier) << backward;
}

void WindowTest::tabOrder() {
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QStringList, visits);
    Program p;
    QVERIFY(p.showActive());
    const QString ua = p.UA()->text();
    QStringList seen;
    for (int i = 0; i < visits.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
        seen << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(seen, visits);
    // Tab left the value box by moving on, not by being typed or refused.
    QCOMPARE(p.UA()->text(), ua);
    QCOMPARE(p.runtime.beeps, 0);
}

// ---- Start-up and selections ------------------------------------------------------------

void WindowTest::startUp_data() {
    QTest::addColumn<QLocale>("locale");
    // fr_FR groups digits with U+202F, a character beyond ASCII.
    for (const QLocale& locale : {kComa, kPunto, QLocale(QLocale::French, QLocale::France)}) {
        QTest::newRow(qPrintable(locale.name())) << locale;
    }
}

void WindowTest::startUp() {
    QFETCH(QLocale, locale);
    Program p(locale);
    QStringList categories;
    for (const auto& m : construir_magnitudes()) {
        if (!m.nombre.empty()) {
            categories << QString::fromUtf8(m.nombre.data(), qsizetype(m.nombre.size()));
        }
    }
    QCOMPARE(categories.size(), 14);
    QCOMPARE(items(p.List1()), categories);
    QCOMPARE(p.List1()->currentRow(), kLongitud);
    QCOMPARE(p.List1()->selectedItems().size(), 1);
    QCOMPARE(p.List1()->selectedItems().front()->text(), QStringLiteral("Longitud"));
    const QStringList longitud{"m", "cm", "mm", "yd", "pie", "pulg", "km", "millas"};
    for (const QComboBox* combo : {p.Combo1(), p.Combo2()}) {
        QCOMPARE(items(combo), longitud);
        QCOMPARE(combo->currentText(), QStringLiteral("m"));
    }
    QCOMPARE(p.Label1()->text(), QString());
    QCOMPARE(p.UA()->text(), shown(locale, "1.0"));
    QCOMPARE(p.UB()->text(), shown(locale, "1.0"));
}

void WindowTest::categoryChange_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<bool>("byUser");
    QTest::addColumn<int>("unitA");
    QTest::addColumn<int>("unitB");
    QTest::addColumn<QString>("valueA");  ///< typed into UA after the units; empty: none
    QTest::addColumn<QString>("shownA");  ///< UA before the change; empty: not checked
    QTest::addColumn<int>("category");
    QTest::addColumn<QString>("expectedA");
    QTest::addColumn<QString>("expectedB");
    for (const bool byUser : {true, false}) {
        for (const QLocale& locale : {kComa, kPunto}) {
            const QString how = QStringLiteral(" %1 %2")
                                    .arg(byUser ? "by mouse and keys" : "by program",
                                         locale.name());
            // The run raised by writing UB meets an empty unit slot as divisor and writes
            // nothing, so UA keeps the bare "1".
            QTest::newRow(qPrintable("km, then Masa" + how))
                << locale << byUser << kKm << kM << QString() << shown(locale, "0.001") << kMasa
                << QStringLiteral("1") << shown(locale, "1.0");
            QTest::newRow(qPrintable("pulg and m, then Area" + how))
                << locale << byUser << kPulg << kM << QString() << QString() << kArea
                << shown(locale, "1550.0031") << shown(locale, "1550.0031");
            QTest::newRow(qPrintable("m and millas with UA 1, then Fuerza" + how))
                << locale << byUser << kM << kMillas << QStringLiteral("1") << QString()
                << kFuerza << shown(locale, "0.0") << shown(locale, "0.0");
        }
    }
}

void WindowTest::categoryChange() {
    QFETCH(QLocale, locale);
    QFETCH(bool, byUser);
    QFETCH(int, unitA);
    QFETCH(int, unitB);
    QFETCH(QString, valueA);
    QFETCH(QString, shownA);
    QFETCH(int, category);
    QFETCH(QString, expectedA);
    QFETCH(QString, expectedB);
    Program p(locale);
    Program::chooseUnit(p.Combo1(), unitA, byUser);
    Program::chooseUnit(p.Combo2(), unitB, byUser);
    QCOMPARE(p.Combo1()->currentIndex(), unitA);
    QCOMPARE(p.Combo2()->currentIndex(), unitB);
    if (!valueA.isEmpty()) {
        Program::enter(p.UA(), valueA, byUser);
    }
    if (!shownA.isEmpty()) {
        QCOMPARE(p.UA()->text(), shownA);
    }

    p.chooseCategory(category, byUser);

    QCOMPARE(p.List1()->currentRow(), category);
    QCOMPARE(p.List1()->selectedItems().size(), 1);
    for (const QComboBox* combo : {p.Combo1(), p.Combo2()}) {
        QCOMPARE(items(combo), unitNames(category));
        QCOMPARE(combo->currentIndex(), 0);
    }
    QCOMPARE(p.UA()->text(), expectedA);
    QCOMPARE(p.UB()->text(), expectedB);
    QCOMPARE(p.Label1()->text(), QString());
    QCOMPARE(p.runtime.beeps, 0);
}

void WindowTest::unitChange_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<bool>("byUser");
    for (const bool byUser : {true, false}) {
        for (const QLocale& locale : {kComa, kPunto}) {
            QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(
                              byUser ? "by keys" : "by program", locale.name())))
                << locale << byUser;
        }
    }
}

void WindowTest::unitChange() {
    QFETCH(QLocale, locale);
    QFETCH(bool, byUser);
    Program p(locale);
    Program::enter(p.UB(), QStringLiteral("1000"), byUser);
    QCOMPARE(p.UB()->text(), QStringLiteral("1000"));
    // A new unit for UA keeps UB's quantity and re-expresses it in the new unit ...
    Program::chooseUnit(p.Combo1(), kKm, byUser);
    QCOMPARE(p.UA()->text(), shown(locale, "1.0"));
    QCOMPARE(p.UB()->text(), QStringLiteral("1000"));
    // ... and a new unit for UB does the same the other way.
    Program::chooseUnit(p.Combo2(), kCm, byUser);
    QCOMPARE(p.UB()->text(), shown(locale, "100000.0"));
    QCOMPARE(p.UA()->text(), shown(locale, "1.0"));
    QCOMPARE(p.Label1()->text(), QString());
}

void WindowTest::categoryListKeepsItsSelection_data() {
    QTest::addColumn<bool>("byMouse");
    QTest::newRow("Ctrl+click on the selected row") << true;
    QTest::newRow("Ctrl+Space on the selected row") << false;
}

void WindowTest::categoryListKeepsItsSelection() {
    QFETCH(bool, byMouse);
    Program p;
    QListWidget* list = p.List1();
    p.chooseCategory(kMasa, true);
    QCOMPARE(list->currentRow(), kMasa);
    if (byMouse) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          list->visualItemRect(list->item(kMasa)).center());
    } else {
        QTest::keyClick(list, Qt::Key_Space, Qt::ControlModifier);
    }
    QCOMPARE(list->currentRow(), kMasa);
    QCOMPARE(list->selectedItems().size(), 1);
    QCOMPARE(list->row(list->selectedItems().front()), kMasa);
    QCOMPARE(items(p.Combo1()), unitNames(kMasa));
}

void WindowTest::unitListsTakeNoTypedText() {
    Program p;
    QComboBox* combo = p.Combo1();
    QTest::keyClicks(combo, QStringLiteral("x9z"));
    QVERIFY(!combo->isEditable());
    QVERIFY(combo->lineEdit() == nullptr);
    QVERIFY(items(combo).contains(combo->currentText()));
}

// ---- Numbers in the value boxes ---------------------------------------------------------

void WindowTest::writtenNumbersShowTheirStart() {
    Program p(kComa);
    QVERIFY(p.showActive());
    p.chooseCategory(kArea, true);
    Program::chooseUnit(p.Combo1(), kMilla2, true);
    Program::enter(p.UA(), QStringLiteral("1"), true);
    QLineEdit* ub = p.UB();
    QCOMPARE(ub->text(), shown(kComa, "2589988.1103"));
    QCOMPARE(ub->cursorPosition(), 0);

    // UB looks like a box of its kind showing that text from its start, and unlike one that
    // shows its end: the text is wider than the box, and its first digit is in view.
    QLineEdit reference(&p.window);
    reference.setGeometry(ub->geometry());
    reference.setFont(ub->font());
    reference.setText(ub->text());
    reference.setCursorPosition(0);
    QCOMPARE(ub->grab().toImage(), reference.grab().toImage());
    reference.setCursorPosition(static_cast<int>(ub->text().size()));
    QVERIFY(ub->grab().toImage() != reference.grab().toImage());

    // The box being typed in keeps its caret where the user put it.
    QLineEdit* ua = p.UA();
    QTest::keyClicks(ua, QStringLiteral("234"));
    QTest::keyClick(ua, Qt::Key_Left);
    QTest::keyClick(ua, Qt::Key_Left);
    QTest::keyClick(ua, Qt::Key_5);
    QCOMPARE(ua->text(), QStringLiteral("12534"));
    QCOMPARE(ua->cursorPosition(), 3);
    QCOMPARE(ub->cursorPosition(), 0);
}

void WindowTest::doubleClickTakesTheWholeNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("at");  ///< the character clicked
    QTest::addColumn<QString>("selected");
    QTest::newRow("comma number, on its first digit") << "12,5" << 0 << "12,5";
    QTest::newRow("comma number, on its last digit") << "12,5" << 3 << "12,5";
    QTest::newRow("on the separator") << "2589988,1103" << 7 << "2589988,1103";
    QTest::newRow("negative, full stop") << "-17.7792" << 5 << "-17.7792";
    QTest::newRow("pasted words stay words") << "12 ab" << 4 << "ab";
    QTest::newRow("a number beside a word") << "12 ab" << 1 << "12";
}

void WindowTest::doubleClickTakesTheWholeNumber() {
    QFETCH(QString, text);
    QFETCH(int, at);
    QFETCH(QString, selected);
    Program p;
    QVERIFY(p.showActive());
    auto* box = qobject_cast<tarvel::ui::ValueBox*>(p.UA());
    QVERIFY(box != nullptr);
    box->setText(text);
    QTest::mouseDClick(box, Qt::LeftButton, Qt::NoModifier, box->characterRect(at).center());
    QCOMPARE(box->selectedText(), selected);
}

// ---- The key filter ---------------------------------------------------------------------

void WindowTest::keys_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QTestEventList>("events");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("beeps");

    const auto typing = [](const char* ascii) {
        QTestEventList events;
        for (const char* c = ascii; *c; ++c) {
            events.addKeyClick(*c);
        }
        return events;
    };
    QTestEventList enterEscape;
    enterEscape.addKeyClick(Qt::Key_Return);
    enterEscape.addKeyClick(Qt::Key_Enter);
    enterEscape.addKeyClick(Qt::Key_Escape);
    QTestEventList paste;
    paste.addKeyClick(Qt::Key_V, Qt::ControlModifier);
    QTestEventList undo = typing("2");
    undo.addKeyClick(Qt::Key_Z, Qt::ControlModifier);
    QTestEventList shortcuts;
    for (const Qt::Key key : {Qt::Key_A, Qt::Key_C, Qt::Key_X}) {
        shortcuts.addKeyClick(key, Qt::ControlModifier);
    }
    QTestEventList editing;
    for (const Qt::Key key : {Qt::Key_Home, Qt::Key_Right, Qt::Key_Delete, Qt::Key_End,
                              Qt::Key_Left, Qt::Key_Backspace}) {
        editing.addKeyClick(key);
    }
    QTestEventList backspace;
    backspace.addKeyClick(Qt::Key_Backspace);

    for (const QLocale& locale : {kComa, kPunto}) {
        const QString in = QStringLiteral(" in ") + locale.name();
        const auto row = [&](const char* name) -> QTestData& {
            return QTest::newRow(qPrintable(name + in));
        };
        row("digits pass") << locale << "UA" << "" << typing("1234567890") << "1234567890" << 0;
        row("full stop types the decimal separator")
            << locale << "UA" << "" << typing("1.5") << shown(locale, "1.5") << 0;
        row("comma types the decimal separator")
            << locale << "UA" << "" << typing("1,5") << shown(locale, "1.5") << 0;
        row("a second separator still goes in")
            << locale << "UB" << "" << typing("1.5,2") << shown(locale, "1.5.2") << 0;
        row("letters are refused") << locale << "UA" << "7" << typing("aZe") << "7" << 3;
        row("signs and space are refused") << locale << "UB" << "7" << typing("-+ ") << "7" << 3;
        row("Enter and Escape are refused") << locale << "UA" << "7" << enterEscape << "7" << 3;
        row("Ctrl+V pastes nothing") << locale << "UA" << "7" << paste << "7" << 1;
        row("Ctrl+Z undoes nothing") << locale << "UB" << "1" << undo << "12" << 1;
        row("Ctrl+A, Ctrl+C, Ctrl+X are refused") << locale << "UA" << "7" << shortcuts << "7" << 3;
        row("arrows, Home, End and Delete edit") << locale << "UA" << "1234" << editing << "14" << 0;
        row("Backspace deletes") << locale << "UB" << "12" << backspace << "1" << 0;
    }
}

void WindowTest::keys() {
    QFETCH(QLocale, locale);
    QFETCH(QString, box);
    QFETCH(QString, before);
    QFETCH(QTestEventList, events);
    QFETCH(QString, after);
    QFETCH(int, beeps);
    Program p(locale);
    QVERIFY(p.showActive());
    QLineEdit* edit = p.control<QLineEdit>(box.toLatin1().constData());
    edit->setFocus();
    edit->setText(before);  // the cursor stands at the end
    events.simulate(edit);
    QCOMPARE(edit->text(), after);
    QCOMPARE(p.runtime.beeps, beeps);
    QCOMPARE(p.runtime.ends, 0);
    QCOMPARE(QApplication::focusWidget(), edit);
}

void WindowTest::keysAsX11SendsThem_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("beeps");
    QTest::addColumn<QString>("focus");
    // An X server sends the control code itself as the text of Ctrl+letter, and DEL as the
    // text of Delete.
    QTest::newRow("Ctrl+V as the code 22")
        << int(Qt::Key_V) << Qt::KeyboardModifiers(Qt::ControlModifier) << QStringLiteral("\x16")
        << "12" << 1 << "UA";
    QTest::newRow("Delete with the text DEL")
        << int(Qt::Key_Delete) << Qt::KeyboardModifiers() << QStringLiteral("\x7f") << "1" << 0
        << "UA";
    QTest::newRow("Tab with the text TAB")
        << int(Qt::Key_Tab) << Qt::KeyboardModifiers() << QStringLiteral("\t") << "12" << 0
        << "UB";
    // A dead key and a letter composed by the keyboard layout arrive as one typed character.
    QTest::newRow("a composed é") << int(Qt::Key_Eacute) << Qt::KeyboardModifiers()
                                   << QStringLiteral("é") << "12" << 1 << "UA";
    QTest::newRow("Backspace with the text BS")
        << int(Qt::Key_Backspace) << Qt::KeyboardModifiers() << QStringLiteral("\b") << "2" << 0
        << "UA";
}

void WindowTest::keysAsX11SendsThem() {
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QString, text);
    QFETCH(QString, after);
    QFETCH(int, beeps);
    QFETCH(QString, focus);
    Program p;
    QVERIFY(p.showActive());
    QLineEdit* ua = p.UA();
    ua->setText(QStringLiteral("12"));
    ua->setCursorPosition(1);
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(ua, &press);
    QApplication::sendEvent(ua, &release);
    QCOMPARE(ua->text(), after);
    QCOMPARE(p.runtime.beeps, beeps);
    QCOMPARE(QApplication::focusWidget()->objectName(), focus);
}

void WindowTest::noInputMethodBypassesTheFilter() {
    // An input method hands its text to a box that accepts one, past every key event.
    Program p;
    QVERIFY(p.showActive());
    for (QLineEdit* box : {p.UA(), p.UB()}) {
        box->setFocus();
        QInputMethodQueryEvent query(Qt::ImEnabled);
        QApplication::sendEvent(box, &query);
        QVERIFY2(!query.value(Qt::ImEnabled).toBool(), qPrintable(box->objectName()));
    }
}

// ---- Figures ------------------------------------------------------------------------------

// A sample of the golden table, played as a user would: the category clicked, the units
// chosen with the arrow keys, the box emptied with Backspace and the text pasted with
// Shift+Insert; the widgets must show the table's texts.
void WindowTest::goldenRowsThroughTheWidgets() {
    const auto restore = qScopeGuard([] { QApplication::clipboard()->setText("99"); });
    const auto rows = tarvel::testing::readGolden(GOLDEN_FILE);
    int played = 0;
    for (const auto& [name, locale] : {std::pair{"comma", kComa}, std::pair{"stop", kPunto}}) {
        for (const tarvel::testing::GoldenRow& row : tarvel::testing::goldenSample(rows, name, 8)) {
            Program p(locale);
            p.chooseCategory(row.category, true);
            Program::chooseUnit(p.Combo1(), p.Combo1()->findText(QString::fromStdString(row.unitA)),
                                true);
            Program::chooseUnit(p.Combo2(), p.Combo2()->findText(QString::fromStdString(row.unitB)),
                                true);
            QLineEdit* box = row.onA ? p.UA() : p.UB();
            Program::enter(box, QString(), true);
            QApplication::clipboard()->setText(QString::fromStdString(row.text));
            QTest::keyClick(box, Qt::Key_Insert, Qt::ShiftModifier);
            const QString where = QStringLiteral("golden line %1").arg(row.line);
            QCOMPARE(p.UA()->text() + " | " + where, QString::fromStdString(row.UA) + " | " + where);
            QCOMPARE(p.UB()->text() + " | " + where, QString::fromStdString(row.UB) + " | " + where);
            QCOMPARE(p.Label1()->text() + " | " + where,
                     QString::fromStdString(row.message) + " | " + where);
            ++played;
        }
    }
    QVERIFY(played > 12);
}

// ---- Ending -----------------------------------------------------------------------------

void WindowTest::enterAndEscapeNeverPressCerrar_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    for (const char* focus : {"UA", "Combo1", "List1", "Command1"}) {
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            const char* keyName = key == Qt::Key_Escape ? "Escape"
                                  : key == Qt::Key_Enter ? "keypad Enter"
                                                         : "Return";
            QTest::newRow(qPrintable(QStringLiteral("%1 in %2").arg(keyName, focus)))
                << QString::fromLatin1(focus) << int(key);
        }
    }
}

void WindowTest::enterAndEscapeNeverPressCerrar() {
    QFETCH(QString, focus);
    QFETCH(int, key);
    Program p;
    QVERIFY(p.showActive());
    QWidget* target = p.control<QWidget>(focus.toLatin1().constData());
    target->setFocus();
    QTest::keyClick(target, Qt::Key(key));
    QCOMPARE(p.runtime.ends, 0);
    QVERIFY(p.window.isVisible());
}

enum class Ending { ClickOnCerrar, SpaceOnCerrar, CloseButton };

void WindowTest::cerrarAndTheCloseButtonEnd_data() {
    QTest::addColumn<int>("ending");
    QTest::newRow("click on Cerrar") << int(Ending::ClickOnCerrar);
    QTest::newRow("Space on Cerrar") << int(Ending::SpaceOnCerrar);
    QTest::newRow("the window's close button") << int(Ending::CloseButton);
}

void WindowTest::cerrarAndTheCloseButtonEnd() {
    QFETCH(int, ending);
    Program p;
    QVERIFY(p.showActive());
    switch (Ending(ending)) {
    case Ending::ClickOnCerrar:
        QTest::mouseClick(p.Command1(), Qt::LeftButton);
        break;
    case Ending::SpaceOnCerrar:
        p.Command1()->setFocus();
        QTest::keyClick(p.Command1(), Qt::Key_Space);
        break;
    case Ending::CloseButton:
        p.window.close();
        break;
    }
    QCOMPARE(p.runtime.ends, 1);
}

QTEST_MAIN(WindowTest)
#include "window_test.moc"
