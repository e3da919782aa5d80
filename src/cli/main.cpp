// conversor: the converter's figures on the command line. See `conversor --help`.
#include "cli/conversor.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
// After windows.h, which it needs.
#include <io.h>
#include <shellapi.h>
#else
#include <unistd.h>
#endif

namespace {

using tarvel::cli::Entrada;
using tarvel::cli::Salida;

#ifdef _WIN32
// The C runtime's text mode turns CRLF into LF on the way in and LF into CRLF on the way out,
// as Windows programs expect.
long long leer_fd(int fd, char* destino, std::size_t n) {
    return _read(fd, destino, static_cast<unsigned>(std::min<std::size_t>(n, 1u << 30)));
}
long long escribir_fd(int fd, const char* datos, std::size_t n) {
    return _write(fd, datos, static_cast<unsigned>(std::min<std::size_t>(n, 1u << 30)));
}
#else
long long leer_fd(int fd, char* destino, std::size_t n) {
    return ::read(fd, destino, n);
}
long long escribir_fd(int fd, const char* datos, std::size_t n) {
    return ::write(fd, datos, n);
}
#endif

// Straight on the file descriptors: the program buffers in blocks of its own.
class EntradaEstandar final : public Entrada {
public:
    std::optional<std::size_t> leer(char* destino, std::size_t n) override {
        while (true) {
            const long long r = leer_fd(0, destino, n);
            if (r >= 0) {
                return static_cast<std::size_t>(r);
            }
            if (errno != EINTR) {
                return std::nullopt;
            }
        }
    }
};

class SalidaEstandar final : public Salida {
public:
    explicit SalidaEstandar(int fd) : fd_(fd) {}
    bool escribir(std::string_view bytes) override {
        while (!bytes.empty()) {
            const long long r = escribir_fd(fd_, bytes.data(), bytes.size());
            if (r < 0 && errno == EINTR) {
                continue;
            }
            if (r <= 0) {
                return false;
            }
            bytes.remove_prefix(static_cast<std::size_t>(r));
        }
        return true;
    }

private:
    int fd_;
};

std::string variable(const char* nombre) {
#ifdef _WIN32
    // MSVC deprecates getenv; the locale names are ASCII anyway.
    std::string valor(256, '\0');
    const DWORD n = GetEnvironmentVariableA(nombre, valor.data(), 256);
    valor.resize(n < 256 ? n : 0);
    return valor;
#else
    const char* valor = std::getenv(nombre);
    return valor == nullptr ? std::string{} : std::string(valor);
#endif
}

#ifdef _WIN32
// Unit names such as "m²" arrive intact only through the wide command line.
std::vector<std::string> argumentos_utf8() {
    std::vector<std::string> out;
    int n = 0;
    wchar_t** w = CommandLineToArgvW(GetCommandLineW(), &n);
    for (int i = 1; w != nullptr && i < n; ++i) {
        const int largo = WideCharToMultiByte(CP_UTF8, 0, w[i], -1, nullptr, 0, nullptr, nullptr);
        std::string s(static_cast<std::size_t>(largo > 0 ? largo : 1), '\0');
        WideCharToMultiByte(CP_UTF8, 0, w[i], -1, s.data(), largo, nullptr, nullptr);
        s.resize(s.size() - 1); // the terminating NUL
        out.push_back(std::move(s));
    }
    LocalFree(w);
    return out;
}

// A console shows the program's UTF-8 as such while it runs, and as before afterwards.
class ConsolaUtf8 {
public:
    ConsolaUtf8() : antes_(GetConsoleOutputCP()) { SetConsoleOutputCP(CP_UTF8); }
    ~ConsolaUtf8() { SetConsoleOutputCP(antes_); }
    ConsolaUtf8(const ConsolaUtf8&) = delete;
    ConsolaUtf8& operator=(const ConsolaUtf8&) = delete;

private:
    UINT antes_;
};
#endif

} // namespace

int main(int argc, char* argv[]) {
#ifdef _WIN32
    (void)argc;
    (void)argv;
    const ConsolaUtf8 consola;
    const std::vector<std::string> textos = argumentos_utf8();
#else
    const std::vector<std::string> textos(argv + (argc > 0 ? 1 : 0), argv + argc);
#endif
    const std::vector<std::string_view> argumentos(textos.begin(), textos.end());
    EntradaEstandar entrada;
    SalidaEstandar salida(1);
    SalidaEstandar errores(2);
    const std::string lc_all = variable("LC_ALL");
    const std::string lc_numeric = variable("LC_NUMERIC");
    const std::string lang = variable("LANG");
    const tarvel::cli::Entorno entorno{lc_all, lc_numeric, lang};
    return tarvel::cli::ejecutar(argumentos, entrada, salida, errores, entorno);
}
