#pragma once
// The pipes of a series against a case: which pass at the case's own slope, which slopes each
// admits, and the smallest pipe for each question.
#include "check/evaluacion.h"
#include "check/pendientes.h"
#include "check/serie_diametros.h"

#include <optional>
#include <vector>

namespace colvero {

struct ResultadoTubo {
    Tubo tubo;
    bool cumple = false;        // every enabled condition passes at the case's slope
    std::vector<int> noCumplen; // enabled conditions that do not pass there, ascending
    FinEvaluacion fin;          // how the run at the case's slope ended
    ResultadoPendientes pendientes;
};

struct ResultadoDiametros {
    std::vector<ResultadoTubo> tubos;             // in the order of the series
    std::optional<std::size_t> menorQueCumple;    // index of the smallest passing pipe
    std::optional<std::size_t> menorConPendiente; // smallest pipe with some admissible slope
};

// Runs the case `d` (its diameter replaced by each pipe's) with the enabled conditions
// `activas`. On equal diameters the first pipe of the series is the smaller.
ResultadoDiametros diametrosAdmisibles(const Entradas& d, const Activas& activas,
                                       const std::vector<Tubo>& serie, char separadorDecimal);

// ResultadoDiametros::menorQueCumple alone: the pipes are tried from the smallest up, without
// their slopes, until one passes.
std::optional<std::size_t> menorQueCumple(const Entradas& d, const Activas& activas,
                                          const std::vector<Tubo>& serie);

} // namespace colvero
