#include "check/calcular.h"

#include "hydraulics/estado_flujo.h"

#include <gtest/gtest.h>

#include <array>
#include <charconv>
#include <functional>
#include <string>

namespace colvero {
namespace {

const std::array<std::string, 10> kSinVerdictos{"-", "-", "-", "-", "-", "-", "-", "-", "-", "-"};

// D = 1 m, n = 0.013, i = 0.005, every flow 1 m3/s and limits that every condition meets.
Calculo casoValido() {
    Calculo c;
    c.colector = {"1", "0.013", "0.005"};
    c.caudal.fill("1");
    Criterio& k = c.criterio;
    k.Vmax = "3";
    k.Vmin = "0.6";
    k.yDmax = "75";
    k.gammaParticula = "2.65";
    k.gammaAgua = "1";
    k.dpMin = "10";
    k.Fmin = "1";
    k.Fmax = "2";
    k.Imin = "0.004";
    k.Imax = "0.01";
    k.yD10 = "50";
    k.Vmin10 = "0.6";
    return c;
}

// Shortest text that reads back as exactly x, to build ties with computed values.
std::string exacto(double x) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, x);
    return std::string(buf, r.ptr);
}

void esperaCuatroCifras(double real, double esperado) {
    EXPECT_NEAR(real / esperado, 1.0, 5e-4) << real << " vs " << esperado;
}

TEST(CasoCompleto, TodasLasCondicionesSeCumplenConSusTextos) {
    ValoresGuardados g;
    const ResultadoCalculo r = calcular(casoValido(), g, '.');
    EXPECT_EQ(r.fin, FinCalculo::Realizado);
    EXPECT_TRUE(r.habilitaInforme());
    EXPECT_EQ(r.notaCalC, "CÁLCULO REALIZADO");
    EXPECT_EQ(r.notaCol, "-");
    EXPECT_EQ(r.notas, (std::array<std::string, 10>{
                           "(1)  [SI]  Qll > Q1", "(2)  [SI]  V2 < Vmax", "(3)  [SI]  V3 > Vmin",
                           "(4)  [SI]  (y/D)4 < (y/D)max", "(5)  [SI]  (dp)5 > (dp)min",
                           "(6)  [SI]  F6 > Fmin", "(7)  [SI]  F7 < Fmax", "(8)  [SI]  I8 > Imin",
                           "(9)  [SI]  I9 < Imax", "(10) [SI]  V10 > Vmin10"}));
    EXPECT_EQ(r.campos, (CamposCalculados{"1.69534772", "2.24717707", "2.24717707", "55.23997550",
                                          "0.26554826", "17.12110021", "1.07256195", "1.07256195",
                                          "0.005", "0.005", "2.15858086"}));
    esperaCuatroCifras(g.Qll, 1.695);
    esperaCuatroCifras(g.Vel2, 2.247);
    esperaCuatroCifras(g.Vel3, 2.247);
    esperaCuatroCifras(g.yD4, 55.24);
    esperaCuatroCifras(g.Rh5, 0.2655);
    esperaCuatroCifras(g.dp5, 17.12);
    esperaCuatroCifras(g.F6, 1.073);
    esperaCuatroCifras(g.F7, 1.073);
    EXPECT_EQ(g.I8, 0.005);
    EXPECT_EQ(g.I9, 0.005);
    esperaCuatroCifras(g.Vel10, 2.159);

    // A second run on the same data gives the same texts and values.
    ValoresGuardados g2 = g;
    const ResultadoCalculo r2 = calcular(casoValido(), g2, '.');
    EXPECT_EQ(r2.notas, r.notas);
    EXPECT_EQ(r2.campos, r.campos);
    EXPECT_EQ(g2, g);
}

TEST(CasoCompleto, ConComaDecimalLeeYEscribeConComa) {
    Calculo c = casoValido();
    c.colector = {"1", "0,013", "0,005"};
    c.criterio.Vmin = "0,6";
    c.criterio.gammaParticula = "2,65";
    c.criterio.Imin = "0,004";
    c.criterio.Imax = "0,01";
    c.criterio.Vmin10 = "0,6";
    ValoresGuardados g;
    const ResultadoCalculo r = calcular(c, g, ',');
    EXPECT_EQ(r.fin, FinCalculo::Realizado);
    EXPECT_EQ(r.campos.Text37, "1,69534772");
    EXPECT_EQ(r.campos.Text62, "0,005");
    EXPECT_EQ(r.campos.Text73, "2,15858086");

    // The same case with '.' texts does not read under ','.
    ValoresGuardados g3;
    EXPECT_EQ(calcular(casoValido(), g3, ',').fin, FinCalculo::Error);
}

