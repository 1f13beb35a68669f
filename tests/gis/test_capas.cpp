#include "capas_prueba.h"
#include "files/archivos.h"
#include "gis/capas.h"
#include "network/topologia.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace colvero::gis {
namespace {

using namespace prueba;

const std::vector<CampoPrueba> kCamposTramo{
    {"tramo", OFTString},     {"D", OFTReal},        {"n", OFTReal},      {"Q", OFTReal},
    {"cota_inicio", OFTReal}, {"cota_fin", OFTReal}, {"calle", OFTString}};

EntidadPrueba tramo(const std::string& id, const std::string& wkt,
                    std::optional<std::string> inicio, std::optional<std::string> fin,
                    const std::string& calle = "Mayor") {
    return {wkt, {id, "0.4", "0.013", "0.05", inicio, fin, calle}};
}

class Capas : public ::testing::Test {
protected:
    QByteArray ruta(const char* nombre) const {
        return QDir(dir_.path()).filePath(nombre).toUtf8();
    }

    // Reads the reaches (and manholes) and fails the test, with the message, on an error.
    RedSig leer(const QByteArray& tramos, const QByteArray& pozos = {}, double tol = 0.01) {
        try {
            return leerRedSig({tramos, {}}, {pozos, {}}, tol);
        } catch (const ErrorArchivo& e) {
            ADD_FAILURE() << e.what();
            return {};
        }
    }

    // The message of the error that reading raises; empty when it reads.
    std::string errorAlLeer(const OrigenCapa& tramos, const OrigenCapa& pozos = {}) {
        try {
            leerRedSig(tramos, pozos);
        } catch (const ErrorArchivo& e) {
            return e.what();
        }
        return {};
    }

