// The conversions of tests/golden/conversions.tsv, every row played on a new window-less form
// as a user would (category, unit A, unit B, the box emptied key by key, the text pasted) and
// given to the command line, both compared with the texts the table holds. The table is
// literal: written once from the program, never from this code.
#include "cli/conversor.h"
#include "support/golden.h"
#include "support/session_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#ifndef GOLDEN_FILE
#error "GOLDEN_FILE must name tests/golden/conversions.tsv as a string literal"
#endif

namespace {

using namespace tarvel::testing;

int position(const tarvel::platform::WindowlessList& list, const std::string& name) {
    const auto& items = list.items();
    const auto at = std::find(items.begin(), items.end(), name);
    return at == items.end() ? -1 : static_cast<int>(at - items.begin());
}

const std::vector<GoldenRow>& table() {
    static const std::vector<GoldenRow> rows = readGolden(GOLDEN_FILE);
    return rows;
}

// Plays every row of LOCALE ("comma" or "stop"); returns how many it played.
int playRows(const std::string& locale) {
    EXPECT_GT(table().size(), 2000u) << "cannot read " << GOLDEN_FILE;
    int played = 0, shown = 0;
    for (const GoldenRow& row : table()) {
        if (row.category < 0) {
            ADD_FAILURE() << "line " << row.line << " has not nine fields";
            continue;
        }
        if (row.locale != locale) continue;
        WindowlessProgram p(locale == "comma" ? kComa : kPunto);
        perform(p, {Action::Kind::Category, row.category, 0, {}});
        perform(p, {Action::Kind::UnitA, position(p.Combo1, row.unitA), 0, {}});
        perform(p, {Action::Kind::UnitB, position(p.Combo2, row.unitB), 0, {}});
        for (int i = 0; i < 60; ++i) {
            perform(p, {row.onA ? Action::Kind::TypeA : Action::Kind::TypeB, 0, u'\b', {}});
        }
        if (!row.text.empty()) {
            perform(p, {row.onA ? Action::Kind::PasteA : Action::Kind::PasteB, 0, 0, row.text});
        }
        ++played;
        const std::string got[] = {p.UA.text(), p.UB.text(), p.Label1.caption()};
        if ((got[0] != row.UA || got[1] != row.UB || got[2] != row.message) && shown++ < 10) {
            ADD_FAILURE() << "line " << row.line << " (" << row.unitA << " -> " << row.unitB
                          << ", " << (row.onA ? "A" : "B") << " \"" << row.text.substr(0, 40)
                          << "\"): shows \"" << got[0].substr(0, 40) << "\" \""
                          << got[1].substr(0, 40) << "\" \"" << got[2] << "\", the table \""
                          << row.UA.substr(0, 40) << "\" \"" << row.UB.substr(0, 40) << "\" \""
                          << row.message << "\"";
        }
    }
    return played;
}

// Converts every row's text on the command line, from the edited box's unit to the other's, in
// the row's locale: the other box's text, or the message, as the table has them.
int convertRows(const std::string& locale) {
    const auto catalogo = tarvel::catalogue::construir_magnitudes();
    const tarvel::cli::Entorno entorno{locale == "comma" ? "es_ES.UTF-8" : "C"};
    int converted = 0, shown = 0;
    for (const GoldenRow& row : table()) {
        if (row.category < 0 || row.locale != locale) continue;
        const std::string magnitud(catalogo[static_cast<std::size_t>(row.category)].nombre);
        const std::vector<std::string_view> args{"--magnitud", magnitud, row.text,
                                                 row.onA ? row.unitA : row.unitB,
                                                 row.onA ? row.unitB : row.unitA};
        tarvel::cli::EntradaDeTexto nothing("");
        tarvel::cli::SalidaDeTexto out, err;
        const int status = tarvel::cli::ejecutar(args, nothing, out, err, entorno);
        const std::string& other = row.onA ? row.UB : row.UA;
        const bool ok = row.message.empty()
                            ? status == 0 && out.texto == other + "\n" && err.texto.empty()
                            : status == 1 && out.texto.empty() &&
                                  err.texto == "conversor: " + row.message + "\n";
        ++converted;
        if (!ok && shown++ < 10) {
            ADD_FAILURE() << "line " << row.line << " (" << args[3] << " -> " << args[4]
                          << " \"" << row.text.substr(0, 40) << "\"): printed \""
                          << out.texto.substr(0, 40) << "\" and \"" << err.texto
                          << "\", the table \"" << other.substr(0, 40) << "\" \""
                          << row.message << "\"";
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