TEST(VentanaRecienAbierta, SeDetieneEnElNumeroDeManning) {
    ValoresGuardados g;
    const ResultadoCalculo r = calcular(Calculo{}, g, '.');
    EXPECT_EQ(r.fin, FinCalculo::ColectorInvalido);
    EXPECT_EQ(r.notaCol, "El Nº de Manning ha de ser superior a 0.0001");
    EXPECT_EQ(r.notaCalC, "-");
    EXPECT_FALSE(r.habilitaInforme());
}

TEST(VentanaRecienAbierta, SoloConElColectorCadaCondicionDaSuErrorDeEntrada) {
    Calculo c;
    c.colector = {"1", "0.013", "0.005"};
    ValoresGuardados g;
    const ResultadoCalculo r = calcular(c, g, '.');
    EXPECT_EQ(r.notaCalC, "CÁLCULO REALIZADO");
    EXPECT_EQ(r.notas, (std::array<std::string, 10>{
                           "(1)  [ERROR]  Q1<=0", "(2)  [ERROR]  V2<=0", "(3)  [ERROR]  V3<=0",
                           "(4)  [ERROR]  Q4<=0", "(5)  [ERROR]  Q5<=0", "(6)  [ERROR]  Q6<=0",
                           "(7)  [ERROR]  Q7<=0", "(8)  [SI]  I8 > Imin", "(9)  [NO]  I9 > Imax",
                           "(10)  [ERROR]  (y/D)<=0%"}));
    CamposCalculados esperados{"", "", "", "", "", "", "", "", "0.005", "0.005", ""};
    EXPECT_EQ(r.campos, esperados);
}

TEST(CondicionesDesactivadas, SinVerdictosYLasPendientesMuestranLoGuardado) {
    Calculo c = casoValido();
    c.criterio.activa.fill(false);
    ValoresGuardados g;
    ResultadoCalculo r = calcular(c, g, '.');
    EXPECT_EQ(r.fin, FinCalculo::Realizado);
    EXPECT_EQ(r.notas, kSinVerdictos);
    EXPECT_EQ(r.campos, (CamposCalculados{"", "", "", "", "", "", "", "", "0", "0", ""}));
    EXPECT_EQ(g, ValoresGuardados{});

    // The slopes stored by an earlier run stay on show while 8 and 9 are off.
    ValoresGuardados previo;
    previo.I8 = 0.002;
    previo.I9 = 0.0125;
    r = calcular(c, previo, '.');
    EXPECT_EQ(r.campos.Text62, "0.002");
    EXPECT_EQ(r.campos.Text61, "0.0125");
}

struct Colector {
    std::string nombre;
    DatosColector datos;
    std::string mensaje; // empty: accepted
};

class ValidacionDelColector : public testing::TestWithParam<Colector> {};

TEST_P(ValidacionDelColector, MensajeEnNotaColYNadaMas) {
    Calculo c = casoValido();
    c.colector = GetParam().datos;
    ValoresGuardados g;
    g.Qll = 7; // a stored value of an earlier run
    const ResultadoCalculo r = calcular(c, g, '.');
    if (GetParam().mensaje.empty()) {
        EXPECT_EQ(r.fin, FinCalculo::Realizado);
        EXPECT_EQ(r.notaCol, "-");
        return;
    }
    EXPECT_EQ(r.fin, FinCalculo::ColectorInvalido);
    EXPECT_EQ(r.notaCol, GetParam().mensaje);
    EXPECT_EQ(r.notaCalC, "-");
    EXPECT_EQ(r.notas, kSinVerdictos);
    EXPECT_EQ(r.campos, CamposCalculados{});
    EXPECT_EQ(g.Qll, 7);
}

