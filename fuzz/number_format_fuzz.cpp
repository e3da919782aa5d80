// Any double, taken bit for bit from the input eight bytes at a time, rendered in every
// setting: the text fits the output pattern, reads back near the value, renders again to
// itself, and the plain text reads back exactly.
#include "number_checks.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A short input still gives one double: the missing bytes are zero.
    std::size_t offset = 0;
    do {
        std::uint64_t bits = 0;
        const std::size_t take = size - offset < sizeof bits ? size - offset : sizeof bits;
        if (take > 0) {
            std::memcpy(&bits, data + offset, take);
        }
        offset += take;
        const double value = std::bit_cast<double>(bits);
        for (const tarvel::platform::NumberText* texts : tarvel::fuzz::kSettings) {
            tarvel::fuzz::checkRendering(*texts, value);
        }
    } while (offset < size);
    return 0;
}
