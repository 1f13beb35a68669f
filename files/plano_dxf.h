#pragma once
// The plan of a network for CAD (files/dxf.h): each link a polyline from its upstream node
// through its vertices to its downstream node, on the layer of its result; manholes (and
// storage nodes) as circles on «POZOS», outfalls on «VERTIDOS»; the names of links and nodes
// as texts on «TEXTOS». Coordinates are the model's own, unchanged.
#include "files/dxf.h"
#include "network/modelo_red.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <vector>

namespace colvero::dxf {

enum class EstadoTramo {
    Cumple,        // «CUMPLE»: every condition passes
    NoCumple,      // «NO_CUMPLE»: some condition fails
    SinComprobar,  // «SIN_COMPROBAR»: could not be checked (an error of its data, or no run)
    NoSeComprueba, // «NO_SE_COMPRUEBA»: not a circular conduit, not checked by design
};

// The layer of each state, and the others.
const char* capaDe(EstadoTramo e);
inline constexpr const char* kCapaPozos = "POZOS";
inline constexpr const char* kCapaVertidos = "VERTIDOS";
inline constexpr const char* kCapaTextos = "TEXTOS";

struct Plano {
    std::size_t tramos = 0;      // links drawn
    std::size_t sinPosicion = 0; // links left out: a node without a finite position, or a
                                 // vertex that is not finite
    std::size_t nodos = 0;       // nodes drawn
    double alturaTexto = 0;      // drawing units
};

// Draws `m` with `estados` (one per link; a link past its end is SinComprobar). The texts are
// 1/25 of the median drawn link long, the circles of half that radius, so that the plan reads
// alike at any scale.
Plano dibujarPlano(Dibujo& d, const red::ModeloRed& m, const std::vector<EstadoTramo>& estados);

// How many links of `m` the plan draws.
std::size_t dibujables(const red::ModeloRed& m);

// The layers of a plan with their colours.
std::vector<Capa> capasDelPlano();

// Draws the plan and writes it whole or not at all to `rutaNativa` (raises ErrorArchivo naming
// `nombre`).
Plano escribirPlanoDxf(const QByteArray& rutaNativa, const QString& nombre, const red::ModeloRed& m,
                       const std::vector<EstadoTramo>& estados,
                       Unidades unidades = Unidades::SinUnidades);

} // namespace colvero::dxf