INSTANTIATE_TEST_SUITE_P(
    Colector, ValidacionDelColector,
    testing::Values(
        Colector{"ManningEnElMinimo",
                 {"1", "0.0001", "0.005"},
                 "El Nº de Manning ha de ser superior a 0.0001"},
        Colector{"ManningNegativo",
                 {"1", "-0.013", "0.005"},
                 "El Nº de Manning ha de ser superior a 0.0001"},
        Colector{"ManningJustoSobreElMaximo",
                 {"1", "0.3000001", "0.005"},
                 "El Nº de Manning ha de ser inferior a 0.3"},
        Colector{"ManningEnElMaximoPasa", {"1", "0.3", "0.005"}, ""},
        Colector{"DiametroCero", {"0", "0.013", "0.005"}, "El diámetro ha de ser superior a 0"},
        Colector{
            "DiametroNegativo", {"-1", "0.013", "0.005"}, "El diámetro ha de ser superior a 0"},
        Colector{"PendienteCero", {"1", "0.013", "0"}, "La pendiente ha de ser superior al 0%"},
        Colector{
            "PendienteNegativa", {"1", "0.013", "-0.01"}, "La pendiente ha de ser superior al 0%"},
        Colector{"PendienteDelCincuentaPorCientoPasa", {"1", "0.013", "0.5"}, ""},
        Colector{"ManningAntesQueDiametro",
                 {"0", "0", "0"},
                 "El Nº de Manning ha de ser superior a 0.0001"},
        Colector{"DiametroAntesQuePendiente",
                 {"0", "0.013", "0"},
                 "El diámetro ha de ser superior a 0"}),
    [](const testing::TestParamInfo<Colector>& info) { return info.param.nombre; });

struct CampoTexto {
    std::string nombre;
    std::function<std::string&(Calculo&)> campo;
    CampoNumerico esperado;
};

class TextoNoNumerico : public testing::TestWithParam<CampoTexto> {};

// Every numeric field is converted at the start, whether its condition is enabled or not.
TEST_P(TextoNoNumerico, TerminaConDatosErroneosAntesDeCualquierVeredicto) {
    Calculo c = casoValido();
    c.criterio.activa.fill(false);
    GetParam().campo(c) = "1,5x";
    ValoresGuardados g;
    const ResultadoCalculo r = calcular(c, g, '.');
    EXPECT_EQ(r.fin, FinCalculo::Error);
    EXPECT_EQ(r.notaCalC, "Datos de entrada erroneos");
    EXPECT_EQ(r.campoErroneo, GetParam().esperado);
    EXPECT_EQ(r.notaCol, "-");
    EXPECT_FALSE(r.habilitaInforme());
    EXPECT_EQ(r.notas, kSinVerdictos);
    EXPECT_EQ(r.campos, CamposCalculados{});
}

// With several bad fields, the run names the first one it converts.
TEST(TextoNoNumerico, NombraElPrimeroEnElOrdenDeConversion) {
    Calculo c = casoValido();
    c.criterio.Vmin10 = "x";
    c.criterio.Vmax = "y";
    c.caudal[2] = "z";
    ValoresGuardados g;
    EXPECT_EQ(calcular(c, g, '.').campoErroneo, CampoNumerico::Vmax);
    EXPECT_STREQ(nombreCampo(CampoNumerico::Vmax), "Vmax (m/s) de la condición (2)");
}

#define CAMPO(nombre, expr)                                                                        \
    CampoTexto {                                                                                   \
#nombre, [](Calculo & c) -> std::string& { return expr; }, CampoNumerico::nombre           \
    }
INSTANTIATE_TEST_SUITE_P(
    Campos, TextoNoNumerico,
    testing::Values(CAMPO(D, c.colector.D), CAMPO(n, c.colector.n), CAMPO(i, c.colector.i),
                    CAMPO(Q1, c.caudal[0]), CAMPO(Q2, c.caudal[1]), CAMPO(Q3, c.caudal[2]),
                    CAMPO(Q4, c.caudal[3]), CAMPO(Q5, c.caudal[4]), CAMPO(Q6, c.caudal[5]),
                    CAMPO(Q7, c.caudal[6]), CAMPO(Vmax, c.criterio.Vmax),
                    CAMPO(Vmin, c.criterio.Vmin), CAMPO(yDmax, c.criterio.yDmax),
                    CAMPO(gammaParticula, c.criterio.gammaParticula),
                    CAMPO(gammaAgua, c.criterio.gammaAgua), CAMPO(dpMin, c.criterio.dpMin),
                    CAMPO(Fmin, c.criterio.Fmin), CAMPO(Fmax, c.criterio.Fmax),
                    CAMPO(Imin, c.criterio.Imin), CAMPO(Imax, c.criterio.Imax),
                    CAMPO(yD10, c.criterio.yD10), CAMPO(Vmin10, c.criterio.Vmin10)),
    [](const testing::TestParamInfo<CampoTexto>& info) { return info.param.nombre; });
