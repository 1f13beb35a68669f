// The DXF writer: numbers that read back as the very double, texts that cannot break the
// file's lines, entities refused whole, and the plan's counts of what it leaves out.
#include "files/dxf.h"
#include "files/plano_dxf.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <ostream>
#include <stdexcept>
#include <string>

namespace colvero::dxf {
namespace {

struct CasoNumero {
    const char* nombre;
    double x;
};

void PrintTo(const CasoNumero& c, std::ostream* os) {
    *os << c.nombre;
}

class Numeros : public ::testing::TestWithParam<CasoNumero> {};

TEST_P(Numeros, SeLeenComoElMismoDouble) {
    const std::string s = numero(GetParam().x);
    EXPECT_NE(s.find('.'), std::string::npos) << s;
    EXPECT_EQ(s.find_first_of("eE"), std::string::npos) << s;
    double leido = 0;
    const auto [fin, error] = std::from_chars(s.data(), s.data() + s.size(), leido);
    ASSERT_EQ(error, std::errc()) << s;
    EXPECT_EQ(fin, s.data() + s.size()) << s;
    EXPECT_EQ(leido, GetParam().x) << s;
    EXPECT_EQ(std::signbit(leido), std::signbit(GetParam().x)) << s;
}

INSTANTIATE_TEST_SUITE_P(
    Dxf, Numeros,
    ::testing::Values(CasoNumero{"Entero", 12}, CasoNumero{"Cero", 0},
                      CasoNumero{"CeroNegativo", -0.0}, CasoNumero{"UnDecimo", 0.1},
                      CasoNumero{"UtmX", 440000.123456789}, CasoNumero{"UtmY", 4470000.987654321},
                      CasoNumero{"Negativo", -12345.678901234567},
                      CasoNumero{"Pequeno", 1.2345678901234567e-9},
                      CasoNumero{"Subnormal", std::numeric_limits<double>::denorm_min()},
                      CasoNumero{"Enorme", 1.7976931348623157e308},
                      CasoNumero{"TercioDeMetro", 1.0 / 3}),
    [](const auto& info) { return std::string(info.param.nombre); });

TEST(Dxf, NumeroNoFinitoSeRechaza) {
    EXPECT_THROW(numero(std::nan("")), std::invalid_argument);
    EXPECT_THROW(numero(std::numeric_limits<double>::infinity()), std::invalid_argument);
}

struct CasoTexto {
    const char* nombre;
    std::string utf8;
    std::string dxf;
};

void PrintTo(const CasoTexto& c, std::ostream* os) {
    *os << c.nombre;
}

class Textos : public ::testing::TestWithParam<CasoTexto> {};

TEST_P(Textos, EnWindows1252SinCodigos) {
    EXPECT_EQ(textoDxf(GetParam().utf8), GetParam().dxf);
}

INSTANTIATE_TEST_SUITE_P(
    Dxf, Textos,
    ::testing::Values(CasoTexto{"Ascii", "T1", "T1"},
                      CasoTexto{"Acentos", "Pozo ñandú «Á»",
                                "Pozo \xF1"
                                "and\xFA \xAB\xC1\xBB"},
                      CasoTexto{"Comillas", "T \"1\" 'b'", "T \"1\" 'b'"},
                      CasoTexto{"EuroDeLaPagina1252", "3 €", "3 \x80"},
                      CasoTexto{"FueraDe1252", "Ω ≤", "\\U+03A9 \\U+2264"},
                      CasoTexto{"FueraDelPlanoBasico", "a😀", "a\\U+D83D\\U+DE00"},
                      CasoTexto{"SaltoDeLineaNoRompeElArchivo", "a\r\nb", "a^M^Jb"},
                      CasoTexto{"Circunflejo", "a^J", "a^ J"},
                      CasoTexto{"PorcentajeSolo", "50%", "50%"},
                      CasoTexto{"DoblePorcentaje", "%%d", "\\U+0025%d"},
                      CasoTexto{"BarraSola", "a\\b", "a\\b"},
                      CasoTexto{"BarraAntesDeUnEscape", "\\U+0041", "\\U+005CU+0041"},
                      CasoTexto{"BytesQueNoSonUtf8",
                                "a\xFF"
                                "b\xC3",
                                "a\\U+FFFDb\\U+FFFD"},
                      CasoTexto{"SobrelargoNoEsUtf8", "\xC0\xAF", "\\U+FFFD\\U+FFFD"},
                      CasoTexto{"SuplenteSuelto", "\xED\xA0\x80", "\\U+FFFD\\U+FFFD\\U+FFFD"}),
    [](const auto& info) { return std::string(info.param.nombre); });

TEST(Dxf, TextoLargoSeCortaEnUnCaracter) {
    // 249 letters then an escape of 7 bytes: the escape does not fit whole and is left out.
    const std::string t = textoDxf(std::string(249, 'a') + "Ω" + "b");
    EXPECT_EQ(t, std::string(249, 'a'));
    EXPECT_EQ(textoDxf(std::string(400, 'x')).size(), 250u);
}

Dibujo dibujo() {
    return Dibujo({{"TRAMOS", 3}, {"TEXTOS", 7}}, Unidades::Metros);
}

// A refused entity leaves the file as it was: no half-written entity before the exception.
TEST(Dxf, EntidadRechazadaNoDejaNada) {
    Dibujo d = dibujo();
    d.linea("TRAMOS", {0, 0}, {1, 1});
    const std::string antes = d.contenido();
    const Punto conNan[] = {{0, 0}, {std::nan(""), 1}};
    const Punto uno[] = {{0, 0}};
    const Punto dos[] = {{0, 0}, {1, 1}};
    EXPECT_THROW(d.polilinea("TRAMOS", conNan), std::invalid_argument);
    EXPECT_THROW(d.polilinea("TRAMOS", uno), std::invalid_argument);
    EXPECT_THROW(d.polilinea("OTRA", dos), std::invalid_argument);
    EXPECT_THROW(d.circulo("TRAMOS", {0, 0}, 0), std::invalid_argument);
    EXPECT_THROW(d.circulo("TRAMOS", {0, 0}, std::nan("")), std::invalid_argument);
    EXPECT_THROW(d.texto("TEXTOS", {0, 0}, -1, 0, "x"), std::invalid_argument);
    EXPECT_THROW(d.texto("TEXTOS", {0, 0}, 1, std::nan(""), "x"), std::invalid_argument);
    EXPECT_THROW(d.texto("POZOS", {0, 0}, 1, 0, "x"), std::invalid_argument);
    EXPECT_EQ(d.contenido(), antes);
    EXPECT_EQ(d.entidades(), 1u);
}

TEST(Dxf, CapasNoValidasSeRechazan) {
    EXPECT_THROW(Dibujo({{"CON ESPACIO", 1}}), std::invalid_argument);
    EXPECT_THROW(Dibujo({{"POZOS", 0}}), std::invalid_argument);
    EXPECT_THROW(Dibujo({{"0", 7}}), std::invalid_argument);
    EXPECT_THROW(Dibujo({{std::string(32, 'A'), 7}}), std::invalid_argument);
}

// The file is pairs of CR LF lines, its group codes numbers, its sections closed, and its
// extents those of what it holds.
TEST(Dxf, EstructuraDelArchivo) {
    Dibujo d = dibujo();
    const Punto l[] = {{-5, 2}, {10, 2}, {10, 40}};
    d.polilinea("TRAMOS", l);
    d.circulo("TRAMOS", {0, 0}, 2);
    d.texto("TEXTOS", {3, 4}, 1, 90, "Línea\nnueva", Anclaje::CentroMedio);
    const std::string c = d.contenido();
    ASSERT_GE(c.size(), 2u);
    EXPECT_EQ(c.substr(c.size() - 10), "  0\r\nEOF\r\n");
    std::vector<std::string> lineas;
    for (std::size_t i = 0; i < c.size();) {
        const std::size_t fin = c.find("\r\n", i);
        ASSERT_NE(fin, std::string::npos);
        const std::string linea = c.substr(i, fin - i);
        EXPECT_EQ(linea.find('\n'), std::string::npos);
        EXPECT_EQ(linea.find('\r'), std::string::npos);
        lineas.push_back(linea);
        i = fin + 2;
    }
    ASSERT_EQ(lineas.size() % 2, 0u);
    int secciones = 0;
    for (std::size_t k = 0; k < lineas.size(); k += 2) {
        int codigo = -1;
        const std::string& g = lineas[k];
        const std::size_t inicio = g.find_first_not_of(' ');
        ASSERT_NE(inicio, std::string::npos) << k;
        const auto r = std::from_chars(g.data() + inicio, g.data() + g.size(), codigo);
        EXPECT_EQ(r.ptr, g.data() + g.size()) << g;
        if (codigo == 0 && lineas[k + 1] == "SECTION")
            ++secciones;
        if (codigo == 0 && lineas[k + 1] == "ENDSEC")
            --secciones;
        EXPECT_GE(secciones, 0);
    }
    EXPECT_EQ(secciones, 0);
    EXPECT_NE(c.find("$ACADVER\r\n  1\r\nAC1009\r\n"), std::string::npos);
    EXPECT_NE(c.find("$INSUNITS\r\n 70\r\n6\r\n"), std::string::npos);
    EXPECT_NE(c.find("$EXTMIN\r\n 10\r\n-5.0\r\n 20\r\n-2.0\r\n"), std::string::npos);
    EXPECT_NE(c.find("$EXTMAX\r\n 10\r\n10.0\r\n 20\r\n40.0\r\n"), std::string::npos);
    EXPECT_NE(c.find("  1\r\nL\xEDnea^Jnueva\r\n"), std::string::npos);
    EXPECT_EQ(d.entidades(), 3u);
}

red::Nodo nodo(std::string id, std::optional<std::pair<double, double>> p,
               red::TipoNodo tipo = red::TipoNodo::Pozo) {
    red::Nodo n;
    n.id = std::move(id);
    n.tipo = tipo;
    n.posicion = p;
    return n;
}

red::Enlace enlace(std::string id, std::string desde, std::string hasta,
                   std::vector<std::pair<double, double>> vertices = {}) {
    red::Enlace e;
    e.id = std::move(id);
    e.desde = std::move(desde);
    e.hasta = std::move(hasta);
    e.vertices = std::move(vertices);
    return e;
}

// Links whose ends have no finite position, or whose vertices are not finite, are left out
// and counted; the nodes with a position are drawn all the same; the texts are a 25th of the
// median drawn length.
TEST(PlanoDxf, SinPosicionSeCuentaYNoSeDibuja) {
    const double nan = std::nan("");
    red::ModeloRed m;
    m.nodos = {nodo("A", {{0, 0}}),     nodo("B", {{100, 0}}),
               nodo("C", {{100, 50}}),  nodo("S", {{100, 250}}, red::TipoNodo::Vertido),
               nodo("N", std::nullopt), nodo("Q", {{nan, 3}})};
    m.enlaces = {enlace("T1", "A", "B"),    enlace("T2", "B", "C"),
                 enlace("T3", "C", "S"),    enlace("T4", "N", "A"),
                 enlace("T5", "Q", "A"),    enlace("T6", "A", "C", {{50, nan}}),
                 enlace("T7", "A", "FALTA")};
    Dibujo d(capasDelPlano());
    const Plano p = dibujarPlano(d, m, {EstadoTramo::Cumple, EstadoTramo::NoCumple});
    EXPECT_EQ(p.tramos, 3u);
    EXPECT_EQ(p.sinPosicion, 4u);
    EXPECT_EQ(p.nodos, 4u);
    EXPECT_EQ(dibujables(m), 3u);
    EXPECT_DOUBLE_EQ(p.alturaTexto, 100.0 / 25);
    // Three polylines and their names, four circles and their names.
    EXPECT_EQ(d.entidades(), 3u * 2 + 4u * 2);
    const std::string c = d.contenido();
    // T3 had no state: it is SinComprobar.
    EXPECT_NE(c.find("POLYLINE\r\n  8\r\nSIN_COMPROBAR\r\n"), std::string::npos);
    EXPECT_NE(c.find("CIRCLE\r\n  8\r\nVERTIDOS\r\n"), std::string::npos);
    EXPECT_EQ(c.find("nan"), std::string::npos);
}

// Coordinates near the largest doubles: lengths and label points overflow, and are left out
// rather than written as "inf" or thrown.
TEST(PlanoDxf, CoordenadasEnormes) {
    const double x = std::numeric_limits<double>::max();
    red::ModeloRed m;
    m.nodos = {nodo("A", {{-x, -x}}), nodo("B", {{x, x}})};
    m.enlaces = {enlace("T1", "A", "B")};
    Dibujo d(capasDelPlano());
    EXPECT_EQ(dibujarPlano(d, m, {}).tramos, 1u);
    const std::string c = d.contenido();
    EXPECT_EQ(c.find("inf"), std::string::npos);
    EXPECT_NE(c.find("POLYLINE"), std::string::npos);
}

TEST(PlanoDxf, SinCoordenadasNoHayNadaQueDibujar) {
    red::ModeloRed m;
    m.nodos = {nodo("A", std::nullopt), nodo("B", std::nullopt)};
    m.enlaces = {enlace("T1", "A", "B")};
    EXPECT_EQ(dibujables(m), 0u);
}

} // namespace
} // namespace colvero::dxf
