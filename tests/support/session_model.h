// A model of the converter as its user sees it, and a runner that makes one user action on
// both the program and the model and says where they part. The model keeps the session's own
// state (which category and units are chosen, which box a change writes, the message, the
// beeps) by its own rules; a figure it takes from a new form shown the same category, units
// and texts, so a session checks that its history changes no figure, while the figures
// themselves are the golden table's (golden_test.cpp). The random session test, the session
// fuzzer and the web replay use it; it needs no test framework.
#pragma once

#include "support/number_model.h"
#include "support/windowless_program.h"

#include <cstdio>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace tarvel::testing {

inline constexpr std::string_view kMessages[] = {
    "", "Valores no numéricos", "Error: División por cero", "Error: Desbordamiento"};
inline constexpr std::string_view kNoNumeric = kMessages[1];
inline constexpr std::string_view kZeroDivisor = kMessages[2];
inline constexpr std::string_view kOverflow = kMessages[3];

// The test's own quoting is named in full below: under libc++ a std::string argument would
// also find std::quoted, where <iomanip> came in first.

/// One thing the user does.
struct Action {
    enum class Kind { Category, UnitA, UnitB, TypeA, TypeB, PasteA, PasteB };
    Kind kind = Kind::Category;
    int index = 0;       ///< a category or unit position
    char16_t code = 0;   ///< a typed key
    std::string text;    ///< a pasted text

    [[nodiscard]] bool edits() const { return kind >= Kind::TypeA; }
    [[nodiscard]] bool onA() const { return kind == Kind::TypeA || kind == Kind::PasteA; }
};

inline std::string describe(const Action& a) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(a.code));
    switch (a.kind) {
    case Action::Kind::Category:
        return "category " + std::to_string(a.index);
    case Action::Kind::UnitA:
        return "unit of UA " + std::to_string(a.index);
    case Action::Kind::UnitB:
        return "unit of UB " + std::to_string(a.index);
    case Action::Kind::TypeA:
        return std::string("type in UA ") + code;
    case Action::Kind::TypeB:
        return std::string("type in UB ") + code;
    case Action::Kind::PasteA:
        return "paste in UA " + tarvel::testing::quoted(a.text);
    case Action::Kind::PasteB:
        return "paste in UB " + tarvel::testing::quoted(a.text);
    }
    return {};
}

/// What the user should see, kept in step with the program one action at a time.
class SessionModel {
public:
    /// The settings as the desktop gives them; the boxes start with the texts the
    /// window-less program gives them before the form fills them.
    explicit SessionModel(platform::NumberLocale desktop)
        : desktop_(desktop),
          decimal_(utf8(desktop.decimal)),
          other_(desktop.decimal == U',' ? u'.' : u','),
          reader_(decimal_, desktop.group == 0 ? std::string{} : utf8(desktop.group)) {
        category = 0;  // the first row is selected, then the units are loaded once more
        loadUnits();
        loadUnits();
    }

    int category = -1;
    int unitA = -1;
    int unitB = -1;
    std::string UA = "Text1";
    std::string UB = "Text2";
    std::string label;
    int beeps = 0;
    /// Set when the program's output pattern wrote a result unsoundly.
    std::string problem;

    [[nodiscard]] const catalogue::Magnitud& current() const {
        return catalogo_[static_cast<std::size_t>(category)];
    }
    [[nodiscard]] int unitCount() const { return current().ultimo + 1; }
    [[nodiscard]] const ModelReader& reader() const { return reader_; }