#undef CAMPO

struct Veredicto {
    std::string nombre;
    std::function<void(Calculo&)> cambio;
    int k;
    std::string nota;
    bool conValor; // the condition shows a computed value
};

class VeredictoDeCondicion : public testing::TestWithParam<Veredicto> {};

TEST_P(VeredictoDeCondicion, LineaExactaYCampoDelValor) {
    const Veredicto& v = GetParam();
    Calculo c = casoValido();
    v.cambio(c);
    ValoresGuardados g;
    const ResultadoCalculo r = calcular(c, g, '.');
    ASSERT_EQ(r.fin, FinCalculo::Realizado);
    EXPECT_EQ(r.notas[v.k - 1], v.nota);
    const std::array<const std::string*, 10> campo{
        &r.campos.Text37, &r.campos.Text38, &r.campos.Text47, &r.campos.Text52, &r.campos.Text55,
        &r.campos.Text59, &r.campos.Text60, &r.campos.Text62, &r.campos.Text61, &r.campos.Text73};
    EXPECT_EQ(campo[v.k - 1]->empty(), !v.conValor) << *campo[v.k - 1];
    if (v.k == 5) {
        EXPECT_EQ(r.campos.Text19.empty(), !v.conValor);
    }
}

#define CAMBIO(expr) [](Calculo& c) { expr; }
INSTANTIATE_TEST_SUITE_P(
    Condiciones, VeredictoDeCondicion,
    testing::Values(
        Veredicto{"C1CaudalMayorQueElLleno", CAMBIO(c.caudal[0] = "1.8"), 1, "(1)  [NO]  Qll < Q1",
                  true},
        Veredicto{"C1CaudalSobreElMaximoSinPruebaDeCapacidad", CAMBIO(c.caudal[0] = "5"), 1,
                  "(1)  [NO]  Qll < Q1", true},
        Veredicto{"C1CaudalNegativo", CAMBIO(c.caudal[0] = "-1"), 1, "(1)  [ERROR]  Q1<=0", false},
        Veredicto{"C2SobreElMaximo", CAMBIO(c.caudal[1] = "1.9"), 2,
                  "(2)  [NO]  Capacidad insuficiente", false},
        Veredicto{"C2EntreLlenoYMaximo", CAMBIO(c.caudal[1] = "1.75"), 2, "(2)  [SI]  V2 < Vmax",
                  true},
        Veredicto{"C2VelocidadExcesiva", CAMBIO(c.criterio.Vmax = "2"), 2, "(2)  [NO]  V2 > Vmax",
                  true},
        Veredicto {
            "C2LimiteCeroAntesQueCaudalCero", CAMBIO(c.criterio.Vmax = "0"; c.caudal[1] = "0"), 2,
                "(2)  [ERROR]  V2<=0", false
        },
        Veredicto{"C2CaudalCero", CAMBIO(c.caudal[1] = "0"), 2, "(2)  [ERROR]  Q2<=0", false},
        Veredicto{"C3VelocidadInsuficiente", CAMBIO(c.criterio.Vmin = "3"), 3,
                  "(3)  [NO]  V3 < Vmin", true},
        Veredicto{"C3CaudalNegativo", CAMBIO(c.caudal[2] = "-1"), 3, "(3)  [ERROR]  Q3<=0", false},
        Veredicto {
            "C3LimiteCero", CAMBIO(c.criterio.Vmin = "0"; c.caudal[2] = "-1"), 3,
                "(3)  [ERROR]  V3<=0", false
        },
        Veredicto{"C3SobreElMaximo", CAMBIO(c.caudal[2] = "2"), 3,
                  "(3)  [NO]  Capacidad insuficiente", false},
        Veredicto{"C4LlenadoExcesivo", CAMBIO(c.criterio.yDmax = "50"), 4,
                  "(4)  [NO]  (y/D)4 > (y/D)max", true},
        Veredicto{"C4CaudalCero", CAMBIO(c.caudal[3] = "0"), 4, "(4)  [ERROR]  Q4<=0", false},
        Veredicto{"C4SobreElMaximo", CAMBIO(c.caudal[3] = "2"), 4,
                  "(4)  [NO]  Capacidad insuficiente", false},
        Veredicto{"C5ParticulaDemasiadoGrande", CAMBIO(c.criterio.dpMin = "20"), 5,
                  "(5)  [NO]  (dp)5 < (dp)min", true},
        Veredicto{"C5ParticulaMasLigeraQueElAgua", CAMBIO(c.criterio.gammaParticula = "0.5"), 5,
                  "(5)  [NO]  (dp)5 < (dp)min", true},
        Veredicto{"C5CaudalCero", CAMBIO(c.caudal[4] = "0"), 5, "(5)  [ERROR]  Q5<=0", false},
        Veredicto{"C5SobreElMaximo", CAMBIO(c.caudal[4] = "2"), 5,
                  "(5)  [NO]  Capacidad insuficiente", false},
        Veredicto{"C6FroudeInsuficiente", CAMBIO(c.criterio.Fmin = "1.2"), 6,
                  "(6)  [NO]  F6 < Fmin", true},
        Veredicto{"C6CaudalCero", CAMBIO(c.caudal[5] = "0"), 6, "(6)  [ERROR]  Q6<=0", false},
        Veredicto{"C6SobreElMaximo", CAMBIO(c.caudal[5] = "2"), 6,
                  "(6)  [NO]  Capacidad insuficiente", false},
        Veredicto{"C7FroudeExcesivo", CAMBIO(c.criterio.Fmax = "1"), 7, "(7)  [NO]  F7 > Fmax",
                  true},
        Veredicto{"C7CaudalCero", CAMBIO(c.caudal[6] = "0"), 7, "(7)  [ERROR]  Q7<=0", false},
        Veredicto{"C7SobreElMaximo", CAMBIO(c.caudal[6] = "2"), 7,
                  "(7)  [NO]  Capacidad insuficiente", false},
        Veredicto{"C8PendienteIgualAlMinimoFalla", CAMBIO(c.criterio.Imin = "0.005"), 8,
                  "(8)  [NO]  I8 < Imin", true},
        Veredicto{"C9PendienteIgualAlMaximoPasa", CAMBIO(c.criterio.Imax = "0.005"), 9,
                  "(9)  [SI]  I9 < Imax", true},
        Veredicto{"C9PendienteExcesiva", CAMBIO(c.criterio.Imax = "0.004"), 9,
                  "(9)  [NO]  I9 > Imax", true},
        Veredicto{"C10VelocidadInsuficiente", CAMBIO(c.criterio.Vmin10 = "3"), 10,
                  "(10) [NO]  V10 < Vmin10", true},
        Veredicto{"C10SeccionLlena", CAMBIO(c.criterio.yD10 = "100"), 10, "(10) [SI]  V10 > Vmin10",
                  true},
        Veredicto{"C10LlenadoCero", CAMBIO(c.criterio.yD10 = "0"), 10, "(10)  [ERROR]  (y/D)<=0%",
                  false},
        Veredicto{"C10LlenadoSobreCien", CAMBIO(c.criterio.yD10 = "100.5"), 10,
                  "(10)  [ERROR]  (y/D)>100%", false},
        Veredicto{"C10MinimoNegativoPasa", CAMBIO(c.criterio.Vmin10 = "-1"), 10,
                  "(10) [SI]  V10 > Vmin10", true}),
    [](const testing::TestParamInfo<Veredicto>& info) { return info.param.nombre; });
