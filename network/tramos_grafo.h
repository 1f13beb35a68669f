#pragma once
// A network model turned into the inputs of the check, reach by reach: what a row of the
// network table gives today (reach, D, n, i, seven flows), plus the graph data the outputs
// show (end nodes, length, inverts, where the flows came from).
#include "files/informe_swmm.h"
#include "network/acumulacion.h"
#include "network/comprobacion_red.h"
#include "network/modelo_red.h"
#include "network/topologia.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace colvero::red {

enum class OrigenCaudales { Tabla, Informe, Acumulado };

// "tabla", "informe", "acumulado".
const char* textoOrigen(OrigenCaudales origen);

struct TramoGrafo {
    size_t enlace = 0; // index in the model
    std::string tramo;
    std::string desde, hasta;
    double longitud = 0;                       // m
    std::optional<double> cotaInicio, cotaFin; // m
    double D = 0;                              // m
    double n = 0;
    double i = 0; // m/m; NaN when not known
    int barriles = 1;
    // The flow of each condition for one barrel (the reach's flow over its barrels), m3/s;
    // none where no source gives it.
    std::array<std::optional<double>, 7> Q{};
    std::array<OrigenCaudales, 7> origenQ{};
    OrigenCaudales origen = OrigenCaudales::Tabla; // the most derived origin of its flows
    std::optional<Acumulado> acumulado;            // Qa and Qs of derived flows
    // Flow names the hypothesis gives to derived flows; empty where the criterion's stand.
    std::array<std::string, 7> denominacion{};
    std::string omitido; // not checked, and why («no es un conducto»...); no failure
    std::string error;   // cannot be checked: the row error
};

// The reaches of `m`, one per link in the model's order. The flow of each condition is the
// one the model gives, else the report's maximum flow (a conduit the report lacks is a row
// error), else, with a hypothesis, the flow derived from the loads. Nothing, and `error` says
// why, when the topology refuses the model or refuses to derive flows from loads.
std::optional<std::vector<TramoGrafo>> tramosDeModelo(const ModeloRed& m, const Topologia& t,
                                                      const InformeSwmm* informe,
                                                      const Hipotesis* hipotesis,
                                                      std::string& error);

} // namespace colvero::red
