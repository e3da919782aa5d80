// The window-less program driven by actions decoded from the input, each followed by the same
// checks as the random session test: the model's values, the messages, the unit lists, the
// edit guard. A broken check prints the actions and aborts.
#include "support/session_model.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using tarvel::testing::Action;
using tarvel::testing::SessionModel;

/// Reads the input a byte at a time; past its end every byte is 0.
class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    [[nodiscard]] bool empty() const { return at_ >= size_; }
    std::uint8_t next() { return at_ < size_ ? data_[at_++] : 0; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

constexpr tarvel::platform::NumberLocale kSettings[] = {
    tarvel::testing::kPunto, tarvel::testing::kComa, tarvel::testing::kComaNarrowSpace};

// Appends the actions one opcode stands for. Clearing a box is a run of backspaces, as the
// user types them, so it expands to as many actions as the box has characters.
void decode(Bytes& in, const SessionModel& model, std::vector<Action>& out) {
    const std::uint8_t op = in.next();
    const bool onA = (op & 1) == 0;
    switch ((op >> 1) % 6) {
    case 0:
        out.push_back({Action::Kind::Category, in.next() % 14, 0, {}});
        break;
    case 1:
        out.push_back({onA ? Action::Kind::UnitA : Action::Kind::UnitB,
                       in.next() % model.unitCount(), 0, {}});
        break;
    case 2: {  // one byte is a key code below 255; 255 announces a full 16-bit code
        char16_t code = in.next();
        if (code == 0xFF) {
            code = static_cast<char16_t>(in.next() | (in.next() << 8));
        }
        out.push_back({onA ? Action::Kind::TypeA : Action::Kind::TypeB, 0, code, {}});
        break;
    }
    case 3: {  // any bytes at all
        std::string text;
        for (int n = in.next() % 48; n > 0 && !in.empty(); --n) {
            text += static_cast<char>(in.next());
        }
        out.push_back({onA ? Action::Kind::PasteA : Action::Kind::PasteB, 0, 0, text});
        break;
    }
    case 4: {  // a long run of one digit: up to 510 digits, past the double range
        const std::uint8_t n = in.next();
        const char digit = static_cast<char>('0' + in.next() % 10);
        out.push_back({onA ? Action::Kind::PasteA : Action::Kind::PasteB, 0, 0,
                       "1" + std::string(2u * n, digit)});
        break;
    }
    default:
        for (std::size_t i = (onA ? model.UA : model.UB).size(); i > 0; --i) {
            out.push_back({onA ? Action::Kind::TypeA : Action::Kind::TypeB, 0, 8, {}});
        }
        break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Bytes in(data, size);
    const tarvel::platform::NumberLocale locale = kSettings[in.next() % 3];
    tarvel::testing::WindowlessProgram program(locale);
    SessionModel model(locale);
    std::vector<Action> done;
    std::vector<Action> batch;
    while (!in.empty()) {
        batch.clear();
        decode(in, model, batch);
        for (const Action& action : batch) {
            done.push_back(action);
            const auto before = tarvel::testing::Before::of(program);
            tarvel::testing::perform(program, action);
            model.apply(action);
            const std::string broken = tarvel::testing::checkAfter(program, model, action, before);
            if (!broken.empty()) {
                std::fprintf(stderr, "\nAfter action %zu:\n%s\nActions:\n", done.size(),
                             broken.c_str());
                for (std::size_t i = 0; i < done.size(); ++i) {
                    std::fprintf(stderr, "  %zu. %s\n", i + 1,
                                 tarvel::testing::describe(done[i]).c_str());
                }
                std::abort();
            }
        }
    }
    return 0;
}
