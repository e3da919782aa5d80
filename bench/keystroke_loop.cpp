// One keystroke's recompute through the window-less form, timed with the standard clock alone,
// so that the same source runs natively and under Node (no Google Benchmark in emscripten):
// bench/wasm_bench.sh runs both builds in alternation and gives the ratio.
// Usage: keystroke_loop [KEYSTROKES]; prints one line per case, nanoseconds per keystroke.
#include "support/windowless_program.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

using tarvel::testing::kComa;
using tarvel::testing::kPunto;
using tarvel::testing::WindowlessProgram;

// Alternating two values makes every write a real change, so each runs the whole path; a
// message at the end would mean the path stopped early. Returns a negative time then.
double nanosecondsPerKeystroke(WindowlessProgram& p, std::string_view a, std::string_view b,
                               long keystrokes) {
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < keystrokes; ++i) {
        p.UA.setText(i % 2 == 0 ? a : b);
    }
    const std::chrono::duration<double, std::nano> spent = std::chrono::steady_clock::now() - start;
    if (!p.Label1.caption().empty() || p.UB.changes() == 0) {
        return -1.0;
    }
    return spent.count() / static_cast<double>(keystrokes);
}

}  // namespace

int main(int argc, char* argv[]) {
    const long keystrokes = argc > 1 ? std::atol(argv[1]) : 200000;
    WindowlessProgram factor(kPunto);
    factor.Combo1.setSelectedIndex(6);  // Longitud, km into m
    WindowlessProgram coma(kComa);
    coma.Combo1.setSelectedIndex(6);
    WindowlessProgram temperatura(kPunto);
    temperatura.List1.setSelectedIndex(10);  // Temperatura, ºF into ºC
    temperatura.Combo1.setSelectedIndex(1);
    const double times[] = {nanosecondsPerKeystroke(factor, "12.5", "3.75", keystrokes),
                            nanosecondsPerKeystroke(coma, "12,5", "3,75", keystrokes),
                            nanosecondsPerKeystroke(temperatura, "98.6", "451", keystrokes)};
    const char* names[] = {"Factor", "Factor_Coma", "Temperatura"};
    int status = 0;
    for (int i = 0; i < 3; ++i) {
        if (times[i] < 0) {
            std::fprintf(stderr, "%s: the recompute did not run to its end\n", names[i]);
            status = 1;
        }
        std::printf("%s %.1f\n", names[i], times[i]);
    }
    return status;
}
