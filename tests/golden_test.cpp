// The conversions of tests/golden/conversions.tsv, every row played on a new window-less form
// as a user would (category, unit A, unit B, the box emptied key by key, the text pasted) and
// given to the command line, both compared with the texts the table holds. The table is
// literal: written once from the program, never from this code.
#include "cli/conversor.h"
#include "support/session_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#ifndef GOLDEN_FILE
#error "GOLDEN_FILE must name tests/golden/conversions.tsv as a string literal"
#endif

namespace {

using namespace tarvel::testing;

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> out;
    std::stringstream in(line);
    std::string field;
    while (std::getline(in, field, '\t')) out.push_back(field);
    if (!line.empty() && line.back() == '\t') out.emplace_back();
    return out;
}

int position(const tarvel::platform::WindowlessList& list, const std::string& name) {
    const auto& items = list.items();
    const auto at = std::find(items.begin(), items.end(), name);
    return at == items.end() ? -1 : static_cast<int>(at - items.begin());
}

// Plays every row of LOCALE ("comma" or "stop"); returns how many it played.
int playRows(const std::string& locale) {
    std::ifstream in(GOLDEN_FILE);
    EXPECT_TRUE(in) << "cannot read " << GOLDEN_FILE;
    int played = 0, shown = 0, line_number = 0;
    std::string line;
    while (std::getline(in, line)) {
        ++line_number;
        if (line.empty() || line[0] == '#') continue;
        const std::vector<std::string> f = fields(line);
        if (f.size() != 9) {
            ADD_FAILURE() << "line " << line_number << " has " << f.size() << " fields";
            continue;
        }
        if (f[0] != locale) continue;
        WindowlessProgram p(locale == "comma" ? kComa : kPunto);
        const bool onA = f[4] == "A";
        perform(p, {Action::Kind::Category, std::stoi(f[1]), 0, {}});
        perform(p, {Action::Kind::UnitA, position(p.Combo1, f[2]), 0, {}});
        perform(p, {Action::Kind::UnitB, position(p.Combo2, f[3]), 0, {}});
        for (int i = 0; i < 60; ++i) {
            perform(p, {onA ? Action::Kind::TypeA : Action::Kind::TypeB, 0, u'\b', {}});
        }
        if (!f[5].empty()) {
            perform(p, {onA ? Action::Kind::PasteA : Action::Kind::PasteB, 0, 0, f[5]});
        }
        ++played;
        const std::string got[] = {p.UA.text(), p.UB.text(), p.Label1.caption()};
        if ((got[0] != f[6] || got[1] != f[7] || got[2] != f[8]) && shown++ < 10) {
            ADD_FAILURE() << "line " << line_number << " (" << f[2] << " -> " << f[3] << ", "
                          << f[4] << " \"" << f[5].substr(0, 40) << "\"): shows \""
                          << got[0].substr(0, 40) << "\" \"" << got[1].substr(0, 40) << "\" \""
                          << got[2] << "\", the table \"" << f[6].substr(0, 40) << "\" \""
                          << f[7].substr(0, 40) << "\" \"" << f[8] << "\"";
        }
    }
    return played;
}

// Converts every row's text on the command line, from the edited box's unit to the other's, in
// the row's locale: the other box's text, or the message, as the table has them.
int convertRows(const std::string& locale) {
    std::ifstream in(GOLDEN_FILE);
    EXPECT_TRUE(in) << "cannot read " << GOLDEN_FILE;
    const auto catalogo = tarvel::catalogue::construir_magnitudes();
    const tarvel::cli::Entorno entorno{locale == "comma" ? "es_ES.UTF-8" : "C"};
    int converted = 0, shown = 0, line_number = 0;
    std::string line;
    while (std::getline(in, line)) {
        ++line_number;
        const std::vector<std::string> f = fields(line);
        if (line.empty() || line[0] == '#' || f.size() != 9 || f[0] != locale) continue;
        const bool onA = f[4] == "A";
        const std::string magnitud(catalogo[static_cast<std::size_t>(std::stoi(f[1]))].nombre);
        const std::vector<std::string_view> args{"--magnitud", magnitud, f[5], onA ? f[2] : f[3],
                                                 onA ? f[3] : f[2]};
        tarvel::cli::EntradaDeTexto nothing("");
        tarvel::cli::SalidaDeTexto out, err;
        const int status = tarvel::cli::ejecutar(args, nothing, out, err, entorno);
        const std::string& other = onA ? f[7] : f[6];
        const bool ok = f[8].empty() ? status == 0 && out.texto == other + "\n" && err.texto.empty()
                                     : status == 1 && out.texto.empty() &&
                                           err.texto == "conversor: " + f[8] + "\n";
        ++converted;
        if (!ok && shown++ < 10) {
            ADD_FAILURE() << "line " << line_number << " (" << args[3] << " -> " << args[4]
                          << " \"" << f[5].substr(0, 40) << "\"): printed \""
                          << out.texto.substr(0, 40) << "\" and \"" << err.texto
                          << "\", the table \"" << other.substr(0, 40) << "\" \"" << f[8] << "\"";
        }
    }
    return converted;
}

TEST(Golden, EveryCommaRowAsTheTableHasIt) { EXPECT_GT(playRows("comma"), 2000); }
TEST(Golden, EveryStopRowAsTheTableHasIt) { EXPECT_GT(playRows("stop"), 100); }

TEST(Golden, EveryStopRowOnTheCommandLine) { EXPECT_GT(convertRows("stop"), 100); }

TEST(Golden, EveryCommaRowOnTheCommandLine) {
#if defined(__EMSCRIPTEN__)
    GTEST_SKIP() << "no comma locale in emscripten's C library";
#endif
    ASSERT_EQ(tarvel::cli::numero_del_entorno({"es_ES.UTF-8"}).decimal, U',')
        << "es_ES.UTF-8 is missing: source scripts/deps.sh; tarvel_locale es_ES.UTF-8";
    EXPECT_GT(convertRows("comma"), 2000);
}

}  // namespace
