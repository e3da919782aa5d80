// Long random sessions on the window-less program: thousands of choices, keystrokes, pastes
// and cleared boxes, in every setting, each followed by a check of everything the user can see
// against a model that converts with its own table. A failure names the seed and lists every
// action so far, so the session can be replayed and read.
#include "support/session_model.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using tarvel::platform::NumberLocale;
using tarvel::testing::Action;
using tarvel::testing::Before;
using tarvel::testing::checkAfter;
using tarvel::testing::describe;
using tarvel::testing::kComa;
using tarvel::testing::kComaNarrowSpace;
using tarvel::testing::kPunto;
using tarvel::testing::SessionModel;
using tarvel::testing::WindowlessProgram;

constexpr int kActionsPerSession = 10000;

/// Draws the next action from what the model shows, so that every unit drawn exists and a
/// box being cleared gets backspaces until it is empty.
class ActionSource {
public:
    explicit ActionSource(std::uint32_t seed) : random_(seed) {}

    Action next(const SessionModel& model) {
        if (clearing_ != Clearing::None) {
            const bool onA = clearing_ == Clearing::A;
            if (!(onA ? model.UA : model.UB).empty()) {
                return {onA ? Action::Kind::TypeA : Action::Kind::TypeB, 0, 8, {}};
            }
            clearing_ = Clearing::None;
        }
        if (pending_) {
            return *std::exchange(pending_, std::nullopt);
        }
        // A box that holds no number blocks every conversion until the user mends it; a
        // user does so soon, and so the session keeps converting.
        for (const bool onA : {true, false}) {
            if (!model.reader().read(onA ? model.UA : model.UB) && below(4) == 0) {
                clearing_ = onA ? Clearing::A : Clearing::B;
                return next(model);
            }
        }
        const bool onA = coin();
        const int roll = below(100);
        if (roll < 3) {
            return {Action::Kind::Category, below(14), 0, {}};
        }
        if (roll < 18) {
            return {onA ? Action::Kind::UnitA : Action::Kind::UnitB, below(model.unitCount()), 0,
                    {}};
        }
        if (roll < 70) {
            return {onA ? Action::Kind::TypeA : Action::Kind::TypeB, 0, key(), {}};
        }
        if (roll < 82) {
            Action paste{onA ? Action::Kind::PasteA : Action::Kind::PasteB, 0, 0, pasted(model)};
            if (coin()) {
                return paste;
            }
            // The text replaces what the box held: cleared first, then pasted.
            pending_ = std::move(paste);
            clearing_ = onA ? Clearing::A : Clearing::B;
            return next(model);
        }
        clearing_ = onA ? Clearing::A : Clearing::B;
        return next(model);
    }

private:
    enum class Clearing { None, A, B };

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    bool coin() { return below(2) == 0; }
    char digit() { return static_cast<char>('0' + below(10)); }
    char separator() { return coin() ? '.' : ','; }

    char16_t key() {
        const int roll = below(100);
        if (roll < 50) {
            return static_cast<char16_t>(digit());
        }
        if (roll < 58) {
            return static_cast<char16_t>(separator());
        }
        if (roll < 75) {
            return 8;
        }
        if (roll < 85) {
            return static_cast<char16_t>(below(128));
        }
        if (roll < 95) {  // any code at all, lone surrogates included
            return static_cast<char16_t>(below(0x10000));
        }
        // Keys that must be swallowed: nul, copy, paste, Enter, Escape, signs, space, the
        // narrow space, the minus sign, a full-width digit.
        constexpr char16_t kHostile[] = {0,    3,    22,       13,       27,      u'-',
                                         u'+', u' ', u'\u202F', u'\u2212', u'\uFF15'};
        return kHostile[below(static_cast<int>(std::size(kHostile)))];
    }

    std::string digits(int count) {
        std::string out;
        for (int i = 0; i < count; ++i) {
            out += digit();
        }
        return out;
    }

