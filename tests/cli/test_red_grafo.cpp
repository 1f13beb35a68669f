// Runs the built colvero-check --red on SWMM models and GIS layers: the records name each
// reach's graph data with the model's very doubles, links that are not pipes are listed and do
// not fail the run, and the results come back out as GIS layers.
#include "check/numero.h"
#include "ejecutar.h"
#include "files/archivos.h"
#include "network/fuente_red.h"

#include <gtest/gtest.h>
#include <ogrsf_frmts.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace colvero {
namespace {

const QString kEjemplos = QStringLiteral(COLVERO_EJEMPLOS);
const QString kDatosSwmm = QStringLiteral(COLVERO_DATOS_SWMM);
const QString kCriterio = kEjemplos + "/criterio-red.CrVek";

using prueba::Ejecucion;
using prueba::ejecutar;
using prueba::escribir;
using prueba::objetos;

// Two parts: A → B → C → S, pipes with their flows from the nodes' loads, and T4, an adverse
// reach into B; W0 → W → S2 through a rectangular conduit and a pump, neither checked.
const QByteArray kModelo = "[OPTIONS]\nFLOW_UNITS CMS\n"
                           "[JUNCTIONS]\nA 10 2\nB 9 2\nC 8.5 2\nF 8.9 2\nW0 7 2\nW 6 2\n"
                           "[OUTFALLS]\nS 8 FREE\nS2 5 FREE\n"
                           "[CONDUITS]\n"
                           "T1 A B 100 0.013 0 0\n"
                           "T2 B C 50 0.013 0 0\n"
                           "T3 C S 50 0.013 0 0\n"
                           "T4 F B 30 0.013 0 0\n"
                           "X1 W0 W 40 0.013 0 0\n"
                           "[PUMPS]\nP1 W S2 * ON 0 0\n"
                           "[XSECTIONS]\n"
                           "T1 CIRCULAR 0.4\nT2 CIRCULAR 0.08\nT3 CIRCULAR 1.2\nT4 CIRCULAR 0.3\n"
                           "X1 RECT_CLOSED 1 1\n"
                           "[DWF]\nA FLOW 0.01\nB FLOW 0.004\n"
                           "[COORDINATES]\nA 0 0\nB 100 0\nC 150 0\nS 200 0\nF 100 30\n"
                           "W0 0 100\nW 40 100\nS2 80 100\n";

// The model without its adverse reach.
QByteArray sinContrapendiente() {
    QByteArray m = kModelo;
    m.replace("T4 F B 30 0.013 0 0\n", "");
    m.replace("T4 CIRCULAR 0.3\n", "");
    return m;
}

// The criterion of the examples with condition 1 alone.
QByteArray soloCapacidad() {
    QFile f(kCriterio);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    QList<QByteArray> lineas = f.readAll().split('\n');
    for (qsizetype k = 2; k <= 10; ++k)
        lineas[k].replace(" 1 ,", " 0 ,");
    return lineas.join('\n');
}

// Example1 with its report: one record per conduit, whose numbers read back as the very
// doubles the model gives (17 digits), and the flows the report's.
TEST(RedGrafo, Example1ConSuInforme) {
    const QString modelo = kDatosSwmm + "/Example1.inp";
    const QString informe = kDatosSwmm + "/example1.rpt";
    if (!QFileInfo::exists(modelo) || !QFileInfo::exists(informe))
        GTEST_SKIP() << "faltan los datos de SWMM";
    const Ejecucion e = ejecutar(
        {"--red", modelo, "--rpt", informe, "--criterio", kCriterio, "--json", "--sin-pendientes"});
    ASSERT_LE(e.codigo, 2) << e.errores.toStdString();
    const std::vector<QJsonObject> o = objetos(e.salida);
    ASSERT_EQ(o.size(), 13u) << e.salida.toStdString();

    red::OpcionesFuente opciones;
    opciones.informe = QFile::encodeName(informe);
    const red::RedGrafo g = red::leerRedGrafo(QFile::encodeName(modelo), opciones);
    ASSERT_EQ(g.tramos.size(), 13u);
    int peor = 0;
    for (std::size_t k = 0; k < o.size(); ++k) {
        const QJsonObject& r = o[k];
        const red::TramoGrafo& t = g.tramos[k];
        SCOPED_TRACE(t.tramo);
        EXPECT_FALSE(r.contains("omitido"));
        EXPECT_EQ(r["tramo"].toString().toStdString(), t.tramo);
        EXPECT_EQ(r["fila"].toInt(), static_cast<int>(k) + 1);
        EXPECT_EQ(r["desde"].toString().toStdString(), t.desde);
        EXPECT_EQ(r["hasta"].toString().toStdString(), t.hasta);
        EXPECT_EQ(r["longitud"].toDouble(), t.longitud);
        EXPECT_EQ(r["cota_inicio"].toDouble(), *t.cotaInicio);
        EXPECT_EQ(r["cota_fin"].toDouble(), *t.cotaFin);
        EXPECT_EQ(r["D"].toDouble(), t.D);
        EXPECT_EQ(r["n"].toDouble(), t.n);
        EXPECT_EQ(r["i"].toDouble(), t.i);
        const QJsonArray q = r["caudales"].toArray();
        ASSERT_EQ(q.size(), 7);
        for (qsizetype c = 0; c < 7; ++c)
            EXPECT_EQ(q[c].toDouble(), *t.Q[static_cast<std::size_t>(c)]);
        EXPECT_EQ(r["origen_caudales"].toString(), "informe");
        EXPECT_FALSE(r.contains("caudal_medio_acumulado"));
        EXPECT_EQ(r["estado"].toString(), "CÁLCULO REALIZADO");
        for (const QJsonValue& c : r["condiciones"].toArray()) {
            const QString v = c["veredicto"].toString();
            peor = std::max(peor, v.contains("[ERROR]") ? 2 : v.contains("[NO]") ? 1 : 0);
        }
    }
    EXPECT_EQ(e.codigo, peor);
}

struct CasoResumen {
    const char* nombre;
    QByteArray modelo;
    int codigo;
    std::vector<std::string> lineas; // present in the summary
};

class ResumenDeModelo : public ::testing::TestWithParam<CasoResumen> {};

// With condition 1 alone: the summary names the source and its topology, lists the links that
// are not checked with their reason and counts them apart; they never raise the exit status.
TEST_P(ResumenDeModelo, LineasYCodigo) {
    QTemporaryDir dir;
    const QString modelo = escribir(dir, "red.inp", GetParam().modelo);
    const QString hipotesis = escribir(dir, "caudales.txt", "coeficiente_punta_maximo = 3,5\n");
    const QString criterio = escribir(dir, "capacidad.CrVek", soloCapacidad());
    const Ejecucion e = ejecutar(
        {"--red", modelo, "--hipotesis", hipotesis, "--criterio", criterio, "--sin-pendientes"});
    EXPECT_EQ(e.codigo, GetParam().codigo) << e.salida.toStdString() << e.errores.toStdString();
    const std::string s = e.salida.toStdString();
    for (const std::string& l : GetParam().lineas)
        EXPECT_NE(s.find("\n" + l + "\n"), std::string::npos) << l << "\n" << s;
    EXPECT_EQ(s.rfind("Red: " + modelo.toStdString() +
                          "\nFormato: modelo SWMM 5, caudales en CMS, pendiente con la longitud "
                          "medida a lo largo del tubo\n",
                      0),
              0u)
        << s;
    EXPECT_EQ(s.find("fila "), std::string::npos) << s;
}

const std::string kOmitidos[] = {"tramo «X1»: sección no circular: no se comprueba (RECT_CLOSED)",
                                 "tramo «P1»: no es un conducto (bomba)"};

INSTANTIATE_TEST_SUITE_P(
    Modelos, ResumenDeModelo,
    ::testing::Values(
        CasoResumen{"LosOmitidosNoCuentanParaElCodigo",
                    sinContrapendiente(),
                    1,
                    {"Topología:", "8 nodos y 5 enlaces; 2 vertidos, 3 partes conexas.",
                     kOmitidos[0], kOmitidos[1], "tramo «T2»: no cumple (1)",
                     "Tramos: 5; cumplen 2, no cumplen 1, no se han podido comprobar 0, no se "
                     "comprueban 2"}},
        CasoResumen{"SinElTuboPequenoCumpleTodo",
                    [] {
                        QByteArray m = sinContrapendiente();
                        m.replace("T2 CIRCULAR 0.08", "T2 CIRCULAR 0.6");
                        return m;
                    }(),
                    0,
                    {"Tramos: 5; cumplen 3, no cumplen 0, no se han podido comprobar 0, no se "
                     "comprueban 2"}}),
    [](const auto& info) { return std::string(info.param.nombre); });

struct CasoUso {
    const char* nombre;
    QStringList argumentos; // "{dir}" is the temporary folder
    std::string mensaje;
};

class ErroresDeUso : public ::testing::TestWithParam<CasoUso> {};

// Every misuse stops the run with its message before anything is read or written.
TEST_P(ErroresDeUso, MensajeYNadaEscrito) {
    QTemporaryDir dir;
    escribir(dir, "red.inp", sinContrapendiente());
    escribir(dir, "red.csv", "tramo,D,n,i,Q\nT,1,0.013,0.01,0.1\n");
    escribir(dir, "h.txt", "");
    escribir(dir, "capa.geojson", "{}");
    QByteArray sinCoordenadas = sinContrapendiente();
    sinCoordenadas.truncate(sinCoordenadas.indexOf("[COORDINATES]"));
    escribir(dir, "sin-coordenadas.inp", sinCoordenadas);
    ASSERT_TRUE(QFile::link(dir.filePath("h.txt"), dir.filePath("enlace.json")));
    QStringList args;
    for (QString a : GetParam().argumentos)
        args << a.replace("{dir}", dir.path());
    const QStringList antes = QDir(dir.path()).entryList(QDir::Files);
    const Ejecucion e = ejecutar(args);
    EXPECT_EQ(e.codigo, 2);
    EXPECT_TRUE(e.salida.isEmpty()) << e.salida.toStdString();
    QString esperado = QString::fromStdString(GetParam().mensaje);
    esperado.replace("{dir}", dir.path());
    EXPECT_TRUE(QString::fromUtf8(e.errores).startsWith("colvero-check: " + esperado))
        << e.errores.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), antes);
}

