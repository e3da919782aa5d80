#include "cli/conversor.h"

#include "catalogue/magnitudes.h"
#include "cli/nombres.h"
#include "core/ftarvel.h"
#include "core/windowless_program.h"
#include "tarvel_version.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace tarvel::cli {
namespace {

constexpr std::string_view kPrograma = "conversor";
constexpr std::string_view kVerAyuda = " (conversor --help muestra el uso)";
// Input is read and output written in blocks of this size; a block always holds a whole
// line of the longest length taken.
constexpr std::size_t kBloque = std::size_t{1} << 16;
static_assert(kBloque > kLineaMaxima + 2);

constexpr std::string_view kAyuda = R"(Modo de empleo: conversor [OPCIÓN]... VALOR ORIGEN DESTINO
  o:  conversor [OPCIÓN]... - ORIGEN DESTINO
  o:  conversor --lista [MAGNITUD]
Convierte VALOR de la unidad ORIGEN a la unidad DESTINO con las cifras que da la ventana
de Conversor de unidades: el mismo catálogo, el mismo cálculo, los mismos mensajes y el
resultado con un máximo de cuatro decimales.

Con «-» en lugar de VALOR convierte una columna: un valor por línea de la entrada
estándar y un resultado por línea en la salida estándar, en el mismo orden. Una línea
que no se puede convertir deja una línea vacía y, en la salida de errores, su número y
el mensaje de la ventana.

Opciones:
  --exacto            escribe el número calculado entero (el texto más corto que se
                      vuelve a leer igual), no redondeado a cuatro decimales
  --magnitud NOMBRE   elige la magnitud cuando las dos unidades están en varias
                      («lb» es de Masa y de Fuerza)
  --lista [MAGNITUD]  muestra las magnitudes y sus unidades, cada una con su
                      escritura ASCII y su factor tal como lo guarda el catálogo
  -h, --help          muestra esta ayuda y termina
  --version           muestra la versión y termina

Unidades:
  Por su nombre en el catálogo (m², pie³, ºC) o escritas en ASCII: ² como 2, ³ como 3,
  · como punto y sin º (m2, pie3, Lb/pulg2, Btu/h.pie2.F, kJ/kg.C, C, F, K). Primero se
  distinguen mayúsculas y minúsculas (Ton y ton son unidades distintas); sin
  distinguirlas, el nombre vale solo si coincide con una única unidad. La magnitud es la
  que contiene las dos unidades; se nombra igual, o por su comienzo («U»).

Números:
  El separador decimal es el de LC_ALL, si no el de LC_NUMERIC, si no el de LANG, con la
  misma prueba que hace la ventana, para leer y para escribir. Con coma decimal
  (es_ES.UTF-8) «1,5» es uno y medio y el punto agrupa cifras: «1.5» se lee 15. Sin
  ninguna de esas variables, con una configuración regional que el sistema no tiene
  instalada y con C o POSIX, el decimal es el punto y la coma agrupa cifras. Un VALOR
  negativo (-40) es un valor, no una opción. Una línea de más de 32767 bytes no se lee.

Estado de salida:
  0   todos los valores se convirtieron
  1   algún valor no se pudo convertir (Valores no numéricos, Error: División por
      cero, Error: Desbordamiento) o no se pudo leer la entrada o escribir la salida
  2   error de uso: unidad desconocida o ambigua, unidades de magnitudes distintas,
      argumentos incorrectos

Ejemplos:
  conversor 100 C F                    212.0 (212,0 con coma decimal)
  conversor -40 F C                    -40.0032: la ventana usa 0.5556 por 5/9
  conversor --exacto 1 psi Lb/pulg2    1.0000155978013767
  conversor --magnitud Fuerza 10 lb N  44.5
  cut -f2 caudales.tsv | conversor - CFM m3/h
                                       la segunda columna, de CFM a m³/h
)";