    std::string pasted(const SessionModel& model) {
        const int roll = below(100);
        if (roll < 40) {  // an everyday number, with or without decimals
            return digits(1 + below(8)) + (coin() ? separator() + digits(below(6)) : "");
        }
        if (roll < 50) {  // some three hundred digits: overflows when a big factor multiplies it
            return std::string(1, '1') + digits(299 + below(10));
        }
        if (roll < 53) {  // four hundred digits: beyond the double range
            return std::string(1, static_cast<char>('1' + below(9))) + digits(399);
        }
        if (roll < 58) {  // two separators
            return digits(1 + below(3)) + separator() + digits(1 + below(3)) + separator() +
                   digits(below(3));
        }
        if (roll < 64) {
            return "";
        }
        if (roll < 68) {
            constexpr const char* kBlanks[] = {" ", "\t", "  ", " \t "};
            return kBlanks[below(4)];
        }
        if (roll < 73) {  // blanks and signs around a number
            constexpr const char* kAround[] = {"", " ", "\t", "-", "+", " -", "- "};
            return kAround[below(7)] + digits(1 + below(4)) + kAround[below(7)];
        }
        if (roll < 77) {  // no ASCII digits at all, or broken UTF-8
            constexpr const char* kForeign[] = {"\u0661\u0662", "\u00BD", "\u00F1",
                                                "\u20AC5",      "\uFF15", "\u22123",
                                                "\u00BA",       "\xFF",   "\xE2\x80"};
            return kForeign[below(static_cast<int>(std::size(kForeign)))];
        }
        if (roll < 83) {  // grouped the desktop's way, or with the narrow space
            const std::string group = coin() ? "\u202F" : std::string(1, separator());
            return digits(1 + below(3)) + group + digits(3) + group + digits(3);
        }
        if (roll < 88) {  // a fraction below what four decimals show
            return "0" + std::string(1, separator()) + std::string(4 + below(400), '0') +
                   digits(1 + below(3));
        }
        if (roll < 92) {
            constexpr const char* kWords[] = {"1e5", "inf", "nan", "0x10", "Text1", "1,5e3"};
            return kWords[below(6)];
        }
        return coin() ? model.UA : model.UB;  // a rendering the program wrote, pasted back
    }

    std::mt19937 random_;
    Clearing clearing_ = Clearing::None;
    std::optional<Action> pending_;  ///< made once the box being cleared is empty
};

struct SessionRow {
    const char* name;
    NumberLocale locale;
    std::uint32_t seed;
};

class RandomSession : public ::testing::TestWithParam<SessionRow> {};

TEST_P(RandomSession, EveryActionLeavesWhatTheUserShouldSee) {
    const SessionRow& row = GetParam();
    WindowlessProgram program(row.locale);
    SessionModel model(row.locale);
    ActionSource source(row.seed);
    std::vector<Action> done;

    const auto replay = [&] {
        std::string out = "Seed " + std::to_string(row.seed) + " in the setting of " + row.name +
                          " (replay with --gtest_filter=*" + row.name + "*); actions:\n";
        for (std::size_t i = 0; i < done.size(); ++i) {
            out += "  " + std::to_string(i + 1) + ". " + describe(done[i]) + "\n";
        }
        return out;
    };

    std::string broken = checkAfter(program, model, Action{}, Before::of(program));
    ASSERT_TRUE(broken.empty()) << "At start-up:\n" << broken;
    for (int i = 0; i < kActionsPerSession; ++i) {
        const Action action = source.next(model);
        done.push_back(action);
        const Before before = Before::of(program);
        tarvel::testing::perform(program, action);
        model.apply(action);
        broken = checkAfter(program, model, action, before);
        ASSERT_TRUE(broken.empty()) << "After action " << done.size() << ", " << describe(action)
                              << ":\n"
                              << broken << replay();
    }
}

const SessionRow kSessions[] = {
    {"FullStopSeed1", kPunto, 1},
    {"FullStopSeed2", kPunto, 2},
    {"FullStopSeed3", kPunto, 3},
    {"FullStopSeed4", kPunto, 4},
    {"CommaSeed1", kComa, 1},
    {"CommaSeed2", kComa, 2},
    {"CommaSeed3", kComa, 3},
    {"CommaSeed4", kComa, 4},
    {"NarrowSpaceGroupsSeed1", kComaNarrowSpace, 1},
    {"NarrowSpaceGroupsSeed2", kComaNarrowSpace, 2},
    {"NarrowSpaceGroupsSeed3", kComaNarrowSpace, 3},
    {"NarrowSpaceGroupsSeed4", kComaNarrowSpace, 4},
};

INSTANTIATE_TEST_SUITE_P(WindowlessProgram, RandomSession, ::testing::ValuesIn(kSessions),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
