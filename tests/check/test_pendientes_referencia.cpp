// The search of pendientesAdmisibles against the plainest search there is (busqueda_llana.h):
// the two must find the very same doubles, also where the depth search's tolerance makes the
// verdicts waver.
#include "check/pendientes.h"

#include "busqueda_llana.h"
#include "caso_base.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>

namespace colvero {
namespace {

using prueba::busquedaLlana;
using prueba::mismosExtremos;
using prueba::Racha;
using prueba::resumen;

// Collectors, flows and criteria at random over what sewer design meets, and beyond it: flows
// near and above the capacity, tight and loose limits, any set of conditions, particles
// lighter than water.
Entradas casoAlAzar(std::mt19937_64& azar, Activas& activas) {
    std::uniform_real_distribution<double> u(0, 1);
    const auto entre = [&](double a, double b) { return a + (b - a) * u(azar); };
    Entradas d = prueba::casoBase();
    d.D = entre(0.15, 2.5);
    d.n = entre(0.008, 0.025);
    // The full-section flow at a 1 % slope, to scale the design flows.
    const double lleno =
        3.14159265358979 * d.D * d.D / 4 * std::pow(d.D / 4, 2.0 / 3.0) * std::sqrt(0.01) / d.n;
    for (double& q : d.Q) {
        q = lleno * std::pow(10.0, entre(-3, 0.3));
    }
    d.Vmax = entre(1.5, 6);
    d.Vmin = entre(0.3, 1.2);
    d.yDmax = entre(50, 100);
    d.gammaParticula = u(azar) < 0.1 ? entre(0.5, 0.99) : entre(1.5, 2.8);
    d.dpMin = d.gammaParticula < 1 ? entre(-2000, -1) : entre(0.1, 20);
    d.Fmin = entre(0.3, 1.2);
    d.Fmax = entre(1.2, 4);
    d.Imin = std::pow(10.0, entre(-5, -2));
    d.Imax = d.Imin * std::pow(10.0, entre(-0.5, 2));
    d.yD10 = entre(5, 100);
    d.Vmin10 = entre(0.3, 1.5);
    for (bool& a : activas) {
        a = u(azar) < 0.7;
    }
    return d;
}

// Collectors at random with design flows from 1e-11 to 1e-3 m3/s, where the depth search
// stops on its absolute tolerance long before the depth is exact, and the computed velocity,
// fill ratio and Froude number saw-tooth as the slope grows. The limits are drawn round the
// quantities at a random slope, so that the changes of verdict fall among the wavering.
Entradas casoDiminuto(std::mt19937_64& azar, Activas& activas) {
    std::uniform_real_distribution<double> u(0, 1);
    const auto entre = [&](double a, double b) { return a + (b - a) * u(azar); };
    Entradas d = casoAlAzar(azar, activas);
    for (double& q : d.Q) {
        q = std::pow(10.0, entre(-11, -3));
    }
    d.i = std::pow(10.0, entre(-6, -0.5));
    Activas todas;
    todas.fill(true);
    const Evaluacion ev = evaluar(d, todas);
    const auto& normal = ev.flujoNormal;
    d.Vmax = normal[0].v * entre(0.8, 3);
    d.Vmin = normal[1].v * entre(0.3, 1.2);
    d.yDmax = std::min(100.0, normal[2].yD * entre(0.8, 3));
    d.dpMin = ev.diametroArrastre * entre(0.3, 1.2);
    d.Fmin = normal[4].F * entre(0.3, 1.2);
    d.Fmax = normal[5].F * entre(0.8, 3);
    return d;
}

struct Muestra {
    const char* nombre;
    Entradas (*caso)(std::mt19937_64&, Activas&);
    int casos;
    int conIntervaloMinimo; // answers with some admissible slope, at least
};

class PendientesFrenteALaBusquedaLlana : public testing::TestWithParam<Muestra> {};

TEST_P(PendientesFrenteALaBusquedaLlana, LosMismosExtremosBitABit) {
    const Muestra& m = GetParam();
    std::mt19937_64 azar(99);
    int conIntervalo = 0;
    for (int caso = 0; caso < m.casos; ++caso) {
        Activas activas{};
        const Entradas d = m.caso(azar, activas);
        SCOPED_TRACE("caso " + std::to_string(caso));
        bool error = false;
        const std::vector<Racha> esperadas = busquedaLlana(d, activas, error);
        const ResultadoPendientes r = pendientesAdmisibles(d, activas, '.');
        EXPECT_TRUE(mismosExtremos(r, esperadas)) << resumen(r, esperadas);
        conIntervalo += !esperadas.empty();
        if (esperadas.empty()) {
            EXPECT_EQ(r.fin == FinPendientes::Error, error) << r.motivo;
        }
    }
    // Both kinds of answer are met.
    EXPECT_GE(conIntervalo, m.conIntervaloMinimo);
    EXPECT_LT(conIntervalo, m.casos);
}

INSTANTIATE_TEST_SUITE_P(Pendientes, PendientesFrenteALaBusquedaLlana,
                         testing::Values(Muestra{"CaudalesDeProyecto", casoAlAzar, 150, 30},
                                         Muestra{"CaudalesDe1e11A1e3", casoDiminuto, 60, 10}),
                         [](const testing::TestParamInfo<Muestra>& i) {
                             return std::string(i.param.nombre);
                         });

// At 2.04e-11 m3/s in a 1 m pipe the velocity of the accepted depth jumps about as the slope
// grows: i = 0.0511 passes Vmax = 0.0032 m/s though slopes below it fail.
TEST(PendientesFrenteALaBusquedaLlana, CaudalDe2e11ConVelocidadQueOscila) {
    Entradas d = prueba::casoBase();
    d.Q[1] = 2.04e-11;
    d.Vmax = 0.0032;
    Activas solo2{};
    solo2[1] = true;
    bool error = false;
    const std::vector<Racha> esperadas = busquedaLlana(d, solo2, error);
    const ResultadoPendientes r = pendientesAdmisibles(d, solo2, '.');
    EXPECT_TRUE(mismosExtremos(r, esperadas)) << resumen(r, esperadas);
    EXPECT_GT(r.intervalos.size(), 1u);
}

} // namespace
} // namespace colvero
