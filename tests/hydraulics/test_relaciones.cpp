#include "hydraulics/aritmetica.h"
#include "hydraulics/relaciones.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

namespace colvero::hidraulica {
namespace {

constexpr double kDiametros[] = {0.2, 1.0, 2.5, 500.0};

TEST(SeccionLlena, AnguloDeUnaProfundidadIgualOMayorQueElDiametroEsExactamenteDosPi) {
    for (double D : kDiametros) {
        SCOPED_TRACE(D);
        EXPECT_EQ(TETA1(D, D), kDosPi);
        EXPECT_EQ(TETA1(1.5 * D, D), kDosPi);
        EXPECT_LT(TETA1(D * (1 - 1e-9), D), kDosPi);
    }
}

TEST(SeccionLlena, RelacionesEnDosPiDanLaSeccionCompletaSinRedondeo) {
    for (double D : kDiametros) {
        SCOPED_TRACE(D);
        EXPECT_EQ(A1(D, kDosPi), All1(D));
        EXPECT_EQ(Y1(D, kDosPi), D);
        EXPECT_EQ(T1(D, kDosPi), 0.0);
        EXPECT_EQ(PY1(D, D), 100.0);
        EXPECT_NEAR(PA1(All1(D), D), 100.0, 1e-12);
        EXPECT_NEAR(RH1(All1(D), PM1(D, kDosPi)) / (D / 4), 1.0, 1e-14);
    }
}

TEST(SeccionLlena, AreaDeLaSeccionLlenaIgualAlAreaMojadaEnDosPiParaCualquierDiametro) {
    for (double D = 0.05; D < 20; D *= 1.037) {
        SCOPED_TRACE(D);
        EXPECT_EQ(A1(D, kDosPi), All1(D));
    }
}

TEST(SeccionMedia, AnguloPiAnchoDiametroYRadioHidraulicoDeLaLlena) {
    for (double D : kDiametros) {
        SCOPED_TRACE(D);
        const double teta = TETA1(D / 2, D);
        // The literal π and the library's arctan(1) differ by a few units in the last place.
        EXPECT_NEAR(teta, kPi, 1e-14);
        EXPECT_NEAR(T1(D, teta) / D, 1.0, 1e-14);
        EXPECT_NEAR(RH1(A1(D, teta), PM1(D, teta)) / (D / 4), 1.0, 1e-14);
    }
}

// Independent closed forms: θ = 2·acos(1 − 2y/D), A = D²(θ − sin θ)/8, T = D·sin(θ/2).
TEST(FormasCerradas, LasRelacionesCoincidenConLasFormulasDeLaSeccionCircular) {
    const double D = 1.7;
    for (double f = 0.01; f < 1.0; f += 0.01) {
        SCOPED_TRACE(f);
        const double y = f * D;
        const double teta = TETA1(y, D);
        EXPECT_NEAR(teta / (2 * std::acos(1 - 2 * f)), 1.0, 1e-12);
        EXPECT_NEAR(A1(D, teta) / (D * D * (teta - std::sin(teta)) / 8), 1.0, 1e-9);
        EXPECT_NEAR(T1(D, teta) / (D * std::sin(teta / 2)), 1.0, 1e-12);
        EXPECT_NEAR(Y1(D, teta) / y, 1.0, 1e-12);
    }
}

TEST(Manning, VelocidadYFroudeSiguenSusFormulas) {
    EXPECT_NEAR(V2(0.005, 0.013, 0.25), std::sqrt(0.005) * std::cbrt(0.0625) / 0.013, 1e-15);
    EXPECT_DOUBLE_EQ(F1(2.0, 0.4), 2.0 / std::sqrt(9.81 * 0.4));
    EXPECT_DOUBLE_EQ(K1(1.0, 0.0025), 20.0);
    EXPECT_DOUBLE_EQ(V1(Q1(3.0, 0.5), 0.5), 3.0);
}

struct Fallo {
    std::string nombre;
    std::function<double()> operacion;
};

class FalloAritmetico : public testing::TestWithParam<Fallo> {};

TEST_P(FalloAritmetico, SeSenalaComoErrorAritmetico) {
    EXPECT_THROW(GetParam().operacion(), ErrorAritmetico);
}

INSTANTIATE_TEST_SUITE_P(
    Relaciones, FalloAritmetico,
    testing::Values(Fallo{"AnguloDeProfundidadCero", [] { return TETA1(0.0, 1.0); }},
                    Fallo{"AnguloDeProfundidadNegativa", [] { return TETA1(-0.1, 1.0); }},
                    Fallo{"AnguloConDiametroCero", [] { return TETA1(-1.0, 0.0); }},
                    Fallo{"ProfundidadHidraulicaDeLaSeccionLlena",
                          [] { return L1(T1(1.0, kDosPi), A1(1.0, kDosPi)); }},
                    Fallo{"RadioHidraulicoSinPerimetro", [] { return RH1(0.0, 0.0); }},
                    Fallo{"ManningConPendienteNegativa", [] { return V2(-0.005, 0.013, 0.25); }},
                    Fallo{"ManningConRadioNegativo", [] { return V2(0.005, 0.013, -0.25); }},
                    Fallo{"ManningConRugosidadCero", [] { return V2(0.005, 0.0, 0.25); }},
                    Fallo{"ConductividadConPendienteCero", [] { return K1(1.0, 0.0); }},
                    Fallo{"FroudeConProfundidadCero", [] { return F1(1.0, 0.0); }},
                    Fallo{"FroudeConProfundidadNegativa", [] { return F1(1.0, -0.5); }},
                    Fallo{"FraccionDeAreaConDiametroCero", [] { return PA1(0.0, 0.0); }},
                    Fallo{"AreaLlenaQueDesborda", [] { return All1(1e200); }},
                    Fallo{"ContinuidadQueDesborda", [] { return Q1(1e200, 1e200); }}),
    [](const testing::TestParamInfo<Fallo>& info) { return info.param.nombre; });

} // namespace
} // namespace colvero::hidraulica
