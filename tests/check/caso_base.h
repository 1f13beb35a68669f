#pragma once
// The converted inputs that the engine tests start from.
#include "check/evaluacion.h"

namespace colvero::prueba {

// D = 1 m, n = 0.013, i = 0.005 (full-section flow 1.695 m3/s, Qmax 1.824 m3/s), every flow
// 1 m3/s and the limits of an ordinary criterion.
inline Entradas casoBase() {
    Entradas d;
    d.D = 1;
    d.n = 0.013;
    d.i = 0.005;
    d.Q.fill(1);
    d.Vmax = 3;
    d.Vmin = 0.6;
    d.yDmax = 75;
    d.gammaAgua = 1;
    d.gammaParticula = 2.65;
    d.dpMin = 10;
    d.Fmin = 1;
    d.Fmax = 2;
    d.Imin = 0.004;
    d.Imax = 0.01;
    d.yD10 = 50;
    d.Vmin10 = 0.6;
    return d;
}

} // namespace colvero::prueba
