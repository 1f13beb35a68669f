#include "report/informe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using colvero::DatosInforme;
using colvero::generarInforme;

namespace {

const std::string kLargo(93, '*');
const std::string kMedio(36, '*');
const std::string kVacia = "\t\t\t\t\t\t";

// Splits a report into its rows; every row must be introduced by a CR.
std::vector<std::string> filas(const std::string& informe) {
    std::vector<std::string> salida;
    EXPECT_FALSE(informe.empty());
    EXPECT_EQ(informe.front(), '\r');
    std::size_t inicio = 1;
    while (true) {
        const std::size_t fin = informe.find('\r', inicio);
        salida.push_back(informe.substr(inicio, fin - inicio));
        if (fin == std::string::npos) {
            break;
        }
        inicio = fin + 1;
    }
    return salida;
}

std::string fila(std::initializer_list<std::string> celdas) {
    std::string s;
    for (const auto& c : celdas) {
        s += '\t' + c;
    }
    return s;
}

void comprobarForma(const std::string& informe) {
    EXPECT_EQ(informe.find('\n'), std::string::npos);
    const auto f = filas(informe);
    ASSERT_EQ(f.size(), 122u);
    for (std::size_t r = 0; r < f.size(); ++r) {
        EXPECT_EQ(std::count(f[r].begin(), f[r].end(), '\t'), 6) << "fila " << r + 1;
        EXPECT_EQ(f[r].substr(0, 1), "\t") << "fila " << r + 1;
    }
}

DatosInforme casoCompleto() {
    DatosInforme d;
    auto& c = d.calculo;
    c.titulo1 = "Colector de la calle Mayor";
    c.titulo2 = "Tramo P-3 a P-4";
    c.colector = {"1", "0.013", "0.005"};
    c.caudal = {"1", "1", "0,5", "1", "1", "1", "1"};
    auto& cr = c.criterio;
    cr.denominacion[0] = "Caudal punta";
    cr.denominacion[1] = "Caudal punta";
    cr.denominacion[2] = "Caudal mínimo";
    cr.Vmax = "3";
    cr.Vmin = "0.6";
    cr.yDmax = "75";
    cr.gammaParticula = "2.65";
    cr.gammaAgua = "1";
    cr.dpMin = "10";
    cr.Fmin = "1";
    cr.Fmax = "2";
    cr.Imin = "0.004";
    cr.Imax = "0.01";
    cr.yD10 = "50";
    cr.Vmin10 = "0.6";
    d.notas = {"(1)  [SI]  Qll > Q1",          "(2)  [SI]  V2 < Vmax",       "(3)  [NO]  V3 < Vmin",
               "(4)  [SI]  (y/D)4 < (y/D)max", "(5)  [SI]  (dp)5 > (dp)min", "(6)  [SI]  F6 > Fmin",
               "(7)  [SI]  F7 < Fmax",         "(8)  [SI]  I8 > Imin",       "(9)  [SI]  I9 < Imax",
               "(10) [SI]  V10 > Vmin10"};
    auto& g = d.guardados;
    g.Qll = 1.69534772;
    g.Vel2 = 2.247;
    g.Vel3 = 0.25;
    g.yD4 = 55.24;
    g.Rh5 = 0.2655;
    g.dp5 = 17.12;
    g.F6 = 1.073;
    g.F7 = 123456789012345678.0;
    g.I8 = 0.005;
    g.I9 = 0.005;
    g.Vel10 = 2.0 / 3.0;
    return d;
}

} // namespace

// The expected file holds one row per line; the report puts a CR before each row instead.
TEST(Informe, CasoCompletoCoincideConElTextoEsperado) {
    std::ifstream f(COLVERO_INFORME_ESPERADO, std::ios::binary);
    ASSERT_TRUE(f) << COLVERO_INFORME_ESPERADO;
    std::string esperado, linea;
    while (std::getline(f, linea)) {
        esperado += '\r' + linea;
    }
    const std::string informe = generarInforme(casoCompleto(), ',');
    EXPECT_EQ(informe, esperado);
    // Line by line as well, so a mismatch names its row.
    const auto a = filas(informe), b = filas(esperado);
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t r = 0; r < a.size(); ++r) {
        EXPECT_EQ(a[r], b[r]) << "fila " << r + 1;
    }
}

TEST(Informe, TodasConsideradasTerminaEnLaFila117) {
    const std::string informe = generarInforme(casoCompleto(), '.');
    comprobarForma(informe);
    const auto f = filas(informe);
    EXPECT_EQ(f[116], fila({kLargo, "", "", "", "", ""}));
    EXPECT_TRUE(f[115].starts_with("\tCUMPLIMIENTO DEL CRITERIO\t"));
    for (int r = 118; r <= 122; ++r) {
        EXPECT_EQ(f[r - 1], kVacia) << "fila " << r;
    }
}