INSTANTIATE_TEST_SUITE_P(
    Opciones, ErroresDeUso,
    ::testing::Values(
        CasoUso{"InformeConTabla",
                {"--red", "{dir}/red.csv", "--rpt", "{dir}/h.txt", "--criterio", kCriterio},
                "--rpt solo sirve con un modelo SWMM (.inp)\nUse «colvero-check --red --help»"},
        CasoUso{"HipotesisConTabla",
                {"--red", "{dir}/red.csv", "--hipotesis", "{dir}/h.txt"},
                "--hipotesis solo sirve con un modelo SWMM (.inp) o capas SIG\n"},
        CasoUso{"CapaConModelo",
                {"--red", "{dir}/red.inp", "--capa", "tramos"},
                "--capa solo sirve con capas SIG\n"},
        CasoUso{"ToleranciaConTabla",
                {"--red", "{dir}/red.csv", "--tolerancia", "1"},
                "--tolerancia solo sirve con capas SIG\n"},
        CasoUso{"ToleranciaNoNumerica",
                {"--red", "{dir}/capa.geojson", "--tolerancia", "0,5m"},
                "--tolerancia ha de ser un número positivo de metros, no «0,5m»\n"},
        CasoUso{"ToleranciaCero",
                {"--red", "{dir}/capa.geojson", "--tolerancia", "0"},
                "--tolerancia ha de ser un número positivo de metros, no «0»\n"},
        CasoUso{"ToleranciaDosVeces",
                {"--red", "{dir}/capa.geojson", "--tolerancia", "1", "--tolerancia", "2"},
                "la opción --tolerancia se ha dado dos veces\n"},
        CasoUso{"CapaSigDeUnaTabla",
                {"--red", "{dir}/red.csv", "--criterio", kCriterio, "--salida", "{dir}/res.gpkg"},
                "--salida «{dir}/res.gpkg»: una capa SIG de resultados solo se escribe con un "
                "modelo SWMM (.inp) o capas SIG; los de una tabla van a un .csv\n"},
        CasoUso{"ExtensionDesconocidaDeUnModelo",
                {"--red", "{dir}/red.inp", "--criterio", kCriterio, "--salida", "{dir}/res.txt"},
                "--salida «{dir}/res.txt»: la extensión dice el formato: .csv, .gpkg, .shp, "
                ".geojson, .json o .dxf\n"},
        CasoUso{"PlanoDxfDeUnaTabla",
                {"--red", "{dir}/red.csv", "--criterio", kCriterio, "--salida", "{dir}/res.DXF"},
                "--salida «{dir}/res.DXF»: el plano DXF solo se dibuja de un modelo SWMM (.inp) "
                "o capas SIG, que dan las coordenadas; los resultados de una tabla van a un "
                ".csv\n"},
        CasoUso{"PlanoDxfSinCoordenadas",
                {"--red", "{dir}/sin-coordenadas.inp", "--criterio", kCriterio, "--salida",
                 "{dir}/plano.dxf"},
                "--salida «{dir}/plano.dxf»: ningún enlace de la red tiene coordenadas en sus "
                "dos nodos: no hay plano que dibujar\n"},
        CasoUso{"SalidaSobreLasCapas",
                {"--red", "{dir}/capa.geojson", "--criterio", kCriterio, "--salida",
                 "{dir}/capa.geojson"},
                "--salida «{dir}/capa.geojson» es el mismo archivo que --red "
                "«{dir}/capa.geojson»: los resultados lo reemplazarían."},
        CasoUso{"SalidaSobreLosPozos",
                {"--red", "{dir}/capa.geojson", "--pozos", "{dir}/red.csv:pozos", "--criterio",
                 kCriterio, "--salida", "{dir}/red.csv"},
                "--salida «{dir}/red.csv» es el mismo archivo que --pozos "
                "«{dir}/red.csv:pozos»: los resultados lo reemplazarían."},
        CasoUso{"SalidaSobreLaHipotesis",
                {"--red", "{dir}/red.inp", "--hipotesis", "{dir}/h.txt", "--criterio", kCriterio,
                 "--salida", "{dir}/enlace.json"},
                "--salida «{dir}/enlace.json» es el mismo archivo que --hipotesis "
                "«{dir}/h.txt»: los resultados lo reemplazarían."}),
    [](const auto& info) { return std::string(info.param.nombre); });

