// A graph source's rows: the cells read back as the numbers the engine takes, the attributes
// land in columns of their own (a reach's own criterion among them), and a model that cannot
// be checked is refused by the file's name.
#include "network/fuente_red.h"

#include "check/calcular.h"
#include "check/numero.h"
#include "files/archivos.h"

#include <gtest/gtest.h>

#include <cmath>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace colvero::red {
namespace {

QByteArray escribir(const QTemporaryDir& dir, const char* nombre, const std::string& texto) {
    const QString ruta = dir.filePath(QString::fromUtf8(nombre));
    QFile f(ruta);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(texto.data(), static_cast<qint64>(texto.size()));
    return QFile::encodeName(ruta);
}

const std::string kModelo = "[OPTIONS]\nFLOW_UNITS LPS\n"
                            "[JUNCTIONS]\nA 10.07 2\nB 9.3 2.5\n"
                            "[OUTFALLS]\nS 8.1 FREE\n"
                            "[CONDUITS]\nT1 A B 33.3 0.013 0 0 0 0\nT2 B S 41 0.011\n"
                            "[PUMPS]\nP1 A S * ON 0 0\n"
                            "[XSECTIONS]\nT1 CIRCULAR 0.3\nT2 CIRCULAR 0.4 0 0 0 2\n"
                            "[DWF]\nA FLOW 1.7\nB FLOW 0.9\n";

std::string celda(const RedGrafo& g, const FilaRed& f, const char* columna) {
    for (std::size_t k = 0; k < g.cabecera.nombres.size(); ++k)
        if (g.cabecera.nombres[k] == columna)
            return f.celdas[k];
    ADD_FAILURE() << "no hay columna " << columna;
    return {};
}

TEST(FuenteRed, TipoPorExtension) {
    EXPECT_EQ(tipoDeFuente("red.CSV"), TipoFuente::Tabla);
    EXPECT_EQ(tipoDeFuente("/a.b/modelo.inp"), TipoFuente::ModeloSwmm);
    EXPECT_EQ(tipoDeFuente("tramos.gpkg"), TipoFuente::CapasSig);
    EXPECT_EQ(tipoDeFuente("inp"), TipoFuente::CapasSig);
}

// Every number of a row reads back, with the row's decimal comma, as the very double of the
// reach; derived flows carry their origin and Qa; a pump's row has no pipe data.
TEST(FuenteRed, FilasDeUnModeloConHipotesis) {
    QTemporaryDir dir;
    OpcionesFuente o;
    o.hipotesisDada = Hipotesis{};
    const RedGrafo g = leerRedGrafo(escribir(dir, "m.inp", kModelo), o);
    ASSERT_EQ(g.tramos.size(), 3u);
    EXPECT_EQ(g.cabecera.nombres.front(), "tramo");
    for (std::size_t k : {0u, 1u}) {
        const TramoGrafo& t = g.tramos[k];
        const FilaRed f = g.fila(k);
        EXPECT_EQ(f.numero, static_cast<int>(k) + 1);
        EXPECT_EQ(leerNumero(celda(g, f, "D"), ','), t.D);
        EXPECT_EQ(leerNumero(celda(g, f, "n"), ','), t.n);
        EXPECT_EQ(leerNumero(celda(g, f, "i"), ','), t.i);
        EXPECT_EQ(leerNumero(celda(g, f, "longitud"), ','), t.longitud);
        EXPECT_EQ(leerNumero(celda(g, f, "cota_fin"), ','), *t.cotaFin);
        EXPECT_EQ(leerNumero(celda(g, f, "Q5"), ','), *t.Q[4]);
        EXPECT_EQ(leerNumero(celda(g, f, "caudal_medio_acumulado"), ','), t.acumulado->Qa);
        EXPECT_EQ(celda(g, f, "origen_caudales"), "acumulado");
        EXPECT_EQ(celda(g, f, "i").find('e'), std::string::npos);
    }
    EXPECT_EQ(celda(g, g.fila(1), "barriles"), "2");
    EXPECT_EQ(celda(g, g.fila(0), "desde"), "A");
    // The model's extra conduit fields are kept as columns of their own.
    EXPECT_EQ(celda(g, g.fila(0), "caudal_maximo"), "0");
    EXPECT_EQ(celda(g, g.fila(1), "caudal_maximo"), "");
    const FilaRed bomba = g.fila(2);
    EXPECT_EQ(celda(g, bomba, "D"), "");
    EXPECT_EQ(celda(g, bomba, "hasta"), "S");

    // The pump is left out, not failed; T2's two barrels are said.
    CriterioListo c;
    c.activas.fill(false);
    c.activas[0] = true;
    PreparadorRed p(g.cabecera, QByteArray(), c, nullptr, OpcionesRed{});
    Trabajo w;
    w.fila = bomba;
    p.preparar(w, g.tramos[2]);
    comprobarTrabajo(w, OpcionesRed{}, g.cabecera.dialecto);
    EXPECT_EQ(w.omitido, "no es un conducto (bomba)");
    EXPECT_EQ(w.codigo, 0);
    bool barriles = false;
    for (const std::string& a : g.avisos)
        barriles = barriles || a.find("«T2» tiene 2 tubos iguales") != std::string::npos;
    EXPECT_TRUE(barriles);
    EXPECT_EQ(g.avisos.front(), "3 nodos y 3 enlaces; 1 vertido, 1 parte conexa.");
}

// A layer's `criterio` field is the reach's own criterion, relative to the layer's folder.
TEST(FuenteRed, CriterioDeUnaCapa) {
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::copy(QStringLiteral(COLVERO_EJEMPLOS "/criterio-estricto.CrVek"),
                            dir.filePath(QStringLiteral("estricto.CrVek"))));
    const std::string capa =
        R"({"type":"FeatureCollection","crs":{"type":"name","properties":{"name":"urn:ogc:def:crs:EPSG::25830"}},
"features":[
{"type":"Feature","properties":{"tramo":"T1","D":0.3,"n":0.013,"cota_inicio":10,"cota_fin":9.5,"Q":0.02,"criterio":"estricto.CrVek","Notas":"calle Mayor"},
 "geometry":{"type":"LineString","coordinates":[[0,0],[30,40]]}},
{"type":"Feature","properties":{"tramo":"T2","D":0.3,"n":0.013,"cota_inicio":9.5,"cota_fin":9.6,"Q":0.02,"criterio":null,"Notas":null},
 "geometry":{"type":"LineString","coordinates":[[30,40],[60,80]]}}]})";
    const QByteArray ruta = escribir(dir, "tramos.geojson", capa);
    const RedGrafo g = leerRedGrafo(ruta, OpcionesFuente{});
    ASSERT_EQ(g.tramos.size(), 2u);
    EXPECT_EQ(leerNumero(celda(g, g.fila(0), "longitud"), ','), 50.0);
    EXPECT_EQ(leerNumero(celda(g, g.fila(0), "i"), ','), 0.5 / 50);
    EXPECT_EQ(celda(g, g.fila(0), "Notas"), "calle Mayor");
    ASSERT_GE(g.cabecera.columna(ColumnaRed::Criterio), kColumnasGrafo);

    std::string error;
    const auto base =
        prepararCriterio(leerCriterio(COLVERO_EJEMPLOS "/criterio-red.CrVek", '.'), '.', error);
    ASSERT_TRUE(base) << error;
    PreparadorRed p(g.cabecera, ruta, *base, nullptr, OpcionesRed{});
    Trabajo w;
    w.fila = g.fila(0);
    p.preparar(w, g.tramos[0]);
    EXPECT_EQ(w.error, "");
    ASSERT_TRUE(w.criterioPropio);
    EXPECT_NE(w.criterio, &*base);
    // An adverse reach is a row error named by its reach, never reversed.
    Trabajo w2;
    w2.fila = g.fila(1);
    p.preparar(w2, g.tramos[1]);
    EXPECT_EQ(w2.error.rfind("tramo «T2»: pendiente negativa", 0), 0u) << w2.error;
}

