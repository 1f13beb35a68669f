#pragma once
// A small network with a drop manhole for the profile tests: P1 → P2 → P3 (drop of 2 m) → P4
// → S (outfall), and a branch L1 → P2. Conduits of 0.5 m, n = 0.013.
#include "files/archivos.h"
#include "network/comprobacion_red.h"
#include "network/fuente_red.h"
#include "network/topologia.h"
#include "network/tramos_grafo.h"

#include "../network/modelo_prueba.h"

#include <stdexcept>

namespace colvero::perfil::prueba {

struct TramoDePrueba {
    const char* id;
    double inicio, fin; // inverts at its ends, m
    double Q;           // the flow of every condition, m3/s
};

// T2 carries `QT2`, the other reaches fixed flows; P4 has no ground elevation.
// The example network's criterion, ready for the engine.
inline red::CriterioListo criterioDeEjemplo() {
    std::string error;
    auto c = red::prepararCriterio(leerCriterio(COLVERO_EJEMPLOS "/criterio-red.CrVek", '.'), '.',
                                   error);
    if (!c)
        throw std::runtime_error(error);
    return *c;
}

inline red::RedGrafo redConSalto(double QT2 = 0.05) {
    using namespace red::prueba;
    red::ModeloRed m = modelo({{"P1", 100.0},
                               {"P2", 99.5},
                               {"P3", 97.0},
                               {"P4", 96.5},
                               {"S", 96.0, red::TipoNodo::Vertido},
                               {"L1", 100.2}},
                              {{"T1", "P1", "P2", 50},
                               {"T2", "P2", "P3", 50},
                               {"T3", "P3", "P4", 50},
                               {"T4", "P4", "S", 100},
                               {"T5", "L1", "P2", 30}});
    const TramoDePrueba datos[] = {{"T1", 100.0, 99.5, 0.05},
                                   {"T2", 99.5, 99.0, QT2},
                                   {"T3", 97.0, 96.5, 0.05},
                                   {"T4", 96.5, 96.4, 0.05},
                                   {"T5", 100.2, 99.6, 0.02}};
    for (std::size_t k = 0; k < m.enlaces.size(); ++k) {
        m.enlaces[k].cotaInicio = datos[k].inicio;
        m.enlaces[k].cotaFin = datos[k].fin;
        m.enlaces[k].caudales.fill(datos[k].Q);
    }
    const double terreno[] = {103.0, 102.5, 101.0, 0, 99.0, 102.0};
    for (std::size_t k = 0; k < m.nodos.size(); ++k)
        if (terreno[k] > 0)
            m.nodos[k].cotaTerreno = terreno[k];

    red::RedGrafo g;
    g.modelo = m;
    g.topologia = red::construirTopologia(g.modelo);
    std::string error;
    auto tramos = red::tramosDeModelo(g.modelo, g.topologia, nullptr, nullptr, error);
    if (!tramos)
        throw std::runtime_error(error);
    g.tramos = std::move(*tramos);
    // Rows of the fixed columns only, none of them naming a criterion or a series.
    g.cabecera.indice.fill(-1);
    g.cabecera.nombres.resize(red::kColumnasGrafo);
    g.columnaDeAtributo.resize(g.modelo.enlaces.size());
    return g;
}

} // namespace colvero::perfil::prueba
