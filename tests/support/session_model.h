// A model of the converter as its user sees it, worked out with its own table of units and
// factors, its own reading of number texts and its own arithmetic, and a runner that makes
// one user action on both the program and the model and says where they part. The random
// session test and the session fuzzer both use it; it needs no test framework.
#pragma once

#include "support/number_model.h"
#include "support/windowless_program.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace tarvel::testing {

struct ModelUnit {
    std::string_view name;
    double factor;  ///< one of this unit in the category's first unit
};

struct ModelCategory {
    std::string_view name;
    std::vector<ModelUnit> units;
};

inline constexpr int kModelTemperature = 10;

/// What engineers convert by, written out here and never taken from the program's catalogue.
inline const std::array<ModelCategory, 14> kModelCatalogue = {{
    {"Longitud",
     {{"m", 1}, {"cm", 0.01}, {"mm", 0.001}, {"yd", 0.9144}, {"pie", 0.3048}, {"pulg", 0.0254},
      {"km", 1000}, {"millas", 1609.344}}},
    {"Area",
     {{"m²", 1}, {"cm²", 0.0001}, {"mm²", 0.000001}, {"yd²", 0.83612736}, {"pie²", 0.09290304},
      {"pulg²", 0.00064516}, {"km²", 1000000}, {"milla²", 2589988.110336}}},
    {"Volumen",
     {{"m³", 1}, {"cm³", 0.0000010000000000000002}, {"mm³", 0.000000001},
      {"l", 0.0010000000000000002}, {"yd³", 0.764554857984}, {"pie³", 0.028316846592000004},
      {"pulgadas³", 0.000016387064}, {"km³", 1000000000}, {"milla³", 4168181825.44058}}},
    {"Velocidad",
     {{"m/s", 1}, {"cm/s", 0.01}, {"pie/s", 0.3048}, {"Km/h", 0.2777777}, {"milla/h", 0.44704}}},
    {"Masa",
     {{"kg", 1}, {"g", 0.001}, {"lb", 0.45359237}, {"oz", 0.028349523125}, {"Ton", 1000}}},
    {"Fuerza", {{"N", 1}, {"lb", 4.45}}},
    {"Energía",
     {{"J", 1}, {"kcal", 4186.8}, {"cal", 4.1868}, {"Btu", 1055},
      {"pie·lb", 1.3560411311053984}}},
    {"Potencia",
     {{"W", 1}, {"kcal/h", 1.16279}, {"Btu/h", 0.29341155690133736}, {"ton", 3520}}},
    {"Densidad", {{"kg/m³", 1}, {"lb/pie³", 16}}},
    {"Presión",
     {{"Pa", 1}, {"Kg/cm²", 100000}, {"Lb/pulg²", 6894.649751792609}, {"atm", 101325},
      {"bar", 100000}, {"psi", 6894.75729317}, {"Torr", 133.322368421},
      {"mm.Hg.", 133.322368421}, {"mm.c.a.", 9.804295999999999}, {"pulg.c.a.", 248.84}}},
    // Converted by the temperature rule below; these numbers are never used.
    {"Temperatura", {{"ºC", 0}, {"ºF", 0}, {"ºK", 0}}},
    {"Calor específico", {{"kJ/kg·ºC", 1}, {"Btu/lb·ºF", 4.2}, {"cal/g·ºC", 4.2}}},
    {"U, coeficiente transferencia calor", {{"W/m²·ºC", 1}, {"Btu/h·pie²·ºF", 5.68}}},
    {"Caudal", {{"m³/h", 1}, {"l/s", 3.6}, {"CFM", 1.7}}},
}};

inline constexpr std::string_view kMessages[] = {
    "", "Valores no numéricos", "Error: División por cero", "Error: Desbordamiento"};
inline constexpr std::string_view kNoNumeric = kMessages[1];
inline constexpr std::string_view kZeroDivisor = kMessages[2];
inline constexpr std::string_view kOverflow = kMessages[3];

/// The factor of a unit slot: a slot past the category's last unit is empty, 0.
inline double modelFactor(int category, int unit) {
    const auto& units = kModelCatalogue[static_cast<std::size_t>(category)].units;
    return unit >= 0 && unit < static_cast<int>(units.size())
               ? units[static_cast<std::size_t>(unit)].factor
               : 0.0;
}

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
        return "paste in UA " + quoted(a.text);
    case Action::Kind::PasteB:
        return "paste in UB " + quoted(a.text);
    }
    return {};
}

/// What the user should see, kept in step with the program one action at a time.
class SessionModel {
public:
    /// The settings as the desktop gives them; the boxes start with the texts the
    /// window-less program gives them before the form fills them.
    explicit SessionModel(platform::NumberLocale desktop)
        : decimal_(utf8(desktop.decimal)),
          other_(desktop.decimal == U',' ? u'.' : u','),
          reader_(decimal_, desktop.group == 0 ? std::string{} : utf8(desktop.group)),
          output_(desktop) {
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

    [[nodiscard]] const ModelCategory& current() const {
        return kModelCatalogue[static_cast<std::size_t>(category)];
    }
    [[nodiscard]] int unitCount() const { return static_cast<int>(current().units.size()); }
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
        const std::optional<double> v = reader_.read(fromA ? UA : UB);
        const std::optional<double> start = reader_.read(fromA ? UB : UA);
        const int s = fromA ? unitA : unitB;
        const int d = fromA ? unitB : unitA;
        if (s < 0 || d < 0 || !v || !start) {
            label = kNoNumeric;
            return;
        }
        label = "";
        double r = *start;
        if (category == kModelTemperature) {
            const double celsius = s == 1 ? (*v - 32) * 0.5556 : s == 2 ? *v - 273.15 : *v;
            r = d == 0 ? celsius : d == 1 ? celsius * 1.8 + 32 : d == 2 ? celsius + 273.15 : r;
        } else {
            const double w = *v * modelFactor(category, s);
            const double divisor = modelFactor(category, d);
            if (!std::isfinite(w)) {
                label = kOverflow;
                return;
            }
            if (divisor == 0) {
                label = kZeroDivisor;
                return;
            }
            r = w / divisor;
        }
        if (!std::isfinite(r)) {
            label = kOverflow;
            return;
        }
        const std::string shown = output_.format(r);
        if (const std::string why = renderingProblem(shown, r, decimal_, reader_);
            !why.empty() && problem.empty()) {
            problem = "the result " + shortestText(r) + " shows as " + quoted(shown) + ": " + why;
        }
        (fromA ? UB : UA) = shown;
    }

    // A category change: both boxes set to "1" as plain writes (each computing with the new
    // category and the units still selected), the message emptied, both unit lists reloaded
    // and their first units selected, the second selection computing UB from UA.
    void loadUnits() {
        edit(true, "1");
        edit(false, "1");
        label = "";
        unitA = -1;
        unitB = -1;
        unitA = 0;
        recompute(false);
        unitB = 0;
        recompute(true);
    }

    std::string decimal_;
    char16_t other_;
    ModelReader reader_;
    platform::NumberText output_;
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
            out << "  " << what << ": got " << quoted(got) << ", expected " << quoted(wanted)
                << '\n';
        }
    };
    const std::string label = p.Label1.caption();
    if (p.form->esta_editando()) {
        out << "  the edit guard is still raised\n";
    }
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
    for (const ModelUnit& u : model.current().units) {
        units.emplace_back(u.name);
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