#undef CAMBIO

// Each limit set to exactly the value the condition computes.
TEST(Empates, PasanLasCondiciones1_2_3_4_7_9YFallanLas5_6_8) {
    ValoresGuardados g;
    calcular(casoValido(), g, '.');
    Calculo c = casoValido();
    c.caudal[0] = exacto(g.Qll);
    c.criterio.Vmax = exacto(g.Vel2);
    c.criterio.Vmin = exacto(g.Vel3);
    c.criterio.yDmax = exacto(g.yD4);
    c.criterio.dpMin = exacto(g.dp5);
    c.criterio.Fmin = exacto(g.F6);
    c.criterio.Fmax = exacto(g.F7);
    c.criterio.Imin = "0.005";
    c.criterio.Imax = "0.005";
    c.criterio.Vmin10 = exacto(g.Vel10);
    ValoresGuardados g2;
    const ResultadoCalculo r = calcular(c, g2, '.');
    EXPECT_EQ(r.notas, (std::array<std::string, 10>{
                           "(1)  [SI]  Qll > Q1", "(2)  [SI]  V2 < Vmax", "(3)  [SI]  V3 > Vmin",
                           "(4)  [SI]  (y/D)4 < (y/D)max", "(5)  [NO]  (dp)5 < (dp)min",
                           "(6)  [NO]  F6 < Fmin", "(7)  [SI]  F7 < Fmax", "(8)  [NO]  I8 < Imin",
                           "(9)  [SI]  I9 < Imax", "(10) [SI]  V10 > Vmin10"}));
}

