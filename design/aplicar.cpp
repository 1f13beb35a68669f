#include "design/aplicar.h"

namespace colvero::diseno {

red::ModeloRed modeloDisenado(const red::ModeloRed& m, const Diseno& d,
                              const std::vector<Tubo>& serie) {
    red::ModeloRed r = m;
    for (const TramoDisenado& t : d.tramos) {
        if (!t.sinDiseno.empty() || t.enlace >= r.enlaces.size() || t.tubo >= serie.size())
            continue;
        red::Enlace& e = r.enlaces[t.enlace];
        e.D = serie[t.tubo].diametro;
        e.cotaInicio = static_cast<double>(t.cotaInicio) / 100.0;
        e.cotaFin = static_cast<double>(t.cotaFin) / 100.0;
        // A slope the source gave directly would hide the designed inverts from the check.
        e.pendiente.reset();
    }
    for (std::size_t k = 0; k < r.nodos.size() && k < d.cotaNodo.size(); ++k) {
        if (d.cotaNodo[k])
            r.nodos[k].cotaSolera = static_cast<double>(*d.cotaNodo[k]) / 100.0;
    }
    return r;
}

} // namespace colvero::diseno
