// The whole program without a window: the form over window-less controls, as the command line
// and the tests run it.
#pragma once

#include "core/ftarvel.h"
#include "platform/windowless.h"

#include <memory>

namespace tarvel::core {

struct WindowlessProgram {
    explicit WindowlessProgram(platform::NumberLocale locale = {})
        : runtime(locale),
          form(std::make_unique<fTarvel>(Controles{List1, Combo1, Combo2, UA, UB, Label1, Command1},
                                         runtime)) {}

    // Declared before the form, so the form goes first and unwires itself.
    platform::WindowlessList List1;
    platform::WindowlessList Combo1;
    platform::WindowlessList Combo2;
    platform::WindowlessText UA{"Text1"};
    platform::WindowlessText UB{"Text2"};
    platform::WindowlessLabel Label1;
    platform::WindowlessButton Command1;
    platform::WindowlessRuntime runtime;
    std::unique_ptr<fTarvel> form;
};

}  // namespace tarvel::core