// A layer read back with GDAL: a feature per link, in the model's order.
struct Entidad {
    std::map<std::string, std::optional<std::string>> campos; // NULL: none
    std::map<std::string, double> reales;                     // the fields of numbers
    bool conGeometria = false;
};

std::vector<Entidad> leerCapa(const QString& ruta) {
    GDALAllRegister();
    GDALDatasetUniquePtr ds(
        GDALDataset::Open(QFile::encodeName(ruta).constData(), GDAL_OF_VECTOR | GDAL_OF_READONLY));
    std::vector<Entidad> v;
    EXPECT_TRUE(ds);
    if (!ds)
        return v;
    // A Shapefile's one layer takes the file's name.
    OGRLayer* l = ds->GetLayerCount() == 1 ? ds->GetLayer(0) : ds->GetLayerByName("tramos");
    EXPECT_NE(l, nullptr);
    if (!l)
        return v;
    for (const auto& f : *l) {
        Entidad e;
        for (int c = 0; c < f->GetFieldCount(); ++c)
            e.campos[f->GetFieldDefnRef(c)->GetNameRef()] =
                f->IsFieldSetAndNotNull(c) ? std::optional<std::string>(f->GetFieldAsString(c))
                                           : std::nullopt;
        for (int c = 0; c < f->GetFieldCount(); ++c)
            if (f->GetFieldDefnRef(c)->GetType() == OFTReal && f->IsFieldSetAndNotNull(c))
                e.reales[f->GetFieldDefnRef(c)->GetNameRef()] = f->GetFieldAsDouble(c);
        e.conGeometria = f->GetGeometryRef() != nullptr;
        v.push_back(std::move(e));
    }
    return v;
}

