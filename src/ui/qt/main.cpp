// Conversor de unidades: one window, open until "Cerrar" or its close button ends the program.
#include "platform/qt/qt_runtime.h"
#include "ui/command_line.h"
#include "ui/qt/ftarvel_window.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    // Help, the version and a mistyped option are answered before Qt opens any display.
    const tarvel::ui::CommandLine request = tarvel::ui::readCommandLine(argc, argv);
    if (request.action != tarvel::ui::CommandLine::Action::OpenWindow) {
        tarvel::ui::useParentConsole();
        return tarvel::ui::answer(request, stdout, stderr);
    }
    QApplication app(argc, argv);
    tarvel::ui::prepareApplication(app);
    tarvel::platform::QtRuntime runtime;
    tarvel::ui::fTarvelWindow window(runtime);
    window.show();
    return QApplication::exec();
}
