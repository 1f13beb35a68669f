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

MemoriaSeccion::MemoriaSeccion(double D) : D_(D), casillas_(1024, Casilla{0, 0, {}}) {}

void MemoriaSeccion::reiniciar(double D) {
    D_ = D;
    ocupadas_ = 0;
    ++generacion_;
    nodos_.clear();
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

namespace {

std::size_t posicion(std::uint64_t clave, std::size_t mascara) {
    // Fibonacci hashing: the top bits of the product depend on every bit of the depth (the
    // trial depths of a bisection end in long runs of zero bits).
    return static_cast<std::size_t>((clave * 0x9E3779B97F4A7C15ULL) >> 40) & mascara;
}

} // namespace

const GeometriaProfundidad& MemoriaSeccion::en(double y) {
    const std::uint64_t clave = std::bit_cast<std::uint64_t>(y);
    const std::size_t mascara = casillas_.size() - 1;
    std::size_t k = posicion(clave, mascara);
    for (; casillas_[k].generacion == generacion_; k = (k + 1) & mascara) {
        if (casillas_[k].clave == clave) {
            return casillas_[k].g;
        }
    }
    const GeometriaProfundidad g = geometria(y, D_);
    if (2 * (ocupadas_ + 1) > casillas_.size()) {
        crecer();
        k = posicion(clave, casillas_.size() - 1);
        while (casillas_[k].generacion == generacion_) {
            k = (k + 1) & (casillas_.size() - 1);
        }
    }
    casillas_[k] = {clave, generacion_, g};
    ++ocupadas_;
    return casillas_[k].g;
}

void MemoriaSeccion::crecer() {
    std::vector<Casilla> antes(casillas_.size() * 2, Casilla{0, 0, {}});
    antes.swap(casillas_);
    const std::size_t mascara = casillas_.size() - 1;
    for (const Casilla& c : antes) {
        if (c.generacion == generacion_) {
            std::size_t k = posicion(c.clave, mascara);
            while (casillas_[k].generacion == generacion_) {
                k = (k + 1) & mascara;
            }
            casillas_[k] = c;
        }
    }
}

} // namespace colvero::hidraulica
