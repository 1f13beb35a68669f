// The network plan as DXF read back by GDAL's own DXF reader: the layers and their colours,
// the entities on each, the coordinates as the very doubles, and the names in place.
#include "files/modelo_swmm.h"
#include "files/plano_dxf.h"

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

namespace colvero::dxf {
namespace {

struct Leida {
    std::string capa;
    std::string texto;  // of a TEXT; empty otherwise
    std::string estilo; // OGR style string
    std::vector<Punto> puntos;
};

std::vector<Leida> leer(const QByteArray& ruta) {
    GDALAllRegister();
    GDALDatasetUniquePtr ds(GDALDataset::Open(ruta.constData(), GDAL_OF_VECTOR | GDAL_OF_READONLY,
                                              nullptr, nullptr, nullptr));
    std::vector<Leida> v;
    EXPECT_TRUE(ds) << ruta.constData();
    if (!ds)
        return v;
    OGRLayer* l = ds->GetLayer(0);
    for (const auto& f : *l) {
        Leida e;
        e.capa = f->GetFieldAsString("Layer");
        if (f->GetFieldIndex("Text") >= 0 && f->IsFieldSetAndNotNull(f->GetFieldIndex("Text")))
            e.texto = f->GetFieldAsString("Text");
        e.estilo = f->GetStyleString() ? f->GetStyleString() : "";
        const OGRGeometry* g = f->GetGeometryRef();
        if (g && wkbFlatten(g->getGeometryType()) == wkbPoint) {
            const auto* p = g->toPoint();
            e.puntos.push_back({p->getX(), p->getY()});
        } else if (g && wkbFlatten(g->getGeometryType()) == wkbLineString) {
            for (const OGRPoint& p : *g->toLineString())
                e.puntos.push_back({p.getX(), p.getY()});
        }
        v.push_back(std::move(e));
    }
    return v;
}

std::map<std::string, int> porCapa(const std::vector<Leida>& v) {
    std::map<std::string, int> n;
    for (const Leida& e : v)
        ++n[e.capa];
    return n;
}

const Leida* texto(const std::vector<Leida>& v, const std::string& t) {
    for (const Leida& e : v)
        if (e.texto == t)
            return &e;
    return nullptr;
}

red::Nodo nodo(std::string id, double x, double y, red::TipoNodo tipo = red::TipoNodo::Pozo) {
    red::Nodo n;
    n.id = std::move(id);
    n.tipo = tipo;
    n.posicion = {{x, y}};
    return n;
}

red::Enlace enlace(std::string id, std::string desde, std::string hasta) {
    red::Enlace e;
    e.id = std::move(id);
    e.desde = std::move(desde);
    e.hasta = std::move(hasta);
    return e;
}

// Map coordinates whose last digits a writer with 15 significant digits would lose.
constexpr double kX = 440000.123456789, kY = 4470000.987654321;

TEST(PlanoDxf, UnaRedPequenaSeLeeConGdal) {
    red::ModeloRed m;
    m.nodos = {nodo("Pozo ñandú", kX, kY), nodo("B", kX + 100, kY),
               nodo("S", kX + 100, kY + 50, red::TipoNodo::Vertido)};
    m.enlaces = {enlace("Tramo «Ñ» \"1\"", "Pozo ñandú", "B"), enlace("T2", "B", "S")};
    m.enlaces[1].vertices = {{kX + 100.000000000001, kY + 25.5}};
    QTemporaryDir dir;
    const QByteArray ruta = QDir(dir.path()).filePath("plano.dxf").toUtf8();
    const Plano p =
        escribirPlanoDxf(ruta, "plano.dxf", m, {EstadoTramo::Cumple, EstadoTramo::NoSeComprueba});
    ASSERT_EQ(p.tramos, 2u);
    const std::vector<Leida> v = leer(ruta);
    EXPECT_EQ(
        porCapa(v),
        (std::map<std::string, int>{
            {"CUMPLE", 1}, {"NO_SE_COMPRUEBA", 1}, {"POZOS", 2}, {"VERTIDOS", 1}, {"TEXTOS", 5}}));
    for (const Leida& e : v) {
        if (e.capa == "CUMPLE") {
            EXPECT_EQ(e.estilo, "PEN(c:#00ff00)");
            // Exactly the model's doubles.
            ASSERT_EQ(e.puntos.size(), 2u);
            EXPECT_EQ(e.puntos[0], Punto(kX, kY));
            EXPECT_EQ(e.puntos[1], Punto(kX + 100, kY));
        }
        if (e.capa == "NO_SE_COMPRUEBA") {
            ASSERT_EQ(e.puntos.size(), 3u);
            EXPECT_EQ(e.puntos[1], Punto(kX + 100.000000000001, kY + 25.5));
        }
    }
    // The median of the links, 100 and 50 long, is 100: texts 4 high.
    EXPECT_DOUBLE_EQ(p.alturaTexto, 4);
    const Leida* t1 = texto(v, "Tramo «Ñ» \"1\"");
    ASSERT_NE(t1, nullptr);
    EXPECT_EQ(t1->capa, "TEXTOS");
    ASSERT_EQ(t1->puntos.size(), 1u);
    // Halfway along, a quarter of its height above the line.
    EXPECT_NEAR(t1->puntos[0].first, kX + 50, 1e-9);
    EXPECT_NEAR(t1->puntos[0].second, kY + 1, 1e-9);
    EXPECT_NE(t1->estilo.find("s:4g"), std::string::npos) << t1->estilo;
    ASSERT_NE(texto(v, "Pozo ñandú"), nullptr);
}

// A link that rises to the left is labelled upright: its text turns by less than a right angle.
TEST(PlanoDxf, NombresSinBocaAbajo) {
    red::ModeloRed m;
    m.nodos = {nodo("A", 100, 0), nodo("B", 0, 100)};
    m.enlaces = {enlace("T", "A", "B")};
    QTemporaryDir dir;
    const QByteArray ruta = QDir(dir.path()).filePath("plano.dxf").toUtf8();
    escribirPlanoDxf(ruta, "plano.dxf", m, {EstadoTramo::NoCumple});
    const std::vector<Leida> v = leer(ruta);
    const Leida* t = texto(v, "T");
    ASSERT_NE(t, nullptr);
    EXPECT_NE(t->estilo.find("a:-45"), std::string::npos) << t->estilo;
    for (const Leida& e : v) {
        if (e.capa == "NO_CUMPLE") {
            EXPECT_EQ(e.estilo, "PEN(c:#ff0000)");
        }
    }
}

// The example network: every link with both ends placed is drawn from its upstream node's
// very coordinates to its downstream node's, on the layer of its state.
TEST(PlanoDxf, RedDeEjemplo) {
    const red::ModeloRed m = leerModeloSwmm(QByteArray(COLVERO_EJEMPLOS) + "/red-ejemplo.inp").red;
    std::vector<EstadoTramo> estados;
    std::map<std::string, int> esperado;
    std::map<std::string, Punto> posicion;
    for (const red::Nodo& n : m.nodos) {
        ASSERT_TRUE(n.posicion) << n.id;
        posicion[n.id] = *n.posicion;
        ++esperado[n.tipo == red::TipoNodo::Vertido ? "VERTIDOS" : "POZOS"];
    }
    for (const red::Enlace& e : m.enlaces) {
        estados.push_back(!e.esConducto() ? EstadoTramo::NoSeComprueba
                          : e.id == "T10" ? EstadoTramo::NoCumple
                                          : EstadoTramo::Cumple);
        ++esperado[capaDe(estados.back())];
    }
    esperado["TEXTOS"] = static_cast<int>(m.nodos.size() + m.enlaces.size());
    QTemporaryDir dir;
    const QByteArray ruta = QDir(dir.path()).filePath("red.dxf").toUtf8();
    const Plano p = escribirPlanoDxf(ruta, "red.dxf", m, estados);
    EXPECT_EQ(p.tramos, m.enlaces.size());
    EXPECT_EQ(p.sinPosicion, 0u);
    const std::vector<Leida> v = leer(ruta);
    EXPECT_EQ(porCapa(v), esperado);
    // The polylines come in the order of the links.
    std::size_t k = 0;
    for (const Leida& e : v) {
        if (e.capa == "POZOS" || e.capa == "VERTIDOS" || e.capa == "TEXTOS")
            continue;
        ASSERT_LT(k, m.enlaces.size());
        const red::Enlace& l = m.enlaces[k++];
        EXPECT_EQ(e.capa, capaDe(estados[k - 1])) << l.id;
        ASSERT_EQ(e.puntos.size(), l.vertices.size() + 2) << l.id;
        EXPECT_EQ(e.puntos.front(), posicion[l.desde]) << l.id;
        EXPECT_EQ(e.puntos.back(), posicion[l.hasta]) << l.id;
        for (std::size_t j = 0; j < l.vertices.size(); ++j)
            EXPECT_EQ(e.puntos[j + 1], l.vertices[j]) << l.id;
    }
    EXPECT_EQ(k, m.enlaces.size());
    const Leida* t10 = texto(v, "T10");
    ASSERT_NE(t10, nullptr);
    EXPECT_EQ(t10->capa, "TEXTOS");
}

} // namespace
} // namespace colvero::dxf
