#include "network/tramos_grafo.h"

#include "network/fuente_red.h"

#include "check/calcular.h"
#include "files/archivos.h"
#include "files/informe_swmm.h"
#include "files/modelo_swmm.h"
#include "modelo_prueba.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>

namespace colvero::red {
namespace {

using prueba::modelo;

CriterioListo criterioDeEjemplo() {
    std::string error;
    auto c =
        prepararCriterio(leerCriterio(COLVERO_EJEMPLOS "/criterio-red.CrVek", '.'), '.', error);
    if (!c)
        throw std::runtime_error(error);
    return *c;
}

// Prepares a reach as a source without cells for criteria or series does.
Trabajo preparado(const TramoGrafo& r, const CriterioListo& c) {
    CabeceraRed cabecera;
    cabecera.indice.fill(-1);
    PreparadorRed p(cabecera, QByteArray(), c, nullptr, OpcionesRed{});
    Trabajo w;
    p.preparar(w, r);
    return w;
}

// EPA's example 1 with its report: each conduit's full-bore flow, as the engine computes it,
// equals the report's maximum flow over its Max/Full Flow, within the report's two decimals;
// and each reach's verdicts are those of the same reach typed as a calculation.
TEST(TramosGrafo, Ejemplo1ConSuInforme) {
    const std::string carpeta = COLVERO_DATOS_SWMM;
    if (!std::ifstream(carpeta + "/Example1.inp") || !std::ifstream(carpeta + "/example1.rpt"))
        GTEST_SKIP() << "no están los datos compartidos de SWMM en " << carpeta;
    OpcionesFuente o;
    o.informe = QByteArray::fromStdString(carpeta + "/example1.rpt");
    const QByteArray ruta = QByteArray::fromStdString(carpeta + "/Example1.inp");
    const RedGrafo g = leerRedGrafo(ruta, o);
    const InformeSwmm inf = leerInformeSwmm(o.informe);
    ASSERT_EQ(g.tramos.size(), 13u);
    const CriterioListo criterio = criterioDeEjemplo();
    PreparadorRed preparador(g.cabecera, ruta, criterio, nullptr, OpcionesRed{});
    const double pie3 = 0.3048 * 0.3048 * 0.3048;
    for (std::size_t k = 0; k < g.tramos.size(); ++k) {
        const TramoGrafo& r = g.tramos[k];
        SCOPED_TRACE(r.tramo);
        EXPECT_EQ(r.origen, OrigenCaudales::Informe);
        EXPECT_EQ(r.error, "");
        Trabajo w;
        w.fila = g.fila(k);
        preparador.preparar(w, r);
        ASSERT_EQ(w.error, "");
        const FlujoInforme& f = inf.enlaces.at(r.tramo);
        for (const double q : w.d.Q)
            EXPECT_EQ(q, f.caudal);

        Activas solo1{};
        solo1[0] = true;
        const double qll = evaluar(w.d, solo1).caudalLleno / pie3;
        const double qmax = f.caudalEnUnidades;
        const double razon = *f.maxLleno;
        EXPECT_GE(qll, (qmax - 0.005) / (razon + 0.005));
        EXPECT_LE(qll, (qmax + 0.005) / (razon - 0.005));

        // The reach's row, typed as a calculation, gives the same verdicts and values.
        comprobarTrabajo(w, OpcionesRed{}, g.cabecera.dialecto);
        const auto celda = [&](ColumnaRed c) {
            std::string s = w.fila.celdas[static_cast<std::size_t>(g.cabecera.columna(c))];
            std::replace(s.begin(), s.end(), ',', '.');
            return s;
        };
        Calculo c;
        c.criterio = criterio.criterio;
        c.colector = {celda(ColumnaRed::D), celda(ColumnaRed::n), celda(ColumnaRed::i)};
        for (size_t q = 0; q < 7; ++q)
            c.caudal[q] = celda(static_cast<ColumnaRed>(static_cast<int>(ColumnaRed::Q1) + q));
        ValoresGuardados vg;
        const ResultadoCalculo tecleado = calcular(c, vg, '.');
        EXPECT_EQ(w.r.notas, tecleado.notas);
        EXPECT_EQ(w.r.campos, tecleado.campos);
    }
}

ModeloRed pequeno() {
    ModeloRed m = modelo({{"A", 10, TipoNodo::Pozo, 0.002, 0.01},
                          {"B", 9.5, TipoNodo::Pozo, 0.001},
                          {"S", 9, TipoNodo::Vertido}},
                         {{"T1", "A", "B", 100},
                          {"W1", "A", "S", 0, TipoEnlace::Vertedero},
                          {"T2", "B", "S", 100},
                          {"T3", "B", "S", 100}});
    m.enlaces[3].forma = "EGG";
    m.enlaces[3].circular = false;
    return m;
}

TEST(TramosGrafo, OrigenDeCadaCaudal) {
    ModeloRed m = pequeno();
    m.enlaces.erase(m.enlaces.begin() + 3); // no bifurcation at B
    m.enlaces[0].caudales[0] = 0.5;         // the model gives condition 1 of T1
    m.enlaces[2].barriles = 2;
    const Topologia t = construirTopologia(m);
    InformeSwmm inf;
    inf.enlaces["T1"].caudal = 0.2;
    inf.enlaces["T2"].caudal = 0.3;
    std::string error;

    // Model first, then the report; two barrels share the reach's flow.
    auto r = tramosDeModelo(m, t, &inf, nullptr, error);
    ASSERT_TRUE(r) << error;
    EXPECT_EQ((*r)[0].Q[0], 0.5);
    EXPECT_EQ((*r)[0].Q[1], 0.2);
    EXPECT_EQ((*r)[0].origenQ[0], OrigenCaudales::Tabla);
    EXPECT_EQ((*r)[0].origen, OrigenCaudales::Informe);
    EXPECT_EQ((*r)[1].omitido, "no es un conducto (vertedero)");
    EXPECT_EQ((*r)[2].Q[6], 0.15);
    EXPECT_EQ((*r)[2].barriles, 2);
    EXPECT_STREQ(textoOrigen((*r)[2].origen), "informe");

    // A conduit the report lacks is a row error.
    inf.enlaces.erase("T2");
    r = tramosDeModelo(m, t, &inf, nullptr, error);
    EXPECT_EQ((*r)[2].error, "el informe no da el caudal máximo del conducto");

    // From the loads: the weir beside T1 takes nothing.
    Hipotesis h;
    h.condicion[1] = TipoCaudal::Medio;
    r = tramosDeModelo(m, t, nullptr, &h, error);
    ASSERT_TRUE(r) << error;
    const TramoGrafo& t2 = (*r)[2];
    EXPECT_EQ(t2.origen, OrigenCaudales::Acumulado);
    ASSERT_TRUE(t2.acumulado);
    EXPECT_NEAR(t2.acumulado->Qa, 0.003, 1e-15);
    EXPECT_NEAR(t2.acumulado->Qs, 0.01, 1e-15);
    const CaudalesHipotesis q = caudalesDe(0.003, 0.01, h);
    EXPECT_NEAR(*t2.Q[0], q.Qc / 2, 1e-15);
    EXPECT_NEAR(*t2.Q[1], q.Qm / 2, 1e-15);
    EXPECT_EQ(t2.denominacion[0], "Caudal de cálculo");
    EXPECT_EQ(t2.denominacion[1], "Caudal medio");
    EXPECT_EQ((*r)[0].Q[0], 0.5); // the model's own flow still comes first
    EXPECT_EQ((*r)[0].origenQ[0], OrigenCaudales::Tabla);
    EXPECT_EQ((*r)[0].denominacion[0], "");
}

TEST(TramosGrafo, SeccionNoCircularYBifurcacion) {
    const ModeloRed m = pequeno();
    const Topologia t = construirTopologia(m);
    std::string error;
    const Hipotesis h;
    // Flows from loads cannot choose between T2 and T3.
    EXPECT_FALSE(tramosDeModelo(m, t, nullptr, &h, error));
    EXPECT_EQ(error, "del nodo «B» salen varios conductos («T2», «T3»): no se sabe por cuál sigue "
                     "el caudal");
    // With a report the bifurcation is only listed.
    InformeSwmm inf;
    inf.enlaces["T1"].caudal = inf.enlaces["T2"].caudal = 0.1;
    const auto r = tramosDeModelo(m, t, &inf, nullptr, error);
    ASSERT_TRUE(r);
    EXPECT_EQ((*r)[3].omitido, "sección no circular: no se comprueba (EGG)");
    EXPECT_EQ(preparado((*r)[3], criterioDeEjemplo()).omitido,
              "sección no circular: no se comprueba (EGG)");
}

TEST(TramosGrafo, ModeloRechazadoYCaudalQueFalta) {
    ModeloRed m = pequeno();
    m.nodos.push_back(m.nodos[0]);
    std::string error;
    EXPECT_FALSE(tramosDeModelo(m, construirTopologia(m), nullptr, nullptr, error));
    EXPECT_EQ(error, "el nodo «A» está definido dos veces");

    m = pequeno();
    m.enlaces[0].caudales[0] = 0.1;
    const auto r = tramosDeModelo(m, construirTopologia(m), nullptr, nullptr, error);
    ASSERT_TRUE(r);
    CriterioListo c = criterioDeEjemplo();
    EXPECT_EQ(preparado((*r)[0], c).error,
              "tramo «T1»: no hay caudal para la condición (2): ni la fuente, ni un informe, ni "
              "una hipótesis de caudales lo dan");
    c.activas.fill(false);
    c.activas[0] = true;
    const Trabajo w = preparado((*r)[0], c);
    EXPECT_EQ(w.error, "");
    EXPECT_EQ(w.d.Q[0], 0.1);
    EXPECT_EQ(w.d.Q[1], 0);
    EXPECT_EQ(w.d.D, 0.5);
    EXPECT_NEAR(w.d.i, 0.5 / std::sqrt(100 * 100 - 0.25), 1e-15);
}

TEST(TramosGrafo, ConductoSinSeccion) {
    ModeloRed m = pequeno();
    m.enlaces[0].forma.clear();
    m.enlaces[0].circular = false;
    InformeSwmm inf;
    std::string error;
    const auto r = tramosDeModelo(m, construirTopologia(m), &inf, nullptr, error);
    EXPECT_EQ((*r)[0].error, "el conducto no tiene sección transversal");
    EXPECT_EQ((*r)[0].omitido, "");
}

// A model read from its text, with the faults the topology names: a missing node, an adverse
// reach, a bifurcation and a loop.
TEST(TramosGrafo, ModeloConFallosDesdeSuTexto) {
    const ModeloSwmm m = modeloSwmmDeBytes(
        "[OPTIONS]\nFLOW_UNITS LPS\n[JUNCTIONS]\nA 10 2\nB 9 2\nC 9.2 2\nD 8 2\nE 7.9 2\n"
        "[OUTFALLS]\nS 5 FREE\n[CONDUITS]\nT1 A B 50 0.013\nT2 B C 50 0.013\nT3 C X 50 0.013\n"
        "T4 B D 50 0.013\nT5 D E 50 0.013\nT6 E D 50 0.013\nT7 E S 50 0.013\n"
        "[XSECTIONS]\nT1 CIRCULAR 0.3\nT2 CIRCULAR 0.3\nT3 CIRCULAR 0.3\nT4 CIRCULAR 0.3\n"
        "T5 CIRCULAR 0.3\nT6 CIRCULAR 0.3\nT7 CIRCULAR 0.3\n[DWF]\nA FLOW 2\n",
        QStringLiteral("m.inp"));
    const Topologia t = construirTopologia(m.red);
    std::string error;
    const Hipotesis h;
    EXPECT_FALSE(tramosDeModelo(m.red, t, nullptr, &h, error));
    EXPECT_EQ(error, "del nodo «B» salen varios conductos («T2», «T4»): no se sabe por cuál "
                     "sigue el caudal; del nodo «E» salen varios conductos («T6», «T7»): no se "
                     "sabe por cuál sigue el caudal");
    InformeSwmm inf;
    for (const char* id : {"T1", "T2", "T3", "T4", "T5", "T6", "T7"})
        inf.enlaces[id].caudal = 0.01;
    const auto r = tramosDeModelo(m.red, t, &inf, nullptr, error);
    ASSERT_TRUE(r) << error;
    EXPECT_EQ((*r)[0].error, "");
    EXPECT_NEAR((*r)[0].i, 1 / std::sqrt(2500 - 1.0), 1e-15);
    EXPECT_EQ((*r)[1].error,
              "pendiente negativa: la solera de aguas abajo está más alta que la de aguas arriba");
    EXPECT_EQ((*r)[2].error, "el nodo «X» no está en el modelo");
    EXPECT_FALSE((*r)[2].cotaFin);
    EXPECT_EQ((*r)[5].error,
              "pendiente negativa: la solera de aguas abajo está más alta que la de aguas arriba");
    bool bucle = false;
    for (const ProblemaTopologia& p : t.problemas)
        bucle = bucle || p.mensaje == "los enlaces «T5», «T6» forman un bucle";
    EXPECT_TRUE(bucle);
}

} // namespace
} // namespace colvero::red
