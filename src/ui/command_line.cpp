#include "ui/command_line.h"

#include "tarvel_version.h"

#include <array>
#include <string_view>

#ifdef _WIN32
#include <windows.h>
#endif

namespace tarvel::ui {
namespace {

constexpr std::string_view kProgram = "conversor-unidades";

struct QtOption {
    std::string_view name;
    bool takesValue;
};

// The options QApplication reads on every platform it runs on, and those of its X11 platform.
constexpr std::array kQtOptions{
    QtOption{"platform", true},   QtOption{"platformpluginpath", true},
    QtOption{"platformtheme", true}, QtOption{"plugin", true},
    QtOption{"qwindowgeometry", true}, QtOption{"geometry", true},
    QtOption{"qwindowtitle", true}, QtOption{"title", true},
    QtOption{"qwindowicon", true}, QtOption{"icon", true},
    QtOption{"session", true},    QtOption{"style", true},
    QtOption{"stylesheet", true}, QtOption{"display", true},
    QtOption{"name", true},       QtOption{"reverse", false},
    QtOption{"testability", false}, QtOption{"widgetcount", false},
    QtOption{"nograb", false},    QtOption{"dograb", false},
    QtOption{"sync", false},      QtOption{"qmljsdebugger", false},
};

// Qt takes "-name" and "--name", and "-name=value" for those that have a value.
const QtOption* qtOption(std::string_view arg, bool& valueAttached) {
    if (arg.size() < 2 || arg[0] != '-') {
        return nullptr;
    }
    arg.remove_prefix(arg.starts_with("--") ? 2 : 1);
    const std::size_t equals = arg.find('=');
    valueAttached = equals != std::string_view::npos;
    const std::string_view name = arg.substr(0, equals);
    for (const QtOption& option : kQtOptions) {
        if (option.name == name) {
            return &option;
        }
    }
    return nullptr;
}

}  // namespace

CommandLine readCommandLine(int argc, const char* const argv[], Toolkit toolkit) {
    CommandLine request;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            request.action = CommandLine::Action::ShowHelp;
            return request;
        }
        if (arg == "-v" || arg == "--version") {
            request.action = CommandLine::Action::ShowVersion;
            return request;
        }
        bool valueAttached = false;
        const QtOption* option =
            toolkit == Toolkit::Qt ? qtOption(arg, valueAttached) : nullptr;
        if (option != nullptr) {
            if (option->takesValue && !valueAttached) {
                ++i;  // its value, whatever it looks like
            }
            continue;
        }
        request.action = CommandLine::Action::Refuse;
        request.refused = arg;
        return request;
    }
    return request;
}

int answer(const CommandLine& request, std::FILE* out, std::FILE* err, Toolkit toolkit) {
    switch (request.action) {
    case CommandLine::Action::ShowHelp:
        std::fprintf(out,
                     "Uso: %s [OPCIÓN]...\n"
                     "Abre el conversor de unidades para climatización, calefacción y "
                     "ventilación.\n\n"
                     "  -h, --help     muestra esta ayuda y termina\n"
                     "  -v, --version  muestra la versión y termina\n",
                     kProgram.data());
        if (toolkit == Toolkit::Qt) {
            std::fprintf(out,
                         "\nAcepta también las opciones de Qt, como -platform, -style o "
                         "-reverse.\n");
        }
        return 0;
    case CommandLine::Action::ShowVersion:
        std::fprintf(out, "%s (Conversor de unidades) %.*s\n", kProgram.data(),
                     static_cast<int>(kVersion.size()), kVersion.data());
        return 0;
    case CommandLine::Action::Refuse:
        std::fprintf(err,
                     "%s: opción o argumento no reconocido: «%s»\n"
                     "Pruebe «%s --help» para más información.\n",
                     kProgram.data(), request.refused.c_str(), kProgram.data());
        return 2;
    case CommandLine::Action::OpenWindow:
        break;
    }
    return 0;
}

void useParentConsole() {
#ifdef _WIN32
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        SetConsoleOutputCP(CP_UTF8);
        FILE* console = nullptr;
        freopen_s(&console, "CONOUT$", "w", stdout);
        freopen_s(&console, "CONOUT$", "w", stderr);
    }
#endif
}

}  // namespace tarvel::ui
