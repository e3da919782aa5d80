// The converter form: its state, its start-up sequence and every event handler, written
// against control access only, so it runs the same behind real widgets and without a window.
#pragma once

#include "catalogue/magnitudes.h"
#include "platform/controls.h"
#include "platform/number_text.h"
#include "platform/runtime.h"

#include <optional>
#include <string>
#include <string_view>

namespace tarvel::core {

/// The texts of the message line.
inline constexpr std::string_view kSinMensaje = "";
inline constexpr std::string_view kValoresNoNumericos = "Valores no numéricos";
inline constexpr std::string_view kDivisionPorCero = "Error: División por cero";
inline constexpr std::string_view kDesbordamiento = "Error: Desbordamiento";

/// The controls the logic reads and writes.
struct Controles {
    platform::ListAccess& List1;      ///< categories
    platform::ListAccess& Combo1;     ///< unit of UA
    platform::ListAccess& Combo2;     ///< unit of UB
    platform::TextAccess& UA;         ///< value A
    platform::TextAccess& UB;         ///< value B
    platform::CaptionAccess& Label1;  ///< message line
    platform::ButtonAccess& Command1; ///< "Cerrar"
};

/// What a value box's change computes for the other box.
struct Conversion {
    std::string_view mensaje;     ///< the message line's text, kSinMensaje when it went ahead
    std::optional<double> valor;  ///< the value written, before the output pattern rounds it
    std::string texto;            ///< the text written into the other box
};

class fTarvel {
public:
    /// Creating the form wires its handlers to the controls and runs `Form_Initialize`,
    /// so the controls hold the start-up state when the constructor returns.
    fTarvel(Controles controles, platform::Runtime& runtime);
    /// Unwires every handler first: nothing of the form runs during teardown.
    ~fTarvel();
    fTarvel(const fTarvel&) = delete;
    fTarvel& operator=(const fTarvel&) = delete;

    /// What UA_Change computes when UA holds `texto`, with the lists and UB as they stand;
    /// nothing is written. The command line converts through this, as the window does.
    [[nodiscard]] Conversion convertir_UA(std::string_view texto) const;
    /// The number texts in force: the filter's decimal character is the one they read and write.
    [[nodiscard]] const platform::NumberText& textos() const { return textos_; }

private:
    // Event handlers, raised by the controls (and by each other).
    void Form_Initialize();
    void Form_Load();
    void List1_Click();
    void Combo1_Click();
    void Combo2_Click();
    void UA_Change();
    void UB_Change();
    void UA_KeyPress(char16_t& KeyAscii);
    void UB_KeyPress(char16_t& KeyAscii);
    void Command1_Click();

    // The form's own procedures.
    void CUAL_DECIMAL();
    /// Filters a typed key: the other separator becomes the decimal one; digits, the
    /// decimal separator and backspace pass; anything else becomes 0, with a beep.
    void MASK(char16_t& CODIGO);
    void meter_lista_a_combos();
    void recalcular(platform::TextAccess& origen, platform::ListAccess& unidad_origen,
                    platform::TextAccess& destino, platform::ListAccess& unidad_destino);
    [[nodiscard]] Conversion convertir(std::string_view texto, int unidad_origen,
                                       std::string_view destino, int unidad_destino) const;
    void conectar();
    void desconectar();

    Controles c_;
    platform::Runtime& runtime_;
    catalogue::Magnitudes magnitudes{};
    catalogue::Temperatura temperatura_{};
    char16_t sep_decimal = 0;
    char16_t sep_otro = 0;
    bool editando = false;
    platform::NumberText textos_;
};

}  // namespace tarvel::core
