// Conversor de unidades: one window, open until "Cerrar" or its close button ends the program.
#include "platform/qt/qt_runtime.h"
#include "ui/ftarvel_window.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    tarvel::ui::prepareApplication(app);
    tarvel::platform::QtRuntime runtime;
    tarvel::ui::fTarvelWindow window(runtime);
    window.show();
    return QApplication::exec();
}