// The verdict word of a JSON verdict line, as a layer's c1…c10 hold it.
std::string palabra(const QString& linea) {
    for (const char* p : {"[SI]", "[NO]", "[ERROR]"})
        if (linea.contains(QLatin1String(p)))
            return p;
    return "-";
}

class CapaDeResultados : public ::testing::TestWithParam<const char*> {};

// The layer of results holds, per link, what the JSON records say: cumple from the run's
// outcome, the verdict words, the fill ratios and velocities as the engine's doubles; the
// links not checked have NULL and their reason.
TEST_P(CapaDeResultados, ComoLosRegistros) {
    QTemporaryDir dir;
    const QString modelo = escribir(dir, "red.inp", kModelo);
    const QString hipotesis = escribir(dir, "h.txt", "");
    const QString salida = dir.filePath(QStringLiteral("resultados.") + GetParam());
    const QStringList comun{"--red", modelo, "--hipotesis", hipotesis, "--criterio", kCriterio};
    const Ejecucion json = ejecutar(comun + QStringList{"--json"});
    const Ejecucion e = ejecutar(comun + QStringList{"--salida", salida});
    EXPECT_EQ(e.codigo, 2) << e.errores.toStdString();
    EXPECT_TRUE(e.salida.endsWith("\nResultados: " + salida.toUtf8() + "\n"))
        << e.salida.toStdString();
    const std::vector<QJsonObject> registros = objetos(json.salida);
    const std::vector<Entidad> capa = leerCapa(salida);
    ASSERT_EQ(capa.size(), registros.size());
    ASSERT_EQ(capa.size(), 6u);
    for (std::size_t k = 0; k < capa.size(); ++k) {
        const QJsonObject& r = registros[k];
        const auto& c = capa[k].campos;
        SCOPED_TRACE(r["tramo"].toString().toStdString());
        EXPECT_EQ(c.at("tramo"), r["tramo"].toString().toStdString());
        EXPECT_TRUE(capa[k].conGeometria);
        if (r.contains("omitido") || r.contains("error")) {
            EXPECT_EQ(c.at("cumple"), std::nullopt);
            EXPECT_EQ(c.at("c1"), std::nullopt);
            EXPECT_EQ(c.at("yD_4"), std::nullopt);
            EXPECT_EQ(c.at("estado"),
                      (r.contains("error") ? r["error"] : r["omitido"]).toString().toStdString());
            continue;
        }
        EXPECT_EQ(c.at("estado"), r["estado"].toString().toStdString());
        std::string peor = "1";
        const QJsonArray condiciones = r["condiciones"].toArray();
        for (qsizetype j = 0; j < 10; ++j) {
            const QJsonObject cond = condiciones[j].toObject();
            const std::string p = palabra(cond["veredicto"].toString());
            EXPECT_EQ(c.at("c" + std::to_string(j + 1)), p) << j + 1;
            if (p == "[NO]" && peor == "1")
                peor = "0";
            if (p == "[ERROR]")
                peor = "";
        }
        EXPECT_EQ(c.at("cumple").value_or(""), peor);
        // The fill ratio of (4) and the velocities of (2) and (3), shown as the engine shows
        // them, are the table's values; a field left empty there is NULL here.
        for (const auto& [campo, condicion] :
             {std::pair{"yD_4", 3}, std::pair{"v_2", 1}, std::pair{"v_3", 2}}) {
            const QString texto =
                condiciones[condicion].toObject()["valores"].toArray()[0].toString();
            const std::optional<std::string>& valor = c.at(campo);
            if (texto.isEmpty() || texto == "-") {
                EXPECT_EQ(valor, std::nullopt) << campo;
            } else {
                ASSERT_TRUE(valor) << campo;
                EXPECT_EQ(formato1(capa[k].reales.at(campo), '.'), texto.toStdString()) << campo;
            }
        }
        EXPECT_TRUE(c.at("pendientes").has_value());
    }
    EXPECT_FALSE(capa[0].campos.contains("menor_tubo"));
}

