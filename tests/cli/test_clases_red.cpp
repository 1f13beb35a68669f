// The class of each verdict and the exit code of a network row come from the outcome values of
// the check, whatever the verdict lines say.
#include "check/textos_pendientes.h"
#include "network/comprobacion_red.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>

#include "../check/caso_base.h"

namespace colvero {
namespace {

// Each of the ten conditions passes.
Entradas caso() {
    return prueba::casoBase();
}

constexpr int S = 0, N = 1, E = 2, X = 3; // [SI], [NO], [ERROR], not evaluated

struct Fila {
    const char* nombre;
    std::function<void(Entradas&, Activas&)> cambio;
    int codigo;
    std::array<int, 10> clases;
};

class ClasesDeRed : public testing::TestWithParam<Fila> {};

TEST_P(ClasesDeRed, DeLosValoresDelMotor) {
    const Fila& f = GetParam();
    red::CriterioListo criterio;
    criterio.activas.fill(true);
    criterio.limites = caso();
    red::Trabajo t;
    t.d = caso();
    f.cambio(t.d, criterio.activas);
    t.criterio = &criterio;
    red::OpcionesRed o;
    o.sep = ',';
    o.csv = true;
    red::comprobarTrabajo(t, o, DialectoRed{});
    EXPECT_EQ(t.codigo, f.codigo);
    for (std::size_t k = 0; k < 10; ++k) {
        EXPECT_EQ(red::claseDeVeredicto(t.r.condiciones[k].veredicto), f.clases[k])
            << "(" << k + 1 << ") " << t.r.notas[k];
    }
    // The row's line of the result table carries its slope cell, numbers without exponents.
    ASSERT_TRUE(t.pendientes.has_value());
    std::string celda;
    anadirCeldaPendientes(celda, *t.pendientes, ',', true);
    EXPECT_NE(t.csv.find(celda), std::string::npos) << t.csv;
    EXPECT_EQ(celda.find("e-"), std::string::npos) << celda;
}

INSTANTIATE_TEST_SUITE_P(Red, ClasesDeRed,
                         testing::Values(Fila{"todas_cumplen",
                                              [](Entradas&, Activas&) {},
                                              0,
                                              {S, S, S, S, S, S, S, S, S, S}},
                                         Fila{"velocidad_maxima_superada",
                                              [](Entradas& d, Activas&) { d.Vmax = 0.5; },
                                              1,
                                              {S, N, S, S, S, S, S, S, S, S}},
                                         Fila{"capacidad_insuficiente",
                                              [](Entradas& d, Activas&) { d.Q[6] = 5; },
                                              1,
                                              {S, S, S, S, S, S, N, S, S, S}},
                                         Fila{"error_de_dato_pesa_mas_que_un_no",
                                              [](Entradas& d, Activas&) {
                                                  d.Q[1] = 0;
                                                  d.Imax = 0.001;
                                              },
                                              2,
                                              {S, E, S, S, S, S, S, S, N, S}},
                                         Fila{"desactivadas_sin_evaluar",
                                              [](Entradas&, Activas& a) {
                                                  a.fill(false);
                                                  a[7] = true;
                                              },
                                              0,
                                              {X, X, X, X, X, X, X, S, X, X}},
                                         Fila{"solo_desactivadas_no_cumplirian",
                                              [](Entradas& d, Activas& a) {
                                                  a[1] = false;
                                                  d.Vmax = 0.5;
                                              },
                                              0,
                                              {S, X, S, S, S, S, S, S, S, S}},
                                         Fila{"colector_rechazado",
                                              [](Entradas& d, Activas&) { d.n = 0; },
                                              2,
                                              {X, X, X, X, X, X, X, X, X, X}}),
                         [](const auto& i) { return std::string(i.param.nombre); });

// A row that could not be read is not checked, whatever its cells would give.
TEST(ClasesDeRedSinComprobar, FilaConError) {
    red::CriterioListo criterio;
    criterio.activas.fill(true);
    criterio.limites = caso();
    red::Trabajo t;
    t.d = caso();
    t.criterio = &criterio;
    t.error = "fila 2, columna D: «x» no es un número";
    red::comprobarTrabajo(t, red::OpcionesRed{}, DialectoRed{});
    EXPECT_EQ(t.codigo, 2);
    EXPECT_FALSE(t.pendientes.has_value());
}

} // namespace
} // namespace colvero
