#pragma once
// A case as one completed Calcular leaves it: the window's texts (ResultadoCalculo) together with
// the numbers behind them, from which the chart and the calculation note are drawn.
#include "chart/grafico.h"
#include "check/calcular.h"
#include "check/calculo.h"
#include "check/evaluacion.h"

#include <optional>

namespace colvero::nota {

struct CasoCalculado {
    Calculo calculo;            // the texts and flags the run read
    ResultadoCalculo resultado; // what the window shows: fin is FinCalculo::Realizado
    Entradas entradas;          // the converted inputs
    Evaluacion evaluacion;      // the numeric outcome of the same run
};

// The case of a completed run: `resultado` is what calcular() returned for `calculo` (the
// window passes its own, whose stored-value fields may come from earlier runs). Nothing when
// the run did not complete.
std::optional<CasoCalculado>
casoCalculado(const Calculo& calculo, const ResultadoCalculo& resultado, char separadorDecimal);

// Runs Calcular on `calculo` from fresh stored values, as a command-line run does; nothing
// when it does not complete.
std::optional<CasoCalculado> calcularCaso(const Calculo& calculo, char separadorDecimal);

// What the chart shows of an evaluation: the design points of the conditions 2 to 7 that
// computed a normal flow, and the criteria of the enabled conditions 2, 3, 4 and 10, turned
// into ratios with the full section (seccionLlena) of the collector D, n, i.
grafico::DatosGrafico datosGrafico(const Entradas& entradas, const Activas& activas,
                                   const Evaluacion& evaluacion);
grafico::DatosGrafico datosGrafico(const CasoCalculado& caso);

} // namespace colvero::nota
