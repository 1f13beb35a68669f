#include "chart/elementos.h"

#include "hydraulics/aritmetica.h"
#include "hydraulics/relaciones.h"

#include <cmath>
#include <functional>
#include <numbers>

namespace colvero::grafico {

namespace h = colvero::hidraulica;

namespace {

// Unit section, unit Manning's n and unit slope: the ratios do not depend on them.
constexpr double kD = 1.0;
constexpr double kN = 1.0;
constexpr double kI = 1.0;

struct Flujo {
    double Q = 0;
    double v = 0;
};

Flujo flujoEnAngulo(double teta) {
    const double A = h::A1(kD, teta);
    const double v = h::V2(kI, kN, h::RH1(A, h::PM1(kD, teta)));
    return {h::Q1(v, A), v};
}

Maximo maximoDorado(const std::function<double(double)>& f) {
    // 1/φ: each step keeps this fraction of the bracket.
    const double r = (std::sqrt(5.0) - 1.0) / 2.0;
    double a = 0.5;
    double b = 1.0;
    double x1 = b - r * (b - a);
    double x2 = a + r * (b - a);
    double f1 = f(x1);
    double f2 = f(x2);
    int evaluaciones = 2;
    while (b - a > 1e-9) {
        if (f1 < f2) {
            a = x1;
            x1 = x2;
            f1 = f2;
            x2 = a + r * (b - a);
            f2 = f(x2);
        } else {
            b = x2;
            x2 = x1;
            f2 = f1;
            x1 = b - r * (b - a);
            f1 = f(x1);
        }
        ++evaluaciones;
    }
    const double x = (a + b) / 2.0;
    return {x, f(x), evaluaciones + 1};
}

} // namespace

SeccionLlena seccionLlena(double D, double n, double i) {
    const double A = h::A1(D, h::kDosPi);
    const double v = h::V2(i, n, h::RH1(A, h::PM1(D, h::kDosPi)));
    return {h::Q1(v, A), v};
}

Relaciones relacionesParciales(double yD) {
    if (!(yD >= 0.0 && yD <= 1.0)) {
        throw h::ErrorAritmetico("llenado y/D fuera de 0 a 1");
    }
    // The empty section has no hydraulic radius; both ratios tend to 0 there.
    if (yD == 0.0) {
        return {};
    }
    const Flujo lleno = flujoEnAngulo(h::kDosPi);
    const Flujo parcial = flujoEnAngulo(h::TETA1(yD * kD, kD));
    return {h::dividir(parcial.Q, lleno.Q), h::dividir(parcial.v, lleno.v)};
}

std::vector<PuntoCurva> curvaElementos(int puntos) {
    if (puntos < 2) {
        puntos = 2;
    }
    std::vector<PuntoCurva> curva;
    curva.reserve(static_cast<std::size_t>(puntos));
    for (int k = 0; k < puntos; ++k) {
        double yD = (1.0 - std::cos(std::numbers::pi * k / (puntos - 1))) / 2.0;
        // The ends exactly, whatever the rounding of the cosine.
        if (k == 0) {
            yD = 0.0;
        } else if (k == puntos - 1) {
            yD = 1.0;
        }
        const Relaciones r = relacionesParciales(yD);
        curva.push_back({yD, r.qQll, r.vVll});
    }
    return curva;
}

Maximo maximoCaudal() {
    return maximoDorado([](double yD) { return relacionesParciales(yD).qQll; });
}

Maximo maximoVelocidad() {
    return maximoDorado([](double yD) { return relacionesParciales(yD).vVll; });
}

double llenadoDeCaudalLleno() {
    // Q/Qll rises through 1 once between half full and its maximum.
    double a = 0.5;
    double b = maximoCaudal().yD;
    while (b - a > 1e-12) {
        const double m = (a + b) / 2.0;
        if (relacionesParciales(m).qQll < 1.0) {
            a = m;
        } else {
            b = m;
        }
    }
    return (a + b) / 2.0;
}

} // namespace colvero::grafico
