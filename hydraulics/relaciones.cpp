#include "hydraulics/relaciones.h"

#include "hydraulics/aritmetica.h"

#include <cmath>

// Each relation keeps the written order of operations, so that results are the same digit for
// digit on every build: squares are products and brackets are evaluated first.

namespace colvero::hidraulica {

void fallar(const char* motivo) {
    throw ErrorAritmetico(motivo);
}

double All1(double D) {
    return finito((kPi * finito(D * D)) / 4.0);
}

double TETA1(double y, double D) {
    double teta = kDosPi;
    if (y < D) {
        const double x = finito(dividir(2.0 * y, D) - 1.0);
        const double s = raiz((-x) * x + 1.0);
        // arctan(−x/s) + π/2 is the arc cosine of x.
        const double a = std::atan(dividir(-x, s)) + 2.0 * std::atan(1.0);
        teta = finito(2.0 * (kPi - a));
    }
    return teta;
}

double Y1(double D, double teta) {
    return finito((D / 2.0) * (1.0 - std::cos(teta / 2.0)));
}

double A1(double D, double teta) {
    const double b = kPi - teta / 2.0;
    return finito(finito((D / 2.0) * (D / 2.0)) * (teta / 2.0 + std::sin(b) * std::cos(b)));
}

double PM1(double D, double teta) {
    return finito((D / 2.0) * teta);
}

double RH1(double A, double P) {
    return dividir(A, P);
}

double T1(double D, double teta) {
    return finito(D * std::sin(kPi - teta / 2.0));
}

double L1(double T, double A) {
    return dividir(A, T);
}

double PY1(double y, double D) {
    return finito(dividir(y, D) * 100.0);
}

double PA1(double A, double D) {
    return dividir(400.0 * A, kPi * finito(D * D));
}

double Q1(double v, double A) {
    return finito(A * v);
}

double V1(double Q, double A) {
    return dividir(Q, A);
}

double V2(double i, double n, double Rh) {
    const double raizI = potencia(i, 0.5);
    return V2Raiz(raizI, n, RH23(Rh));
}

double RH23(double Rh) {
    return potencia(Rh, 2.0 / 3.0);
}

double V2Raiz(double raizI, double n, double Rh23) {
    return dividir(finito(raizI * Rh23), n);
}

double K1(double Q, double i) {
    return dividir(Q, raiz(i));
}

double F1(double v, double L) {
    return dividir(v, raiz(kGravedad * L));
}

} // namespace colvero::hidraulica
