// The search of pendientesAdmisibles against the plainest search there is: every enabled
// condition at every grid slope, evaluated alone and without any memory, every change narrowed
// to adjacent doubles, and the runs intersected. The two must find the very same doubles.
#include "check/pendientes.h"

#include "caso_base.h"
#include "hydraulics/aritmetica.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>

namespace colvero {
namespace {

struct Racha {
    double desde, hasta;
    int porDesde, porHasta; // 0 at an end of the range
};

bool pasa(Entradas d, int k, double i, bool& error) {
    d.i = i;
    try {
        return evaluarCondicion(d, k).veredicto == Veredicto::Cumple;
    } catch (const hidraulica::ErrorAritmetico&) {
        error = true;
        return false;
    }
}

std::vector<Racha> rachas(const Entradas& d, int k, bool& error) {
    std::vector<double> malla;
    for (int j = 0; j <= 7 * kPuntosPorDecada; ++j) {
        malla.push_back(std::pow(10.0, -7.0 + static_cast<double>(j) / kPuntosPorDecada));
    }
    malla.front() = kPendienteMinima;
    malla.back() = kPendienteMaxima;
    std::vector<Racha> r;
    bool antes = pasa(d, k, malla[0], error);
    if (antes) {
        r.push_back({malla[0], malla.back(), 0, 0});
    }
    for (std::size_t j = 1; j < malla.size(); ++j) {
        const bool ahora = pasa(d, k, malla[j], error);
        if (ahora == antes) {
            continue;
        }
        auto a = std::bit_cast<std::uint64_t>(malla[j - 1]);
        auto b = std::bit_cast<std::uint64_t>(malla[j]);
        while (b - a > 1) {
            const std::uint64_t m = a + (b - a) / 2;
            (pasa(d, k, std::bit_cast<double>(m), error) == antes ? a : b) = m;
        }
        if (ahora) {
            r.push_back({std::bit_cast<double>(b), malla.back(), k, 0});
        } else {
            r.back().hasta = std::bit_cast<double>(a);
            r.back().porHasta = k;
        }
        antes = ahora;
    }
    return r;
}

std::vector<Racha> referencia(const Entradas& d, const Activas& activas, bool& error) {
    std::vector<Racha> todas{{kPendienteMinima, kPendienteMaxima, 0, 0}};
    for (int k = 1; k <= 10; ++k) {
        if (!activas[k - 1]) {
            continue;
        }
        const std::vector<Racha> b = rachas(d, k, error);
        std::vector<Racha> r;
        for (std::size_t x = 0, y = 0; x < todas.size() && y < b.size();) {
            Racha t = todas[x];
            if (b[y].desde > t.desde) {
                t.desde = b[y].desde;
                t.porDesde = b[y].porDesde;
            }
            if (b[y].hasta < t.hasta) {
                t.hasta = b[y].hasta;
                t.porHasta = b[y].porHasta;
            }
            if (t.desde <= t.hasta) {
                r.push_back(t);
            }
            (todas[x].hasta < b[y].hasta ? x : y)++;
        }
        todas = r;
    }
    return todas;
}

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

TEST(PendientesFrenteALaBusquedaLlana, LosMismosExtremosBitABit) {
    std::mt19937_64 azar(99);
    int conIntervalo = 0;
    for (int caso = 0; caso < 150; ++caso) {
        Activas activas{};
        const Entradas d = casoAlAzar(azar, activas);
        SCOPED_TRACE("caso " + std::to_string(caso));
        bool error = false;
        const std::vector<Racha> esperadas = referencia(d, activas, error);
        const ResultadoPendientes r = pendientesAdmisibles(d, activas, '.');
        ASSERT_EQ(r.intervalos.size(), esperadas.size()) << r.motivo;
        conIntervalo += !esperadas.empty();
        if (esperadas.empty()) {
            EXPECT_EQ(r.fin == FinPendientes::Error, error) << r.motivo;
        }
        for (std::size_t t = 0; t < esperadas.size(); ++t) {
            const Racha& e = esperadas[t];
            const IntervaloPendientes& i = r.intervalos[t];
            ASSERT_EQ(i.minima.has_value(), e.porDesde != 0);
            ASSERT_EQ(i.maxima.has_value(), e.porHasta != 0);
            if (i.minima) {
                EXPECT_EQ(i.minima->condicion, e.porDesde);
                EXPECT_EQ(i.minima->valor,
                          e.porDesde == 8 ? std::nextafter(e.desde, 0.0) : e.desde);
            }
            if (i.maxima) {
                EXPECT_EQ(i.maxima->condicion, e.porHasta);
                EXPECT_EQ(i.maxima->valor, e.hasta);
            }
        }
    }
    // Both kinds of answer are met.
    EXPECT_GT(conIntervalo, 30);
    EXPECT_LT(conIntervalo, 150);
}

} // namespace
} // namespace colvero
