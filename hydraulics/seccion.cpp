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

void MemoriaSeccion::reiniciar(double D) {
    D_ = D;
    profundidades_.clear();
    nodos_.clear();
}

const GeometriaProfundidad& MemoriaSeccion::en(double y) {
    for (const Profundidad& p : profundidades_) {
        if (std::bit_cast<std::uint64_t>(p.y) == std::bit_cast<std::uint64_t>(y)) {
            return p.g;
        }
    }
    const GeometriaProfundidad g = geometria(y, D_); // may raise: then nothing is kept
    profundidades_.push_back({y, g});
    return profundidades_.back().g;
}

std::int32_t MemoriaSeccion::nodo(std::int32_t padre, bool arriba, double y) {
    std::int32_t* enlace = nullptr;
    if (padre < 0) {
        if (!nodos_.empty()) {
            return 0;
        }
    } else {
        enlace = &nodos_[static_cast<std::size_t>(padre)].hijos[arriba];
        if (*enlace >= 0) {
            return *enlace;
        }
    }
    const GeometriaProfundidad g = geometria(y, D_); // may raise: then nothing is kept
    const auto nuevo = static_cast<std::int32_t>(nodos_.size());
    nodos_.push_back({g, {-1, -1}});
    if (padre >= 0) {
        nodos_[static_cast<std::size_t>(padre)].hijos[arriba] = nuevo;
    }
    return nuevo;
}

} // namespace colvero::hidraulica
