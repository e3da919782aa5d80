// Conversor de unidades on Windows: one native window, open until "Cerrar" or its close button
// ends the program.
#include "platform/win32/win32_controls.h"
#include "platform/win32/win32_runtime.h"
#include "ui/command_line.h"
#include "ui/win32/native_window.h"

#include <objbase.h>
#include <shellapi.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// The arguments as UTF-8, as the command line reader takes them.
std::vector<std::string> arguments() {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> out;
    for (int i = 0; wide != nullptr && i < count; ++i) {
        out.push_back(tarvel::platform::win32::narrow(wide[i]));
    }
    LocalFree(wide);
    return out;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    namespace ui = tarvel::ui;
    // Help, the version and a mistyped option are answered without opening the window.
    const std::vector<std::string> args = arguments();
    std::vector<const char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(arg.c_str());
    }
    const ui::CommandLine request =
        ui::readCommandLine(static_cast<int>(argv.size()), argv.data(), ui::Toolkit::Native);
    if (request.action != ui::CommandLine::Action::OpenWindow) {
        ui::useParentConsole();
        return ui::answer(request, stdout, stderr, ui::Toolkit::Native);
    }
    // Screen readers' annotations of the controls are COM services.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    tarvel::platform::win32::Win32Runtime runtime;
    ui::win32::NativeWindow window(runtime, instance);
    if (window.handle() == nullptr) {
        return 1;
    }
    window.show(showCommand);
    const int status = ui::win32::runMessageLoop(window);
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return status;
}
