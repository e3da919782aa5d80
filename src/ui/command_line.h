// The window program's command line: its own two options and, for the Qt window, Qt's, which
// are left to Qt. Read before any window exists, so that asking for help or the version needs
// no display.
#pragma once

#include <cstdio>
#include <string>

namespace tarvel::ui {

struct CommandLine {
    enum class Action { OpenWindow, ShowHelp, ShowVersion, Refuse };
    Action action = Action::OpenWindow;
    std::string refused;  ///< the argument refused, with Action::Refuse
};

/// Which window reads the command line: Qt's takes the toolkit's options too.
enum class Toolkit { Qt, Native };

/// Our options are -h/--help and -v/--version. With Toolkit::Qt, Qt's own (-platform xcb,
/// -style=Fusion, -reverse, ...) pass to Qt untouched; anything else is refused.
[[nodiscard]] CommandLine readCommandLine(int argc, const char* const argv[],
                                          Toolkit toolkit = Toolkit::Qt);

/// Prints what was asked for (help or version on `out`, a refusal on `err`) and gives the exit
/// status: 0, or 2 for a refusal. Not for Action::OpenWindow.
int answer(const CommandLine& request, std::FILE* out, std::FILE* err,
           Toolkit toolkit = Toolkit::Qt);

/// A windowed program has no console of its own on Windows; started from one, this makes it
/// write there. Elsewhere it does nothing.
void useParentConsole();

}  // namespace tarvel::ui
