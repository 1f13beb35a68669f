// Arbitrary cases through the search of admissible slopes. The first two bytes hold the ten
// enable flags; then each of the 22 inputs takes three bytes, a value spread over a wide
// logarithmic range for its kind (negative when the first byte is high), or eight raw bytes.
// Checks that the search finds the very ends of the plain search (tests/check/busqueda_llana.h),
// that the intervals are in order inside the searched range, that each end is a change of
// verdict of its deciding condition, evaluated afresh without any memory, and that each shown
// value, read back as the slope, passes every enabled condition exactly when its end is
// included.
#include "check/numero.h"
#include "check/pendientes.h"
#include "hydraulics/aritmetica.h"
#include "tests/check/busqueda_llana.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using namespace colvero;

// Stops the run, naming the check that failed.
void exigeEn(bool condicion, int linea) {
    if (!condicion) {
        std::fprintf(stderr, "fuzz_pendientes: falla la comprobación de la línea %d\n", linea);
        std::abort();
    }
}
#define exige(condicion) exigeEn((condicion), __LINE__)

struct Lector {
    const std::uint8_t* datos;
    std::size_t quedan;

    std::uint8_t byte() {
        if (quedan == 0) {
            return 0;
        }
        --quedan;
        return *datos++;
    }

    // A value between 10^a and 10^b, or a raw double.
    double valor(double a, double b) {
        const std::uint8_t tipo = byte();
        if (tipo == 255) {
            std::uint64_t bits = 0;
            for (int k = 0; k < 8; ++k) {
                bits = bits << 8 | byte();
            }
            double x;
            std::memcpy(&x, &bits, sizeof x);
            return x;
        }
        const double u = (byte() << 8 | byte()) / 65535.0;
        const double x = std::pow(10.0, a + (b - a) * u);
        return tipo >= 240 ? -x : x;
    }
};

bool cumple(Entradas d, int k, double i) {
    d.i = i;
    try {
        return evaluarCondicion(d, k).veredicto == Veredicto::Cumple;
    } catch (const hidraulica::ErrorAritmetico&) {
        return false;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t tamano) {
    Lector l{datos, tamano};
    const unsigned banderas = l.byte() | (l.byte() << 8);
    Activas activas{};
    for (int k = 0; k < 10; ++k) {
        activas[k] = (banderas >> k) & 1;
    }
    Entradas d;
    d.D = l.valor(-2, 1);
    d.n = l.valor(-3, -0.5);
    d.i = l.valor(-6, 0);
    for (double& q : d.Q) {
        q = l.valor(-6, 2);
    }
    d.Vmax = l.valor(-1, 1.5);
    d.Vmin = l.valor(-1.5, 0.5);
    d.yDmax = l.valor(0, 2.1);
    d.gammaAgua = l.valor(-0.5, 0.5);
    d.gammaParticula = l.valor(-0.5, 0.7);
    d.dpMin = l.valor(-2, 3);
    d.Fmin = l.valor(-2, 1);
    d.Fmax = l.valor(-1, 1.5);
    d.Imin = l.valor(-7, 0);
    d.Imax = l.valor(-7, 0.5);
    d.yD10 = l.valor(0, 2.1);
    d.Vmin10 = l.valor(-1.5, 0.5);

    const ResultadoPendientes r = pendientesAdmisibles(d, activas, '.');
    if (r.fin == FinPendientes::ColectorInvalido) {
        exige(r.intervalos.empty() && !r.motivo.empty());
        return 0;
    }
    bool error = false;
    const std::vector<prueba::Racha> llana = prueba::busquedaLlana(d, activas, error);
    if (!prueba::mismosExtremos(r, llana)) {
        std::fprintf(stderr, "%s\n", prueba::resumen(r, llana).c_str());
        exige(false);
    }
    if (r.fin == FinPendientes::Error) {
        exige(r.intervalos.empty() && !r.motivo.empty() && error);
        return 0;
    }
    exige(r.intervalos.empty() != r.motivo.empty());
    double antes = 0;
    for (const IntervaloPendientes& t : r.intervalos) {
        for (const auto* e : {&t.minima, &t.maxima}) {
            if (!*e) {
                continue;
            }
            const ExtremoPendiente& x = **e;
            exige(x.condicion >= 1 && x.condicion <= 10 && activas[x.condicion - 1]);
            exige(x.valor >= antes && x.valor <= kPendienteMaxima);
            antes = x.valor;
            const bool esMinima = e == &t.minima;
            const bool imin = esMinima && x.condicion == 8;
            exige(cumple(d, x.condicion, x.valor) != imin && !(imin && x.incluido));
            const double fuera = std::nextafter(x.valor, esMinima ? 0.0 : 2.0);
            if (!imin && fuera >= kPendienteMinima && fuera <= kPendienteMaxima) {
                exige(!cumple(d, x.condicion, fuera));
            }
            const std::optional<double> mostrado = leerNumero(x.texto, '.');
            exige(mostrado && prueba::todasCumplen(d, activas, *mostrado) == x.incluido);
        }
    }
    return 0;
}
