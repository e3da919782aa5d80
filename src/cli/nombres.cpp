#include "cli/nombres.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <utility>

namespace tarvel::cli {
namespace {

// The non-ASCII characters of the catalogue's names and what a keyboard types instead. The
// degree sign is not in the catalogue (it writes the ordinal indicator), but it is what most
// people type for it, so it is left out the same way.
constexpr std::array<std::pair<std::string_view, std::string_view>, 7> kAscii = {{
    {"\u00B2", "2"}, // ²
    {"\u00B3", "3"}, // ³
    {"\u00B7", "."}, // ·
    {"\u00BA", ""},  // º
    {"\u00B0", ""},  // °
    {"\u00ED", "i"}, // í
    {"\u00F3", "o"}, // ó
}};

std::string minusculas(std::string_view texto) {
    std::string s(texto);
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return s;
}

// Edit distance, for suggestions only: both texts are short.
std::size_t distancia(std::string_view a, std::string_view b) {
    std::vector<std::size_t> fila(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) {
        fila[j] = j;
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = fila[0];
        fila[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t arriba = fila[j];
            fila[j] =
                std::min({fila[j] + 1, fila[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = arriba;
        }
    }
    return fila[b.size()];
}

} // namespace

std::string escritura_ascii(std::string_view nombre) {
    std::string out;
    out.reserve(nombre.size());
    for (std::size_t i = 0; i < nombre.size();) {
        const auto it = std::find_if(kAscii.begin(), kAscii.end(), [&](const auto& par) {
            return nombre.substr(i, par.first.size()) == par.first;
        });
        if (it != kAscii.end()) {
            out += it->second;
            i += it->first.size();
        } else {
            out += nombre[i++];
        }
    }
    return out;
}

Nombres::Nombres(const catalogue::Magnitudes& catalogo) : catalogo_(catalogo) {
    for (int c = 0; c < catalogue::kEnUso; ++c) {
        const auto& m = catalogo[static_cast<std::size_t>(c)];
        magnitudes_ascii_.push_back(escritura_ascii(m.nombre));
        for (int u = 0; u <= m.ultimo; ++u) {
            const std::string_view nombre = m.unidad[static_cast<std::size_t>(u)];
            unidades_.push_back({c, u, nombre, escritura_ascii(nombre)});
        }
    }
}

std::string_view Nombres::magnitud(int indice) const {
    return catalogo_[static_cast<std::size_t>(indice)].nombre;
}

std::vector<const Nombres::Unidad*> Nombres::buscar_unidad(std::string_view texto,
                                                           int magnitud) const {
    // A name that is exactly some unit's never stands for another one by its case, even
    // where that unit is not in the chosen quantity.
    const std::string ascii = escritura_ascii(texto);
    const std::string buscada = minusculas(ascii);
    bool exacta = false;
    std::vector<const Unidad*> out;
    for (const Unidad& u : unidades_) {
        const bool igual = u.ascii == ascii;
        if (igual && !exacta) {
            exacta = true;
            out.clear();
        }
        const bool vale = igual || (!exacta && minusculas(u.ascii) == buscada);
        if (vale && (magnitud < 0 || u.magnitud == magnitud)) {
            out.push_back(&u);
        }
    }
    return out;
}

std::vector<std::string_view> Nombres::parecidas(std::string_view texto, int magnitud) const {
    const std::string buscada = minusculas(escritura_ascii(texto.substr(0, 64)));
    std::vector<std::pair<std::size_t, std::string_view>> cerca;
    for (const Unidad& u : unidades_) {
        if (magnitud >= 0 && u.magnitud != magnitud) {
            continue;
        }
        const std::size_t d = distancia(buscada, minusculas(u.ascii));
        const bool repetida = std::any_of(cerca.begin(), cerca.end(),
                                          [&](const auto& p) { return p.second == u.ascii; });
        if (d <= 2 && d < buscada.size() && !repetida) {
            cerca.emplace_back(d, u.ascii);
        }
    }
    std::stable_sort(cerca.begin(), cerca.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string_view> out;
    for (std::size_t i = 0; i < cerca.size() && i < 4; ++i) {
        out.push_back(cerca[i].second);
    }
    return out;
}

std::vector<int> Nombres::buscar_magnitud(std::string_view texto) const {
    const std::string ascii = escritura_ascii(texto);
    const std::string buscada = minusculas(ascii);
    std::vector<int> exactas;
    std::vector<int> sin_mayusculas;
    std::vector<int> por_el_principio;
    for (int c = 0; c < catalogue::kEnUso; ++c) {
        const std::string& nombre = magnitudes_ascii_[static_cast<std::size_t>(c)];
        const std::string bajo = minusculas(nombre);
        if (nombre == ascii) {
            exactas.push_back(c);
        } else if (bajo == buscada) {
            sin_mayusculas.push_back(c);
        } else if (!buscada.empty() && bajo.starts_with(buscada)) {
            por_el_principio.push_back(c);
        }
    }
    if (!exactas.empty()) {
        return exactas;
    }
    return sin_mayusculas.empty() ? por_el_principio : sin_mayusculas;
}

} // namespace tarvel::cli
