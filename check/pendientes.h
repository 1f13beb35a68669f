#pragma once
// The admissible slopes of a case: the slopes i in [kPendienteMinima, kPendienteMaxima] at
// which every enabled condition passes, exactly as evaluar() decides it at that slope.
#include "check/evaluacion.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace colvero {

inline constexpr double kPendienteMinima = 1e-7; // m/m
inline constexpr double kPendienteMaxima = 1.0;  // m/m

// Grid points per decade of the sweep over the range: the answer is what evaluating every
// grid slope and every halving between two grid slopes of different verdict gives. A change of
// verdict and its way back both between two neighbouring grid slopes go unseen (with tiny
// flows the verdicts waver within a grid step).
inline constexpr int kPuntosPorDecada = 24;
// Every kAnclasCada-th grid slope is evaluated first. Any other slope is evaluated only where
// the margin bounds of the slopes evaluated so far do not prove its outcome (see Certezas in
// pendientes.cpp): the answer stays the very same doubles.
inline constexpr std::size_t kAnclasCada = 24;

// One end of an interval of admissible slopes.
struct ExtremoPendiente {
    double valor = 0;     // the bound, m/m
    bool incluido = true; // whether `valor` itself is admissible
    int condicion = 0;    // the condition whose change of verdict is this end
    // Shown value. Read back as the case's slope, it passes every enabled condition when the
    // end is included and fails some when it is excluded (condition 8's Imin, or an end whose
    // run holds no value that passes).
    std::string texto;
};

// Admissible slopes from `minima` to `maxima`; an end that is the end of the searched range
// is absent.
struct IntervaloPendientes {
    std::optional<ExtremoPendiente> minima;
    std::optional<ExtremoPendiente> maxima;
};

enum class FinPendientes {
    ColectorInvalido, // n or D rejected; `motivo` holds the message
    Error,            // arithmetic error: "Datos de entrada erroneos"
    Realizado,
};

struct ResultadoPendientes {
    FinPendientes fin = FinPendientes::Realizado;
    std::vector<IntervaloPendientes> intervalos; // ascending; empty when nothing passes
    std::string motivo;                          // why nothing passes, in Spanish
    int evaluaciones = 0;                        // conditions evaluated, one at one slope
};

// The admissible slopes of the case `d` (its own slope is ignored) with the enabled conditions
// `activas`. Shown values use `separadorDecimal`.
ResultadoPendientes pendientesAdmisibles(const Entradas& d, const Activas& activas,
                                         char separadorDecimal);

// The shown text of a bound: 4 significant digits (more when needed) rounded towards the
// inside of [minima, maxima], such that it reads back (leerNumero) within it. `esMinima`
// tells which end `x` is.
std::string textoExtremo(double x, bool esMinima, double minima, double maxima,
                         char separadorDecimal);

} // namespace colvero
