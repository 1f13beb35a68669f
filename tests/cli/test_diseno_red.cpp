// colvero-check --red --disenar on the example network: the design's records agree with its
// summary, its limits and the model; the written model passes every condition when checked,
// reads back with the design's very doubles and is designed again the same way.
#include "ejecutar.h"
#include "files/modelo_swmm.h"

#include <gtest/gtest.h>
#include <ogrsf_frmts.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace colvero {
namespace {

using prueba::Ejecucion;
using prueba::ejecutar;
using prueba::escribir;
using prueba::objetos;

const QString kEjemplos = QStringLiteral(COLVERO_EJEMPLOS);
const QString kModelo = kEjemplos + "/diseno-ejemplo.inp";
const QStringList kFuente{"--red",       kModelo,
                          "--hipotesis", kEjemplos + "/hipotesis.txt",
                          "--criterio",  kEjemplos + "/criterio-red.CrVek"};

QStringList disenar(const QStringList& mas) {
    return kFuente + QStringList{"--disenar", "--serie", "hormigon"} + mas;
}

const QStringList kClaves{"tramo",
                          "tubo",
                          "D",
                          "cota_inicio",
                          "cota_fin",
                          "i",
                          "profundidad_inicio",
                          "profundidad_fin",
                          "recubrimiento_inicio",
                          "recubrimiento_fin",
                          "resalto",
                          "coste"};

ModeloSwmm leerModelo(const QString& ruta) {
    return leerModeloSwmm(QFile::encodeName(ruta));
}

const red::Nodo& nodo(const red::ModeloRed& m, const std::string& id) {
    for (const red::Nodo& n : m.nodos)
        if (n.id == id)
            return n;
    throw std::runtime_error("sin nodo " + id);
}

const red::Enlace& enlace(const red::ModeloRed& m, const std::string& id) {
    for (const red::Enlace& e : m.enlaces)
        if (e.id == id)
            return e;
    throw std::runtime_error("sin enlace " + id);
}

std::string str(const QJsonValue& v) {
    return v.toString().toStdString();
}

// The records by reach, and the summary.
struct Diseno {
    std::map<std::string, QJsonObject> tramos;
    std::vector<std::string> orden;
    QJsonObject resumen;
};

Diseno leerDiseno(const QByteArray& salida) {
    Diseno d;
    const std::vector<QJsonObject> o = objetos(salida);
    EXPECT_FALSE(o.empty());
    if (o.empty())
        return d;
    for (size_t k = 0; k + 1 < o.size(); ++k) {
        d.orden.push_back(str(o[k]["tramo"]));
        d.tramos[d.orden.back()] = o[k];
    }
    EXPECT_EQ(o.back().keys(), QStringList{"resumen"});
    d.resumen = o.back()["resumen"].toObject();
    return d;
}

// The limits every designed reach must meet, given on the command line.
struct Limites {
    double recubrimiento = 1.0;
    double profundidad = 6.0;
    double resalto = 0.0;
    bool claves = false;
};

// Checks one run on the example: keys, the summary against the records, and every limit
// against the model's ground.
void comprobarDiseno(const Diseno& d, const red::ModeloRed& m, const Limites& l) {
    ASSERT_EQ(d.orden.size(), 30u);
    int resaltos = 0, pozos = 0;
    double coste = 0;
    std::map<std::string, double> longitud;
    QJsonArray sin;
    for (const std::string& id : d.orden) {
        SCOPED_TRACE(id);
        const QJsonObject& r = d.tramos.at(id);
        if (r.contains("sin_diseno")) {
            EXPECT_EQ(r.keys(), (QStringList{"sin_diseno", "tramo"}));
            EXPECT_TRUE(str(r["sin_diseno"]).starts_with("tramo «" + id + "»: "));
            sin.append(QString::fromStdString(id));
            continue;
        }
        QStringList claves = kClaves;
        claves.sort();
        EXPECT_EQ(r.keys(), claves);
        const red::Enlace& e = enlace(m, id);
        const double D = r["D"].toDouble();
        const double zi = r["cota_inicio"].toDouble(), zf = r["cota_fin"].toDouble();
        // Inverts on the 1 cm grid, as the doubles of whole centimetres over 100.
        EXPECT_EQ(zi, std::round(zi * 100) / 100.0);
        EXPECT_EQ(zf, std::round(zf * 100) / 100.0);
        const double gi = *nodo(m, e.desde).cotaTerreno;
        EXPECT_NEAR(r["profundidad_inicio"].toDouble(), gi - zi, 1e-9);
        EXPECT_NEAR(r["recubrimiento_inicio"].toDouble(), gi - zi - D, 1e-9);
        EXPECT_GE(gi - zi - D, l.recubrimiento - 1e-9);
        EXPECT_LE(gi - zi, l.profundidad + 1e-9);
        EXPECT_GT(r["i"].toDouble(), 0);
        double media = gi - zi;
        // The outfall has no ground: that end is free and the cost takes the upstream depth.
        if (const std::optional<double> gf = nodo(m, e.hasta).cotaTerreno) {
            EXPECT_NEAR(r["profundidad_fin"].toDouble(), *gf - zf, 1e-9);
            EXPECT_NEAR(r["recubrimiento_fin"].toDouble(), *gf - zf - D, 1e-9);
            EXPECT_GE(*gf - zf - D, l.recubrimiento - 1e-9);
            EXPECT_LE(*gf - zf, l.profundidad + 1e-9);
            media = (gi - zi + *gf - zf) / 2;
        } else {
            EXPECT_TRUE(r["profundidad_fin"].isNull() && r["recubrimiento_fin"].isNull());
        }
        EXPECT_NEAR(r["coste"].toDouble(), e.longitud * (D + 0.6) * (media + 0.1),
                    1e-9 * r["coste"].toDouble());
        coste += r["coste"].toDouble();
        longitud[str(r["tubo"])] += e.longitud;
        const double resalto = r["resalto"].toDouble();
        EXPECT_GE(resalto, 0);
        resaltos += resalto > 0;
        pozos += resalto > 0.5;
    }
    // The junction rule at every manhole with a designed reach out of it.
    for (const std::string& sale : d.orden) {
        const QJsonObject& s = d.tramos.at(sale);
        if (s.contains("sin_diseno"))
            continue;
        double masBaja = INFINITY, masAlta = -INFINITY, claveMasBaja = INFINITY, Dmayor = 0;
        for (const std::string& entra : d.orden) {
            const QJsonObject& t = d.tramos.at(entra);
            if (t.contains("sin_diseno") || enlace(m, entra).hasta != enlace(m, sale).desde)
                continue;
            const double zf = t["cota_fin"].toDouble();
            masBaja = std::min(masBaja, zf);
            masAlta = std::max(masAlta, zf);
            claveMasBaja = std::min(claveMasBaja, zf + t["D"].toDouble());
            Dmayor = std::max(Dmayor, t["D"].toDouble());
        }
        if (masBaja == INFINITY) {
            EXPECT_EQ(s["resalto"].toDouble(), 0) << sale;
            continue;
        }
        const double zi = s["cota_inicio"].toDouble();
        EXPECT_LE(zi, masBaja - l.resalto + 1e-9) << sale;
        // The drop is the fall of the highest pipe coming in.
        EXPECT_NEAR(s["resalto"].toDouble(), masAlta - zi, 1e-9) << sale;
        EXPECT_GE(s["D"].toDouble(), Dmayor) << sale;
        if (l.claves) {
            EXPECT_LE(zi + s["D"].toDouble(), claveMasBaja + 1e-9) << sale;
        }
    }
    EXPECT_NEAR(d.resumen["coste"].toDouble(), coste, 1e-9 * coste);
    EXPECT_EQ(d.resumen["resaltos"].toInt(), resaltos);
    EXPECT_EQ(d.resumen["pozos_de_resalto"].toInt(), pozos);
    EXPECT_EQ(d.resumen["sin_diseno"].toArray(), sin);
    const QJsonObject porTubo = d.resumen["longitud_por_tubo"].toObject();
    EXPECT_EQ(static_cast<size_t>(porTubo.size()), longitud.size());
    for (const auto& [tubo, L] : longitud)
        EXPECT_NEAR(porTubo[QString::fromStdString(tubo)].toDouble(), L, 1e-9 * L) << tubo;
}

// The example designed and written as a model: every designed reach of the written model passes
// every condition when checked, with the design's slope; the model reads back with its very
// inverts and diameters; designed again, it gives the same lines.
TEST(DisenoRed, ElModeloEscritoCumpleYSeDisenaIgual) {
    QTemporaryDir dir;
    const QString salida = dir.filePath("disenada.inp");
    const Ejecucion e = ejecutar(disenar({"--json", "--salida", salida}));
    const Diseno d = leerDiseno(e.salida);
    EXPECT_EQ(e.codigo, d.resumen["sin_diseno"].toArray().isEmpty() ? 0 : 1)
        << e.errores.toStdString();
    EXPECT_EQ(e.errores, "");
    const ModeloSwmm fuente = leerModelo(kModelo);
    comprobarDiseno(d, fuente.red, {});

    const ModeloSwmm escrito = leerModelo(salida);
    ASSERT_EQ(escrito.red.nodos.size(), fuente.red.nodos.size());
    for (size_t k = 0; k < fuente.red.nodos.size(); ++k)
        EXPECT_EQ(escrito.red.nodos[k].cotaTerreno, fuente.red.nodos[k].cotaTerreno)
            << fuente.red.nodos[k].id;
    for (const auto& [id, r] : d.tramos) {
        if (r.contains("sin_diseno"))
            continue;
        const red::Enlace& t = enlace(escrito.red, id);
        EXPECT_EQ(t.cotaInicio, r["cota_inicio"].toDouble()) << id;
        EXPECT_EQ(t.cotaFin, r["cota_fin"].toDouble()) << id;
        EXPECT_EQ(t.D, r["D"].toDouble()) << id;
    }

    const Ejecucion c =
        ejecutar({"--red", salida, "--hipotesis", kEjemplos + "/hipotesis.txt", "--criterio",
                  kEjemplos + "/criterio-red.CrVek", "--json", "--sin-pendientes"});
    int comprobados = 0;
    for (const QJsonObject& o : objetos(c.salida)) {
        const std::string id = str(o["tramo"]);
        const QJsonObject& r = d.tramos.at(id);
        if (r.contains("sin_diseno"))
            continue;
        ++comprobados;
        EXPECT_EQ(o["i"].toDouble(), r["i"].toDouble()) << id;
        EXPECT_EQ(str(o["estado"]), "CÁLCULO REALIZADO") << id;
        for (const QJsonValue& v : o["condiciones"].toArray()) {
            const QString veredicto = v["veredicto"].toString();
            EXPECT_FALSE(veredicto.contains("[NO]") || veredicto.contains("[ERROR]"))
                << id << ": " << veredicto.toStdString();
        }
    }
    EXPECT_EQ(comprobados, 30 - d.resumen["sin_diseno"].toArray().size());

    const Ejecucion otra =
        ejecutar({"--red", salida, "--hipotesis", kEjemplos + "/hipotesis.txt", "--criterio",
                  kEjemplos + "/criterio-red.CrVek", "--disenar", "--serie", "hormigon", "--json"});
    EXPECT_EQ(otra.salida, e.salida);
    EXPECT_EQ(otra.codigo, e.codigo);
}

// Every limit of the command line reaches the design: a run with tighter limits meets them.
TEST(DisenoRed, LosLimitesDeLaOrdenSeCumplen) {
    const Ejecucion e = ejecutar(disenar(
        {"--json", "--recubrimiento", "1,2", "--profundidad-maxima", "5.5", "--resalto-minimo",
         "0.02", "--alinear", "claves", "--sobreancho", "0.3", "--cama", "0.1"}));
    ASSERT_LE(e.codigo, 1) << e.errores.toStdString();
    const Diseno d = leerDiseno(e.salida);
    comprobarDiseno(d, leerModelo(kModelo).red, {1.2, 5.5, 0.02, true});

    // The trench's allowance and bedding change the cost only.
    const Ejecucion ancha = ejecutar(disenar({"--json", "--sobreancho", "0.5", "--cama", "0.2"}));
    const Diseno a = leerDiseno(ancha.salida);
    const Diseno base = leerDiseno(ejecutar(disenar({"--json"})).salida);
    ASSERT_EQ(a.orden, base.orden);
    EXPECT_GT(a.resumen["coste"].toDouble(), base.resumen["coste"].toDouble());
}

// A fixed invert, given in metres, is taken to the nearest centimetre and says so.
TEST(DisenoRed, UnaSoleraFijada) {
    const Ejecucion e = ejecutar(disenar({"--json", "--fijar", "P08=119.504"}));
    const Diseno d = leerDiseno(e.salida);
    ASSERT_TRUE(d.tramos.count("T08"));
    EXPECT_EQ(d.tramos.at("T08")["cota_inicio"].toDouble(), 119.5);
    const red::ModeloRed m = leerModelo(kModelo).red;
    for (const auto& [id, r] : d.tramos) {
        if (!r.contains("sin_diseno") && enlace(m, id).hasta == "P08") {
            EXPECT_GE(r["cota_fin"].toDouble(), 119.5) << id;
        }
    }
    const Ejecucion t = ejecutar(disenar({"--fijar", "P08=119,504"}));
    EXPECT_NE(t.salida.indexOf("\nSolera fijada en «P08»: 119.504 m, redondeada al centímetro: "
                               "119.50 m\n"),
              -1)
        << t.salida.toStdString();
}

// The summary says in words what the records say in numbers, with the separator of --locale.
TEST(DisenoRed, ResumenEnTexto) {
    const Diseno d = leerDiseno(ejecutar(disenar({"--json"})).salida);
    for (const char* locale : {"C", "es_ES"}) {
        SCOPED_TRACE(locale);
        const char sep = locale[0] == 'C' ? '.' : ',';
        const Ejecucion e = ejecutar(disenar({"--locale", locale}));
        const std::string s = e.salida.toStdString();
        const auto fijo = [&](double x) {
            char b[64];
            const auto r = std::to_chars(b, b + sizeof b, x, std::chars_format::fixed, 2);
            std::string t(b, r.ptr);
            std::replace(t.begin(), t.end(), '.', sep);
            return t;
        };
        const auto hay = [&](const std::string& l) {
            EXPECT_NE(s.find("\n" + l + "\n"), std::string::npos) << l << "\n" << s;
        };
        EXPECT_EQ(s.rfind("Red: " + kModelo.toStdString() + "\n", 0), 0u) << s;
        hay("Excavación: " + fijo(d.resumen["coste"].toDouble()) + " m3");
        hay("Longitud por tubo:");
        const QJsonObject porTubo = d.resumen["longitud_por_tubo"].toObject();
        for (const QString& t : porTubo.keys())
            hay("  " + t.toStdString() + ": " + fijo(porTubo[t].toDouble()) + " m");
        hay("Resaltos: " + std::to_string(d.resumen["resaltos"].toInt()) +
            "; pozos de resalto (más de 0" + sep +
            "50 m): " + std::to_string(d.resumen["pozos_de_resalto"].toInt()));
        const int sin = static_cast<int>(d.resumen["sin_diseno"].toArray().size());
        hay("Tramos: 30; con diseño " + std::to_string(30 - sin) + ", sin diseño " +
            std::to_string(sin));
        int filas = 0;
        for (const auto& [id, r] : d.tramos) {
            if (r.contains("sin_diseno")) {
                hay(str(r["sin_diseno"]));
                continue;
            }
            // One row of the table per designed reach: name, pipe, inverts.
            const std::string fila = "\n" + id + " ";
            const size_t k = s.find(fila);
            ASSERT_NE(k, std::string::npos) << id;
            const std::string linea = s.substr(k + 1, s.find('\n', k + 1) - k - 1);
            EXPECT_NE(linea.find(str(r["tubo"])), std::string::npos) << linea;
            EXPECT_NE(linea.find(" " + fijo(r["cota_inicio"].toDouble()) + " "), std::string::npos)
                << linea;
            ++filas;
            const double resalto = r["resalto"].toDouble();
            if (resalto > 0)
                hay("pozo «" + enlace(leerModelo(kModelo).red, id).desde + "», tramo «" + id +
                    "»: " + fijo(resalto) + " m" + (resalto > 0.5 ? " (pozo de resalto)" : ""));
        }
        EXPECT_EQ(filas, 30 - sin);
        EXPECT_EQ(e.codigo, sin ? 1 : 0);
    }
}

// The design as a table and as a GIS layer: the same numbers as the records, read back.
TEST(DisenoRed, TablaYCapa) {
    QTemporaryDir dir;
    const Diseno d = leerDiseno(ejecutar(disenar({"--json"})).salida);
    const QString csv = dir.filePath("d.csv");
    const Ejecucion e = ejecutar(disenar({"--salida", csv, "--locale", "es_ES"}));
    EXPECT_LE(e.codigo, 1) << e.errores.toStdString();
    EXPECT_NE(e.salida.indexOf("\nDiseño: " + csv.toUtf8() + "\n"), -1);
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> lineas = f.readAll().split('\n');
    ASSERT_EQ(lineas.size(), 32); // header, 30 reaches, the empty piece after the last CR LF
    EXPECT_EQ(lineas[0], "\xEF\xBB\xBFtramo;tubo;D;cota_inicio;cota_fin;i;profundidad_inicio;"
                         "profundidad_fin;recubrimiento_inicio;recubrimiento_fin;resalto;coste;"
                         "sin_diseno\r");
    for (qsizetype k = 1; k <= 30; ++k) {
        QByteArray l = lineas[k];
        ASSERT_TRUE(l.endsWith('\r'));
        l.chop(1);
        const QList<QByteArray> c = l.split(';');
        ASSERT_EQ(c.size(), 13) << l.toStdString();
        const QJsonObject& r = d.tramos.at(c[0].toStdString());
        if (r.contains("sin_diseno")) {
            EXPECT_EQ(c[12].toStdString(), str(r["sin_diseno"]));
            continue;
        }
        EXPECT_EQ(c[1].toStdString(), str(r["tubo"]));
        for (qsizetype j = 2; j < 12; ++j) {
            QByteArray n = c[j];
            n.replace(',', '.');
            if (r[kClaves[j]].isNull())
                EXPECT_TRUE(n.isEmpty()) << kClaves[j].toStdString();
            else
                EXPECT_EQ(n.toDouble(), r[kClaves[j]].toDouble()) << kClaves[j].toStdString();
        }
        EXPECT_TRUE(c[12].isEmpty());
    }

    const QString gpkg = dir.filePath("d.gpkg");
    ASSERT_LE(ejecutar(disenar({"--salida", gpkg})).codigo, 1);
    GDALAllRegister();
    GDALDatasetUniquePtr ds(GDALDataset::Open(gpkg.toUtf8().constData(), GDAL_OF_VECTOR));
    ASSERT_TRUE(ds);
    OGRLayer* capa = ds->GetLayerByName("tramos");
    ASSERT_NE(capa, nullptr);
    EXPECT_EQ(capa->GetFeatureCount(), 30);
    for (auto& rasgo : *capa) {
        const std::string id = rasgo->GetFieldAsString("tramo");
        const QJsonObject& r = d.tramos.at(id);
        SCOPED_TRACE(id);
        if (r.contains("sin_diseno")) {
            EXPECT_EQ(rasgo->GetFieldAsString("sin_diseno"), str(r["sin_diseno"]));
            EXPECT_TRUE(rasgo->IsFieldNull(rasgo->GetFieldIndex("tubo")));
            continue;
        }
        EXPECT_EQ(rasgo->GetFieldAsString("tubo"), str(r["tubo"]));
        for (const char* campo : {"D", "cota_inicio", "cota_fin", "i", "profundidad_inicio",
                                  "recubrimiento_fin", "resalto", "coste"})
            EXPECT_EQ(rasgo->GetFieldAsDouble(campo), r[campo].toDouble()) << campo;
        EXPECT_NE(rasgo->GetGeometryRef(), nullptr);
    }
}

// From GIS layers (lengths measured horizontally): the designed layer, read back as the
// network's source, passes every condition on every designed reach, with the design's slope.
TEST(DisenoRed, CapasSigDisenadasCumplen) {
    QTemporaryDir dir;
    const QString capa = dir.filePath("disenada.gpkg");
    const QStringList capas{"--pozos",     kEjemplos + "/pozos-ejemplo.geojson",
                            "--hipotesis", kEjemplos + "/hipotesis.txt",
                            "--criterio",  kEjemplos + "/criterio-red.CrVek"};
    const Ejecucion e =
        ejecutar(QStringList{"--red", kEjemplos + "/tramos-ejemplo.geojson", "--disenar", "--serie",
                             "pvc-sn4", "--json", "--salida", capa} +
                 capas);
    const Diseno d = leerDiseno(e.salida);
    EXPECT_EQ(e.codigo, d.resumen["sin_diseno"].toArray().isEmpty() ? 0 : 1)
        << e.errores.toStdString();
    ASSERT_EQ(d.orden.size(), 10u);
    const Ejecucion c = ejecutar(QStringList{"--red", capa, "--json", "--sin-pendientes"} + capas);
    int comprobados = 0;
    for (const QJsonObject& o : objetos(c.salida)) {
        const QJsonObject& r = d.tramos.at(str(o["tramo"]));
        if (r.contains("sin_diseno"))
            continue;
        ++comprobados;
        EXPECT_EQ(o["i"].toDouble(), r["i"].toDouble());
        EXPECT_EQ(o["D"].toDouble(), r["D"].toDouble());
        for (const QJsonValue& v : o["condiciones"].toArray())
            EXPECT_FALSE(v["veredicto"].toString().contains("[NO]") ||
                         v["veredicto"].toString().contains("[ERROR]"))
                << str(o["tramo"]);
    }
    EXPECT_EQ(comprobados, 10 - d.resumen["sin_diseno"].toArray().size());
}

TEST(DisenoRed, Ayuda) {
    const Ejecucion e = ejecutar({"--red", kModelo, "--disenar", "--help"});
    EXPECT_EQ(e.codigo, 0);
    EXPECT_TRUE(e.salida.startsWith("Uso: colvero-check --red RED --disenar --serie SERIE"));
    EXPECT_NE(e.salida.indexOf("\n  --fijar NODO=COTA "), -1);
}

struct CasoUso {
    const char* nombre;
    QStringList argumentos; // "{dir}" is a temporary folder
    std::string mensaje;
};

class UsoDelDiseno : public ::testing::TestWithParam<CasoUso> {};

// Each misuse stops with its message, exit status 2, and writes nothing.
TEST_P(UsoDelDiseno, MensajeYNadaEscrito) {
    QTemporaryDir dir;
    escribir(dir, "red.csv", "tramo,D,n,i,Q\nT,1,0.013,0.01,0.1\n");
    QStringList args;
    for (QString a : GetParam().argumentos)
        args << a.replace("{dir}", dir.path());
    const QStringList antes = QDir(dir.path()).entryList(QDir::Files);
    const Ejecucion e = ejecutar(args);
    EXPECT_EQ(e.codigo, 2);
    EXPECT_EQ(e.salida, "");
    std::string mensaje = GetParam().mensaje;
    for (size_t k = mensaje.find("{dir}"); k != std::string::npos; k = mensaje.find("{dir}"))
        mensaje.replace(k, 5, dir.path().toStdString());
    EXPECT_EQ(e.errores.toStdString(), "colvero-check: " + mensaje + "\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), antes);
}

const std::string kUse = "\nUse «colvero-check --red --disenar --help» para ver las opciones.";

INSTANTIATE_TEST_SUITE_P(
    Ordenes, UsoDelDiseno,
    ::testing::Values(
        CasoUso{"SinSerie", kFuente + QStringList{"--disenar"},
                "--disenar necesita --serie SERIE: los tubos entre los que elegir" + kUse},
        CasoUso{"DeUnaTabla",
                {"--red", "{dir}/red.csv", "--disenar", "--serie", "hormigon", "--criterio",
                 kEjemplos + "/criterio-red.CrVek"},
                "--disenar necesita una red con sus nodos y las cotas del terreno: un modelo "
                "SWMM (.inp) o capas SIG, no una tabla" +
                    kUse},
        CasoUso{"RecubrimientoQueNoEsUnNumero", disenar({"--recubrimiento", "uno"}),
                "--recubrimiento ha de ser un número de metros, no «uno»" + kUse},
        CasoUso{"RecubrimientoNegativo", disenar({"--recubrimiento=-0,5"}),
                "el recubrimiento mínimo no puede ser negativo" + kUse},
        CasoUso{"CamaInfinita", disenar({"--cama", "inf"}),
                "--cama ha de ser un número de metros, no «inf»" + kUse},
        CasoUso{"AlinearOtraCosa", disenar({"--alinear", "soleras"}),
                "--alinear «soleras»: lo que se alinea son las claves: escriba --alinear "
                "claves" +
                    kUse},
        CasoUso{"FijarSinCota", disenar({"--fijar", "P08"}),
                "--fijar «P08»: escriba NODO=COTA, con la cota de solera en metros" + kUse},
        CasoUso{"FijarSinNodo", disenar({"--fijar", "=119"}),
                "--fijar «=119»: escriba NODO=COTA, con la cota de solera en metros" + kUse},
        CasoUso{"FijarUnNodoQueNoEsta", disenar({"--fijar", "P99=100"}),
                "el nodo «P99» de la cota fija no está en el modelo" + kUse},
        CasoUso{"ConPerfil", disenar({"--perfil", "T01"}),
                "--perfil no se puede usar con --disenar: el diseño no comprueba la red" + kUse},
        CasoUso{"InformeDeCapas",
                {"--red", "{dir}/capa.gpkg", "--disenar", "--serie", "hormigon", "--rpt",
                 "{dir}/x.rpt"},
                "--rpt solo sirve con un modelo SWMM (.inp)" + kUse},
        CasoUso{"ModeloDeCapas",
                {"--red", "{dir}/capa.gpkg", "--disenar", "--serie", "hormigon", "--salida",
                 "{dir}/d.inp"},
                "--salida «{dir}/d.inp»: el modelo diseñado se escribe sobre el modelo SWMM de "
                "la red; de unas capas SIG, guarde el diseño como capa (.gpkg) o tabla (.csv)" +
                    kUse},
        CasoUso{"SalidaDeOtroFormato", disenar({"--salida", "{dir}/d.txt"}),
                "--salida «{dir}/d.txt»: la extensión dice el formato: .inp, .gpkg, .shp, "
                ".geojson, .json o .csv" +
                    kUse},
        CasoUso{"SalidaSobreLaRed", disenar({"--salida", kModelo}),
                "--salida «" + kModelo.toStdString() + "» es el mismo archivo que --red «" +
                    kModelo.toStdString() +
                    "»: el diseño lo reemplazaría. Elija otro nombre para la salida."},
        CasoUso{"NotaQueNoEsPdf", disenar({"--nota-red", "{dir}/nota.txt"}),
                "la nota de la red se guarda como PDF: «{dir}/nota.txt» no acaba en .pdf" + kUse},
        CasoUso{"PerfilesSinNota", disenar({"--perfiles", "todos"}),
                "--perfiles solo sirve con --nota-red" + kUse},
        CasoUso{"PerfilesDeOtraClase", disenar({"--nota-red", "{dir}/n.pdf", "--perfiles", "uno"}),
                "--perfiles «uno»: escriba fallos o todos" + kUse},
        CasoUso{"DosNotas", disenar({"--nota-red", "{dir}/a.pdf", "--nota-red", "{dir}/b.pdf"}),
                "la opción --nota-red se ha dado dos veces" + kUse},
        CasoUso{"DosRecubrimientos", disenar({"--recubrimiento", "1", "--recubrimiento", "2"}),
                "la opción --recubrimiento se ha dado dos veces" + kUse}),
    [](const auto& info) { return std::string(info.param.nombre); });

} // namespace
} // namespace colvero