// The example network as a model and as layers with their manholes: the same reaches, the
// same accumulated loads; each source's own slope definition; the model's weir left out.
TEST(FuenteRed, EjemploComoModeloYComoCapas) {
    OpcionesFuente o;
    o.hipotesis = COLVERO_EJEMPLOS "/hipotesis.txt";
    const RedGrafo modelo = leerRedGrafo(COLVERO_EJEMPLOS "/red-ejemplo.inp", o);
    o.pozos = COLVERO_EJEMPLOS "/pozos-ejemplo.geojson";
    const RedGrafo capas = leerRedGrafo(COLVERO_EJEMPLOS "/tramos-ejemplo.geojson", o);
    ASSERT_EQ(modelo.tramos.size(), 11u);
    ASSERT_EQ(capas.tramos.size(), 10u);
    EXPECT_EQ(modelo.tramos[10].omitido, "no es un conducto (vertedero)");
    EXPECT_FALSE(capas.crsWkt.empty());
    for (std::size_t k = 0; k < capas.tramos.size(); ++k) {
        const TramoGrafo& m = modelo.tramos[k];
        const TramoGrafo& c = capas.tramos[k];
        SCOPED_TRACE(c.tramo);
        EXPECT_EQ(m.tramo, c.tramo);
        EXPECT_EQ(m.desde, c.desde);
        EXPECT_EQ(m.hasta, c.hasta);
        EXPECT_EQ(m.error, "");
        EXPECT_EQ(c.error, "");
        const double dz = *m.cotaInicio - *m.cotaFin;
        EXPECT_EQ(m.i, dz / std::sqrt(m.longitud * m.longitud - dz * dz));
        EXPECT_EQ(c.i, (*c.cotaInicio - *c.cotaFin) / c.longitud);
        EXPECT_NEAR(m.longitud, c.longitud, 0.005);
        ASSERT_TRUE(m.acumulado && c.acumulado);
        // Infiltration goes by length, which the model rounds to the centimetre.
        EXPECT_NEAR(m.acumulado->Qa, c.acumulado->Qa, 1e-7);
        EXPECT_EQ(m.acumulado->Qs, c.acumulado->Qs);
        EXPECT_EQ(m.origen, OrigenCaudales::Acumulado);
    }
    // The trunk's last reach takes every load but the weir's nothing.
    // Every load (0.09 m3/s) and the infiltration of every metre of pipe (1010.56 m).
    EXPECT_NEAR(modelo.tramos[4].acumulado->Qa, 0.09 + 1010.56e-6, 1e-12);
    EXPECT_EQ(modelo.tramos[4].acumulado->Qs, 0.05 + 0.03);
}

TEST(FuenteRed, ModeloQueNoSePuedeComprobar) {
    QTemporaryDir dir;
    const QByteArray ruta = escribir(dir, "doble.inp", kModelo + "[JUNCTIONS]\nA 3 1\n");
    try {
        (void)leerRedGrafo(ruta, OpcionesFuente{});
        FAIL() << "se esperaba un error";
    } catch (const ErrorArchivo& e) {
        EXPECT_TRUE(
            std::string(e.what()).ends_with("doble.inp: el nodo «A» está definido dos veces"))
            << e.what();
    }
}

} // namespace
} // namespace colvero::red
