// Volumes no user should reach, through the real widgets: QLineEdit's longest text pasted into
// either box, and ten thousand keystrokes in a row. After every step the window must show
// exactly what the window-less program shows for the same input; the window-less program is
// itself held to an independent model by the session test.
#include "platform/qt/qt_runtime.h"
#include "qt/window_support.h"
#include "support/windowless_program.h"
#include "ui/qt/ftarvel_window.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QObject>
#include <QString>
#include <QTest>

#include <random>
#include <string>

namespace {

using tarvel::platform::NumberLocale;

constexpr int kLimit = 32767;  // QLineEdit's default maxLength
constexpr int kKm = 6;
constexpr int kM = 0;

using CountingRuntime = tarvel::testing::RecordingRuntime;

/// The window and the window-less program, given the same settings and the same input.
struct Twins {
    Twins(const QLocale& locale, NumberLocale same)
        : runtime(locale), window(runtime), reference(same) {}

    QLineEdit* box(bool a) {
        return window.findChild<QLineEdit*>(a ? QStringLiteral("UA") : QStringLiteral("UB"));
    }
    QComboBox* combo(bool a) {
        return window.findChild<QComboBox*>(a ? QStringLiteral("Combo1")
                                              : QStringLiteral("Combo2"));
    }
    QString label() { return window.findChild<QLabel*>(QStringLiteral("Label1"))->text(); }
    tarvel::platform::WindowlessText& twin(bool a) { return a ? reference.UA : reference.UB; }

    void chooseUnits(int a, int b) {
        combo(true)->setCurrentIndex(a);
        reference.Combo1.setSelectedIndex(a);
        combo(false)->setCurrentIndex(b);
        reference.Combo2.setSelectedIndex(b);
    }

    /// Where the window and the window-less program part, or "" where they agree.
    QString difference() {
        QString out;
        const auto compare = [&out](const char* what, const QString& got,
                                    const std::string& wanted) {
            if (got.toStdString() != wanted) {
                out += QStringLiteral("%1: window \"%2\", window-less \"%3\"; ")
                           .arg(QLatin1String(what), got.left(80),
                                QString::fromStdString(wanted).left(80));
            }
        };
        compare("UA", box(true)->text(), reference.UA.text());
        compare("UB", box(false)->text(), reference.UB.text());
        compare("Label1", label(), reference.Label1.caption());
        if (runtime.beeps != reference.runtime.beeps()) {
            out += QStringLiteral("beeps: window %1, window-less %2")
                       .arg(runtime.beeps)
                       .arg(reference.runtime.beeps());
        }
        return out;
    }

    CountingRuntime runtime;
    tarvel::ui::fTarvelWindow window;
    tarvel::testing::WindowlessProgram reference;
};

struct Setting {
    const char* name;
    QLocale locale;
    NumberLocale same;
};

const Setting kSettings[] = {
    {"full stop", QLocale(QLocale::English, QLocale::UnitedStates), tarvel::testing::kPunto},
    {"comma", QLocale(QLocale::Spanish, QLocale::Spain), tarvel::testing::kComa},
    {"narrow-space groups", QLocale(QLocale::French, QLocale::France),
     tarvel::testing::kComaNarrowSpace},
};

}  // namespace

class StressTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void longestPaste_data();
    void longestPaste();
    void tenThousandKeystrokes_data();
    void tenThousandKeystrokes();
};

void StressTest::initTestCase() { tarvel::ui::prepareApplication(*qApp); }

