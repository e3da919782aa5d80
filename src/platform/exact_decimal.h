// Exact conversions between decimal texts and doubles, in plain C++ that every toolchain we
// build with compiles the same way: no <charconv> for floating point (libc++ 13, as in
// emscripten, has none) and nothing of the C library, whose readers and printers follow the
// process locale. The texts are ASCII: digits, '.' and '-' only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarvel::platform::exact {

/// The double nearest to `digits`, ties to even: one or more ASCII digits with at most one
/// '.' among them, of any length. Empty when the value rounds beyond the largest double; a
/// value too small to represent is 0.
[[nodiscard]] std::optional<double> read(std::string_view digits);

/// Appends the decimal digits of the integer `mantissa` x 2^`exponent` (`exponent` >= 0).
void appendInteger(std::string& out, std::uint64_t mantissa, int exponent);

/// The shortest fixed-notation text that reads back as `value` (finite), with '.' for the
/// point: of the shortest digit strings inside the value's rounding interval the nearest, ties
/// to an even last digit. A value whose shortest digits would end in zeros before the point
/// is written exactly instead, as printf's "%.0f" would ("99999999999999991611392" for 1e23),
/// which is no longer and hides nothing.
[[nodiscard]] std::string shortest(double value);

}  // namespace tarvel::platform::exact