INSTANTIATE_TEST_SUITE_P(Formatos, CapaDeResultados, ::testing::Values("gpkg", "geojson"));

// The plan for CAD puts each link on the layer its record's outcome gives: passes, fails,
// could not be checked (T4, adverse), not checked (the pump). X1, whose upstream node has no
// coordinates, is left out and the warning says so.
TEST(RedGrafo, PlanoDxfPorResultado) {
    QTemporaryDir dir;
    QByteArray m = kModelo;
    m.replace("W0 0 100\n", "");
    const QString modelo = escribir(dir, "red.inp", m);
    const QString hipotesis = escribir(dir, "h.txt", "");
    const QString criterio = escribir(dir, "c1.CrVek", soloCapacidad());
    const QString plano = dir.filePath("plano.dxf");
    const QStringList comun{"--red", modelo, "--hipotesis", hipotesis, "--criterio", criterio};
    const Ejecucion json = ejecutar(comun + QStringList{"--json"});
    const Ejecucion e = ejecutar(comun + QStringList{"--salida", plano});
    EXPECT_EQ(e.codigo, 2) << e.errores.toStdString();
    EXPECT_TRUE(e.salida.endsWith("\nResultados: " + plano.toUtf8() + "\n"))
        << e.salida.toStdString();
    EXPECT_EQ(QString::fromUtf8(e.errores),
              "colvero-check: aviso: " + plano +
                  ": un enlace sin coordenadas en alguno de sus nodos no está en el plano\n");

    std::vector<std::string> esperadas;
    for (const QJsonObject& r : objetos(json.salida)) {
        if (r["tramo"].toString() == "X1")
            continue;
        std::string capa = "CUMPLE";
        if (r.contains("omitido"))
            capa = "NO_SE_COMPRUEBA";
        else if (r.contains("error"))
            capa = "SIN_COMPROBAR";
        for (const QJsonValue& c : r["condiciones"].toArray()) {
            const std::string p = palabra(c.toObject()["veredicto"].toString());
            if (p == "[ERROR]")
                capa = "SIN_COMPROBAR";
            else if (p == "[NO]" && capa == "CUMPLE")
                capa = "NO_CUMPLE";
        }
        esperadas.push_back(capa);
    }
    EXPECT_EQ(esperadas, (std::vector<std::string>{"CUMPLE", "NO_CUMPLE", "CUMPLE", "SIN_COMPROBAR",
                                                   "NO_SE_COMPRUEBA"}));

    GDALAllRegister();
    GDALDatasetUniquePtr ds(
        GDALDataset::Open(QFile::encodeName(plano).constData(), GDAL_OF_VECTOR | GDAL_OF_READONLY));
    ASSERT_TRUE(ds);
    std::vector<std::string> lineas, textos;
    for (const auto& f : *ds->GetLayer(0)) {
        const std::string capa = f->GetFieldAsString("Layer");
        if (capa == "TEXTOS")
            textos.push_back(f->GetFieldAsString("Text"));
        else if (capa != "POZOS" && capa != "VERTIDOS")
            lineas.push_back(capa);
    }
    EXPECT_EQ(lineas, esperadas);
    // The names of the links drawn, then of the nodes placed (all but W0).
    EXPECT_EQ(textos, (std::vector<std::string>{"T1", "T2", "T3", "T4", "P1", "A", "B", "C", "F",
                                                "W", "S", "S2"}));
}

