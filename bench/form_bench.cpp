// What one user action costs in the converter's logic, without a window: a keystroke's
// recompute, the temperature rule, a category change, and the number texts on their own.
#include "platform/number_text.h"
#include "support/windowless_program.h"

#include <benchmark/benchmark.h>

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tarvel::bench {
namespace {

using testing::kComa;
using testing::kPunto;
using testing::WindowlessProgram;

// Alternating between two values makes every setText a real change, so each iteration runs
// the whole path: both reads, the tests, the computation, the output pattern, the write into
// UB and UB's own handler returning at the guard.
void recompute(benchmark::State& state, WindowlessProgram& p, std::string_view a,
               std::string_view b) {
    bool flip = false;
    for (auto _ : state) {
        p.UA.setText(flip ? a : b);
        flip = !flip;
    }
    // A message would mean the path stopped early and the figure measures less than it says.
    if (!p.Label1.caption().empty() || p.UB.changes() == 0) {
        const std::string why = "the recompute did not run to its end: " + p.Label1.caption();
        state.SkipWithError(why.c_str());
    }
    benchmark::DoNotOptimize(p.UB.text());
}

// Longitud, km into m: the general factor rule.
void BM_Recompute_Factor(benchmark::State& state) {
    WindowlessProgram p(kPunto);
    p.Combo1.setSelectedIndex(6);  // km
    recompute(state, p, "12.5", "3.75");
}
BENCHMARK(BM_Recompute_Factor);

// The same keystroke where the comma is the decimal separator and the full stop groups.
void BM_Recompute_Factor_Coma(benchmark::State& state) {
    WindowlessProgram p(kComa);
    p.Combo1.setSelectedIndex(6);
    recompute(state, p, "12,5", "3,75");
}
BENCHMARK(BM_Recompute_Factor_Coma);

// Temperatura, ºF into ºC: the rule with its own constants.
void BM_Recompute_Temperatura(benchmark::State& state) {
    WindowlessProgram p(kPunto);
    p.List1.setSelectedIndex(10);
    p.Combo1.setSelectedIndex(1);  // ºF
    recompute(state, p, "98.6", "451");
}
BENCHMARK(BM_Recompute_Temperatura);

// A category change: List1_Click reloads both unit lists and runs every nested handler (the
// two unguarded writes of "1", both unit selections and the final recompute).
void BM_CategoryChange(benchmark::State& state) {
    WindowlessProgram p(kPunto);
    int category = 0;
    for (auto _ : state) {
        category = category == 0 ? 7 : 0;  // Longitud (8 units) and Potencia
        p.List1.setSelectedIndex(category);
    }
    if (p.List1.selectedIndex() != category || p.Combo2.selectedIndex() != 0) {
        state.SkipWithError("the category change did not complete");
    }
    benchmark::DoNotOptimize(p.Combo2.items().size());
}
BENCHMARK(BM_CategoryChange);

// Texts as they arrive in a box: short, with a fraction, negative, long.
constexpr std::array<std::string_view, 4> kTextos{"5", "1609.344", "-17.7792",
                                                  "123456789012.3456"};

void BM_Reader(benchmark::State& state) {
    const platform::NumberText textos(kPunto);
    const std::string_view texto = kTextos[static_cast<std::size_t>(state.range(0))];
    for (auto _ : state) {
        benchmark::DoNotOptimize(texto.data());
        std::optional<double> v = textos.read(texto);
        benchmark::DoNotOptimize(v);
    }
    state.SetLabel(std::string(texto));
}
BENCHMARK(BM_Reader)->DenseRange(0, 3);

constexpr std::array<double, 4> kValores{5.0, 1.6093440000000001, -17.7792, 123456789012.3456};

void BM_Pattern(benchmark::State& state) {
    const platform::NumberText textos(kPunto);
    double value = kValores[static_cast<std::size_t>(state.range(0))];
    for (auto _ : state) {
        benchmark::DoNotOptimize(value);
        std::string text = textos.format(value);
        benchmark::DoNotOptimize(text);
    }
    state.SetLabel(textos.format(value));
}
BENCHMARK(BM_Pattern)->DenseRange(0, 3);

// What one recompute spends on number texts: read the box, render the result.
void BM_ReaderAndPattern(benchmark::State& state) {
    const platform::NumberText textos(kPunto);
    const std::string_view texto = kTextos[static_cast<std::size_t>(state.range(0))];
    for (auto _ : state) {
        benchmark::DoNotOptimize(texto.data());
        std::string text = textos.format(textos.read(texto).value_or(0.0) * 1000.0);
        benchmark::DoNotOptimize(text);
    }
    state.SetLabel(std::string(texto));
}
BENCHMARK(BM_ReaderAndPattern)->DenseRange(0, 3);

}  // namespace
}  // namespace tarvel::bench

BENCHMARK_MAIN();