// ---------------------------------------------------------------------------------------
// The window's form, without a window.

class Formulario {
public:
    explicit Formulario(platform::NumberLocale locale) : programa_(locale) {}

    [[nodiscard]] const core::fTarvel& form() const { return *programa_.form; }

    /// The quantity, then the unit of UA, then that of UB, as the user picks them.
    void elegir(int magnitud, int origen, int destino) {
        programa_.List1.setSelectedIndex(magnitud);
        programa_.Combo1.setSelectedIndex(origen);
        programa_.Combo2.setSelectedIndex(destino);
    }

    /// Converts `valor` as UA_Change would with it in UA, and appends to `salida` what UB would
    /// then show (or, `exacto`, the value it rounded). Returns the message line, empty when
    /// converted.
    std::string convertir(std::string_view valor, bool exacto, std::string& salida) const {
        const core::Conversion r = form().convertir_UA(valor);
        if (r.valor) {
            salida += exacto ? form().textos().plainText(*r.valor) : r.texto;
        }
        return std::string(r.mensaje);
    }

private:
    core::WindowlessProgram programa_;
};

// ---------------------------------------------------------------------------------------
// Messages

// A name given on the command line, fit to quote: valid UTF-8 without control characters, at
// most 40 characters. Anything else becomes U+FFFD.
std::string visible(std::string_view texto) {
    std::string out;
    std::size_t caracteres = 0;
    for (std::size_t i = 0; i < texto.size(); ++caracteres) {
        if (caracteres == 40) {
            return out + "…";
        }
        const auto b = static_cast<unsigned char>(texto[i]);
        const std::size_t largo = b < 0x80                 ? 1
                                  : b >= 0xC2 && b <= 0xDF ? 2
                                  : b >= 0xE0 && b <= 0xEF ? 3
                                  : b >= 0xF0 && b <= 0xF4 ? 4
                                                           : 0;
        bool valido = largo != 0 && i + largo <= texto.size();
        char32_t c = largo == 1 ? b : b & (0x7F >> largo);
        for (std::size_t k = 1; valido && k < largo; ++k) {
            const auto s = static_cast<unsigned char>(texto[i + k]);
            valido = (s & 0xC0) == 0x80;
            c = (c << 6) | (s & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8 either.
        valido = valido && !(largo == 3 && c < 0x800) && !(largo == 4 && c < 0x10000) &&
                 !(c >= 0xD800 && c <= 0xDFFF) && c <= 0x10FFFF;
        const bool control = c < 0x20 || (c >= 0x7F && c < 0xA0);
        if (valido && !control) {
            out.append(texto.substr(i, largo));
            i += largo;
        } else {
            out += "\uFFFD";
            i += valido ? largo : 1;
        }
    }
    return out;
}

std::string entre_comillas(std::string_view texto) {
    return "«" + visible(texto) + "»";
}

// "a, b o c"
template <class Lista, class Texto> std::string enumerar(const Lista& lista, Texto texto) {
    std::string out;
    for (std::size_t i = 0; i < lista.size(); ++i) {
        if (i > 0) {
            out += i + 1 == lista.size() ? " o " : ", ";
        }
        out += texto(lista[i]);
    }
    return out;
}

class Mensajes {
public:
    explicit Mensajes(Salida& errores) : errores_(errores) {}
    int uso(const std::string& texto) {
        escribir(texto);
        return kErrorDeUso;
    }
    void escribir(const std::string& texto) {
        errores_.escribir(std::string(kPrograma) + ": " + texto + "\n");
    }

private:
    Salida& errores_;
};

// ---------------------------------------------------------------------------------------
// The command line

struct Orden {
    bool ayuda = false;
    bool version = false;
    bool lista = false;
    bool exacto = false;
    std::optional<std::string_view> magnitud;
    std::vector<std::string_view> posicionales;
    std::string error; // the first thing wrong with it
};

// A dash followed by a digit or a separator starts a negative value, not an option.
bool es_opcion(std::string_view a) {
    if (a.size() < 2 || a[0] != '-') {
        return false;
    }
    const char c = a[1];
    return !((c >= '0' && c <= '9') || c == '.' || c == ',');
}

Orden leer_orden(std::span<const std::string_view> argumentos) {
    Orden o;
    bool opciones = true;
    auto error = [&o](std::string texto) {
        if (o.error.empty()) {
            o.error = std::move(texto);
        }
    };
    for (std::size_t i = 0; i < argumentos.size(); ++i) {
        const std::string_view a = argumentos[i];
        if (!opciones || !es_opcion(a)) {
            o.posicionales.push_back(a);
            continue;
        }
        if (a == "--") {
            opciones = false;
            continue;
        }
        const std::size_t igual = a.find('=');
        const std::string_view nombre = a.substr(0, igual);
        const bool con_valor = igual != std::string_view::npos;
        if (nombre == "--magnitud") {
            if (con_valor) {
                o.magnitud = a.substr(igual + 1);
            } else if (i + 1 < argumentos.size()) {
                o.magnitud = argumentos[++i];
            } else {
                error("a --magnitud le falta el nombre de la magnitud");
            }
            continue;
        }
        bool* bandera = nombre == "--exacto"                   ? &o.exacto
                        : nombre == "--lista"                  ? &o.lista
                        : nombre == "--version"                ? &o.version
                        : nombre == "--help" || nombre == "-h" ? &o.ayuda
                                                               : nullptr;
        if (bandera == nullptr) {
            error("opción desconocida " + entre_comillas(a) + std::string(kVerAyuda));
        } else if (con_valor) {
            error("la opción " + std::string(nombre) + " no lleva valor");
        } else {
            *bandera = true;
        }
    }
    return o;
}

// One quantity by name, or a usage message.
std::optional<int> elegir_magnitud(const Nombres& nombres, std::string_view texto,
                                   Mensajes& mensajes) {
    const std::vector<int> halladas = nombres.buscar_magnitud(texto);
    if (halladas.size() == 1) {
        return halladas.front();
    }
    auto nombre = [&](int c) { return std::string(nombres.magnitud(c)); };
    if (halladas.empty()) {
        std::vector<int> todas(catalogue::kEnUso);
        for (int c = 0; c < catalogue::kEnUso; ++c) {
            todas[static_cast<std::size_t>(c)] = c;
        }
        mensajes.escribir("magnitud desconocida " + entre_comillas(texto) +
                          "; las magnitudes son " +
                          enumerar(todas, [&](int c) { return entre_comillas(nombre(c)); }));
    } else {
        mensajes.escribir("magnitud ambigua " + entre_comillas(texto) + ": " +
                          enumerar(halladas, nombre));
    }
    return std::nullopt;
}

// The units a name may be, within the chosen quantity (-1: any), or a usage message.
std::optional<std::vector<const Nombres::Unidad*>>
elegir_unidad(const Nombres& nombres, std::string_view texto, int magnitud, Mensajes& mensajes) {
    std::vector<const Nombres::Unidad*> halladas = nombres.buscar_unidad(texto, magnitud);
    if (halladas.empty()) {
        if (magnitud >= 0 && !nombres.buscar_unidad(texto, -1).empty()) {
            mensajes.escribir(entre_comillas(texto) + " no es una unidad de " +
                              std::string(nombres.magnitud(magnitud)));
            return std::nullopt;
        }
        const auto parecidas = nombres.parecidas(texto, magnitud);
        std::string texto_error = "unidad desconocida " + entre_comillas(texto);
        if (parecidas.empty()) {
            texto_error += " (conversor --lista muestra las unidades)";
        } else {
            texto_error += "; ¿quiso decir " +
                           enumerar(parecidas, [](std::string_view s) { return std::string(s); }) +
                           "?";
        }
        mensajes.escribir(texto_error);
        return std::nullopt;
    }
    // Exact matches all share one name; matches that ignore case may not.
    const bool un_nombre = std::all_of(halladas.begin(), halladas.end(), [&](const auto* u) {
        return u->nombre == halladas.front()->nombre;
    });
    if (!un_nombre) {
        mensajes.escribir("unidad ambigua " + entre_comillas(texto) + ": " +
                          enumerar(halladas, [&](const auto* u) {
                              return u->ascii + " (" + std::string(nombres.magnitud(u->magnitud)) +
                                     ")";
                          }));
        return std::nullopt;
    }
    return halladas;
}

// ---------------------------------------------------------------------------------------
// --lista

std::size_t ancho(std::string_view texto) {
    return static_cast<std::size_t>(std::count_if(texto.begin(), texto.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

void listar(const core::fTarvel& form, const catalogue::Magnitudes& catalogo,
            const Nombres& nombres, int sola, std::string& out) {
    const int temperatura = catalogue::temperatura(catalogo).magnitud;
    std::size_t ancho_nombre = 0;
    std::size_t ancho_ascii = 0;
    for (const auto& u : nombres.unidades()) {
        ancho_nombre = std::max(ancho_nombre, ancho(u.nombre));
        ancho_ascii = std::max(ancho_ascii, u.ascii.size());
    }
    int anterior = -1;
    for (const auto& u : nombres.unidades()) {
        if (sola >= 0 && u.magnitud != sola) {
            continue;
        }
        const auto& m = catalogo[static_cast<std::size_t>(u.magnitud)];
        if (u.magnitud != anterior) {
            out += anterior >= 0 ? "\n" : "";
            out += m.nombre;
            out += u.magnitud == temperatura
                       ? " (su propia regla; los factores guardados no se usan)\n"
                       : " (factores en " + std::string(m.unidad[0]) + ")\n";
            anterior = u.magnitud;
        }
        out += "  ";
        out += u.nombre;
        out.append(ancho_nombre - ancho(u.nombre) + 2, ' ');
        out += u.ascii;
        out.append(ancho_ascii - u.ascii.size() + 2, ' ');
        out += form.textos().plainText(m.factor[static_cast<std::size_t>(u.indice)]);
        out += '\n';
    }
}

// ---------------------------------------------------------------------------------------
// Conversions

class Conversion {
public:
    Conversion(Formulario& formulario, bool exacto, Salida& salida, Salida& errores)
        : formulario_(formulario), exacto_(exacto), salida_(salida), errores_(errores) {
        resultados_.reserve(kBloque + kLineaMaxima);
    }

    /// Converts one value and queues its line; `linea` 0 for the one value of the command.
    /// A line that was not kept whole (`entera` false) is only known to be too long.
    void valor(std::string_view texto, std::size_t linea, bool entera = true) {
        std::string mensaje;
        if (!entera || texto.size() > kLineaMaxima) {
            mensaje = std::string(core::kValoresNoNumericos) + " (más de " +
                      std::to_string(kLineaMaxima) + " bytes)";
        } else {
            mensaje = formulario_.convertir(texto, exacto_, resultados_);
        }
        if (linea > 0 || mensaje.empty()) {
            resultados_ += '\n';
        }
        if (!mensaje.empty()) {
            fallidos_ = true;
            mensajes_ += std::string(kPrograma) + ": ";
            mensajes_ += linea > 0 ? "línea " + std::to_string(linea) + ": " : "";
            mensajes_ += mensaje;
            mensajes_ += '\n';
        }
        if (resultados_.size() >= kBloque || mensajes_.size() >= kBloque) {
            vaciar();
        }
    }

    /// Writes what is queued; false once a write has failed.
    bool vaciar() {
        if (!mensajes_.empty()) {
            errores_.escribir(mensajes_);
            mensajes_.clear();
        }
        if (!resultados_.empty()) {
            escrito_ = salida_.escribir(resultados_) && escrito_;
            resultados_.clear();
        }
        return escrito_;
    }

    [[nodiscard]] bool fallidos() const { return fallidos_; }

private:
    Formulario& formulario_;
    bool exacto_;
    Salida& salida_;
    Salida& errores_;
    std::string resultados_;
    std::string mensajes_;
    bool fallidos_ = false;
    bool escrito_ = true;
};

// One value per line: LF or CRLF ends a line, a last line may lack it, a byte-order mark may
// open the stream. Output is written whenever the input has no more ready, so a terminal sees
// each result at once and a file is copied in big blocks.
int columna(Conversion& conversion, Entrada& entrada, Mensajes& mensajes) {
    const auto bloque = std::make_unique<char[]>(kBloque);
    char* const datos = bloque.get();
    std::size_t inicio = 0;
    std::size_t fin = 0;
    std::size_t linea = 0;
    bool saltando = false; // inside a line too long to keep, until its end
    bool terminada = false;
    auto una_linea = [&](std::string_view texto) {
        ++linea;
        if (linea == 1 && texto.starts_with("\xEF\xBB\xBF")) {
            texto.remove_prefix(3);
        }
        if (texto.ends_with('\r')) {
            texto.remove_suffix(1);
        }
        conversion.valor(texto, linea, !saltando);
        saltando = false;
    };
    while (true) {
        while (const void* salto = std::memchr(datos + inicio, '\n', fin - inicio)) {
            const auto largo =
                static_cast<std::size_t>(static_cast<const char*>(salto) - datos) - inicio;
            una_linea({datos + inicio, largo});
            inicio += largo + 1;
        }
        if (terminada) {
            if (inicio < fin || saltando) {
                una_linea({datos + inicio, fin - inicio});
            }
            break;
        }
        const std::size_t pendiente = fin - inicio;
        if (saltando || pendiente > kLineaMaxima + 1) {
            saltando = true;
            inicio = fin = 0;
        } else {
            std::memmove(datos, datos + inicio, pendiente);
            inicio = 0;
            fin = pendiente;
        }
        if (!conversion.vaciar()) {
            break;
        }
        const std::optional<std::size_t> leidos = entrada.leer(datos + fin, kBloque - fin);
        if (!leidos) {
            conversion.vaciar();
            mensajes.escribir("no se pudo leer la entrada");
            return kSinConvertir;
        }
        terminada = *leidos == 0;
        fin += *leidos;
    }
    if (!conversion.vaciar()) {
        mensajes.escribir("no se pudo escribir la salida");
        return kSinConvertir;
    }
    return conversion.fallidos() ? kSinConvertir : kConvertido;
}

int convertir(const Orden& orden, Formulario& formulario, const Nombres& nombres, Entrada& entrada,
              Salida& salida, Mensajes& mensajes, Salida& errores) {
    if (orden.posicionales.size() < 3) {
        return mensajes.uso("faltan argumentos: conversor VALOR ORIGEN DESTINO" +
                            std::string(kVerAyuda));
    }
    if (orden.posicionales.size() > 3) {
        return mensajes.uso("sobra " + entre_comillas(orden.posicionales[3]) +
                            std::string(kVerAyuda));
    }
    int magnitud = -1;
    if (orden.magnitud) {
        const auto elegida = elegir_magnitud(nombres, *orden.magnitud, mensajes);
        if (!elegida) {
            return kErrorDeUso;
        }
        magnitud = *elegida;
    }
    const std::string_view texto_origen = orden.posicionales[1];
    const std::string_view texto_destino = orden.posicionales[2];
    const auto origen = elegir_unidad(nombres, texto_origen, magnitud, mensajes);
    if (!origen) {
        return kErrorDeUso;
    }
    const auto destino = elegir_unidad(nombres, texto_destino, magnitud, mensajes);
    if (!destino) {
        return kErrorDeUso;
    }
    // The quantities holding both units, in catalogue order.
    std::vector<std::pair<int, int>> pares; // unit index in each
    std::vector<int> comunes;
    for (const auto* a : *origen) {
        for (const auto* b : *destino) {
            if (a->magnitud == b->magnitud) {
                comunes.push_back(a->magnitud);
                pares.emplace_back(a->indice, b->indice);
            }
        }
    }
    auto magnitudes_de = [&](const std::vector<const Nombres::Unidad*>& unidades) {
        return enumerar(unidades,
                        [&](const auto* u) { return std::string(nombres.magnitud(u->magnitud)); });
    };
    if (comunes.empty()) {
        return mensajes.uso(entre_comillas(texto_origen) + " (" + magnitudes_de(*origen) + ") y " +
                            entre_comillas(texto_destino) + " (" + magnitudes_de(*destino) +
                            ") son de magnitudes distintas");
    }
    if (comunes.size() > 1) {
        return mensajes.uso(
            entre_comillas(texto_origen) + " y " + entre_comillas(texto_destino) +
            " están en varias magnitudes (" +
            enumerar(comunes, [&](int c) { return std::string(nombres.magnitud(c)); }) +
            "); elija una con --magnitud");
    }
    formulario.elegir(comunes.front(), pares.front().first, pares.front().second);

    Conversion conversion(formulario, orden.exacto, salida, errores);
    if (orden.posicionales[0] == "-") {
        return columna(conversion, entrada, mensajes);
    }
    conversion.valor(orden.posicionales[0], 0);
    if (!conversion.vaciar()) {
        mensajes.escribir("no se pudo escribir la salida");
        return kSinConvertir;
    }
    return conversion.fallidos() ? kSinConvertir : kConvertido;
}

} // namespace

std::optional<std::size_t> EntradaDeTexto::leer(char* destino, std::size_t n) {
    n = std::min({n, texto_.size(), trozo_ == 0 ? n : trozo_});
    std::memcpy(destino, texto_.data(), n);
    texto_.remove_prefix(n);
    return n;
}

int ejecutar(std::span<const std::string_view> argumentos, Entrada& entrada, Salida& salida,
             Salida& errores, const Entorno& entorno) {
    const Orden orden = leer_orden(argumentos);
    Mensajes mensajes(errores);
    if (orden.ayuda) {
        return salida.escribir(kAyuda) ? kConvertido : kSinConvertir;
    }
    if (orden.version) {
        const std::string version =
            std::string(kPrograma) + " (Conversor de unidades) " + std::string(kVersion) + "\n";
        return salida.escribir(version) ? kConvertido : kSinConvertir;
    }
    if (!orden.error.empty()) {
        return mensajes.uso(orden.error);
    }

    Formulario formulario(numero_del_entorno(entorno));
    const catalogue::Magnitudes catalogo = catalogue::construir_magnitudes();
    const Nombres nombres(catalogo);
    if (!orden.lista) {
        return convertir(orden, formulario, nombres, entrada, salida, mensajes, errores);
    }

    if (orden.exacto || orden.posicionales.size() + (orden.magnitud ? 1 : 0) > 1) {
        return mensajes.uso("--lista admite solo el nombre de una magnitud" +
                            std::string(kVerAyuda));
    }
    int sola = -1;
    if (!orden.posicionales.empty() || orden.magnitud) {
        const auto elegida = elegir_magnitud(
            nombres, orden.magnitud ? *orden.magnitud : orden.posicionales[0], mensajes);
        if (!elegida) {
            return kErrorDeUso;
        }
        sola = *elegida;
    }
    std::string lista;
    listar(formulario.form(), catalogo, nombres, sola, lista);
    return salida.escribir(lista) ? kConvertido : kSinConvertir;
}

} // namespace tarvel::cli
