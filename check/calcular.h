#pragma once
// Calcular: the one calculation of the program. It works on the texts and flags of a case,
// updates the stored values and returns the texts that the window shows afterwards.
#include "check/calculo.h"
#include "check/evaluacion.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace colvero {

// Status texts of NotaCalC.
inline constexpr const char* kSinRealizar = "CALCULO SIN REALIZAR";
inline constexpr const char* kRealizado = "CÁLCULO REALIZADO";
inline constexpr const char* kDatosErroneos = "Datos de entrada erroneos";

// How a run ended.
enum class FinCalculo {
    ColectorInvalido, // stopped at the collector data; message in notaCol, NotaCalC stays "-"
    Error,            // error exit: "Datos de entrada erroneos"
    Realizado,        // completed: "CÁLCULO REALIZADO", the report button is enabled
};

// The 22 numeric input fields, in the order Calcular converts them.
enum class CampoNumerico {
    D,
    n,
    i,
    Q1,
    Q2,
    Vmax,
    Q3,
    Vmin,
    Q4,
    yDmax,
    Q5,
    gammaAgua,
    gammaParticula,
    dpMin,
    Q6,
    Fmin,
    Q7,
    Fmax,
    Imin,
    Imax,
    yD10,
    Vmin10,
};

// Spanish name of an input field, for messages outside the window ("Caudal de la condición (2)").
const char* nombreCampo(CampoNumerico campo);

// Texts of the eleven computed fields, by control name. "-" until a run completes.
struct CamposCalculados {
    std::string Text37 = "-"; // Qll, condition 1
    std::string Text38 = "-"; // v2, condition 2
    std::string Text47 = "-"; // v3, condition 3
    std::string Text52 = "-"; // y/D4, condition 4
    std::string Text55 = "-"; // Rh, condition 5
    std::string Text19 = "-"; // dp, condition 5
    std::string Text59 = "-"; // F6, condition 6
    std::string Text60 = "-"; // F7, condition 7
    std::string Text62 = "-"; // i, condition 8
    std::string Text61 = "-"; // i, condition 9
    std::string Text73 = "-"; // v10, condition 10
    bool operator==(const CamposCalculados&) const = default;
};

// The computed fields of each condition after a run, with the caption the window puts
// beside them.
struct ValorCalculado {
    const char* etiqueta;
    const std::string CamposCalculados::*campo;
};

inline const std::array<std::vector<ValorCalculado>, 10> kValoresCalculados{{
    {{"Qll (m3/s)", &CamposCalculados::Text37}},
    {{"v2 (m/s)", &CamposCalculados::Text38}},
    {{"v3 (m/s)", &CamposCalculados::Text47}},
    {{"y/D4 (%)", &CamposCalculados::Text52}},
    {{"Rh (m)", &CamposCalculados::Text55}, {"dp (mm)", &CamposCalculados::Text19}},
    {{"F6", &CamposCalculados::Text59}},
    {{"F7", &CamposCalculados::Text60}},
    {{"i (m/m)", &CamposCalculados::Text62}},
    {{"i (m/m)", &CamposCalculados::Text61}},
    {{"v10 (m/s)", &CamposCalculados::Text73}},
}};

// Everything a run writes into the window besides the stored values.
struct ResultadoCalculo {
    FinCalculo fin = FinCalculo::Error;
    std::string notaCalC = "-";
    std::string notaCol = "-";
    std::array<std::string, 10> notas{"-", "-", "-", "-", "-", "-", "-", "-", "-", "-"};
    CamposCalculados campos;
    // The first field whose text is not a number, when that ended the run.
    std::optional<CampoNumerico> campoErroneo;
    // The outcome of each condition as a value (index 0 is condition 1), with its two-depth
    // flag: the verdict texts above are written from these. NoEvaluada where the run did not
    // evaluate the condition.
    std::array<ResultadoCondicion, 10> condiciones{};
    // Command6 is enabled only by a completed run; otherwise it keeps its state.
    bool habilitaInforme() const { return fin == FinCalculo::Realizado; }
};

// The converted inputs of a case, in the order Calcular converts them; nothing when a text is
// not a number, and then `campoErroneo` (when given) names the first such field.
std::optional<Entradas> convertirEntradas(const Calculo& calculo, char separadorDecimal,
                                          std::optional<CampoNumerico>* campoErroneo = nullptr);

// The verdict line of condition k (1..10) as Calcular writes it; "-" when not evaluated.
std::string lineaVeredicto(int k, const ResultadoCondicion& resultado);

// Runs Calcular on a case. `guardados` are the stored values of the window: the run
// overwrites those it computes. `separadorDecimal` is the decimal separator of the user's
// locale ('.' or ',').
ResultadoCalculo calcular(const Calculo& calculo, ValoresGuardados& guardados,
                          char separadorDecimal);

// The texts of a run from its evaluation `ev` of the converted inputs `d`: what calcular()
// returns once the conversion succeeded. Updates `guardados` as calcular() does.
ResultadoCalculo resultadoDeEvaluacion(const Entradas& d, const Evaluacion& ev,
                                       ValoresGuardados& guardados, char separadorDecimal);

} // namespace colvero
