#pragma once
// Small hand-made networks for the graph tests.
#include "network/modelo_red.h"

#include <string>
#include <vector>

namespace colvero::red::prueba {

struct NodoPrueba {
    const char* id;
    double cota;
    TipoNodo tipo = TipoNodo::Pozo;
    double medio = 0;
    double pluvial = 0;
};

struct EnlacePrueba {
    const char* id;
    const char* desde;
    const char* hasta;
    double longitud = 100;
    TipoEnlace tipo = TipoEnlace::Conducto;
    double porMetro = 0;
};

// Circular conduits of 0.5 m, n = 0.013, inverts at the nodes' inverts.
inline ModeloRed modelo(const std::vector<NodoPrueba>& nodos,
                        const std::vector<EnlacePrueba>& enlaces) {
    ModeloRed m;
    for (const NodoPrueba& n : nodos) {
        Nodo x;
        x.id = n.id;
        x.cotaSolera = n.cota;
        x.tipo = n.tipo;
        x.caudalMedio = n.medio;
        x.caudalPluvial = n.pluvial;
        m.nodos.push_back(x);
    }
    for (const EnlacePrueba& e : enlaces) {
        Enlace x;
        x.id = e.id;
        x.desde = e.desde;
        x.hasta = e.hasta;
        x.tipo = e.tipo;
        x.longitud = e.longitud;
        x.caudalPorMetro = e.porMetro;
        if (x.esConducto()) {
            x.forma = "CIRCULAR";
            x.circular = true;
            x.D = 0.5;
            x.n = 0.013;
            for (const NodoPrueba& n : nodos) {
                if (e.desde == std::string(n.id))
                    x.cotaInicio = n.cota;
                if (e.hasta == std::string(n.id))
                    x.cotaFin = n.cota;
            }
        }
        m.enlaces.push_back(x);
    }
    return m;
}

} // namespace colvero::red::prueba