TEST(Capacidad, UnCaudalIgualAlMaximoSeEvaluaAProfundidad0938) {
    double Q = 0, v = 0, y = 0;
    hidraulica::Qmax(Q, v, y, 1.0, 0.013, 0.005);
    Calculo c = casoValido();
    c.caudal[3] = exacto(Q);
    c.criterio.yDmax = "100";
    ValoresGuardados g;
    const ResultadoCalculo r = calcular(c, g, '.');
    EXPECT_EQ(r.notas[3], "(4)  [SI]  (y/D)4 < (y/D)max");
    EXPECT_NEAR(g.yD4, 93.8, 1e-9);
}

TEST(Capacidad, LaMediaSeccionYLaLlenaTienenLaMismaVelocidad) {
    Calculo c = casoValido();
    ValoresGuardados media, llena;
    calcular(c, media, '.');
    c.criterio.yD10 = "100";
    calcular(c, llena, '.');
    esperaCuatroCifras(llena.Vel10, media.Vel10);
}

TEST(ValoresGuardados, UnaCondicionSinValorNoTocaLoGuardado) {
    Calculo c = casoValido();
    c.caudal[1] = "1.9"; // capacity line
    c.caudal[2] = "0";   // input error
    ValoresGuardados g;
    g.Vel2 = 11;
    g.Vel3 = 12;
    calcular(c, g, '.');
    EXPECT_EQ(g.Vel2, 11);
    EXPECT_EQ(g.Vel3, 12);
}

// Equal specific weights make the Shields divisor zero: the error exit, after the normal flow
// has already stored its hydraulic radius.
TEST(SalidaPorError, PesosIgualesEnLaCondicion5) {
    Calculo c = casoValido();
    c.criterio.gammaParticula = "1";
    ValoresGuardados g;
    g.dp5 = 99;
    g.F6 = 98;
    const ResultadoCalculo r = calcular(c, g, '.');
    EXPECT_EQ(r.fin, FinCalculo::Error);
    EXPECT_EQ(r.notaCalC, "Datos de entrada erroneos");
    EXPECT_FALSE(r.habilitaInforme());
    EXPECT_EQ(r.notas, (std::array<std::string, 10>{
                           "(1)  [SI]  Qll > Q1", "(2)  [SI]  V2 < Vmax", "(3)  [SI]  V3 > Vmin",
                           "(4)  [SI]  (y/D)4 < (y/D)max", "-", "-", "-", "-", "-", "-"}));
    EXPECT_EQ(r.campos, CamposCalculados{});
    esperaCuatroCifras(g.Rh5, 0.2655);
    esperaCuatroCifras(g.Vel2, 2.247);
    EXPECT_EQ(g.dp5, 99);
    EXPECT_EQ(g.F6, 98);
}

