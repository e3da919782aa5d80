// The command line with any arguments and any standard input. The first byte picks the locale
// and how many bytes each read hands over; then come NUL-separated arguments, and after an
// empty one, standard input. Whatever it is given, the command must exit 0, 1 or 2, write only
// "conversor: " lines to standard error, and in a column print exactly one line per input line.
#include "cli/conversor.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kLocales[] = {"", "C", "es_ES.UTF-8", "xx_YY"};

void fallo(const char* que, const std::string& detalle) {
    std::fprintf(stderr, "cli_fuzz: %s\n%s\n", que, detalle.c_str());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto cabecera = static_cast<unsigned char>(bytes[0]);
    const tarvel::cli::Entorno entorno{kLocales[cabecera % 4]};
    const std::size_t trozo = cabecera / 4; // 0: as much as asked

    std::vector<std::string_view> argumentos;
    std::string_view resto = bytes.substr(1);
    while (!resto.empty()) {
        const std::size_t fin = std::min(resto.find('\0'), resto.size());
        const std::string_view a = resto.substr(0, fin);
        resto.remove_prefix(std::min(fin + 1, resto.size()));
        if (a.empty()) {
            break;
        }
        argumentos.push_back(a);
    }
    tarvel::cli::EntradaDeTexto entrada(resto, trozo);
    tarvel::cli::SalidaDeTexto salida;
    tarvel::cli::SalidaDeTexto errores;
    const int estado = tarvel::cli::ejecutar(argumentos, entrada, salida, errores, entorno);

    if (estado < 0 || estado > 2) {
        fallo("exit status outside 0..2", std::to_string(estado));
    }
    for (std::size_t i = 0; i < errores.texto.size();) {
        const std::size_t fin = errores.texto.find('\n', i);
        if (fin == std::string::npos || errores.texto.compare(i, 11, "conversor: ") != 0) {
            fallo("a standard-error line that is not one whole message", errores.texto);
        }
        i = fin + 1;
    }
    // "-" is the value only where nothing else stops the command first.
    auto hay = [&](std::string_view a) {
        return std::find(argumentos.begin(), argumentos.end(), a) != argumentos.end();
    };
    const bool columna = hay("-") && !hay("--help") && !hay("-h") && !hay("--version");
    if (columna && estado != 2) {
        const auto finales = static_cast<std::size_t>(std::count(resto.begin(), resto.end(), '\n'));
        const std::size_t lineas = finales + (!resto.empty() && resto.back() != '\n' ? 1 : 0);
        const auto escritas =
            static_cast<std::size_t>(std::count(salida.texto.begin(), salida.texto.end(), '\n'));
        if (escritas != lineas) {
            fallo("a column whose output lines are not its input lines",
                  std::to_string(lineas) + " in, " + std::to_string(escritas) + " out");
        }
    }
    return 0;
}
