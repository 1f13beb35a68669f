#include "check/evaluacion.h"

#include "check/calcular.h"
#include "hydraulics/aritmetica.h"

#include "caso_base.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

namespace colvero {
namespace {

using prueba::casoBase;

double caudalLleno(const Entradas& d) {
    Activas a{};
    a[0] = true;
    return evaluar(d, a).caudalLleno;
}

struct DosCalados {
    const char* nombre;
    double Q;           // the flow of conditions 2 to 7
    bool conCondicion1; // whether condition 1 is enabled
    bool aviso;
};

class AvisoDosCalados : public testing::TestWithParam<DosCalados> {};

// The flag depends only on where the flow lies, (Qll, Qmax], not on condition 1 being on.
TEST_P(AvisoDosCalados, SoloEntreElCaudalLlenoYElMaximo) {
    const DosCalados& c = GetParam();
    Entradas d = casoBase();
    const double qll = caudalLleno(d);
    const double Q = std::isnan(c.Q) ? qll : c.Q;
    for (int k = 2; k <= 7; ++k) {
        d.Q[k - 1] = Q;
    }
    d.Q[0] = 0.5;
    Activas a;
    a.fill(true);
    a[0] = c.conCondicion1;
    const Evaluacion ev = evaluar(d, a);
    ASSERT_EQ(ev.fin, FinEvaluacion::Completa);
    for (int k = 1; k <= 10; ++k) {
        EXPECT_EQ(ev.condiciones[k - 1].dosCalados, c.aviso && k >= 2 && k <= 7) << k;
    }
}

constexpr double kIgualAlLleno = NAN;

INSTANTIATE_TEST_SUITE_P(
    Evaluacion, AvisoDosCalados,
    testing::Values(DosCalados{"EntreLlenoYMaximo", 1.75, true, true},
                    DosCalados{"EntreLlenoYMaximoSinCondicion1", 1.75, false, true},
                    DosCalados{"IgualAlLlenoNoAvisa", kIgualAlLleno, false, false},
                    DosCalados{"PorDebajoDelLleno", 1.0, false, false},
                    DosCalados{"PorEncimaDelMaximoEsCapacidad", 1.9, false, false}),
    [](const testing::TestParamInfo<DosCalados>& i) { return std::string(i.param.nombre); });

// The full-section flow for the flag does not count as condition 1's stored value.
TEST(AvisoDosCalados, NoTocaElCaudalLlenoGuardado) {
    Calculo c;
    c.colector = {"1", "0.013", "0.005"};
    c.caudal = {"1", "1.75", "1", "1", "1", "1", "1"};
    c.criterio.Vmax = "3";
    c.criterio.Vmin = "0.6";
    c.criterio.activa = {false, true, true, false, false, false, false, false, false, false};
    ValoresGuardados g;
    g.Qll = 7;
    const ResultadoCalculo r = calcular(c, g, '.');
    EXPECT_EQ(r.fin, FinCalculo::Realizado);
    EXPECT_EQ(g.Qll, 7);
    EXPECT_EQ(r.campos.Text37, "");
}

TEST(Evaluacion, CantidadesConNombreYFinDeLaBusqueda) {
    Entradas d = casoBase();
    d.Q[2] = 1.9; // beyond Qmax
    Activas a;
    a.fill(true);
    const Evaluacion ev = evaluar(d, a);
    ASSERT_EQ(ev.fin, FinEvaluacion::Completa);
    EXPECT_EQ(ev.condiciones[2].veredicto, Veredicto::CapacidadInsuficiente);
    EXPECT_FALSE(ev.busqueda[1]);
    EXPECT_TRUE(std::isnan(ev.flujoNormal[1].v));
    for (int k : {2, 4, 5, 6, 7}) {
        ASSERT_TRUE(ev.busqueda[k - 2]) << k;
        EXPECT_GT(ev.busqueda[k - 2]->pruebas, 0);
        EXPECT_NEAR(ev.flujoNormal[k - 2].Q, 1.0, 1e-10);
    }
    EXPECT_NEAR(ev.flujoNormal[0].v, 2.247, 5e-4);
    EXPECT_NEAR(ev.flujoNormal[2].yD, 55.24, 5e-3);
    EXPECT_NEAR(ev.flujoNormal[3].Rh, 0.2655, 5e-5);
    EXPECT_NEAR(ev.flujoNormal[4].F, 1.073, 5e-4);
    EXPECT_NEAR(ev.diametroArrastre, 17.12, 5e-3);
    EXPECT_NEAR(ev.caudalLleno, 1.695, 5e-4);
    EXPECT_NEAR(ev.flujoAutolimpieza.v, 2.159, 5e-4);
}

// Equal specific weights: the run stops in condition 5 after TEO4 and before dp5.
TEST(Evaluacion, ErrorAritmeticoDiceDondeYConservaLoCalculado) {
    Entradas d = casoBase();
    d.gammaParticula = d.gammaAgua;
    Activas a;
    a.fill(true);
    const Evaluacion ev = evaluar(d, a);
    EXPECT_EQ(ev.fin, FinEvaluacion::ErrorAritmetico);
    EXPECT_EQ(ev.condicionInterrumpida, 5);
    for (int k = 1; k <= 4; ++k) {
        EXPECT_EQ(ev.condiciones[k - 1].veredicto, Veredicto::Cumple) << k;
    }
    for (int k = 5; k <= 10; ++k) {
        EXPECT_EQ(ev.condiciones[k - 1].veredicto, Veredicto::NoEvaluada) << k;
    }
    EXPECT_FALSE(std::isnan(ev.flujoNormal[3].Rh));
    EXPECT_TRUE(std::isnan(ev.diametroArrastre));
    EXPECT_TRUE(std::isnan(ev.flujoNormal[4].F));
    EXPECT_THROW(evaluarCondicion(d, 5), hidraulica::ErrorAritmetico);
}

// Calcular's verdict lines are those of the outcome values, one condition at a time too.
TEST(Evaluacion, CadaCondicionSolaDecideLoMismoQueLaEvaluacionCompleta) {
    for (double i : {1e-6, 0.0015, 0.005, 0.03, 0.5}) {
        Entradas d = casoBase();
        d.i = i;
        d.Q[1] = 0; // an input error among them
        Activas a;
        a.fill(true);
        const Evaluacion ev = evaluar(d, a);
        ASSERT_EQ(ev.fin, FinEvaluacion::Completa);
        for (int k = 1; k <= 10; ++k) {
            const ResultadoCondicion sola = evaluarCondicion(d, k);
            EXPECT_EQ(sola.veredicto, ev.condiciones[k - 1].veredicto) << i << " " << k;
            EXPECT_EQ(sola.dato, ev.condiciones[k - 1].dato) << i << " " << k;
        }
    }
}

// The margin bounds at a slope p hold for the margin computed at every slope on one side of it:
// the slope search skips evaluations on that promise. Flows from 1e-11 m3/s, where the depth
// search accepts depths far from the exact one, to near the capacity, where the normal depth
// passes the peaks of the velocity and of the Froude number; the slopes compared lie from
// adjacent doubles to a factor of 3 away.
TEST(CotasDelMargen, AcotanElMargenCalculadoATodaPendienteAUnLado) {
    std::mt19937_64 azar(7);
    std::uniform_real_distribution<double> u(0, 1);
    int acotadas = 0, comparadas = 0;
    for (int caso = 0; caso < 200; ++caso) {
        Entradas d = casoBase();
        d.D = 0.2 + 2 * u(azar);
        d.Q.fill(std::pow(10.0, -11 + 11.3 * u(azar)) * d.D * d.D);
        d.gammaParticula = u(azar) < 0.2 ? 0.9 : 2.65;
        const double p = std::pow(10.0, -6 + 6 * u(azar));
        for (int k = 1; k <= 10; ++k) {
            d.i = p;
            const ResultadoCondicion en = evaluarCondicion(d, k);
            if (!(en.margenMinimo <= en.margenMaximo)) {
                continue;
            }
            ++acotadas;
            EXPECT_LE(en.margenMinimo, en.margen);
            EXPECT_GE(en.margenMaximo, en.margen);
            const int sentido = sentidoMargen(d, k);
            for (int j = 0; j < 40; ++j) {
                const double lejos = std::pow(3.0, 2 * u(azar) - 1);
                d.i = j < 10 ? p + (j - 5) * p * 1e-15 : p * lejos;
                const ResultadoCondicion c = evaluarCondicion(d, k);
                if (std::isnan(c.margen) || c.veredicto == Veredicto::CapacidadInsuficiente) {
                    continue;
                }
                ++comparadas;
                // Where the margin grows with the slope, above p it is at least the lower
                // bound and below p at most the upper one; the other way where it falls.
                const bool arriba = d.i >= p;
                SCOPED_TRACE("caso " + std::to_string(caso) + ", condición " + std::to_string(k));
                if (arriba == (sentido > 0)) {
                    EXPECT_GE(c.margen, en.margenMinimo) << d.i << " frente a " << p;
                }
                if (arriba != (sentido > 0) || d.i == p) {
                    EXPECT_LE(c.margen, en.margenMaximo) << d.i << " frente a " << p;
                }
            }
        }
    }
    EXPECT_GT(acotadas, 1000);
    EXPECT_GT(comparadas, 30000);
}

} // namespace
} // namespace colvero
