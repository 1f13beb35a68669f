#pragma once
// TETA3: the normal depth of a flow in a circular section, by bisection on the depth.
#include "hydraulics/seccion.h"

namespace colvero::hidraulica {

// Why the bisection stopped.
enum class FinTeta3 {
    Tolerancia,      // |Q of the trial − target| < 1e-10 m3/s
    IntervaloAgotado // the bracket cannot shrink any further at double precision
};

struct InformeTeta3 {
    FinTeta3 fin;
    int pruebas; // trial depths evaluated
    // The last bracket of the bisection, m: the flow of `bajo` falls short of the target by at
    // least the tolerance and that of `alto` exceeds it by as much, so on the lower branch
    // (depths up to 0.938·D, where the flow grows with the depth) every depth within the
    // tolerance lies strictly between them. `bajo` is 0 and `alto` 1.876·D where no trial
    // moved them; their geometry is then not set.
    double bajo = 0;
    double alto = 0;
    GeometriaProfundidad geometriaBajo{};
    GeometriaProfundidad geometriaAlto{};
};

// Tolerance on the flow of the accepted trial, m3/s.
inline constexpr double kToleranciaTeta3 = 1e-10;

// Finds the central angle (rad) at which the section of diameter D (m), Manning number n and
// slope i (m/m) carries the flow Q (m3/s) in uniform flow. The search starts at 0.938·D, the
// depth of the largest flow, and only goes down from it, so of two depths carrying the same
// flow it finds the lower one. On return Q and teta hold the flow and angle of the last trial.
// Precondition 0 < Q <= Qmax(D, n, i); outside it the search still ends (IntervaloAgotado).
// `memoria`, when given, is a memory of the section of diameter D.
InformeTeta3 TETA3(double D, double n, double i, double& Q, double& teta,
                   MemoriaSeccion* memoria = nullptr);

} // namespace colvero::hidraulica
