#pragma once
// Hydraulic elements of the partly full circular section: the ratios Q/Qll and v/vll of uniform
// flow at a fill ratio y/D, from the program's own relations (hydraulics/relaciones.h). The
// ratios depend on y/D alone, not on D, n or i. Every y/D here is a fraction (0 empty, 1 full),
// not a percentage.
#include <vector>

namespace colvero::grafico {

// Q/Qll and v/vll at one fill ratio; Qll and vll are the flow and velocity of the full section.
struct Relaciones {
    double qQll = 0;
    double vVll = 0;
};

// The ratios at the fill ratio yD, for 0 <= yD <= 1: 0 and 0 at the empty section, 1 and 1 at
// the full one. Raises hidraulica::ErrorAritmetico on a yD outside that range or not finite.
Relaciones relacionesParciales(double yD);

struct PuntoCurva {
    double yD = 0;
    double qQll = 0;
    double vVll = 0;
};

// The curves from y/D = 0 to 1 in `puntos` samples (at least 2), denser near the empty and the
// full section where they bend most: y/D = (1 − cos(π·s))/2 for s evenly spaced in [0, 1].
std::vector<PuntoCurva> curvaElementos(int puntos);

// A maximum of one curve: where (y/D) and how high (the ratio).
struct Maximo {
    double yD = 0;
    double valor = 0;
    int evaluaciones = 0; // calls of relacionesParciales spent by the search
};

// The largest Q/Qll and the largest v/vll, by golden-section search on y/D in [0.5, 1] to within
// 1e-9 of y/D.
Maximo maximoCaudal();
Maximo maximoVelocidad();

// The lower fill ratio whose flow equals Qll (about 0.82): from there up to the full section a
// flow between Qll and Qmax has two normal depths.
double llenadoDeCaudalLleno();

// Flow (m3/s) and velocity (m/s) of the full section of diameter D (m), Manning's n and slope i
// (m/m): the Qll and vll that turn the flows and velocities of a collector into the ratios.
struct SeccionLlena {
    double Q = 0;
    double v = 0;
};
SeccionLlena seccionLlena(double D, double n, double i);

} // namespace colvero::grafico
