// A random session of keys a real keyboard types, choices and pastes, played on the
// window-less program: prints the start-up state, then each action and the state after it,
// one JSON object a line, for the page's test to play the same actions in a browser and
// compare every step. The session model checks the window-less program on the way.
// Usage: web_replay random SEED STEPS comma|stop
//        web_replay script comma|stop < ACTIONS   (lines "typeA 49", "unitB 2", "pasteA 1,5")
#include "support/session_model.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <random>
#include <sstream>
#include <string>

namespace {

using namespace tarvel::testing;

std::string json(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string items(const tarvel::platform::WindowlessList& list) {
    std::string out;
    for (const std::string& item : list.items()) {
        out += (out.empty() ? "" : ";") + item;
    }
    return out;
}

std::string state(const WindowlessProgram& p) {
    return "{\"UA\":" + json(p.UA.text()) + ",\"UB\":" + json(p.UB.text()) +
           ",\"Label1\":" + json(p.Label1.caption()) +
           ",\"List1\":" + std::to_string(p.List1.selectedIndex()) +
           ",\"Combo1\":" + std::to_string(p.Combo1.selectedIndex()) +
           ",\"Combo2\":" + std::to_string(p.Combo2.selectedIndex()) +
           ",\"beeps\":" + std::to_string(p.runtime.beeps()) +
           ",\"units\":" + json(items(p.Combo1)) + ",\"units2\":" + json(items(p.Combo2)) + "}";
}

const char* const kKinds[] = {"category", "unitA", "unitB", "typeA", "typeB", "pasteA", "pasteB"};

std::string action(const Action& a) {
    return "{\"kind\":\"" + std::string(kKinds[static_cast<int>(a.kind)]) +
           "\",\"index\":" + std::to_string(a.index) + ",\"code\":" + std::to_string(a.code) +
           ",\"text\":" + json(a.text) + "}";
}

// Plays one action on the program and the model, prints it with the state after it.
bool play(WindowlessProgram& p, SessionModel& model, const Action& a) {
    const Before before = Before::of(p);
    perform(p, a);
    model.apply(a);
    const std::string broken = checkAfter(p, model, a, before);
    std::printf("{\"action\":%s,\"state\":%s,\"model\":%s}\n", action(a).c_str(),
                state(p).c_str(), json(broken).c_str());
    return broken.empty();
}

// An action written as a line: its kind, then an index, a UTF-16 key code or a pasted text.
bool parse(const std::string& line, Action& a) {
    const std::size_t space = line.find(' ');
    const std::string kind = line.substr(0, space);
    const std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
    for (int k = 0; k < static_cast<int>(std::size(kKinds)); ++k) {
        if (kind == kKinds[k]) {
            a = {static_cast<Action::Kind>(k), 0, 0, {}};
            if (k >= static_cast<int>(Action::Kind::PasteA)) {
                a.text = rest;
            } else if (k >= static_cast<int>(Action::Kind::TypeA)) {
                a.code = static_cast<char16_t>(std::strtoul(rest.c_str(), nullptr, 10));
            } else {
                a.index = std::atoi(rest.c_str());
            }
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (!((mode == "random" && argc == 5) || (mode == "script" && argc == 3))) {
        std::fputs("usage: web_replay random SEED STEPS comma|stop | script comma|stop\n", stderr);
        return 2;
    }
    const auto locale = std::string(argv[argc - 1]) == "comma" ? kComa : kPunto;
    WindowlessProgram p(locale);
    SessionModel model(locale);
    std::printf("{\"start\":%s}\n", state(p).c_str());
    int failures = 0;
    if (mode == "script") {
        std::string line;
        while (std::getline(std::cin, line)) {
            Action a;
            if (!parse(line, a)) {
                std::fprintf(stderr, "web_replay: not an action: %s\n", line.c_str());
                return 2;
            }
            failures += play(p, model, a) ? 0 : 1;
        }
        return failures == 0 ? 0 : 1;
    }

    std::mt19937 random(static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 10)));
    const int steps = std::atoi(argv[3]);
    const auto below = [&random](int n) {
        return std::uniform_int_distribution<int>(0, n - 1)(random);
    };
    // What a keyboard types into a value box: digits most, both separators, Backspace, and
    // keys the filter refuses.
    const std::u16string keys = u"01234567890123456789.,\b\b\b\ba-+ xE";
    const char* const pastes[] = {"25", "1.5", "1,5", "abc", "", "3000000", "1e5"};
    for (int i = 0; i < steps; ++i) {
        const int roll = below(100);
        const bool onA = below(2) == 0;
        Action a;
        if (roll < 5) {
            a = {Action::Kind::Category, below(14), 0, {}};
        } else if (roll < 20) {
            a = {onA ? Action::Kind::UnitA : Action::Kind::UnitB, below(model.unitCount()), 0, {}};
        } else if (roll < 95) {
            a = {onA ? Action::Kind::TypeA : Action::Kind::TypeB, 0,
                 keys[static_cast<std::size_t>(below(static_cast<int>(keys.size())))], {}};
        } else {
            a = {onA ? Action::Kind::PasteA : Action::Kind::PasteB, 0, 0,
                 pastes[below(static_cast<int>(std::size(pastes)))]};
        }
        failures += play(p, model, a) ? 0 : 1;
    }
    return failures == 0 ? 0 : 1;
}
