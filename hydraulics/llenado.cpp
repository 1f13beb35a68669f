#include "hydraulics/llenado.h"

#include "hydraulics/aritmetica.h"
#include "hydraulics/relaciones.h"
#include "hydraulics/seccion.h"

#include <cmath>
#include <cstdint>

namespace colvero::hidraulica {

InformeTeta3 TETA3(double D, double n, double i, double& Q, double& teta, MemoriaSeccion* memoria) {
    const double objetivo = Q;
    double lo = 0.0;
    double hi = (D * 0.938) * 2.0;
    int pruebas = 0;
    const double raizI = potencia(i, 0.5); // the same at every trial
    std::int32_t nodo = -1;                // the trial's node in `memoria`
    bool arriba = false;
    InformeTeta3 informe{FinTeta3::Tolerancia, 0, lo, hi};
    for (;;) {
        const double m = (hi + lo) / 2.0;
        // Once the midpoint is one of the bounds the bracket is two adjacent doubles (or the
        // target lies beyond reach): the last trial is the best the search can give.
        if (pruebas > 0 && (m == lo || m == hi)) {
            informe.fin = FinTeta3::IntervaloAgotado;
            informe.pruebas = pruebas;
            return informe;
        }
        GeometriaProfundidad g;
        if (memoria) {
            nodo = memoria->nodo(nodo, arriba, m);
            g = memoria->geometriaDe(nodo);
            teta = g.teta;
        } else {
            teta = TETA1(m, D);
            g = geometriaDeAngulo(teta, D);
        }
        const double v = V2Raiz(raizI, n, g.Rh23);
        Q = Q1(v, g.A);
        ++pruebas;
        const double r = Q - objetivo;
        if (std::abs(r) < kToleranciaTeta3) {
            informe.pruebas = pruebas;
            return informe;
        }
        // r is finite and not 0 here (an exact hit meets the tolerance).
        arriba = r <= 0;
        if (r > 0) {
            hi = m;
            informe.alto = m;
            informe.geometriaAlto = g;
        } else {
            lo = m;
            informe.bajo = m;
            informe.geometriaBajo = g;
        }
    }
}

} // namespace colvero::hidraulica
