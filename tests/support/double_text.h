// A double's bits, and decimal texts read and written by the toolchain's own library rather
// than by the program: std::from_chars and std::to_chars where the standard library has them
// for doubles; under emscripten, whose libc++ lacks them, musl's strtod and snprintf, which are
// exact too and know only the full stop whatever the locale.
#pragma once

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#if !defined(__EMSCRIPTEN__)
#include <charconv>
#endif

namespace tarvel::testing {

inline std::uint64_t bitsOf(double value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

inline double fromBits(std::uint64_t bits) {
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

/// What reading plain digits with at most one '.' gave: the nearest double, or `tooLarge`
/// (beyond the largest double); a value too small for a double reads as what is nearest,
/// zero included. `whole` is false where the text is not plain digits of that form.
struct DecimalRead {
    double value = 0.0;
    bool tooLarge = false;
    bool whole = false;
};

inline DecimalRead readDecimal(std::string_view plain) {
    DecimalRead read;
#if defined(__EMSCRIPTEN__)
    const std::string text(plain);
    char* stop = nullptr;
    errno = 0;
    read.value = std::strtod(text.c_str(), &stop);
    read.whole = stop == text.c_str() + text.size();
    read.tooLarge = errno == ERANGE && std::isinf(read.value);
#else
    const auto [stop, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), read.value);
    if (ec == std::errc::result_out_of_range) {
        // Out of range either way: too large when a non-zero digit stands before the point,
        // else too small, which is zero.
        const std::size_t nonZero = plain.find_first_not_of("0.");
        read.tooLarge = nonZero != std::string_view::npos && nonZero < plain.find('.');
        read.value = 0.0;
        read.whole = true;
    } else {
        read.whole = ec == std::errc{} && stop == plain.data() + plain.size();
    }
#endif
    return read;
}

/// A text that reads back to `value`, for messages: the shortest one where the library can
/// tell it, else seventeen significant digits.
inline std::string shortestText(double value) {
    char text[32];
#if defined(__EMSCRIPTEN__)
    const int length = std::snprintf(text, sizeof text, "%.17g", value);
    return {text, static_cast<std::size_t>(length)};
#else
    return {text, std::to_chars(text, text + sizeof text, value).ptr};
#endif
}

/// Four fixed decimals from the library's own printer, rounded on the exact binary value, with
/// the zeros past the first decimal dropped and no negative zero.
inline std::string libraryFixed4(double value) {
    char buffer[400];
#if defined(__EMSCRIPTEN__)
    const int length = std::snprintf(buffer, sizeof buffer, "%.4f", value);
    std::string text(buffer, static_cast<std::size_t>(length));
#else
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 4).ptr;
    std::string text(buffer, end);
#endif
    while (text.ends_with('0') && text[text.size() - 2] != '.') {
        text.pop_back();
    }
    return text == "-0.0" ? std::string("0.0") : text;
}

} // namespace tarvel::testing