// Layers: the slope over the horizontal length, manholes joined within the tolerance (a
// decimal comma), a D in millimetres named by its reach, and a Shapefile of results whose
// field names GDAL keeps.
TEST(RedGrafo, CapasSigConPozos) {
    QTemporaryDir dir;
    const QByteArray crs =
        R"("crs":{"type":"name","properties":{"name":"urn:ogc:def:crs:EPSG::25830"}})";
    const QString tramos =
        escribir(dir, "tramos.geojson", R"({"type":"FeatureCollection",)" + crs + R"(,"features":[
{"type":"Feature","properties":{"tramo":"T1","D":0.3,"n":0.013,"Q":0.02},
 "geometry":{"type":"LineString","coordinates":[[0,0],[30,40]]}},
{"type":"Feature","properties":{"tramo":"T2","D":400,"n":0.013,"Q":0.02,"cota_fin":9},
 "geometry":{"type":"LineString","coordinates":[[30.004,40],[60,80]]}}]})");
    escribir(dir, "pozos.geojson", R"({"type":"FeatureCollection",)" + crs + R"(,"features":[
{"type":"Feature","properties":{"pozo":"P1","cota_solera":10},"geometry":{"type":"Point","coordinates":[0,0]}},
{"type":"Feature","properties":{"pozo":"P2","cota_solera":9.5},"geometry":{"type":"Point","coordinates":[30,40]}}]})");
    const QString salida = dir.filePath("resultados.shp");
    const QStringList comun{"--red",        tramos,  "--pozos",    dir.filePath("pozos.geojson"),
                            "--tolerancia", "0,005", "--criterio", kCriterio};
    const Ejecucion e = ejecutar(comun + QStringList{"--salida", salida});
    EXPECT_LE(e.codigo, 1) << e.errores.toStdString();
    EXPECT_TRUE(e.salida.startsWith("Red: " + tramos.toUtf8() +
                                    "\nFormato: capa SIG «tramos», pendiente con la longitud "
                                    "horizontal\n"))
        << e.salida.toStdString();
    EXPECT_EQ(e.errores, "colvero-check: aviso: " + tramos.toUtf8() +
                             ": un tramo, «T2», tiene un diámetro D de más de 5 m: ¿está en "
                             "milímetros? D se da en metros\n");
    const std::vector<QJsonObject> o = objetos(ejecutar(comun + QStringList{"--json"}).salida);
    ASSERT_EQ(o.size(), 2u);
    EXPECT_EQ(o[1]["desde"].toString(), "P2");
    EXPECT_EQ(o[0]["i"].toDouble(), 0.5 / 50);
    const std::vector<Entidad> capa = leerCapa(salida);
    ASSERT_EQ(capa.size(), 2u);
    for (const Entidad& t : capa) {
        EXPECT_TRUE(t.campos.at("cumple").has_value());
        EXPECT_TRUE(t.campos.at("pendientes").has_value());
    }
}