    QTemporaryDir dir_;
};

const red::Enlace* enlace(const RedSig& r, const std::string& id) {
    for (const red::Enlace& e : r.red.enlaces)
        if (e.id == id)
            return &e;
    return nullptr;
}

std::string atributo(const red::Enlace& e, const std::string& nombre) {
    for (const auto& [n, v] : e.atributos)
        if (n == nombre)
            return v;
    return "(ausente)";
}

struct Formato {
    const char* nombre;
    const char* driver;
    const char* archivo;
};

class CapasPorFormato : public Capas, public ::testing::WithParamInterface<Formato> {};

// Two reaches in a chain whose ends miss each other by 5 mm, the first with an inner vertex
// (a 3-4 and a 4-3 leg: 10 m along the line, 7.07 m end to end), the second a straight 50 m.
TEST_P(CapasPorFormato, ChainOfTwoReachesReadsBackWithLengthsSlopesAndCrs) {
    const QByteArray r = ruta(GetParam().archivo);
    escribirCapas(r, GetParam().driver,
                  {{"tramos",
                    wkbLineString,
                    25830,
                    kCamposTramo,
                    {tramo("T1", "LINESTRING (500000 4000000, 500003 4000004, 500007 4000007)",
                           "100.0", "99.9"),
                     tramo("T2", "LINESTRING (500007.003 4000007.004, 500037.003 4000047.004)",
                           "99.9", "99.4", "Real")}}});
    const RedSig s = leer(r);
    ASSERT_EQ(s.red.enlaces.size(), 2u);
    EXPECT_EQ(s.red.longitudes, red::MedidaLongitud::Horizontal);
    EXPECT_EQ(s.red.nodos.size(), 3u) << "the 5 mm gap is within the 10 mm tolerance";
    const red::Enlace& t1 = *enlace(s, "T1");
    const red::Enlace& t2 = *enlace(s, "T2");
    EXPECT_EQ(t1.hasta, t2.desde);
    EXPECT_NE(t1.desde, t2.hasta);
    EXPECT_NEAR(t1.longitud, 10.0, 1e-9);
    EXPECT_NEAR(t2.longitud, 50.0, 1e-9);
    ASSERT_EQ(t1.vertices.size(), 1u);
    EXPECT_DOUBLE_EQ(t1.vertices[0].first, 500003);
    EXPECT_DOUBLE_EQ(t1.vertices[0].second, 4000004);
    EXPECT_TRUE(t2.vertices.empty());
    EXPECT_DOUBLE_EQ(t1.D, 0.4);
    EXPECT_DOUBLE_EQ(t1.n, 0.013);
    for (const auto& q : t1.caudales)
        EXPECT_EQ(q, 0.05) << "Q stands for every condition";
    EXPECT_EQ(atributo(t2, "calle"), "Real");
    EXPECT_NE(s.crsWkt.find("25830"), std::string::npos) << s.crsWkt;

    // Slopes from the inverts over the horizontal length.
    const red::Topologia t = red::construirTopologia(s.red);
    EXPECT_NEAR(t.pendiente[0], 0.1 / 10.0, 1e-12);
    EXPECT_NEAR(t.pendiente[1], 0.5 / 50.0, 1e-12);
    EXPECT_EQ(t.vertidos, 1);
    EXPECT_EQ(t.partes, 1);
    EXPECT_FALSE(t.hay(red::Gravedad::Aviso));
}

INSTANTIATE_TEST_SUITE_P(Formatos, CapasPorFormato,
                         ::testing::Values(Formato{"GeoPackage", "GPKG", "red.gpkg"},
                                           Formato{"Shapefile", "ESRI Shapefile", "tramos.shp"},
                                           Formato{"GeoJSON", "GeoJSON", "red.geojson"}),
                         [](const auto& info) { return std::string(info.param.nombre); });

struct Union {
    const char* caso;
    double hueco; // between the first reach's end and the second's start, m
    double tolerancia;
    bool unidos;
};

class CapasUnion : public Capas, public ::testing::WithParamInterface<Union> {};

TEST_P(CapasUnion, EndsJoinOnlyWithinTheTolerance) {
    const Union u = GetParam();
    const QByteArray r = ruta("union.gpkg");
    char wkt[200];
    std::snprintf(wkt, sizeof wkt, "LINESTRING (%.6f 0, %.6f 0)", 10 + u.hueco, 20 + u.hueco);
    escribirCapas(r, "GPKG",
                  {{"tramos",
                    wkbLineString,
                    25830,
                    kCamposTramo,
                    {tramo("A", "LINESTRING (0 0, 10 0)", "10", "9"), tramo("B", wkt, "9", "8")}}});
    const RedSig s = leer(r, {}, u.tolerancia);
    ASSERT_EQ(s.red.enlaces.size(), 2u);
    EXPECT_EQ(s.red.enlaces[0].hasta == s.red.enlaces[1].desde, u.unidos);
    EXPECT_EQ(s.red.nodos.size(), u.unidos ? 3u : 4u);
}

INSTANTIATE_TEST_SUITE_P(Tolerancias, CapasUnion,
                         ::testing::Values(Union{"coincidentes", 0, 0.01, true},
                                           Union{"dentro", 0.009, 0.01, true},
                                           Union{"fuera", 0.011, 0.01, false},
                                           Union{"tolerancia_mayor", 0.011, 0.05, true},
                                           Union{"tolerancia_cero_exactos", 0, 0, true},
                                           Union{"tolerancia_cero_casi", 1e-6, 0, false},
                                           Union{"lejos", 5, 0.01, false}),
                         [](const auto& info) { return std::string(info.param.caso); });

// Manholes give the nodes their names, inverts and loads; a reach without its own inverts takes
// the manholes'; a node no manhole covers takes the lowest invert of the reaches ending there.
TEST_F(Capas, ManholesJoinTheReachEnds) {
    const QByteArray tr = ruta("tramos.gpkg");
    escribirCapas(tr, "GPKG",
                  {{"tramos",
                    wkbLineString,
                    25830,
                    kCamposTramo,
                    {tramo("A", "LINESTRING (0 0, 100 0)", std::nullopt, std::nullopt),
                     tramo("B", "LINESTRING (50 50, 100.004 0)", "103", "101.5"),
                     tramo("C", "LINESTRING (100 0, 200 0)", std::nullopt, "98")}}});
    const QByteArray po = ruta("pozos.gpkg");
    escribirCapas(po, "GPKG",
                  {{"pozos",
                    wkbPoint,
                    25830,
                    {{"pozo", OFTString},
                     {"cota_solera", OFTReal},
                     {"cota_terreno", OFTReal},
                     {"caudal_medio", OFTReal}},
                    {{"POINT (0.003 0)", {"P1", "102", "104.5", "0.002"}},
                     {"POINT (100 0)", {"P2", "101", std::nullopt, std::nullopt}},
                     {"POINT (900 900)", {"P9", "90", std::nullopt, std::nullopt}}}}});
    const RedSig s = leer(tr, po);
    ASSERT_EQ(s.red.enlaces.size(), 3u);
    const red::Enlace& a = *enlace(s, "A");
    const red::Enlace& b = *enlace(s, "B");
    const red::Enlace& c = *enlace(s, "C");
    EXPECT_EQ(a.desde, "P1");
    EXPECT_EQ(a.hasta, "P2");
    EXPECT_EQ(b.hasta, "P2");
    EXPECT_EQ(c.desde, "P2");
    EXPECT_EQ(a.cotaInicio, 102.0);
    EXPECT_EQ(a.cotaFin, 101.0);
    EXPECT_EQ(b.cotaFin, 101.5) << "a reach's own invert stands";
    EXPECT_EQ(c.cotaInicio, 101.0);
    ASSERT_EQ(s.red.nodos.size(), 5u);
    EXPECT_EQ(s.red.nodos[2].id, "P9");
    EXPECT_EQ(s.red.nodos[2].tipo, red::TipoNodo::Pozo) << "a manhole no reach enters";
    const red::Nodo& p1 = s.red.nodos[0];
    EXPECT_EQ(p1.id, "P1");
    EXPECT_EQ(p1.cotaTerreno, 104.5);
    EXPECT_DOUBLE_EQ(p1.caudalMedio, 0.002);
    EXPECT_EQ(p1.tipo, red::TipoNodo::Pozo);
    EXPECT_FALSE(s.red.nodos[1].cotaTerreno);
    // B's upstream end and C's downstream end have no manhole.
    int generados = 0;
    for (const red::Nodo& n : s.red.nodos) {
        if (n.id == b.desde) {
            ++generados;
            EXPECT_EQ(n.cotaSolera, 103.0);
        } else if (n.id == c.hasta) {
            ++generados;
            EXPECT_EQ(n.cotaSolera, 98.0);
            EXPECT_EQ(n.tipo, red::TipoNodo::Vertido);
        }
    }
    EXPECT_EQ(generados, 2);
    const red::Topologia t = red::construirTopologia(s.red);
    EXPECT_NEAR(t.pendiente[0], 1.0 / 100.0, 1e-12);
    EXPECT_NEAR(t.pendiente[2], 3.0 / 100.0, 1e-12);
    EXPECT_EQ(t.vertidos, 1);
}

// A generated node never takes a manhole's name.
TEST_F(Capas, GeneratedNodesAvoidManholeNames) {
    const QByteArray tr = ruta("tramos.gpkg");
    escribirCapas(tr, "GPKG",
                  {{"tramos",
                    wkbLineString,
                    25830,
                    kCamposTramo,
                    {tramo("A", "LINESTRING (0 0, 10 0)", "2", "1")}}});
    const QByteArray po = ruta("pozos.gpkg");
    escribirCapas(po, "GPKG",
                  {{"pozos",
                    wkbPoint,
                    25830,
                    {{"pozo", OFTString}},
                    {{"POINT (500 500)", {"N1"}}, {"POINT (600 500)", {"N2"}}}}});
    const RedSig s = leer(tr, po);
    ASSERT_EQ(s.red.enlaces.size(), 1u);
    EXPECT_NE(s.red.enlaces[0].desde, s.red.enlaces[0].hasta);
    for (const std::string& id : {s.red.enlaces[0].desde, s.red.enlaces[0].hasta}) {
        EXPECT_NE(id, "N1");
        EXPECT_NE(id, "N2");
    }
}

// Fields written as text, with decimal commas or blanks; NULL flows are flows not given; a
// length field beats the geometry; a slope field is kept; the names a Shapefile cuts to ten
// characters are still recognised.
TEST_F(Capas, OddValuesAndShortShapefileNames) {
    const QByteArray r = ruta("texto.shp");
    escribirCapas(
        r, "ESRI Shapefile",
        {{"texto",
          wkbLineString,
          25830,
          {{"TRAMO", OFTString},
           {"d", OFTString},
           {"N", OFTString},
           {"i", OFTString},
           {"Q1", OFTReal},
           {"Q", OFTReal},
           {"longitud", OFTString},
           {"cota_inicio", OFTReal},
           {"caudal_por_metro", OFTReal}},
          {{"LINESTRING (0 0, 10 0)",
            {"T1", " 0,5 ", "0.013", "+0.004", "0.2", std::nullopt, "12,5", "7", "0.0001"}}}}});
    const RedSig s = leer(r);
    ASSERT_EQ(s.red.enlaces.size(), 1u);
    const red::Enlace& e = s.red.enlaces[0];
    EXPECT_EQ(e.id, "T1");
    EXPECT_EQ(e.D, 0.5);
    EXPECT_EQ(e.pendiente, 0.004);
    EXPECT_EQ(e.caudales[0], 0.2);
    EXPECT_FALSE(e.caudales[1]) << "a NULL Q gives no flow";
    EXPECT_EQ(e.longitud, 12.5);
    EXPECT_EQ(e.cotaInicio, 7.0) << "cota_inici";
    EXPECT_EQ(e.caudalPorMetro, 0.0001) << "caudal_por";
    EXPECT_TRUE(e.atributos.empty());
}

// A long chain whose ends are all 1 mm apart: every end joins its neighbour.
TEST_F(Capas, ManyReachesJoinInOneChain) {
    std::vector<EntidadPrueba> entidades;
    const int n = 5000;
    for (int k = 0; k < n; ++k) {
        char wkt[200];
        std::snprintf(wkt, sizeof wkt, "LINESTRING (%.3f %.3f, %.3f %.3f)", k * 10.0 + 0.001,
                      (k % 7) * 0.001, (k + 1) * 10.0, ((k + 1) % 7) * 0.001);
        entidades.push_back(
            tramo("T" + std::to_string(k), wkt, std::to_string(1000 - k), std::to_string(999 - k)));
    }
    const QByteArray r = ruta("cadena.gpkg");
    escribirCapas(r, "GPKG", {{"tramos", wkbLineString, 25830, kCamposTramo, entidades}});
    const RedSig s = leer(r);
    ASSERT_EQ(s.red.enlaces.size(), static_cast<size_t>(n));
    EXPECT_EQ(s.red.nodos.size(), static_cast<size_t>(n + 1));
    for (size_t k = 1; k < s.red.enlaces.size(); ++k)
        ASSERT_EQ(s.red.enlaces[k - 1].hasta, s.red.enlaces[k].desde) << k;
}

struct Fallo {
    const char* caso;
    CapaPrueba capa;
    std::string esperado; // the exact message, with «ARCHIVO» for the file's name
    std::string capaPedida = {};
};

class CapasErroneas : public Capas, public ::testing::WithParamInterface<Fallo> {};

TEST_P(CapasErroneas, RefusedWithAMessageNamingWhere) {
    const QByteArray r = ruta("mala.gpkg");
    escribirCapas(r, "GPKG", {GetParam().capa});
    std::string esperado = GetParam().esperado;
    const std::string nombre = "«" + r.toStdString() + "»";
    for (size_t k; (k = esperado.find("«ARCHIVO»")) != std::string::npos;)
        esperado.replace(k, std::string("«ARCHIVO»").size(), nombre);
    EXPECT_EQ(errorAlLeer({r, GetParam().capaPedida}), esperado);
}

CapaPrueba capaCon(std::vector<CampoPrueba> campos, std::vector<EntidadPrueba> entidades,
                   int epsg = 25830) {
    return {"tramos", wkbUnknown, epsg, std::move(campos), std::move(entidades)};
}

const std::vector<CampoPrueba> kTresCampos{{"tramo", OFTString}, {"D", OFTReal}, {"n", OFTString}};

INSTANTIATE_TEST_SUITE_P(
    Mensajes, CapasErroneas,
    ::testing::Values(
        Fallo{"geograficas",
              capaCon(kTresCampos,
                      {{"LINESTRING (-3.7 40.4, -3.69 40.41)", {"T1", "0.3", "0.013"}}}, 4326),
              "La capa «tramos» de «ARCHIVO»: está en coordenadas geográficas (grados); las "
              "longitudes y la tolerancia necesitan un sistema proyectado en metros, p. ej. "
              "ETRS89 / UTM (EPSG:25830)."},
        Fallo{"sin_sistema_y_sin_longitud",
              capaCon(kTresCampos, {{"LINESTRING (0 0, 1 1)", {"T1", "0.3", "0.013"}}}, 0),
              "La capa «tramos» de «ARCHIVO»: no tiene sistema de coordenadas, y la longitud del "
              "tramo «T1» sale de su geometría; asígnele un sistema proyectado en metros, p. ej. "
              "ETRS89 / UTM (EPSG:25830), o dé el campo «longitud»."},
        Fallo{"falta_n",
              capaCon({{"tramo", OFTString}, {"D", OFTReal}},
                      {{"LINESTRING (0 0, 1 1)", {"T1", "0.3"}}}),
              "La capa «tramos» de «ARCHIVO», campo «n»: falta el campo."},
        Fallo{"texto_en_numero",
              capaCon(kTresCampos, {{"LINESTRING (0 0, 1 1)", {"T1", "0.3", "0.013"}},
                                    {"LINESTRING (1 1, 2 2)", {"T2", "0.3", "trece"}}}),
              "La capa «tramos» de «ARCHIVO», entidad 2 (tramo «T2»), campo «n»: «trece» no es "
              "un número."},
        Fallo{"nulo_obligatorio",
              capaCon(kTresCampos, {{"LINESTRING (0 0, 1 1)", {"T1", std::nullopt, "0.013"}}}),
              "La capa «tramos» de «ARCHIVO», entidad 1 (tramo «T1»), campo «D»: el campo está "
              "vacío."},
        Fallo{"sin_identificador",
              capaCon(kTresCampos, {{"LINESTRING (0 0, 1 1)", {" ", "0.3", "0.013"}}}),
              "La capa «tramos» de «ARCHIVO», entidad 1, campo «tramo»: el tramo no tiene "
              "identificador."},
        Fallo{"multilinea",
              capaCon(kTresCampos,
                      {{"MULTILINESTRING ((0 0, 1 1), (5 5, 6 6))", {"T1", "0.3", "0.013"}}}),
              "La capa «tramos» de «ARCHIVO», entidad 1 (tramo «T1»): es una línea múltiple "
              "(MultiLineString) de 2 partes; cada tramo debe ser una sola línea."},
        Fallo{"punto", capaCon(kTresCampos, {{"POINT (0 0)", {"T1", "0.3", "0.013"}}}),
              "La capa «tramos» de «ARCHIVO», entidad 1 (tramo «T1»): su geometría es Point, no "
              "una línea."},
        Fallo{"sin_geometria", capaCon(kTresCampos, {{"", {"T1", "0.3", "0.013"}}}),
              "La capa «tramos» de «ARCHIVO», entidad 1 (tramo «T1»): no tiene geometría."},
        Fallo{"campo_repetido",
              capaCon({{"tramo", OFTString}, {"D", OFTReal}, {"n", OFTReal}, {"Tramó", OFTString}},
                      {}),
              "La capa «tramos» de «ARCHIVO», campo «Tramó»: es el mismo campo que «tramo»."},
        Fallo{"vacia", capaCon(kTresCampos, {}),
              "La capa «tramos» de «ARCHIVO»: no tiene ningún tramo."},
        Fallo{"capa_desconocida", capaCon(kTresCampos, {}),
              "«ARCHIVO» no tiene la capa «colectores»; sus capas son: «tramos».", "colectores"}),
    [](const auto& info) { return std::string(info.param.caso); });

TEST_F(Capas, SeveralLineLayersNeedAName) {
    const QByteArray r = ruta("dos.gpkg");
    const EntidadPrueba e = tramo("A", "LINESTRING (0 0, 10 0)", "2", "1");
    escribirCapas(r, "GPKG",
                  {{"norte", wkbLineString, 25830, kCamposTramo, {e}},
                   {"sur", wkbLineString, 25830, kCamposTramo, {e}},
                   {"pozos", wkbPoint, 25830, {{"pozo", OFTString}}, {}}});
    EXPECT_EQ(errorAlLeer({r, {}}), "«" + r.toStdString() +
                                        "» tiene varias capas de líneas; indique cuál: «norte», "
                                        "«sur», «pozos».");
    EXPECT_EQ(capasDe(r), (std::vector<std::string>{"norte", "sur", "pozos"}));
    EXPECT_EQ(leerRedSig({r, "sur"}, {}).capa, "sur");
    EXPECT_EQ(leerRedSig(separarArchivoCapa(r + ":norte"), {}).capa, "norte");
    // The manholes of the same file, named after a colon.
    const RedSig s = leerRedSig({r, "sur"}, separarArchivoCapa(r + ":pozos"));
    EXPECT_EQ(s.red.nodos.size(), 2u);
}

TEST_F(Capas, ManholeErrorsNameTheManhole) {
    const QByteArray tr = ruta("tramos.gpkg");
    escribirCapas(tr, "GPKG",
                  {{"tramos",
                    wkbLineString,
                    25830,
                    kCamposTramo,
                    {tramo("A", "LINESTRING (0 0, 10 0)", "2", "1")}}});
    const QByteArray po = ruta("pozos.gpkg");
    escribirCapas(po, "GPKG",
                  {{"pozos",
                    wkbPoint,
                    25830,
                    {{"pozo", OFTString}, {"cota_solera", OFTString}},
                    {{"POINT (0 0)", {"P1", "1,5 m"}}}}});
    EXPECT_EQ(errorAlLeer({tr, {}}, {po, {}}),
              "La capa «pozos» de «" + po.toStdString() +
                  "», entidad 1 (pozo «P1»), campo «cota_solera»: «1,5 m» no es un número.");
    const QByteArray otro = ruta("otro.gpkg");
    escribirCapas(otro, "GPKG",
                  {{"pozos", wkbPoint, 25831, {{"pozo", OFTString}}, {{"POINT (0 0)", {"P1"}}}}});
    EXPECT_EQ(errorAlLeer({tr, {}}, {otro, {}}),
              "La capa «pozos» de «" + otro.toStdString() +
                  "»: su sistema de coordenadas no es el de los tramos.");
}

TEST_F(Capas, FilesThatAreNoLayers) {
    EXPECT_EQ(errorAlLeer({ruta("no-existe.gpkg"), {}}),
              "No se puede abrir «" + ruta("no-existe.gpkg").toStdString() + "»: no existe.");
    const QByteArray basura = ruta("basura.gpkg");
    {
        QFile f(QString::fromUtf8(basura));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("esto no es una capa\n");
    }
    const std::string m = errorAlLeer({basura, {}});
    EXPECT_EQ(m.rfind("No se puede abrir «" + basura.toStdString() + "» como capa SIG", 0), 0u)
        << m;
}

} // namespace
} // namespace colvero::gis
