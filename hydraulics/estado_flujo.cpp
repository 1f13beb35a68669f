#include "hydraulics/estado_flujo.h"

#include "hydraulics/aritmetica.h"
#include "hydraulics/relaciones.h"
#include "hydraulics/seccion.h"

#include <cassert>

namespace colvero::hidraulica {

InformeTeta3 TEO4(EstadoFlujo& e, MemoriaSeccion* memoria) {
    assert(!memoria || memoria->diametro() == e.D);
    const InformeTeta3 informe = TETA3(e.D, e.n, e.i, e.Q, e.teta, memoria);
    e.A = A1(e.D, e.teta);
    e.v = V1(e.Q, e.A);
    e.P = PM1(e.D, e.teta);
    e.Rh = RH1(e.A, e.P);
    e.T = T1(e.D, e.teta);
    e.y = Y1(e.D, e.teta);
    e.yD = PY1(e.y, e.D);
    e.AAf = PA1(e.A, e.D);
    e.K = K1(e.Q, e.i);
    e.L = L1(e.T, e.A);
    e.F = F1(e.v, e.L);
    return informe;
}

void TEO6(EstadoFlujo& e, MemoriaSeccion* memoria) {
    assert(!memoria || memoria->diametro() == e.D);
    if (memoria) {
        const GeometriaProfundidad& g = memoria->en(e.y);
        e.teta = g.teta;
        e.A = g.A;
        e.P = g.P;
        e.Rh = g.Rh;
        const double raizI = potencia(e.i, 0.5);
        e.v = V2Raiz(raizI, e.n, g.Rh23);
    } else {
        e.teta = TETA1(e.y, e.D);
        e.A = A1(e.D, e.teta);
        e.P = PM1(e.D, e.teta);
        e.Rh = RH1(e.A, e.P);
        e.v = V2(e.i, e.n, e.Rh);
    }
    e.Q = Q1(e.v, e.A);
    e.yD = PY1(e.y, e.D);
    e.AAf = PA1(e.A, e.D);
    e.K = K1(e.Q, e.i);
    e.T = T1(e.D, e.teta);
    e.L = L1(e.T, e.A);
    e.F = F1(e.v, e.L);
}

void Qmax(double& Q, double& v, double& y, double D, double n, double i, MemoriaSeccion* memoria) {
    y = D * 0.938;
    EstadoFlujo e;
    e.D = D;
    e.n = n;
    e.y = y;
    e.i = i;
    TEO6(e, memoria);
    Q = e.Q;
    v = e.v;
}

} // namespace colvero::hidraulica