// A graph's result table takes the separators of --locale, and one line per link.
TEST(RedGrafo, TablaDeResultados) {
    QTemporaryDir dir;
    const QString salida = dir.filePath("resultados.csv");
    const Ejecucion e = ejecutar({"--red", escribir(dir, "red.inp", sinContrapendiente()),
                                  "--hipotesis", escribir(dir, "h.txt", ""), "--criterio",
                                  kCriterio, "--locale", "es_ES", "--salida", salida});
    EXPECT_EQ(e.codigo, 1) << e.errores.toStdString();
    QFile f(salida);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> lineas = f.readAll().split('\n');
    ASSERT_EQ(lineas.size(), 7); // header, five links, the empty end
    EXPECT_TRUE(lineas[0].startsWith("\xEF\xBB\xBFtramo;desde;hasta;longitud;cota_inicio;"));
    EXPECT_TRUE(lineas[1].startsWith("T1;A;B;100;10;9;0,4;0,013;0,0100005"))
        << lineas[1].toStdString();
    EXPECT_TRUE(lineas[5].contains(";no es un conducto (bomba);")) << lineas[5].toStdString();
}

// The profile from the failing reach T10 as DXF, read back with GDAL, with a point and with a
// decimal comma: one invert and one crown per reach, a manhole rectangle per node with ground
// above its floor, the title and the reaches' names in the band, numbers with the separator.
TEST(RedGrafo, PerfilDxfLeidoConGdal) {
    for (const char* locale : {"C", "es_ES"}) {
        SCOPED_TRACE(locale);
        QTemporaryDir dir;
        const QString dxf = dir.filePath("perfil T10.DXF");
        const Ejecucion e =
            ejecutar({"--red", kEjemplos + "/red-ejemplo.inp", "--hipotesis",
                      kEjemplos + "/hipotesis.txt", "--criterio", kCriterio, "--locale", locale,
                      "--perfil", "T10", "--salida-perfil", dxf});
        EXPECT_EQ(e.codigo, 1) << e.errores.toStdString();
        ASSERT_TRUE(e.salida.startsWith("Perfil de «P10» a «V1»: 3 tramos"))
            << e.salida.toStdString();
        GDALAllRegister();
        GDALDatasetUniquePtr ds(GDALDataset::Open(QFile::encodeName(dxf).constData(),
                                                  GDAL_OF_VECTOR | GDAL_OF_READONLY));
        ASSERT_TRUE(ds);
        std::map<std::string, int> porCapa;
        std::vector<std::string> textos;
        for (const auto& f : *ds->GetLayer(0)) {
            ++porCapa[f->GetFieldAsString("Layer")];
            if (!f->IsFieldNull(f->GetFieldIndex("Text")))
                textos.push_back(f->GetFieldAsString("Text"));
        }
        EXPECT_EQ(porCapa["SOLERA"], 3);
        EXPECT_EQ(porCapa["CLAVE"], 3);
        EXPECT_LE(porCapa["LAMINA_Q1"], 3);
        EXPECT_GE(porCapa["LAMINA_Q1"], 1);
        EXPECT_EQ(porCapa["TERRENO"], 1);
        EXPECT_GE(porCapa["POZOS"], 3); // P10, P4 and P5 have a ground level
        EXPECT_LE(porCapa["POZOS"], 4);
        for (const char* t : {"Perfil longitudinal de «P10» a «V1»", "T10", "T4", "T5", "P10", "V1",
                              "No cumple", "Cota terreno (m)"})
            EXPECT_NE(std::find(textos.begin(), textos.end(), t), textos.end()) << t;
        const std::string longitud = std::string(locale) == "C" ? "357.10" : "357,10";
        EXPECT_NE(std::find(textos.begin(), textos.end(), longitud), textos.end()) << longitud;
    }
}

} // namespace
} // namespace colvero
