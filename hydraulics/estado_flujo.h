#pragma once
// Flow-state procedures: complete one uniform flow in a circular collector from a few knowns.
#include "hydraulics/llenado.h"

namespace colvero::hidraulica {

// The sixteen quantities of one uniform flow, in the order the procedures take them.
struct EstadoFlujo {
    double Q = 0;    // flow, m3/s
    double v = 0;    // mean velocity, m/s
    double D = 0;    // inner diameter, m
    double n = 0;    // Manning number
    double y = 0;    // depth, m
    double i = 0;    // slope, m/m
    double yD = 0;   // fill ratio y/D, percent
    double AAf = 0;  // fill ratio A/Af, percent
    double A = 0;    // wetted area, m2
    double teta = 0; // central angle, rad
    double P = 0;    // wetted perimeter, m
    double Rh = 0;   // hydraulic radius, m
    double K = 0;    // conveyance Q/√i, m3/s
    double T = 0;    // top width, m
    double L = 0;    // hydraulic depth, m
    double F = 0;    // Froude number
};

// Normal flow of a known flow: from Q, D, n, i computes everything else. Q comes back as the
// flow of the depth found (within 1e-10 m3/s of the one given). Precondition of TETA3:
// 0 < Q <= Qmax. On an ErrorAritmetico the fields written before the failing step keep their
// new values. Returns how the depth search ended.
//
// Each procedure takes an optional memory of the section (seccion.h) of diameter e.D: the
// results are the same, but for which fields an ErrorAritmetico leaves written.
InformeTeta3 TEO4(EstadoFlujo& e, MemoriaSeccion* memoria = nullptr);

// State at a known depth: from y, D, n, i computes everything else. Needs 0 < y < D (the top
// width of the full section is 0 and its hydraulic depth cannot be computed).
void TEO6(EstadoFlujo& e, MemoriaSeccion* memoria = nullptr);

// Largest flow of the section in uniform flow, at the depth 0.938·D: writes that flow Q (m3/s),
// its velocity v (m/s) and the depth y (m).
void Qmax(double& Q, double& v, double& y, double D, double n, double i,
          MemoriaSeccion* memoria = nullptr);

} // namespace colvero::hidraulica