TEST(Informe, NingunaConsideradaDaBloquesDeDosFilas) {
    DatosInforme d = casoCompleto();
    d.calculo.criterio.activa.fill(false);
    const std::string informe = generarInforme(d, ',');
    comprobarForma(informe);
    const auto f = filas(informe);
    const char* titulos[] = {"(1). Capacidad a sección llena",
                             "(2). Velocidad máxima",
                             "(3). Velocidad mínima",
                             "(4). Resguardo/Aireación",
                             "(5). Condición autolimpieza            (Fórmula de Shields)",
                             "(6). Froude mínimo",
                             "(7). Froude máximo",
                             "(8). Pendiente constructiva mínima",
                             "(9). Pendiente constructiva máxima",
                             "(10). Condición de autolimpieza"};
    for (int k = 0; k < 10; ++k) {
        const int titulo = 29 + 3 * k;
        EXPECT_EQ(f[titulo - 1], fila({titulos[k], "", "", "<CRITERIO NO CONSIDERADO>", "", ""}))
            << "condición " << k + 1;
        EXPECT_EQ(f[titulo], fila({kMedio, "", "", "", "", ""})) << "condición " << k + 1;
        EXPECT_EQ(f[titulo + 1], kVacia) << "condición " << k + 1;
    }
    for (int r = 58; r <= 122; ++r) {
        EXPECT_EQ(f[r - 1], kVacia) << "fila " << r;
    }
}

// Disabled blocks shrink to two rows and the following blocks move up accordingly.
TEST(Informe, BloquesMixtosSeDesplazan) {
    DatosInforme d = casoCompleto();
    d.calculo.criterio.activa[0] = false;
    d.calculo.criterio.activa[4] = false;
    d.calculo.criterio.activa[7] = false;
    const std::string informe = generarInforme(d, ',');
    comprobarForma(informe);
    const auto f = filas(informe);
    // 1: 29-30, 2: 32-39, 3: 41-48, 4: 50-57, 5: 59-60, 6: 62-69, 7: 71-78, 8: 80-81,
    // 9: 83-89, 10: 91-98.
    EXPECT_EQ(f[28], fila({"(1). Capacidad a sección llena", "", "", "<CRITERIO NO CONSIDERADO>",
                           "", ""}));
    EXPECT_EQ(f[31], fila({"(2). Velocidad máxima", "", "", "", "", ""}));
    EXPECT_TRUE(f[58].starts_with("\t(5). Condición autolimpieza "));
    EXPECT_NE(f[58].find("<CRITERIO NO CONSIDERADO>"), std::string::npos);
    EXPECT_EQ(f[61], fila({"(6). Froude mínimo", "", "", "", "", ""}));
    EXPECT_EQ(f[79], fila({"(8). Pendiente constructiva mínima", "", "",
                           "<CRITERIO NO CONSIDERADO>", "", ""}));
    EXPECT_EQ(f[82], fila({"(9). Pendiente constructiva máxima", "", "", "", "", ""}));
    EXPECT_EQ(f[96],
              fila({"CUMPLIMIENTO DEL CRITERIO", "", "", "", "(10) [SI]  V10 > Vmin10", ""}));
    EXPECT_EQ(f[97], fila({kLargo, "", "", "", "", ""}));
    EXPECT_EQ(f[98], kVacia);
}

// Input texts are copied as typed, whatever the separator of the report.
TEST(Informe, TextosDeEntradaSeCopianTalCual) {
    DatosInforme d = casoCompleto();
    for (const std::string texto : {"0,5", "abc", " 1.50 ", ""}) {
        d.calculo.caudal[0] = texto;
        d.calculo.titulo1 = texto;
        for (char sep : {'.', ','}) {
            const auto f = filas(generarInforme(d, sep));
            EXPECT_EQ(f[31], "\tCaudal de diseño\t\t\t\tQ (m3/s) =\t" + texto);
            EXPECT_EQ(f[14], fila({texto, "", "", "", "", ""}));
        }
    }
}

TEST(Informe, ValoresGuardadosConElSeparadorDado) {
    DatosInforme d = casoCompleto();
    d.guardados.Qll = 0.25;
    EXPECT_EQ(filas(generarInforme(d, ','))[32],
              fila({"Capacidad a sección llena (Qll)", "", "", "", "Qll (m3/s) =", "0,25"}));
    EXPECT_EQ(filas(generarInforme(d, '.'))[32],
              fila({"Capacidad a sección llena (Qll)", "", "", "", "Qll (m3/s) =", "0.25"}));
}

// The report shows whatever value is stored, also one left from an earlier run.
TEST(Informe, ValorGuardadoSeMuestraAunqueElVeredictoSeaError) {
    DatosInforme d = casoCompleto();
    d.notas[1] = "(2)  [ERROR]  Q2<=0";
    d.guardados.Vel2 = 1.5;
    const auto f = filas(generarInforme(d, '.'));
    EXPECT_EQ(f[41], fila({"Velocidad", "", "", "", "v (m/s) =", "1.5"}));
    EXPECT_EQ(f[42], fila({"CUMPLIMIENTO DEL CRITERIO", "", "", "", "(2)  [ERROR]  Q2<=0", ""}));
}