    void apply(const Action& a) {
        switch (a.kind) {
        case Action::Kind::Category:
            if (a.index != category) {
                category = a.index;
                loadUnits();
            }
            break;
        case Action::Kind::UnitA:  // UA is re-expressed from UB
            if (a.index != unitA) {
                unitA = a.index;
                recompute(false);
            }
            break;
        case Action::Kind::UnitB:
            if (a.index != unitB) {
                unitB = a.index;
                recompute(true);
            }
            break;
        case Action::Kind::TypeA:
        case Action::Kind::TypeB:
            type(a.onA(), a.code);
            break;
        case Action::Kind::PasteA:
        case Action::Kind::PasteB:
            edit(a.onA(), (a.onA() ? UA : UB) + a.text);
            break;
        }
    }

private:
    // Digits, either separator (as the decimal one) and backspace reach the box; every other
    // key is swallowed with a beep.
    void type(bool onA, char16_t code) {
        std::string text = onA ? UA : UB;
        if (code == 8) {
            while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80) {
                text.pop_back();
            }
            if (!text.empty()) {
                text.pop_back();
            }
        } else if (code == u'.' || code == u',') {
            text += code == other_ ? decimal_ : std::string(1, static_cast<char>(code));
        } else if (code >= u'0' && code <= u'9') {
            text += static_cast<char>(code);
        } else {
            ++beeps;
            return;
        }
        edit(onA, text);
    }

    void edit(bool onA, const std::string& text) {
        std::string& box = onA ? UA : UB;
        if (box != text) {
            box = text;
            recompute(onA);
        }
    }

    void recompute(bool fromA) {
        WindowlessProgram fresh(desktop_);
        fresh.List1.setSelectedIndex(listed_);
        fresh.Combo1.setSelectedIndex(fromA ? unitA : unitB);
        fresh.Combo2.setSelectedIndex(fromA ? unitB : unitA);
        if (category != listed_) {
            // While a category loads, the unit lists still hold the last one's units: List1
            // moves on here without the form hearing of it.
            fresh.List1.setClickHandler({});
            fresh.List1.setSelectedIndex(category);
        }
        fresh.UB.setText(fromA ? UB : UA);
        const core::Conversion r = fresh.form->convertir_UA(fromA ? UA : UB);
        label = r.mensaje;
        if (!r.valor) {
            return;
        }
        if (const std::string why = renderingProblem(r.texto, *r.valor, decimal_, reader_);
            !why.empty() && problem.empty()) {
            problem = "the result " + shortestText(*r.valor) + " shows as " +
                      tarvel::testing::quoted(r.texto) + ": " + why;
        }
        (fromA ? UB : UA) = r.texto;
    }

    // A category change: both boxes set to "1" as plain writes (each computing with the new
    // category and the units still selected), the message emptied, both unit lists reloaded
    // and their first units selected, the second selection computing UB from UA.
    void loadUnits() {
        edit(true, "1");
        edit(false, "1");
        label = "";
        listed_ = category;
        unitA = -1;
        unitB = -1;
        unitA = 0;
        recompute(false);
        unitB = 0;
        recompute(true);
    }

    platform::NumberLocale desktop_;
    int listed_ = 0;  ///< the category whose units the unit lists hold
    catalogue::Magnitudes catalogo_ = catalogue::construir_magnitudes();
    std::string decimal_;
    char16_t other_;
    ModelReader reader_;
};

/// Makes one action on the program, as the user would.
inline void perform(WindowlessProgram& p, const Action& a) {
    switch (a.kind) {
    case Action::Kind::Category:
        p.List1.setSelectedIndex(a.index);
        break;
    case Action::Kind::UnitA:
        p.Combo1.setSelectedIndex(a.index);
        break;
    case Action::Kind::UnitB:
        p.Combo2.setSelectedIndex(a.index);
        break;
    case Action::Kind::TypeA:
        p.UA.type(a.code);
        break;
    case Action::Kind::TypeB:
        p.UB.type(a.code);
        break;
    case Action::Kind::PasteA:
        p.UA.paste(a.text);
        break;
    case Action::Kind::PasteB:
        p.UB.paste(a.text);
        break;
    }
}

/// What the program showed before an action, to tell what the action changed.
struct Before {
    std::string UA;
    std::string UB;
    int category = -1;

    static Before of(const WindowlessProgram& p) {
        return {p.UA.text(), p.UB.text(), p.List1.selectedIndex()};
    }
};

