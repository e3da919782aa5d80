// The smallest program that holds the whole form, the catalogue and the number texts: what a
// web face's module weighs before its page bridge (bench/wasm_bench.sh reports its size).
// Usage: wasm_entry [TEXT]; types TEXT into value A of Longitud and prints value B.
#include "core/windowless_program.h"

#include <cstdio>
#include <string>

int main(int argc, char* argv[]) {
    tarvel::core::WindowlessProgram p({U'.', U','});
    p.UA.setText(argc > 1 ? argv[1] : "1.0");
    const std::string shown = p.Label1.caption().empty() ? p.UB.text() : p.Label1.caption();
    std::puts(shown.c_str());
    return 0;
}