// At D = 1e6 m, D − 1e-11 is D itself: the full section has no hydraulic depth, and the
// division by its zero top width ends the run after TEO6 has written the flow.
TEST(SalidaPorError, FalloAritmeticoEnElNucleoConservaLoYaEscrito) {
    Calculo c = casoValido();
    c.colector.D = "1e6";
    ValoresGuardados g;
    const ResultadoCalculo r = calcular(c, g, '.');
    EXPECT_EQ(r.fin, FinCalculo::Error);
    EXPECT_EQ(r.notas, kSinVerdictos);
    EXPECT_GT(g.Qll, 0);
}

TEST(SalidaPorError, DiametroQueDesbordaElArea) {
    Calculo c = casoValido();
    c.colector.D = "1e200";
    c.criterio.activa.fill(false);
    ValoresGuardados g;
    EXPECT_EQ(calcular(c, g, '.').fin, FinCalculo::Error);
}

// Conditions 2 to 7 flag a flow in (Qll, Qmax]; the flows are set from the section's own Qmax.
struct CasoDosCalados {
    const char* nombre;
    double fraccion; // the flow of conditions 2 to 7 as Qll + fraccion · (Qmax − Qll)
    int desactivada; // a condition switched off (0: none)
    std::array<bool, 10> esperado;
};

class DosCalados : public ::testing::TestWithParam<CasoDosCalados> {};

std::array<bool, 10> dosCalados(const ResultadoCalculo& r) {
    std::array<bool, 10> marcas{};
    for (std::size_t k = 0; k < marcas.size(); ++k) {
        marcas[k] = r.condiciones[k].dosCalados;
    }
    return marcas;
}

TEST_P(DosCalados, MarcaSoloLasCondicionesEvaluadasEntreQllYQmax) {
    const CasoDosCalados& caso = GetParam();
    double qmax = 0, v = 0, y = 0;
    hidraulica::Qmax(qmax, v, y, 1.0, 0.013, 0.005);
    const double qll = 1.69534772;
    Calculo c = casoValido();
    c.criterio.yDmax = "100";
    c.criterio.Vmax = "10";
    c.criterio.Fmax = "10";
    for (int k = 2; k <= 7; ++k) {
        c.caudal[k - 1] = exacto(qll + caso.fraccion * (qmax - qll));
    }
    if (caso.desactivada) {
        c.criterio.activa[caso.desactivada - 1] = false;
    }
    ValoresGuardados g;
    const ResultadoCalculo r = calcular(c, g, '.');
    EXPECT_EQ(dosCalados(r), caso.esperado);
}

constexpr bool S = true, N = false;

INSTANTIATE_TEST_SUITE_P(
    Calcular, DosCalados,
    ::testing::Values(
        CasoDosCalados{"CaudalBajoQll", -0.5, 0, {N, N, N, N, N, N, N, N, N, N}},
        CasoDosCalados{"CaudalEntreQllYQmax", 0.5, 0, {N, S, S, S, S, S, S, N, N, N}},
        CasoDosCalados{"CaudalIgualAQmax", 1.0, 0, {N, S, S, S, S, S, S, N, N, N}},
        CasoDosCalados{
            "CaudalSobreQmaxEsCapacidadInsuficiente", 1.5, 0, {N, N, N, N, N, N, N, N, N, N}},
        CasoDosCalados{"CondicionDesactivadaSinMarca", 0.5, 4, {N, S, S, N, S, S, S, N, N, N}}),
    [](const auto& info) { return std::string(info.param.nombre); });

// The error exit keeps the marks of the conditions evaluated before it.
TEST(DosCalados, LaSalidaPorErrorConservaLasMarcasYaHechas) {
    double qmax = 0, v = 0, y = 0;
    hidraulica::Qmax(qmax, v, y, 1.0, 0.013, 0.005);
    Calculo c = casoValido();
    c.criterio.gammaParticula = "1";
    c.caudal[2] = exacto((1.69534772 + qmax) / 2);
    c.caudal[5] = c.caudal[2];
    ValoresGuardados g;
    const ResultadoCalculo r = calcular(c, g, '.');
    ASSERT_EQ(r.fin, FinCalculo::Error);
    EXPECT_EQ(dosCalados(r), (std::array<bool, 10>{N, N, S, N, N, N, N, N, N, N}));
}

} // namespace
} // namespace colvero
