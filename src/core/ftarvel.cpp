#include "core/ftarvel.h"

#include <cmath>
#include <optional>

namespace tarvel::core {
namespace {

using catalogue::kMagnitudes;
using catalogue::kUnidades;
using catalogue::Temperatura;

constexpr char16_t kComa = u',';
constexpr char16_t kPunto = u'.';
constexpr char16_t kRetroceso = 8;

// The temperature rule's own constants: 0.5556 is a rounded 5/9, and it stays, because the
// values engineers compare against were produced with it.
constexpr double kDeFahrenheit = 0.5556;
constexpr double kAFahrenheit = 1.8;
constexpr double kCeroAbsoluto = 273.15;

double a_celsius(const Temperatura& t, int unidad, double v) {
    if (unidad == t.fahrenheit) {
        return (v - 32) * kDeFahrenheit;
    }
    if (unidad == t.kelvin) {
        return v - kCeroAbsoluto;
    }
    return v;
}

// An unknown target unit leaves the starting value, so the box is merely re-rendered.
double de_celsius(const Temperatura& t, int unidad, double c, double inicial) {
    if (unidad == t.celsius) {
        return c;
    }
    if (unidad == t.fahrenheit) {
        return c * kAFahrenheit + 32;
    }
    if (unidad == t.kelvin) {
        return c + kCeroAbsoluto;
    }
    return inicial;
}

}  // namespace

fTarvel::fTarvel(Controles controles, platform::Runtime& runtime)
    : c_(controles), runtime_(runtime) {
    conectar();
    Form_Initialize();
}

fTarvel::~fTarvel() { desconectar(); }

void fTarvel::conectar() {
    c_.List1.setClickHandler([this] { List1_Click(); });
    c_.Combo1.setClickHandler([this] { Combo1_Click(); });
    c_.Combo2.setClickHandler([this] { Combo2_Click(); });
    c_.UA.setChangeHandler([this] { UA_Change(); });
    c_.UB.setChangeHandler([this] { UB_Change(); });
    c_.UA.setKeyPressHandler([this](char16_t& k) { UA_KeyPress(k); });
    c_.UB.setKeyPressHandler([this](char16_t& k) { UB_KeyPress(k); });
    c_.Command1.setClickHandler([this] { Command1_Click(); });
}

void fTarvel::desconectar() {
    c_.List1.setClickHandler({});
    c_.Combo1.setClickHandler({});
    c_.Combo2.setClickHandler({});
    c_.UA.setChangeHandler({});
    c_.UB.setChangeHandler({});
    c_.UA.setKeyPressHandler({});
    c_.UB.setKeyPressHandler({});
    c_.Command1.setClickHandler({});
}

void fTarvel::Form_Initialize() {
    // The load runs to its end before any control is touched.
    Form_Load();
    c_.List1.clear();
    for (int i = 0; i < catalogue::kEnUso; ++i) {
        c_.List1.append(magnitudes[static_cast<std::size_t>(i)].nombre);
    }
    c_.List1.setSelectedIndex(0);  // raises List1_Click
    meter_lista_a_combos();
}

void fTarvel::Form_Load() {
    CUAL_DECIMAL();
    editando = false;
    magnitudes = catalogue::construir_magnitudes();
    temperatura_ = catalogue::temperatura(magnitudes);
}

void fTarvel::CUAL_DECIMAL() {
    const platform::NumberLocale escritorio = runtime_.numberLocale();
    const std::optional<double> prueba = platform::NumberText(escritorio).read("1.3");
    // "1.3" reads as 13 where the full stop groups digits. Where it is no number at all,
    // the desktop's own decimal character decides, and anything but a comma means the
    // full stop: the filter, the reader and the output must all agree on one character.
    const bool coma = prueba ? *prueba > 10 : escritorio.decimal == U',';
    sep_decimal = coma ? kComa : kPunto;
    sep_otro = coma ? kPunto : kComa;
    textos_ = platform::NumberText({sep_decimal, escritorio.group});
}

void fTarvel::MASK(char16_t& CODIGO) {
    if (CODIGO == sep_otro) {
        CODIGO = sep_decimal;
    }
    if (CODIGO == sep_decimal || CODIGO == sep_otro) {
        return;
    }
    if (!textos_.isNumeric(platform::textFromCode(CODIGO)) && CODIGO != kRetroceso) {
        CODIGO = 0;
        runtime_.beep();
    }
}

void fTarvel::UA_KeyPress(char16_t& KeyAscii) { MASK(KeyAscii); }
void fTarvel::UB_KeyPress(char16_t& KeyAscii) { MASK(KeyAscii); }

void fTarvel::UA_Change() { recalcular(c_.UA, c_.Combo1, c_.UB, c_.Combo2); }
void fTarvel::UB_Change() { recalcular(c_.UB, c_.Combo2, c_.UA, c_.Combo1); }

void fTarvel::recalcular(platform::TextAccess& origen, platform::ListAccess& unidad_origen,
                         platform::TextAccess& destino, platform::ListAccess& unidad_destino) {
    if (editando) {
        return;  // our own write into the other box
    }
    const Conversion r = convertir(origen.text(), unidad_origen.selectedIndex(), destino.text(),
                                   unidad_destino.selectedIndex());
    if (r.mensaje == kValoresNoNumericos) {
        c_.Label1.setCaption(r.mensaje);
        return;
    }
    // The line is cleared before the computation, and an error then takes its place.
    c_.Label1.setCaption(kSinMensaje);
    if (!r.valor) {
        c_.Label1.setCaption(r.mensaje);
        return;
    }
    editando = true;
    destino.setText(r.texto);
    editando = false;
}

Conversion fTarvel::convertir_UA(std::string_view texto) const {
    return convertir(texto, c_.Combo1.selectedIndex(), c_.UB.text(), c_.Combo2.selectedIndex());
}

Conversion fTarvel::convertir(std::string_view texto, int s, std::string_view destino,
                              int d) const {
    const std::optional<double> v = textos_.read(texto);
    const std::optional<double> inicial = textos_.read(destino);
    const int c = c_.List1.selectedIndex();
    // Both boxes must hold numbers and every list a selection. A category or unit index
    // outside the table cannot come from the lists; refusing it keeps every read in bounds.
    const bool en_tabla = c >= 0 && c < kMagnitudes && s < kUnidades && d < kUnidades;
    if (s < 0 || d < 0 || !v || !inicial || !en_tabla) {
        return {kValoresNoNumericos, std::nullopt, {}};
    }

    double r = *inicial;
    if (c == temperatura_.magnitud) {
        r = de_celsius(temperatura_, d, a_celsius(temperatura_, s, *v), *inicial);
    } else {
        const auto& m = magnitudes[static_cast<std::size_t>(c)];
        const double w = *v * m.factor[static_cast<std::size_t>(s)];
        const double divisor = m.factor[static_cast<std::size_t>(d)];
        if (std::isfinite(w) && divisor == 0) {
            return {kDivisionPorCero, std::nullopt, {}};
        }
        r = w / divisor;
    }
    // A result past the double range has no text; say so and keep the other box.
    if (!std::isfinite(r)) {
        return {kDesbordamiento, std::nullopt, {}};
    }
    return {kSinMensaje, r, textos_.format(r)};
}

void fTarvel::meter_lista_a_combos() {
    // Plain writes, unguarded: each raises its box's handler with the new category and the
    // units still selected from before; the later steps overwrite what those runs leave.
    const std::string uno = textos_.plainText(1);
    c_.UA.setText(uno);
    c_.UB.setText(uno);
    c_.Label1.setCaption(kSinMensaje);
    c_.Combo1.clear();
    c_.Combo2.clear();
    const int c = c_.List1.selectedIndex();
    if (c >= 0 && c < kMagnitudes) {
        const auto& m = magnitudes[static_cast<std::size_t>(c)];
        for (int i = 0; i <= m.ultimo; ++i) {
            c_.Combo1.append(m.unidad[static_cast<std::size_t>(i)]);
            c_.Combo2.append(m.unidad[static_cast<std::size_t>(i)]);
        }
    }
    c_.Combo1.setSelectedIndex(0);  // raises Combo1_Click: UB_Change meets an empty Combo2
    c_.Combo2.setSelectedIndex(0);  // raises Combo2_Click: UB recomputed from UA
}

void fTarvel::List1_Click() { meter_lista_a_combos(); }
void fTarvel::Combo1_Click() { UB_Change(); }
void fTarvel::Combo2_Click() { UA_Change(); }
void fTarvel::Command1_Click() { runtime_.end(); }

}  // namespace tarvel::core
