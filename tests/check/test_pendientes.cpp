#include "check/pendientes.h"

#include "check/calcular.h"
#include "check/numero.h"

#include "busqueda_llana.h"
#include "caso_base.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <optional>
#include <string>

namespace colvero {
namespace {

using prueba::casoBase;

Activas solo(std::initializer_list<int> condiciones) {
    Activas a{};
    for (int k : condiciones) {
        a[k - 1] = true;
    }
    return a;
}

bool cumple(Entradas d, int k, double i) {
    d.i = i;
    return evaluarCondicion(d, k).veredicto == Veredicto::Cumple;
}

// The last shown digit's unit of a number text ("0,002147" → 1e-6, "1,5e-7" → 1e-8).
double unidad(const std::string& texto, char sep) {
    const std::size_t e = texto.find('e');
    const std::string mantisa = texto.substr(0, e);
    const std::size_t p = mantisa.find(sep);
    const int decimales = p == std::string::npos ? 0 : static_cast<int>(mantisa.size() - p - 1);
    const int exponente = e == std::string::npos ? 0 : std::stoi(texto.substr(e + 1));
    return std::pow(10.0, exponente - decimales);
}

struct Caso {
    const char* nombre;
    Entradas d;
    Activas activas;
    char sep;
};

Caso con(const char* nombre, Activas activas, void (*ajuste)(Entradas&), char sep = ',') {
    Entradas d = casoBase();
    if (ajuste) {
        ajuste(d);
    }
    return {nombre, d, activas, sep};
}

class ExtremosDeUnIntervalo : public testing::TestWithParam<Caso> {};

// Each shown end: typed back it passes every enabled condition; one shown unit outside, the
// deciding condition fails. The exact end is the last passing double of its condition.
TEST_P(ExtremosDeUnIntervalo, ElValorMostradoPasaYUnaUnidadFueraFalla) {
    const Caso& c = GetParam();
    const ResultadoPendientes r = pendientesAdmisibles(c.d, c.activas, c.sep);
    ASSERT_EQ(r.fin, FinPendientes::Realizado);
    ASSERT_EQ(r.intervalos.size(), 1u) << r.motivo;
    const IntervaloPendientes& t = r.intervalos[0];
    ASSERT_TRUE(t.minima || t.maxima);
    for (const bool esMinima : {true, false}) {
        const std::optional<ExtremoPendiente>& e = esMinima ? t.minima : t.maxima;
        if (!e) {
            continue;
        }
        SCOPED_TRACE(e->texto);
        const double afuera = esMinima ? 0.0 : 2.0;
        const int k = e->condicion;
        ASSERT_GE(k, 1);
        ASSERT_TRUE(c.activas[k - 1]);
        EXPECT_EQ(cumple(c.d, k, e->valor), e->incluido);
        EXPECT_FALSE(cumple(c.d, k, std::nextafter(e->valor, afuera)));
        if (!e->incluido) {
            EXPECT_TRUE(cumple(c.d, k, std::nextafter(e->valor, 1.0 - afuera)));
        }
        EXPECT_EQ(e->texto.find(c.sep == ',' ? '.' : ','), std::string::npos);
        const std::optional<double> mostrado = leerNumero(e->texto, c.sep);
        ASSERT_TRUE(mostrado);
        if (k == 8 && esMinima) {
            EXPECT_EQ(*mostrado, c.d.Imin); // shown as it is, excluded
            EXPECT_FALSE(e->incluido);
            continue;
        }
        EXPECT_TRUE(prueba::todasCumplen(c.d, c.activas, *mostrado));
        const double paso = unidad(e->texto, c.sep);
        const double fuera = esMinima ? *mostrado - paso : *mostrado + paso;
        EXPECT_FALSE(cumple(c.d, k, fuera)) << fuera;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Pendientes, ExtremosDeUnIntervalo,
    testing::Values(
        con("DiezCondicionesConComa", solo({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), nullptr),
        con("DiezCondicionesConPunto", solo({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), nullptr, '.'),
        con("SinLimitesDePendienteDecidenLasHidraulicas", solo({1, 2, 3, 4, 5, 6, 7, 10}), nullptr),
        con("VelocidadesMinimaYMaxima", solo({3, 2}), [](Entradas& d) { d.Vmax = 2.5; }),
        con("FroudeMinimoYMaximo", solo({6, 7}), nullptr),
        con("LlenadoYCapacidad", solo({1, 4}), [](Entradas& d) { d.Q[3] = 0.3; }),
        con("AutolimpiezaDeLaCondicion10", solo({10}), [](Entradas& d) { d.Vmin10 = 1; }),
        con("PendientesConstructivas", solo({8, 9}), nullptr),
        con("DiametroPequenoYCaudalMinimo", solo({1, 2, 3, 4, 5, 6, 7, 10}),
            [](Entradas& d) {
                d.D = 0.3;
                d.Q.fill(0.002);
                d.Fmax = 5;
                d.dpMin = 1;
            }),
        // Lighter than water: dp5 < 0 falls as the slope grows, so condition 5 gives an upper
        // bound instead of a lower one.
        con("ParticulaMasLigeraQueElAgua", solo({5}),
            [](Entradas& d) {
                d.gammaParticula = 0.9;
                d.dpMin = -1000;
            })),
    [](const testing::TestParamInfo<Caso>& i) { return std::string(i.param.nombre); });

// With a flow of 13 ml/s the depth search stops within its 1e-10 m3/s long before the depth
// is exact, and the verdicts waver over a stretch of slopes a million doubles wide. Each end is
// still a change of verdict: its condition passes there, and one double outside it fails.
TEST(Pendientes, CaudalDiminutoCadaExtremoEsUnCambio) {
    Entradas d = casoBase();
    d.D = 0x1.d98826240c719p-3;
    d.n = 0x1.d2db961000792p-7;
    d.Q.fill(0x1.c4062fededddbp-17);
    d.Vmax = 0x1.cd9b0cc68b928p-3;
    d.yDmax = 0x1.faa72609e132ap+0;
    d.Fmin = 0x1.b275a5446236p-6;
    const ResultadoPendientes r = pendientesAdmisibles(d, solo({2, 4, 6}), '.');
    ASSERT_EQ(r.intervalos.size(), 1u) << r.motivo;
    const IntervaloPendientes& t = r.intervalos[0];
    ASSERT_TRUE(t.minima && t.maxima);
    EXPECT_TRUE(cumple(d, t.minima->condicion, t.minima->valor));
    EXPECT_FALSE(cumple(d, t.minima->condicion, std::nextafter(t.minima->valor, 0.0)));
    EXPECT_TRUE(cumple(d, t.maxima->condicion, t.maxima->valor));
    EXPECT_FALSE(cumple(d, t.maxima->condicion, std::nextafter(t.maxima->valor, 1.0)));
}

// A case as the window holds it: texts with a decimal comma, the given conditions enabled.
struct Tecleado {
    const char* nombre;
    const char* D;
    std::array<const char*, 7> Q;
    const char* Vmax;
    const char* Vmin;
    const char* yDmax;
    const char* dpMin;
    Activas activas;
};

Calculo calculo(const Tecleado& t) {
    Calculo c;
    c.colector = {t.D, "0,013", "0,005"};
    for (std::size_t k = 0; k < 7; ++k) {
        c.caudal[k] = t.Q[k];
    }
    Criterio& k = c.criterio;
    k.activa = t.activas;
    k.Vmax = t.Vmax;
    k.Vmin = t.Vmin;
    k.yDmax = t.yDmax;
    k.gammaParticula = "2,65";
    k.gammaAgua = "1";
    k.dpMin = t.dpMin;
    k.Fmin = "0,3";
    k.Fmax = "3";
    k.Imin = "0,0001";
    k.Imax = "0,3";
    k.yD10 = "50";
    k.Vmin10 = "0,3";
    return c;
}

class ExtremosTecleados : public testing::TestWithParam<Tecleado> {};

// Every shown end, typed into the case's slope box and run through Calcular as the window does
// it, gives what it says: every enabled condition «[SI]» if it is included, some condition not
// if it is excluded.
TEST_P(ExtremosTecleados, CalcularDaLoQueElExtremoPromete) {
    Calculo c = calculo(GetParam());
    const std::optional<Entradas> d = convertirEntradas(c, ',');
    ASSERT_TRUE(d);
    const ResultadoPendientes r = pendientesAdmisibles(*d, c.criterio.activa, ',');
    ASSERT_EQ(r.fin, FinPendientes::Realizado);
    ASSERT_FALSE(r.intervalos.empty()) << r.motivo;
    int extremos = 0;
    for (const IntervaloPendientes& t : r.intervalos) {
        for (const auto* e : {&t.minima, &t.maxima}) {
            if (!*e) {
                continue;
            }
            ++extremos;
            SCOPED_TRACE((*e)->texto);
            c.colector.i = (*e)->texto;
            ValoresGuardados guardados;
            const ResultadoCalculo calculado = calcular(c, guardados, ',');
            ASSERT_EQ(calculado.fin, FinCalculo::Realizado);
            bool todas = true;
            for (int k = 1; k <= 10; ++k) {
                if (c.criterio.activa[k - 1]) {
                    const bool si = calculado.notas[k - 1].find("[SI]") != std::string::npos;
                    EXPECT_EQ(si, calculado.condiciones[k - 1].veredicto == Veredicto::Cumple);
                    todas = todas && si;
                }
            }
            EXPECT_EQ(todas, (*e)->incluido);
        }
    }
    EXPECT_GT(extremos, 0);
}

constexpr Activas solo2{false, true};
constexpr Activas todas{true, true, true, true, true, true, true, true, true, true};

INSTANTIATE_TEST_SUITE_P(Pendientes, ExtremosTecleados,
                         testing::Values(
                             // 0,005577 gave v = 0,20000001 while the search's own end passed.
                             Tecleado{"MedioMetroCon02LitrosPorSegundo",
                                      "0,6",
                                      {"1", "0,0002", "1", "1", "1", "1", "1"},
                                      "0,2",
                                      "0,1",
                                      "80",
                                      "1",
                                      solo2},
                             Tecleado{"UnMetroCon2e11MetrosCubicos",
                                      "1",
                                      {"1", "2,04e-11", "1", "1", "1", "1", "1"},
                                      "0,0032",
                                      "0,1",
                                      "80",
                                      "1",
                                      solo2},
                             Tecleado{"CaudalesDiminutosYDiezCondiciones",
                                      "0,3",
                                      {"1e-9", "3e-7", "2e-6", "1e-5", "4e-8", "1e-4", "2e-10"},
                                      "0,05",
                                      "0,002",
                                      "3",
                                      "1e-6",
                                      todas},
                             Tecleado{"CaudalesDeProyectoYDiezCondiciones",
                                      "1",
                                      {"1", "1", "0,2", "1", "1", "1", "1"},
                                      "3",
                                      "0,6",
                                      "75",
                                      "1",
                                      todas}),
                         [](const testing::TestParamInfo<Tecleado>& i) {
                             return std::string(i.param.nombre);
                         });

TEST(Pendientes, ParticulaMasLigeraQueElAguaAcotaPorArriba) {
    Entradas d = casoBase();
    d.gammaParticula = 0.9;
    d.dpMin = -1000;
    const ResultadoPendientes r = pendientesAdmisibles(d, solo({5}), ',');
    ASSERT_EQ(r.intervalos.size(), 1u);
    ASSERT_TRUE(r.intervalos[0].maxima);
    EXPECT_EQ(r.intervalos[0].maxima->condicion, 5);
    // The lower end is the capacity of the section for Q5.
    ASSERT_TRUE(r.intervalos[0].minima);
    EXPECT_EQ(r.intervalos[0].minima->condicion, 5);
    EXPECT_LT(r.intervalos[0].minima->valor, r.intervalos[0].maxima->valor);
}

TEST(Pendientes, EnUnEmpateDecideLaCondicionDeMenorNumero) {
    // The same flow in conditions 2 and 3 reaches the capacity of the section at the same
    // slope; both limits are out of the way.
    Entradas d = casoBase();
    d.Vmax = 100;
    d.Vmin = 1e-6;
    const ResultadoPendientes r = pendientesAdmisibles(d, solo({3, 2}), '.');
    ASSERT_EQ(r.intervalos.size(), 1u);
    ASSERT_TRUE(r.intervalos[0].minima);
    EXPECT_EQ(r.intervalos[0].minima->condicion, 2);
    EXPECT_FALSE(r.intervalos[0].maxima);
}

TEST(Pendientes, LimitesDeLas8Y9TalCualSon) {
    Entradas d = casoBase();
    d.Imin = 0.0021;
    d.Imax = 0.0375;
    const ResultadoPendientes r = pendientesAdmisibles(d, solo({8, 9}), ',');
    ASSERT_EQ(r.intervalos.size(), 1u);
    const IntervaloPendientes& t = r.intervalos[0];
    ASSERT_TRUE(t.minima && t.maxima);
    EXPECT_EQ(t.minima->texto, "0,0021");
    EXPECT_EQ(t.minima->valor, 0.0021);
    EXPECT_FALSE(t.minima->incluido);
    EXPECT_EQ(t.maxima->texto, "0,0375");
    EXPECT_EQ(t.maxima->valor, 0.0375);
    EXPECT_TRUE(t.maxima->incluido);
}

// An Imin that 15 digits do not write exactly (0.1 + 0.2 reads as 0.30000000000000004): «0,3»
// typed back would pass (8), against the excluded end it stands for.
TEST(Pendientes, IminExcluidaSeMuestraCifraACifra) {
    Entradas d = casoBase();
    d.Imin = 0.1 + 0.2;
    const ResultadoPendientes r = pendientesAdmisibles(d, solo({8}), ',');
    ASSERT_EQ(r.intervalos.size(), 1u);
    ASSERT_TRUE(r.intervalos[0].minima);
    const ExtremoPendiente& e = *r.intervalos[0].minima;
    EXPECT_FALSE(e.incluido);
    EXPECT_EQ(e.texto, "0,30000000000000004");
    EXPECT_FALSE(cumple(d, 8, *leerNumero(e.texto, ',')));
}

TEST(Pendientes, SinCondicionesActivasPasaTodoElRango) {
    const ResultadoPendientes r = pendientesAdmisibles(casoBase(), Activas{}, ',');
    ASSERT_EQ(r.intervalos.size(), 1u);
    EXPECT_FALSE(r.intervalos[0].minima);
    EXPECT_FALSE(r.intervalos[0].maxima);
}

struct SinSolucion {
    const char* nombre;
    Activas activas;
    void (*ajuste)(Entradas&);
    FinPendientes fin;
    const char* motivo;
};

class NingunaPendiente : public testing::TestWithParam<SinSolucion> {};

TEST_P(NingunaPendiente, ExplicaPorQue) {
    const SinSolucion& c = GetParam();
    Entradas d = casoBase();
    c.ajuste(d);
    const ResultadoPendientes r = pendientesAdmisibles(d, c.activas, ',');
    EXPECT_EQ(r.fin, c.fin);
    EXPECT_TRUE(r.intervalos.empty());
    EXPECT_EQ(r.motivo, c.motivo);
}

INSTANTIATE_TEST_SUITE_P(
    Pendientes, NingunaPendiente,
    testing::Values(
        SinSolucion{"IminEImaxIguales", solo({8, 9}), [](Entradas& d) { d.Imin = d.Imax = 0.005; },
                    FinPendientes::Realizado,
                    "La condición (8) pide i > 0,005 y la (9) i ≤ 0,005."},
        SinSolucion{"LlenadoImposible", solo({4, 8}), [](Entradas& d) { d.yDmax = 1; },
                    FinPendientes::Realizado,
                    "La condición (4) no se cumple con ninguna pendiente entre 0,0000001 y 1 m/m."},
        SinSolucion{"CaudalNulo", solo({1, 2, 3}), [](Entradas& d) { d.Q[1] = 0; },
                    FinPendientes::Realizado,
                    "La condición (2) da «(2)  [ERROR]  Q2<=0» con cualquier pendiente."},
        SinSolucion{"LlenadoDeLa10FueraDeRango", solo({10}), [](Entradas& d) { d.yD10 = 101; },
                    FinPendientes::Realizado,
                    "La condición (10) da «(10)  [ERROR]  (y/D)>100%» con cualquier pendiente."},
        SinSolucion{"PesosEspecificosIguales", solo({5}),
                    [](Entradas& d) { d.gammaParticula = d.gammaAgua; }, FinPendientes::Error,
                    "Datos de entrada erroneos"},
        SinSolucion{"ManningNulo", solo({1}), [](Entradas& d) { d.n = 0; },
                    FinPendientes::ColectorInvalido,
                    "El Nº de Manning ha de ser superior a 0.0001"}),
    [](const testing::TestParamInfo<SinSolucion>& i) { return std::string(i.param.nombre); });

// Minimum velocity above the maximum one at the same flow: the lower bound of (3) lies above
// the upper bound of (2), and both shown values say so.
TEST(NingunaPendiente, VelocidadesEnConflictoNombranAmbasCotas) {
    Entradas d = casoBase();
    d.Vmax = 2;
    d.Vmin = 2.5;
    const ResultadoPendientes r = pendientesAdmisibles(d, solo({2, 3}), ',');
    ASSERT_TRUE(r.intervalos.empty());
    const std::string inicio = "La condición (3) pide i ≥ ";
    ASSERT_EQ(r.motivo.substr(0, inicio.size()), inicio) << r.motivo;
    const std::size_t y = r.motivo.find(" y la (2) i ≤ ");
    ASSERT_NE(y, std::string::npos) << r.motivo;
    const auto cota = leerNumero(r.motivo.substr(inicio.size(), y - inicio.size()), ',');
    const std::string resto = r.motivo.substr(y + std::string(" y la (2) i ≤ ").size());
    const auto otra = leerNumero(resto.substr(0, resto.size() - 1), ',');
    ASSERT_TRUE(cota && otra);
    EXPECT_GT(*cota, *otra);
    EXPECT_TRUE(cumple(d, 3, *cota));
    EXPECT_FALSE(cumple(d, 2, *cota));
    EXPECT_TRUE(cumple(d, 2, *otra));
}

struct Redondeo {
    double x;
    bool esMinima;
    double minima, maxima;
    const char* texto;
};

class TextoDeUnExtremo : public testing::TestWithParam<Redondeo> {};

TEST_P(TextoDeUnExtremo, CuatroCifrasHaciaDentroOMasSiNoCaben) {
    const Redondeo& c = GetParam();
    EXPECT_EQ(textoExtremo(c.x, c.esMinima, c.minima, c.maxima, ','), c.texto);
}

INSTANTIATE_TEST_SUITE_P(Pendientes, TextoDeUnExtremo,
                         testing::Values(Redondeo{0.0021461, true, 0.0021461, 0.01, "0,002147"},
                                         Redondeo{0.0021469, false, 0.001, 0.0021469, "0,002146"},
                                         Redondeo{0.0021, true, 0.0021, 0.01, "0,0021"},
                                         Redondeo{9.99951e-3, true, 9.99951e-3, 0.5, "0,01"},
                                         Redondeo{1.00001e-3, false, 1e-4, 1.00001e-3, "0,001"},
                                         Redondeo{1.23411e-7, true, 1.23411e-7, 1e-6, "1,235e-7"},
                                         Redondeo{0.00214611, true, 0.00214611, 0.0021465,
                                                  "0,0021462"},
                                         Redondeo{0.5, false, 0.1, 0.5, "0,5"}));

} // namespace
} // namespace colvero