void StressTest::longestPaste_data() {
    QTest::addColumn<int>("setting");
    QTest::addColumn<bool>("intoUA");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");

    std::mt19937 random(32767);
    QString garbage;
    while (garbage.size() < kLimit) {  // printable ASCII, never only digits
        garbage += QChar(static_cast<char16_t>(u'!' + random() % 94));
    }
    garbage[0] = u'x';
    const QString foreign = QString::fromUtf16(u"ñ€½٣５\u202F").repeated(kLimit / 6 + 1).left(kLimit);
    const QString noNumber = QStringLiteral("Valores no numéricos");
    const QString overflow = QStringLiteral("Error: Desbordamiento");

    for (int s = 0; s < 3; ++s) {
        const QString decimal = kSettings[s].locale.decimalPoint();
        for (const bool intoUA : {true, false}) {
            const auto row = [&](const char* what) -> QTestData& {
                return QTest::newRow(qPrintable(QStringLiteral("%1 into %2, %3")
                                                    .arg(QLatin1String(what),
                                                         intoUA ? "UA" : "UB",
                                                         QLatin1String(kSettings[s].name))))
                       << s << intoUA;
            };
            row("digits beyond the double range") << QString(kLimit, u'1') << noNumber;
            row("zeros then a seven") << QString(kLimit - 1, u'0') + QStringLiteral("7") << QString();
            row("a third to the last decimal")
                << QStringLiteral("0") + decimal + QString(kLimit - 2, u'3') << QString();
            row("a number past the range once converted")
                << QStringLiteral("9") + QString(306, u'0') + decimal + QString(kLimit - 308, u'9')
                << (intoUA ? overflow : QString());
            row("printable garbage") << garbage << noNumber;
            row("non-ASCII garbage") << foreign << noNumber;
            row("more than the box takes") << QString(kLimit + 5000, u'0') << QString();
        }
    }
}

void StressTest::longestPaste() {
    QFETCH(int, setting);
    QFETCH(bool, intoUA);
    QFETCH(QString, text);
    QFETCH(QString, message);
    Twins t(kSettings[setting].locale, kSettings[setting].same);
    t.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&t.window));
    t.chooseUnits(kKm, kM);
    QCOMPARE(t.difference(), QString());
    const QString otherBefore = t.box(!intoUA)->text();

    // Select all, then paste from the context menu: the box's own paste, no key filter.
    QLineEdit* box = t.box(intoUA);
    box->selectAll();
    QApplication::clipboard()->setText(text);
    box->paste();
    const QString kept = text.left(kLimit);
    QCOMPARE(box->text().size(), kept.size());
    QVERIFY(box->text() == kept);
    t.twin(intoUA).setText(kept.toStdString());

    QCOMPARE(t.label(), message);
    if (!message.isEmpty()) {
        QCOMPARE(t.box(!intoUA)->text(), otherBefore);
    }
    QCOMPARE(t.difference(), QString());
}

void StressTest::tenThousandKeystrokes_data() {
    QTest::addColumn<int>("setting");
    QTest::addColumn<unsigned>("seed");
    for (int s = 0; s < 3; ++s) {
        QTest::newRow(kSettings[s].name) << s << 10000u + static_cast<unsigned>(s);
    }
}

void StressTest::tenThousandKeystrokes() {
    QFETCH(int, setting);
    QFETCH(unsigned, seed);
    Twins t(kSettings[setting].locale, kSettings[setting].same);
    t.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&t.window));
    t.chooseUnits(kKm, kM);

    // Digits, both separators, backspace, and keys the filter refuses, drawn so that the
    // boxes keep going in and out of holding a number. The first half goes into UA.
    constexpr char kRefused[] = "aZ- +e";
    std::mt19937 random(seed);
    int converted = 0;
    for (int i = 0; i < 10000; ++i) {
        const bool intoUA = i < 5000;
        QLineEdit* box = t.box(intoUA);
        if (i == 0 || i == 5000) {
            box->setFocus();
            box->end(false);
        }
        const unsigned roll = random() % 100;
        char16_t code = 8;
        if (roll < 42) {
            code = static_cast<char16_t>('0' + random() % 10);
        } else if (roll < 47) {
            code = random() % 2 ? u'.' : u',';
        } else if (roll < 55) {
            code = static_cast<char16_t>(kRefused[random() % (sizeof kRefused - 1)]);
        }
        if (code == 8) {
            QTest::keyClick(box, Qt::Key_Backspace);
        } else {
            QTest::keyClick(box, static_cast<char>(code));
        }
        t.twin(intoUA).type(code);
        const QString difference = t.difference();
        QVERIFY2(difference.isEmpty(), qPrintable(QStringLiteral("after keystroke %1 (U+%2): %3")
                                                      .arg(i + 1)
                                                      .arg(unsigned(code), 4, 16, QChar(u'0'))
                                                      .arg(difference)));
        converted += t.label().isEmpty() ? 1 : 0;
    }
    // The session really converted, not merely refused.
    QVERIFY2(converted > 1000, qPrintable(QString::number(converted)));
    QCOMPARE(t.runtime.ends, 0);
}

QTEST_MAIN(StressTest)
#include "stress_test.moc"
