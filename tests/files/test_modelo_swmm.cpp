#include "files/modelo_swmm.h"

#include "files/archivos.h"
#include "network/topologia.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>

namespace colvero {
namespace {

using red::TipoEnlace;
using red::TipoNodo;

ModeloSwmm leer(const std::string& texto) {
    return modeloSwmmDeBytes(texto, QStringLiteral("m.inp"));
}

std::string error(const std::string& texto) {
    try {
        leer(texto);
    } catch (const ErrorArchivo& e) {
        return e.what();
    }
    return "(sin error)";
}

const red::Nodo& nodo(const ModeloSwmm& m, const std::string& id) {
    for (const red::Nodo& n : m.red.nodos) {
        if (n.id == id)
            return n;
    }
    throw std::runtime_error("sin nodo " + id);
}

const red::Enlace& enlace(const ModeloSwmm& m, const std::string& id) {
    for (const red::Enlace& e : m.red.enlaces) {
        if (e.id == id)
            return e;
    }
    throw std::runtime_error("sin enlace " + id);
}

// EPA's example 1, as its text defines each conduit (feet).
struct ConductoEjemplo {
    const char* id;
    const char* desde;
    const char* hasta;
    double longitud, D, desplazamientoEntrada, desplazamientoSalida;
};
constexpr ConductoEjemplo kEjemplo1[] = {
    {"1", "9", "10", 400, 1.5, 0, 0},   {"4", "19", "20", 200, 1, 0, 0},
    {"5", "20", "21", 200, 1, 0, 0},    {"6", "10", "21", 400, 1, 0, 1},
    {"7", "21", "22", 300, 2, 1, 1},    {"8", "22", "16", 300, 2, 0, 0},
    {"10", "17", "18", 400, 2, 0, 0},   {"11", "13", "14", 400, 1.5, 0, 0},
    {"12", "14", "15", 400, 1.5, 0, 0}, {"13", "15", "16", 400, 1.5, 0, 0},
    {"14", "23", "24", 400, 1, 0, 0},   {"15", "16", "24", 100, 2, 0, 0},
    {"16", "24", "17", 400, 2, 0, 0},
};
const std::map<std::string, double> kSolerasEjemplo1{
    {"9", 1000},  {"10", 995},  {"13", 995}, {"14", 990}, {"15", 987}, {"16", 985}, {"17", 980},
    {"19", 1010}, {"20", 1005}, {"21", 990}, {"22", 987}, {"23", 990}, {"24", 984}, {"18", 975}};

std::string archivoCompartido(const char* nombre) {
    return std::string(COLVERO_DATOS_SWMM) + "/" + nombre;
}

TEST(ModeloSwmm, Ejemplo1CadaConductoComoLoDefineElModelo) {
    const std::string ruta = archivoCompartido("Example1.inp");
    if (!std::ifstream(ruta))
        GTEST_SKIP() << "no está " << ruta << " (datos compartidos de SWMM)";
    const ModeloSwmm m = leerModeloSwmm(QByteArray::fromStdString(ruta));
    EXPECT_EQ(m.unidades, UnidadesCaudal::CFS);
    ASSERT_EQ(m.red.enlaces.size(), std::size(kEjemplo1));
    ASSERT_EQ(m.red.nodos.size(), kSolerasEjemplo1.size());
    const red::Topologia t = red::construirTopologia(m.red);
    EXPECT_TRUE(t.problemas.empty());
    EXPECT_EQ(t.vertidos, 1);
    EXPECT_EQ(t.partes, 1);
    for (size_t k = 0; k < std::size(kEjemplo1); ++k) {
        const ConductoEjemplo& c = kEjemplo1[k];
        SCOPED_TRACE(c.id);
        const red::Enlace& e = m.red.enlaces[k];
        EXPECT_EQ(e.id, c.id);
        EXPECT_EQ(e.desde, c.desde);
        EXPECT_EQ(e.hasta, c.hasta);
        EXPECT_TRUE(e.circular);
        EXPECT_EQ(e.barriles, 1);
        EXPECT_DOUBLE_EQ(e.longitud, c.longitud * 0.3048);
        EXPECT_DOUBLE_EQ(e.D, c.D * 0.3048);
        EXPECT_DOUBLE_EQ(e.n, 0.01);
        const double z1 = (kSolerasEjemplo1.at(c.desde) + c.desplazamientoEntrada) * 0.3048;
        const double z2 = (kSolerasEjemplo1.at(c.hasta) + c.desplazamientoSalida) * 0.3048;
        EXPECT_NEAR(*e.cotaInicio, z1, 1e-9);
        EXPECT_NEAR(*e.cotaFin, z2, 1e-9);
        const double L = c.longitud * 0.3048;
        EXPECT_NEAR(t.pendiente[k], (z1 - z2) / std::sqrt(L * L - (z1 - z2) * (z1 - z2)), 1e-12);
        EXPECT_EQ(t.errorTramo[k], "");
    }
    const red::Nodo& n9 = nodo(m, "9");
    EXPECT_EQ(n9.tipo, TipoNodo::Pozo);
    EXPECT_NEAR(*n9.cotaTerreno, 1003 * 0.3048, 1e-9);
    EXPECT_EQ(n9.posicion, (std::pair{4042.110, 9600.000}));
    EXPECT_EQ(nodo(m, "18").tipo, TipoNodo::Vertido);
    EXPECT_FALSE(nodo(m, "18").cotaTerreno);
    EXPECT_EQ(enlace(m, "10").vertices,
              (std::vector<std::pair<double, double>>{{6673.68, 1368.42}}));
}

// Every kind of outfall line the format allows, and the ones it does not.
struct Vertido {
    const char* nombre;
    const char* linea;
    const char* error; // nullptr: read
};
const Vertido kVertidos[] = {
    {"libre", "O1 10 FREE", nullptr},
    {"libre_con_compuerta_y_destino", "O1 10 FREE YES J9", nullptr},
    {"normal", "O1 10 NORMAL NO", nullptr},
    {"fijo", "O1 10 FIXED 11.5 NO", nullptr},
    {"marea", "O1 10 TIDAL Curva1 YES", nullptr},
    {"serie", "O1 10 TIMESERIES Serie1", nullptr},
    {"serie_con_destino", "O1 10 TIMESERIES \"Serie 1\" NO \"Pozo 2\"", nullptr},
    {"minusculas", "O1 10 free no", nullptr},
    {"fijo_sin_cota", "O1 10 FIXED",
     "El modelo «m.inp» no es válido: línea 3, sección [OUTFALLS]: faltan datos: el dato del "
     "vertido FIXED."},
    {"fijo_cota_no_numero", "O1 10 FIXED alto",
     "El modelo «m.inp» no es válido: línea 3, sección [OUTFALLS]: «alto» no es un número (cota "
     "fija del vertido)."},
    {"compuerta_desconocida", "O1 10 FREE QUIZA",
     "El modelo «m.inp» no es válido: línea 3, sección [OUTFALLS]: «QUIZA» no es YES ni NO "
     "(compuerta)."},
    {"tipo_desconocido", "O1 10 LIBRE",
     "El modelo «m.inp» no es válido: línea 3, sección [OUTFALLS]: «LIBRE» no es un tipo de "
     "vertido (FREE, NORMAL, FIXED, TIDAL o TIMESERIES)."},
    {"sin_tipo", "O1 10",
     "El modelo «m.inp» no es válido: línea 3, sección [OUTFALLS]: faltan datos: nombre, cota de "
     "solera y tipo de vertido."},
};

class Vertidos : public ::testing::TestWithParam<Vertido> {};

TEST_P(Vertidos, LeeOExplica) {
    const Vertido& v = GetParam();
    const std::string texto = std::string("[OUTFALLS]\n;;Name Elev Type\n") + v.linea + "\n";
    if (v.error) {
        EXPECT_EQ(error(texto), v.error);
        return;
    }
    const ModeloSwmm m = leer(texto);
    ASSERT_EQ(m.red.nodos.size(), 1u);
    EXPECT_EQ(m.red.nodos[0].id, "O1");
    EXPECT_EQ(m.red.nodos[0].tipo, TipoNodo::Vertido);
    EXPECT_DOUBLE_EQ(m.red.nodos[0].cotaSolera, 10 * 0.3048); // CFS by default: feet
}

INSTANTIATE_TEST_SUITE_P(Swmm, Vertidos, ::testing::ValuesIn(kVertidos),
                         [](const auto& i) { return std::string(i.param.nombre); });

// Both offset modes: DEPTH adds the offset to the node's invert, ELEVATION gives the invert
// itself and "*" means the node's invert.
TEST(ModeloSwmm, DesplazamientosEnLosDosModos) {
    const std::string nodos = "[JUNCTIONS]\nA 100 2\nB 98 0\n[OUTFALLS]\nC 97 FREE\n"
                              "[CONDUITS]\nT1 A B 50 0.013 0.5 0.25\nT2 B C 40 0.013 * *\n"
                              "[XSECTIONS]\nT1 CIRCULAR 0.4 0 0 0\nT2 CIRCULAR 0.5 0 0 0 2\n";
    const ModeloSwmm p = leer("[OPTIONS]\nFLOW_UNITS LPS\nLINK_OFFSETS DEPTH\n" + nodos);
    EXPECT_FALSE(p.desplazamientosComoCota);
    EXPECT_DOUBLE_EQ(*enlace(p, "T1").cotaInicio, 100.5);
    EXPECT_DOUBLE_EQ(*enlace(p, "T1").cotaFin, 98.25);
    EXPECT_DOUBLE_EQ(*enlace(p, "T2").cotaInicio, 98);
    EXPECT_DOUBLE_EQ(*enlace(p, "T2").cotaFin, 97);
    EXPECT_EQ(enlace(p, "T2").barriles, 2);
    EXPECT_DOUBLE_EQ(*nodo(p, "A").cotaTerreno, 102);
    EXPECT_FALSE(nodo(p, "B").cotaTerreno); // no depth: no ground

    const ModeloSwmm c =
        leer("[options]\nflow_units lps\nlink_offsets elevation\n" +
             std::string("[CONDUITS]\nT1 A B 50 0.013 99.5 97.75\n"
                         "T2 B C 40 0.013 * 96.5\n") +
             nodos.substr(0, nodos.find("[CONDUITS]")) + nodos.substr(nodos.find("[XSECTIONS]")));
    EXPECT_TRUE(c.desplazamientosComoCota);
    EXPECT_DOUBLE_EQ(*enlace(c, "T1").cotaInicio, 99.5);
    EXPECT_DOUBLE_EQ(*enlace(c, "T1").cotaFin, 97.75);
    EXPECT_DOUBLE_EQ(*enlace(c, "T2").cotaInicio, 98);
    EXPECT_DOUBLE_EQ(*enlace(c, "T2").cotaFin, 96.5);
}

// The text rules: any case, comments, quoted names with blanks, tabs, CR LF, unknown sections
// (whatever they hold) skipped, sections in any order, options after the data they govern.
TEST(ModeloSwmm, ReglasDelFormato) {
    const std::string texto =
        "[TITLE]\r\nUn \"título sin cerrar\r\n[Xsections]\r\n\"Tramo 1\"\tcircular\t0.3\r\n"
        "[conduits] ; los tubos\r\n;;Name From To\r\n\"Tramo 1\"  \"Pozo A\"\t\"Pozo B\" 30 "
        "0.012 0 0 ; comentario\r\n[JUNCTIONS]\r\n\"Pozo A\" 10\r\n\"Pozo B\" 9.7 1.5\r\n"
        "[MAP]\r\nDIMENSIONS 0 0 1 1\r\n[Coordinates]\r\n\"Pozo A\" 1.5 2.5\r\nDesconocido 3 4\r\n"
        "[OPTIONS]\r\nFLOW_UNITS MLD\r\n";
    const ModeloSwmm m = leer(texto);
    EXPECT_EQ(m.unidades, UnidadesCaudal::MLD);
    ASSERT_EQ(m.red.enlaces.size(), 1u);
    const red::Enlace& e = m.red.enlaces[0];
    EXPECT_EQ(e.id, "Tramo 1");
    EXPECT_EQ(e.desde, "Pozo A");
    EXPECT_EQ(e.hasta, "Pozo B");
    EXPECT_DOUBLE_EQ(e.longitud, 30); // metric: no conversion
    EXPECT_DOUBLE_EQ(e.D, 0.3);
    EXPECT_DOUBLE_EQ(*e.cotaFin, 9.7);
    EXPECT_EQ(nodo(m, "Pozo A").posicion, (std::pair{1.5, 2.5}));
    EXPECT_DOUBLE_EQ(*nodo(m, "Pozo B").cotaTerreno, 11.2);
}

// Feet and US flow units become metres and m3/s exactly; metric flows too.
struct Unidades {
    const char* nombre;
    double m3s;   // one unit, m3/s, from its definition
    double metro; // one length unit, m
};
const Unidades kUnidades[] = {
    {"CFS", 0.3048 * 0.3048 * 0.3048, 0.3048},
    {"GPM", 3.785411784e-3 / 60, 0.3048},
    {"MGD", 3785.411784 / 86400, 0.3048},
    {"CMS", 1, 1},
    {"LPS", 1e-3, 1},
    {"MLD", 1000.0 / 86400, 1},
};

class UnidadesSwmm : public ::testing::TestWithParam<Unidades> {};

TEST_P(UnidadesSwmm, ConvierteLongitudesYCaudales) {
    const Unidades& u = GetParam();
    const ModeloSwmm m = leer(std::string("[OPTIONS]\nFLOW_UNITS ") + u.nombre +
                              "\n[JUNCTIONS]\nA 10 2\n[OUTFALLS]\nB 9 FREE\n[CONDUITS]\n"
                              "T A B 100 0.013 0.5 0\n[XSECTIONS]\nT CIRCULAR 2 0 0 0\n"
                              "[DWF]\nA FLOW 3 \"\" \"\"\nA TSS 99\n"
                              "[INFLOWS]\nA FLOW \"\" FLOW 1.0 1.0 5 Patron\nB FLOW Serie\n");
    EXPECT_NEAR(factorCaudal(*unidadesDeNombre(u.nombre)), u.m3s, 1e-15 * u.m3s);
    const red::Enlace& e = m.red.enlaces[0];
    EXPECT_DOUBLE_EQ(e.longitud, 100 * u.metro);
    EXPECT_DOUBLE_EQ(e.D, 2 * u.metro);
    EXPECT_DOUBLE_EQ(*e.cotaInicio, 10 * u.metro + 0.5 * u.metro);
    EXPECT_DOUBLE_EQ(*nodo(m, "A").cotaTerreno, 12 * u.metro);
    EXPECT_NEAR(nodo(m, "A").caudalMedio, 3 * u.m3s, 1e-15 * u.m3s);
    EXPECT_NEAR(nodo(m, "A").caudalPluvial, 5 * u.m3s, 1e-15 * u.m3s);
    EXPECT_EQ(nodo(m, "B").caudalPluvial, 0); // a time series without baseline
}

INSTANTIATE_TEST_SUITE_P(Swmm, UnidadesSwmm, ::testing::ValuesIn(kUnidades),
                         [](const auto& i) { return std::string(i.param.nombre); });

TEST(ModeloSwmm, NodosYEnlacesDeTodasLasClases) {
    const ModeloSwmm m =
        leer("[OPTIONS]\nFLOW_UNITS CMS\n[STORAGE]\nD1 5 3 0 FUNCTIONAL 1000 0 0 0 0\n"
             "D2 4 2.5 0 TABULAR CurvaD2\n[DIVIDERS]\nV1 6 T1 CUTOFF 0.2 0 0 0 0\n"
             "[JUNCTIONS]\nJ 7 0\n[OUTFALLS]\nS 1 FREE\n"
             "[PUMPS]\nB1 D1 J Curva ON 0 0\n[ORIFICES]\nO1 D2 S SIDE 0 0.65 NO 0\n"
             "[WEIRS]\nW1 V1 S TRANSVERSE 0.5 3.33\n[OUTLETS]\nU1 J S 0 TABULAR/DEPTH CurvaU\n"
             "[CONDUITS]\nT1 V1 D1 10 0.013\nT2 J D2 10 0.013 0 0 0 0\n"
             "[XSECTIONS]\nT1 RECT_CLOSED 1 1 0 0\nT2 FORCE_MAIN 0.3 130 0 0 1\n"
             "O1 CIRCULAR 0.2 0 0 0\nW1 RECT_OPEN 0.5 1 0 0\n");
    EXPECT_EQ(nodo(m, "D1").tipo, TipoNodo::Deposito);
    EXPECT_DOUBLE_EQ(*nodo(m, "D1").cotaTerreno, 8);
    EXPECT_DOUBLE_EQ(*nodo(m, "D2").cotaTerreno, 6.5);
    EXPECT_DOUBLE_EQ(nodo(m, "V1").cotaSolera, 6);
    EXPECT_FALSE(nodo(m, "J").cotaTerreno);
    EXPECT_EQ(enlace(m, "B1").tipo, TipoEnlace::Bomba);
    EXPECT_EQ(enlace(m, "O1").tipo, TipoEnlace::Orificio);
    EXPECT_EQ(enlace(m, "O1").forma, ""); // an orifice's opening is no pipe section
    EXPECT_EQ(enlace(m, "W1").tipo, TipoEnlace::Vertedero);
    EXPECT_EQ(enlace(m, "U1").tipo, TipoEnlace::Salida);
    EXPECT_EQ(red::motivoOmision(enlace(m, "U1")), "no es un conducto (salida)");
    EXPECT_EQ(red::motivoOmision(enlace(m, "T1")),
              "sección no circular: no se comprueba (RECT_CLOSED)");
    EXPECT_EQ(red::motivoOmision(enlace(m, "T2")),
              "sección no circular: no se comprueba (FORCE_MAIN)");
    EXPECT_EQ(enlace(m, "T2").atributos.size(), 2u);
}

// Lines that cannot be read: the file, the line, the section and the field.
struct LineaMala {
    const char* nombre;
    const char* texto;
    const char* error;
};
const LineaMala kLineasMalas[] = {
    {"longitud_no_numero", "[CONDUITS]\nT A B diez 0.013 0 0\n",
     "El modelo «m.inp» no es válido: línea 2, sección [CONDUITS]: «diez» no es un número "
     "(longitud)."},
    {"rugosidad_infinita", "[CONDUITS]\nT A B 10 inf 0 0\n",
     "El modelo «m.inp» no es válido: línea 2, sección [CONDUITS]: «inf» no es un número "
     "(rugosidad)."},
    {"conducto_corto", "\n\n[CONDUITS]\r\nT A B 10\r\n",
     "El modelo «m.inp» no es válido: línea 4, sección [CONDUITS]: faltan datos: nombre, nodos "
     "de los extremos, longitud y rugosidad."},
    {"comillas_abiertas", "[JUNCTIONS]\n\"Pozo 1 10\n",
     "El modelo «m.inp» no es válido: línea 2, sección [JUNCTIONS]: unas comillas no se "
     "cierran."},
    {"unidad_desconocida", "[OPTIONS]\nFLOW_UNITS M3S\n",
     "El modelo «m.inp» no es válido: línea 2, sección [OPTIONS]: «M3S» no es una unidad de "
     "caudal (CFS, GPM, MGD, CMS, LPS o MLD)."},
    {"desplazamientos_desconocidos", "[OPTIONS]\nLINK_OFFSETS OFFSET\n",
     "El modelo «m.inp» no es válido: línea 2, sección [OPTIONS]: «OFFSET» no es un modo de "
     "LINK_OFFSETS (DEPTH o ELEVATION)."},
    {"datos_sin_seccion", "A 1 2\n",
     "El modelo «m.inp» no es válido: línea 1, sección (ninguna): hay datos antes de la "
     "primera sección."},
    {"seccion_sin_cerrar", "[JUNCTIONS\nA 1\n",
     "El modelo «m.inp» no es válido: línea 1, sección (ninguna): el nombre de sección "
     "«[JUNCTIONS» no se cierra con «]»."},
    {"seccion_de_enlace_desconocido", "[XSECTIONS]\nT CIRCULAR 1\n",
     "El modelo «m.inp» no es válido: línea 2, sección [XSECTIONS]: el enlace «T» no está en "
     "el modelo."},
    {"seccion_repetida", "[CONDUITS]\nT A B 10 0.01\n[XSECTIONS]\nT CIRCULAR 1\nT CIRCULAR 2\n",
     "El modelo «m.inp» no es válido: línea 5, sección [XSECTIONS]: la sección del conducto "
     "«T» ya está definida."},
    {"barriles_fraccionarios", "[XSECTIONS]\nT CIRCULAR 1 0 0 0 1.5\n",
     "El modelo «m.inp» no es válido: línea 2, sección [XSECTIONS]: «1.5» no es un número de "
     "barriles válido."},
    {"dwf_de_nodo_desconocido", "[DWF]\nX FLOW 1\n",
     "El modelo «m.inp» no es válido: línea 2, sección [DWF]: el nodo «X» no está en el "
     "modelo."},
    {"dwf_repetido", "[JUNCTIONS]\nX 1\n[DWF]\nX FLOW 1\nX FLOW 2\n",
     "El modelo «m.inp» no es válido: línea 5, sección [DWF]: el caudal medio del nodo «X» ya "
     "está definido."},
    {"deposito_de_forma_desconocida", "[STORAGE]\nD 1 2 0 ESFERICO 1\n",
     "El modelo «m.inp» no es válido: línea 2, sección [STORAGE]: «ESFERICO» no es una forma "
     "de depósito (FUNCTIONAL o TABULAR)."},
};

class LineasMalas : public ::testing::TestWithParam<LineaMala> {};

TEST_P(LineasMalas, ErrorNombraArchivoLineaYSeccion) {
    EXPECT_EQ(error(GetParam().texto), GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(Swmm, LineasMalas, ::testing::ValuesIn(kLineasMalas),
                         [](const auto& i) { return std::string(i.param.nombre); });

TEST(ModeloSwmm, ArchivoQueNoExiste) {
    EXPECT_THROW(leerModeloSwmm(QByteArray("/no/existe/modelo.inp")), ErrorArchivo);
}

} // namespace
} // namespace colvero
