// One keystroke through the real window on the offscreen platform: the key event goes into
// UA, through the key filter, the line edit and its textChanged signal, the form's recompute,
// and the write into UB.
#include "platform/qt/qt_runtime.h"
#include "ui/qt/ftarvel_window.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QString>

#include <memory>

namespace {

// A runtime that never ends the process, so a stray "Cerrar" cannot cut the run short.
class BenchRuntime final : public tarvel::platform::QtRuntime {
public:
    using QtRuntime::QtRuntime;
    void beep() override {}
    void end() override {}
};

struct Window {
    Window() : runtime(QLocale(QLocale::English, QLocale::UnitedStates)), window(runtime) {
        window.show();
        QApplication::processEvents();
        UA = window.findChild<QLineEdit*>(QStringLiteral("UA"));
        UB = window.findChild<QLineEdit*>(QStringLiteral("UB"));
        // UB in cm: UA's metres are recomputed by the general factor rule.
        window.findChild<QComboBox*>(QStringLiteral("Combo2"))->setCurrentIndex(1);
        UA->setFocus();
        UA->end(false);
    }
    BenchRuntime runtime;
    tarvel::ui::fTarvelWindow window;
    QLineEdit* UA = nullptr;
    QLineEdit* UB = nullptr;
};

// Alternately types "5" and Backspace at the end of UA, so every key changes the text.
void keystrokes(benchmark::State& state, bool paint) {
    Window w;
    QKeyEvent digit(QEvent::KeyPress, Qt::Key_5, Qt::NoModifier, QStringLiteral("5"));
    QKeyEvent backspace(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    // One key each way first: what UB shows with and without the extra digit.
    const QString before = w.UB->text();
    QApplication::sendEvent(w.UA, &digit);
    const QString after = w.UB->text();
    QApplication::sendEvent(w.UA, &backspace);
    if (after == before || w.UB->text() != before) {
        state.SkipWithError("a key in UA did not recompute UB");
        return;
    }
    bool typed = false;
    for (auto _ : state) {
        QApplication::sendEvent(w.UA, typed ? &backspace : &digit);
        typed = !typed;
        if (paint) {
            QApplication::processEvents();  // the repaint of both boxes
        }
    }
    const QString& expected = typed ? after : before;
    if (w.UB->text() != expected) {
        state.SkipWithError(qPrintable(QStringLiteral("UB holds ") + w.UB->text() +
                                       QStringLiteral(", not ") + expected));
    }
}

void BM_Keystroke_Widgets(benchmark::State& state) { keystrokes(state, false); }
BENCHMARK(BM_Keystroke_Widgets);

// The same with the event loop run after each key, as a user would see it: the repaint of
// the two boxes on the offscreen backing store included.
void BM_Keystroke_Widgets_Painted(benchmark::State& state) { keystrokes(state, true); }
BENCHMARK(BM_Keystroke_Widgets_Painted);

// The whole window painted again, banner, lists and all: what an uncovered window costs.
void BM_Repaint_Window(benchmark::State& state) {
    Window w;
    for (auto _ : state) {
        w.window.repaint();
    }
}
BENCHMARK(BM_Repaint_Window);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
