#include "hydraulics/seccion.h"

#include "hydraulics/relaciones.h"

#include <bit>

namespace colvero::hidraulica {

GeometriaProfundidad geometriaDeAngulo(double teta, double D) {
    GeometriaProfundidad g;
    g.teta = teta;
    g.A = A1(D, g.teta);
    g.P = PM1(D, g.teta);
    g.Rh = RH1(g.A, g.P);
    g.Rh23 = RH23(g.Rh);
    return g;
}

GeometriaProfundidad geometria(double y, double D) {
    return geometriaDeAngulo(TETA1(y, D), D);
}

const GeometriaProfundidad& MemoriaSeccion::en(double y) {
    const std::uint64_t clave = std::bit_cast<std::uint64_t>(y);
    if (const auto it = profundidades_.find(clave); it != profundidades_.end()) {
        return it->second;
    }
    return profundidades_.emplace(clave, geometria(y, D_)).first->second;
}

} // namespace colvero::hidraulica
