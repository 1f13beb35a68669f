#pragma once
// The numbers of a longitudinal profile along a path: per node its distance, ground and
// inverts, per reach its data, the engine's verdict and the normal depth of two of its flows.
// Elevations and distances in metres, flows in m3/s, velocities in m/s.
#include "hydraulics/estado_flujo.h"
#include "network/comprobacion_red.h"
#include "network/fuente_red.h"
#include "network/tramos_grafo.h"
#include "profile/trayecto.h"

#include <QByteArray>

#include <optional>
#include <string>
#include <vector>

namespace colvero::perfil {

struct NodoPerfil {
    std::string nombre;
    double distancia = 0;              // from the first node, along the path's links
    std::optional<double> cotaTerreno; // ground
    // Invert of the incoming path reach at its end and of the outgoing one at its start; none
    // at the ends of the path and beside a link that is not a conduit.
    std::optional<double> soleraEntrada, soleraSalida;
    double soleraMinima = 0; // the lowest of those and the node's own invert: the manhole floor
    std::optional<double> profundidad; // ground − soleraMinima

    // Entry minus exit invert: positive at a drop manhole; 0 where either is missing.
    double salto() const;
};

// The uniform flow of one flow in a reach, as the engine finds it (TEO4).
struct NormalPerfil {
    double Q = 0;  // m3/s, per barrel
    double y = 0;  // depth, m
    double yD = 0; // %
    double v = 0;  // m/s
};

enum class ClasePerfil { Cumple, NoCumple, SinComprobar };

struct TramoPerfil {
    // The reach as the network gives it to the engine: its name, D (m), n, i (m/m, NaN when
    // not known), barrels, flows and why it is not checked.
    red::TramoGrafo datos;
    double inicio = 0, fin = 0; // distances of its two nodes
    // Inverts and length of a conduit; none and 0 for a link that is not one.
    std::optional<double> cotaInicio, cotaFin;
    double longitud = 0;
    std::optional<double> Q1, Q3; // per barrel, as the engine takes them
    // Normal flow of Q1 and Q3; none when the flow exceeds the section's largest flow, is not
    // positive, or the reach is not checked.
    std::optional<NormalPerfil> normal1, normal3;
    ClasePerfil clase = ClasePerfil::SinComprobar;
    // The verdicts that fail, shortened: "(2) V2 > Vmax", "(4) Capacidad insuficiente".
    std::vector<std::string> fallos;
    // Why the reach is not checked or has no verdict (its row error, «no es un conducto»...,
    // or the lines of its conditions in error); empty otherwise.
    std::string motivo;

    // A circular conduit the engine checks (or would, but for its data).
    bool conducto() const { return datos.omitido.empty(); }
    // Water surface at the reach's two ends for a normal flow: invert + y (uniform flow).
    std::optional<double> lamina(const std::optional<NormalPerfil>& normal, bool alFinal) const;
};

struct Perfil {
    std::vector<NodoPerfil> nodos;
    std::vector<TramoPerfil> tramos; // tramos[k] joins nodos[k] and nodos[k + 1]
    double longitud() const { return nodos.empty() ? 0 : nodos.back().distancia; }
};

// The profile of `tr` in `g`, with the checked reaches `trabajos` (one per link of the path,
// in its order, as comprobarTrabajo left them; std::invalid_argument for another count).
Perfil perfilDe(const red::RedGrafo& g, const Trayecto& tr,
                const std::vector<red::Trabajo>& trabajos);

// Checks the reaches of `tr` as a network check with the options `o` does (`rutaFuente`
// locates the criteria and series named in rows; no admissible slopes, no result table) and
// returns their Trabajo in the order of the path.
std::vector<red::Trabajo> comprobarTrayecto(const red::RedGrafo& g, const Trayecto& tr,
                                            const QByteArray& rutaFuente,
                                            const red::CriterioListo& criterio,
                                            const red::OpcionesRed& o = {});

// The uniform flow of `Q` in a collector: the engine's steps for conditions 2 to 7 (the
// section's largest flow, then TEO4); none when Q is not positive, exceeds that flow, or the
// core fails.
std::optional<NormalPerfil> flujoNormalDe(double Q, double D, double n, double i);

} // namespace colvero::perfil
