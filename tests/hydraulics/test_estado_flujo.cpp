#include "hydraulics/aritmetica.h"
#include "hydraulics/estado_flujo.h"
#include "hydraulics/llenado.h"
#include "hydraulics/relaciones.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace colvero::hidraulica {
namespace {

// Values given to four significant digits.
void esperaCuatroCifras(double real, double esperado) {
    EXPECT_NEAR(real / esperado, 1.0, 5e-4) << real << " vs " << esperado;
}

EstadoFlujo colector(double D = 1.0, double n = 0.013, double i = 0.005) {
    EstadoFlujo e;
    e.D = D;
    e.n = n;
    e.i = i;
    return e;
}

struct Maximo {
    double Q, v, y;
};

Maximo maximo(double D = 1.0, double n = 0.013, double i = 0.005) {
    Maximo m{};
    Qmax(m.Q, m.v, m.y, D, n, i);
    return m;
}

double caudalLleno(double D = 1.0) {
    EstadoFlujo e = colector(D);
    e.y = D - 1e-11;
    TEO6(e);
    return e.Q;
}

TEST(ColectorDeUnMetro, CaudalMaximoA0938DelDiametro) {
    const Maximo m = maximo();
    esperaCuatroCifras(All1(1.0), 0.7854);
    esperaCuatroCifras(m.Q, 1.824);
    esperaCuatroCifras(m.v, 2.383);
    EXPECT_EQ(m.y, 0.938);
}

TEST(ColectorDeUnMetro, SeccionJustoBajoLlena) {
    EstadoFlujo e = colector();
    e.y = 1.0 - 1e-11;
    TEO6(e);
    esperaCuatroCifras(e.Q, 1.695);
    esperaCuatroCifras(e.v, 2.159);
    EXPECT_NEAR(e.AAf, 100.0, 1e-6);
}

TEST(ColectorDeUnMetro, SeccionMediaLlena) {
    EstadoFlujo e = colector();
    e.y = 0.5;
    TEO6(e);
    EXPECT_NEAR(e.Rh, 0.25, 1e-15);
    EXPECT_NEAR(e.T, 1.0, 1e-15);
    EXPECT_EQ(e.yD, 50.0);
}

TEST(ColectorDeUnMetro, FlujoNormalDeUnMetroCubicoPorSegundo) {
    EstadoFlujo e = colector();
    e.Q = 1.0;
    const InformeTeta3 informe = TEO4(e);
    EXPECT_EQ(informe.fin, FinTeta3::Tolerancia);
    EXPECT_LE(informe.pruebas, 50);
    EXPECT_LT(std::abs(e.Q - 1.0), 1e-10);
    esperaCuatroCifras(e.y, 0.5524);
    esperaCuatroCifras(e.v, 2.247);
    esperaCuatroCifras(e.teta, 3.352);
    esperaCuatroCifras(e.Rh, 0.2655);
    esperaCuatroCifras(e.F, 1.073);
    esperaCuatroCifras(e.yD, 55.24);
    esperaCuatroCifras(e.AAf, 56.66);
    // Knowns stay as given.
    EXPECT_EQ(e.D, 1.0);
    EXPECT_EQ(e.n, 0.013);
    EXPECT_EQ(e.i, 0.005);
}

TEST(ColectorDeUnMetro, ElCaudalMaximoSeEncuentraEnLaPrimeraPrueba) {
    EstadoFlujo e = colector();
    e.Q = maximo().Q;
    const InformeTeta3 informe = TEO4(e);
    EXPECT_EQ(informe.pruebas, 1);
    EXPECT_EQ(e.Q, maximo().Q);
    EXPECT_NEAR(e.y, 0.938, 1e-12);
    EXPECT_NEAR(e.yD, 93.8, 1e-9);
}

TEST(ColectorDeUnMetro, EntreCaudalLlenoYMaximoSeTomaLaProfundidadInferior) {
    for (double Q : {caudalLleno(), 1.75, 1.82}) {
        SCOPED_TRACE(Q);
        EstadoFlujo e = colector();
        e.Q = Q;
        TEO4(e);
        EXPECT_LT(e.y, 0.938);
        EXPECT_LT(std::abs(e.Q - Q), 1e-10);
        if (Q == caudalLleno()) {
            esperaCuatroCifras(e.y, 0.8196);
        }
    }
}

// Ratios to the flow and velocity of the full section by Manning, from the published tables of
// the circular section: Qmax/Qll = 1.0757 at y/D = 0.9382, vmax/vll = 1.1400 at y/D = 0.8128.
TEST(TablasPublicadas, MaximosDeCaudalYVelocidadRelativosALaSeccionLlena) {
    const double D = 1.3, n = 0.014, i = 0.002;
    const double Af = All1(D);
    const double vll = V2(i, n, D / 4);
    const double Qll = Q1(vll, Af);
    double mejorQ = 0, yQ = 0, mejorV = 0, yV = 0;
    for (int k = 1; k < 10000; ++k) {
        EstadoFlujo e = colector(D, n, i);
        e.y = D * k / 10000.0;
        TEO6(e);
        if (e.Q > mejorQ) {
            mejorQ = e.Q;
            yQ = e.y / D;
        }
        if (e.v > mejorV) {
            mejorV = e.v;
            yV = e.y / D;
        }
    }
    EXPECT_NEAR(mejorQ / Qll, 1.0757, 5e-4);
    EXPECT_NEAR(yQ, 0.9382, 2e-3);
    EXPECT_NEAR(mejorV / vll, 1.1400, 5e-4);
    EXPECT_NEAR(yV, 0.8128, 2e-3);
    // Qmax, at 0.938·D, is the peak of the table within its rounding.
    EXPECT_NEAR(maximo(D, n, i).Q / Qll, 1.0757, 5e-4);
}

struct CasoSolver {
    std::string nombre;
    double D, n, i;
    double fraccionDeQmax;
};

class SolverTermina : public testing::TestWithParam<CasoSolver> {};

// The bisection must end for any collector, also where 1e-10 m3/s is below the resolution of
// the flow, and its answer must be the lower depth of the flow to double precision.
TEST_P(SolverTermina, ConLaProfundidadInferiorYUnResiduoAlLimiteDeLaPrecision) {
    const CasoSolver& c = GetParam();
    const double objetivo = maximo(c.D, c.n, c.i).Q * c.fraccionDeQmax;
    double Q = objetivo, teta = 0;
    const InformeTeta3 informe = TETA3(c.D, c.n, c.i, Q, teta);
    EXPECT_LE(informe.pruebas, 64);
    if (informe.fin == FinTeta3::Tolerancia) {
        EXPECT_LT(std::abs(Q - objetivo), kToleranciaTeta3);
    } else {
        EXPECT_LT(std::abs(Q - objetivo) / objetivo, 1e-13);
        EXPECT_GE(std::abs(Q - objetivo), kToleranciaTeta3);
    }
    EXPECT_LE(Y1(c.D, teta), 0.938 * c.D * (1 + 1e-15));
}

INSTANTIATE_TEST_SUITE_P(
    Colectores, SolverTermina,
    testing::Values(CasoSolver{"UnMetroCaudalMedio", 1, 0.013, 0.005, 0.5},
                    CasoSolver{"QuinientosMetrosCercaDelMaximo", 500, 0.013, 0.005, 1 - 1e-12},
                    CasoSolver{"QuinientosMetrosCaudalMedio", 500, 0.013, 0.005, 0.3},
                    CasoSolver{"QuinientosMetrosCaudalPequeno", 500, 0.013, 0.005, 0.002},
                    CasoSolver{"DiezKilometrosPendienteFuerte", 1e4, 0.01, 0.5, 0.9},
                    CasoSolver{"TuberiaDeUnMilimetro", 1e-3, 0.3, 1e-6, 0.5},
                    CasoSolver{"CaudalDiminuto", 1, 0.013, 0.005, 1e-9}),
    [](const testing::TestParamInfo<CasoSolver>& info) { return info.param.nombre; });

// At 500 m the flow is ~1e7 m3/s and one unit in the last place exceeds the tolerance.
TEST(SolverSinTolerancia, EnUnColectorEnormeTerminaCuandoElIntervaloNoPuedeEstrecharse) {
    const double objetivo = maximo(500, 0.013, 0.005).Q * 0.002;
    double Q = objetivo, teta = 0;
    const InformeTeta3 informe = TETA3(500, 0.013, 0.005, Q, teta);
    EXPECT_EQ(informe.fin, FinTeta3::IntervaloAgotado);
    EXPECT_LE(informe.pruebas, 64);
    EXPECT_LT(std::abs(Q - objetivo) / objetivo, 1e-14);
}

TEST(SolverFueraDePrecondicion, CaudalMayorQueElMaximoTerminaAgotandoElIntervalo) {
    double Q = maximo().Q * 1.01, teta = 0;
    const InformeTeta3 informe = TETA3(1.0, 0.013, 0.005, Q, teta);
    EXPECT_EQ(informe.fin, FinTeta3::IntervaloAgotado);
    EXPECT_LT(Q, maximo().Q * 1.01);
}

TEST(ErroresEnUnProcedimiento, LosCamposEscritosAntesDelFalloConservanSuValor) {
    EstadoFlujo e = colector();
    e.y = 1.0; // full section: the top width is 0 and L1 divides by it
    e.L = -1;
    e.F = -1;
    EXPECT_THROW(TEO6(e), ErrorAritmetico);
    EXPECT_EQ(e.T, 0.0);
    EXPECT_EQ(e.teta, kDosPi);
    EXPECT_NEAR(e.Q / Q1(V2(0.005, 0.013, 0.25), All1(1.0)), 1.0, 1e-14);
    EXPECT_EQ(e.L, -1);
    EXPECT_EQ(e.F, -1);
}

} // namespace
} // namespace colvero::hidraulica