/// Everything that must hold after `a`, given the program's boxes before it. Returns "" when
/// all holds, else every broken point, one per line. `model` must already have applied `a`.
inline std::string checkAfter(const WindowlessProgram& p, const SessionModel& model,
                              const Action& a, const Before& before) {
    std::ostringstream out;
    const auto expect = [&out](bool ok, std::string_view what, const std::string& got,
                               const std::string& wanted) {
        if (!ok) {
            out << "  " << what << ": got " << tarvel::testing::quoted(got) << ", expected "
                << tarvel::testing::quoted(wanted) << '\n';
        }
    };
    const std::string label = p.Label1.caption();
    bool known = false;
    for (const std::string_view m : kMessages) {
        known = known || label == m;
    }
    expect(known, "Label1 holds no message of the program", label, "one of its messages");
    expect(label != kZeroDivisor, "a zero divisor was reported after the action ended", label, "");

    // Both unit lists hold exactly the category's units, each with a unit selected.
    expect(p.List1.selectedIndex() == model.category, "category",
           std::to_string(p.List1.selectedIndex()), std::to_string(model.category));
    std::vector<std::string> units;
    for (int u = 0; u < model.unitCount(); ++u) {
        units.emplace_back(model.current().unidad[static_cast<std::size_t>(u)]);
    }
    for (const platform::WindowlessList* combo : {&p.Combo1, &p.Combo2}) {
        const char* name = combo == &p.Combo1 ? "Combo1" : "Combo2";
        std::string got;
        std::string wanted;
        for (const std::string& item : combo->items()) {
            got += item + ";";
        }
        for (const std::string& item : units) {
            wanted += item + ";";
        }
        expect(got == wanted, std::string(name) + " items", got, wanted);
        const int selected = combo->selectedIndex();
        expect(selected >= 0 && selected < static_cast<int>(units.size()),
               std::string(name) + " selection", std::to_string(selected), "a unit");
    }

    // A computation refused with a message leaves its target box as it was: the other box
    // after an edit, the box whose unit was chosen after a unit choice.
    const bool targetIsA = a.kind == Action::Kind::UnitA || (a.edits() && !a.onA());
    const std::string& targetBefore = targetIsA ? before.UA : before.UB;
    const std::string target = targetIsA ? p.UA.text() : p.UB.text();
    if (!label.empty() && a.kind != Action::Kind::Category) {
        expect(target == targetBefore, "the target box after a refused computation", target,
               targetBefore);
    }
    // A category change ends with no message, whatever came before.
    if (a.kind == Action::Kind::Category && before.category != model.category) {
        expect(label.empty(), "Label1 after a category change", label, "");
    }
    // A message-free state has a number in both boxes.
    if (label.empty()) {
        expect(model.reader().read(p.UA.text()).has_value(), "UA with no message", p.UA.text(),
               "a number");
        expect(model.reader().read(p.UB.text()).has_value(), "UB with no message", p.UB.text(),
               "a number");
    }

    // And all of it as the model worked it out.
    expect(p.UA.text() == model.UA, "UA", p.UA.text(), model.UA);
    expect(p.UB.text() == model.UB, "UB", p.UB.text(), model.UB);
    expect(label == model.label, "Label1", label, model.label);
    expect(p.Combo1.selectedIndex() == model.unitA, "Combo1 selection",
           std::to_string(p.Combo1.selectedIndex()), std::to_string(model.unitA));
    expect(p.Combo2.selectedIndex() == model.unitB, "Combo2 selection",
           std::to_string(p.Combo2.selectedIndex()), std::to_string(model.unitB));
    expect(p.runtime.beeps() == model.beeps, "beeps", std::to_string(p.runtime.beeps()),
           std::to_string(model.beeps));
    if (!model.problem.empty()) {
        out << "  " << model.problem << '\n';
    }
    return out.str();
}

}  // namespace tarvel::testing
