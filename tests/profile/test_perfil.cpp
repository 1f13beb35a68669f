#include "profile/perfil.h"
#include "profile/trayecto.h"

#include "check/calcular.h"
#include "check/evaluacion.h"
#include "files/archivos.h"
#include "perfil_prueba.h"

#include <gtest/gtest.h>

#include <cmath>

namespace colvero::perfil {
namespace {

using prueba::criterioDeEjemplo;

std::string enlaces(const red::RedGrafo& g, const Trayecto& t) {
    std::string s;
    for (const int k : t.enlaces)
        s += (s.empty() ? "" : ",") + g.modelo.enlaces[static_cast<std::size_t>(k)].id;
    return s;
}

struct CasoTrayecto {
    const char* nombre;
    const char* dado;     // DESDE[:HASTA]
    const char* esperado; // the links, or the whole error message
};

void PrintTo(const CasoTrayecto& c, std::ostream* os) {
    *os << c.dado;
}

class Trayectos : public testing::TestWithParam<CasoTrayecto> {};

TEST_P(Trayectos, SigueElAgua) {
    const red::RedGrafo g = prueba::redConSalto();
    std::string desde, hasta;
    partirTrayecto(g.modelo, GetParam().dado, desde, hasta);
    std::string obtenido;
    try {
        const Trayecto t = trazarTrayecto(g.modelo, g.topologia, desde, hasta);
        ASSERT_EQ(t.nodos.size(), t.enlaces.size() + 1);
        obtenido = enlaces(g, t);
    } catch (const ErrorTrayecto& e) {
        obtenido = e.mensaje;
    }
    EXPECT_EQ(obtenido, GetParam().esperado);
}

INSTANTIATE_TEST_SUITE_P(
    Perfil, Trayectos,
    testing::Values(
        CasoTrayecto{"DesdeUnTramo", "T2", "T2,T3,T4"},
        CasoTrayecto{"DesdeUnNodo", "P1", "T1,T2,T3,T4"},
        CasoTrayecto{"DesdeUnRamal", "L1", "T5,T2,T3,T4"},
        CasoTrayecto{"EntreDosNodos", "P1:P3", "T1,T2"},
        CasoTrayecto{"HastaElVertido", "P3:S", "T3,T4"},
        CasoTrayecto{"AguasArriba", "P3:P1",
                     "los nodos «P3» y «P1» no están en un mismo camino del agua"},
        CasoTrayecto{"RamalesDistintos", "L1:P1",
                     "los nodos «L1» y «P1» no están en un mismo camino del agua"},
        CasoTrayecto{"Desconocido", "X9", "no hay ningún tramo ni nodo «X9»"},
        CasoTrayecto{"TramoComoDesde", "T1:P3", "no hay ningún nodo «T1»"},
        CasoTrayecto{"HastaDesconocido", "P1:X9", "no hay ningún nodo «X9»"},
        CasoTrayecto{"MismoNodo", "P2:P2",
                     "el trayecto de «P2» a «P2» no tiene ningún tramo: dé dos nodos distintos"},
        CasoTrayecto{"DesdeElVertido", "S",
                     "del nodo «S» no sale ningún tramo que lleve el agua aguas abajo"}),
    [](const testing::TestParamInfo<CasoTrayecto>& i) { return std::string(i.param.nombre); });

// Names that hold a colon are taken whole; a colon between two such names splits them.
TEST(Perfil, NombresConDosPuntos) {
    const red::ModeloRed m =
        red::prueba::modelo({{"N:1", 10}, {"N:2", 9}, {"S", 8, red::TipoNodo::Vertido}},
                            {{"T:1", "N:1", "N:2"}, {"T:2", "N:2", "S"}});
    const red::Topologia t = red::construirTopologia(m);
    for (const auto& [dado, esperado] : {std::pair{"N:1", "T:1,T:2"}, std::pair{"N:1:N:2", "T:1"},
                                         std::pair{"T:2", "T:2"}, std::pair{"N:1:S", "T:1,T:2"}}) {
        SCOPED_TRACE(dado);
        std::string desde, hasta;
        partirTrayecto(m, dado, desde, hasta);
        red::RedGrafo g;
        g.modelo = m;
        EXPECT_EQ(enlaces(g, trazarTrayecto(m, t, desde, hasta)), esperado);
    }
}

// A closed path of links ends the walk with a message, however the path is asked for.
TEST(Perfil, BucleSinFin) {
    red::ModeloRed m = red::prueba::modelo({{"A", 10}, {"B", 9}, {"C", 8}},
                                           {{"AB", "A", "B"}, {"BC", "B", "C"}, {"CA", "C", "A"}});
    const red::Topologia t = red::construirTopologia(m);
    EXPECT_THROW(
        {
            try {
                trazarTrayecto(m, t, "A");
            } catch (const ErrorTrayecto& e) {
                EXPECT_EQ(e.mensaje,
                          "el camino del agua desde «A» vuelve al nodo «A»: hay un bucle");
                throw;
            }
        },
        ErrorTrayecto);
    EXPECT_THROW(trazarTrayecto(m, t, "BC", ""), ErrorTrayecto);
    EXPECT_THROW(trazarTrayecto(m, t, "A", "X"), ErrorTrayecto);
}

// The band's node numbers: real lengths added up, the inverts of the reaches on each side, the
// manhole floor and its depth below the ground; the drop at P3.
TEST(Perfil, NodosDeLaBanda) {
    const red::RedGrafo g = prueba::redConSalto();
    const Trayecto t = trazarTrayecto(g.modelo, g.topologia, "P1");
    const Perfil p = perfilDe(g, t, comprobarTrayecto(g, t, {}, criterioDeEjemplo()));
    ASSERT_EQ(p.nodos.size(), 5u);
    ASSERT_EQ(p.tramos.size(), 4u);
    struct Esperado {
        const char* nombre;
        double distancia;
        std::optional<double> entrada, salida;
        double minima;
        std::optional<double> profundidad;
        double salto;
    };
    const Esperado e[] = {
        {"P1", 0, std::nullopt, 100.0, 100.0, 103.0 - 100.0, 0},
        {"P2", 50, 99.5, 99.5, 99.5, 102.5 - 99.5, 0},
        {"P3", 100, 99.0, 97.0, 97.0, 101.0 - 97.0, 2.0},
        {"P4", 150, 96.5, 96.5, 96.5, std::nullopt, 0},
        {"S", 250, 96.4, std::nullopt, 96.0, 99.0 - 96.0, 0},
    };
    for (std::size_t k = 0; k < 5; ++k) {
        SCOPED_TRACE(e[k].nombre);
        const NodoPerfil& n = p.nodos[k];
        EXPECT_EQ(n.nombre, e[k].nombre);
        EXPECT_EQ(n.distancia, e[k].distancia);
        EXPECT_EQ(n.soleraEntrada, e[k].entrada);
        EXPECT_EQ(n.soleraSalida, e[k].salida);
        EXPECT_EQ(n.soleraMinima, e[k].minima);
        EXPECT_EQ(n.profundidad, e[k].profundidad);
        EXPECT_EQ(n.salto(), e[k].salto);
    }
    EXPECT_EQ(p.longitud(), 250.0);
    for (std::size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(p.tramos[k].inicio, p.nodos[k].distancia);
        EXPECT_EQ(p.tramos[k].fin, p.nodos[k + 1].distancia);
    }
}

// The water depth drawn is the engine's own normal depth of the reach, bit for bit: at Q3 that
// of condition 3, at Q1 that of condition 2 given the same flow. The surface lies that depth
// above each end's invert.
TEST(Perfil, CaladoDelMotor) {
    const red::RedGrafo g = prueba::redConSalto(0.12);
    const Trayecto t = trazarTrayecto(g.modelo, g.topologia, "P1");
    const auto trabajos = comprobarTrayecto(g, t, {}, criterioDeEjemplo());
    const Perfil p = perfilDe(g, t, trabajos);
    for (std::size_t k = 0; k < p.tramos.size(); ++k) {
        const TramoPerfil& r = p.tramos[k];
        SCOPED_TRACE(r.datos.tramo);
        ASSERT_TRUE(r.normal1 && r.normal3);
        Entradas d = trabajos[k].d;
        d.Q[1] = d.Q[0];
        Activas activas{};
        activas[1] = activas[2] = true;
        const Evaluacion ev = evaluar(d, activas);
        EXPECT_EQ(r.normal1->y, ev.flujoNormal[0].y);
        EXPECT_EQ(r.normal1->yD, ev.flujoNormal[0].yD);
        EXPECT_EQ(r.normal1->v, ev.flujoNormal[0].v);
        EXPECT_EQ(r.normal3->y, ev.flujoNormal[1].y);
        EXPECT_EQ(*r.Q1, g.modelo.enlaces[static_cast<std::size_t>(t.enlaces[k])].caudales[0]);
        EXPECT_EQ(r.lamina(r.normal1, false), *r.cotaInicio + r.normal1->y);
        EXPECT_EQ(r.lamina(r.normal3, true), *r.cotaFin + r.normal3->y);
        EXPECT_GT(r.normal1->y, 0);
        EXPECT_LT(r.normal1->y, r.datos.D);
    }
    // A larger flow on T2 stands deeper.
    const Perfil menor =
        perfilDe(g, t, comprobarTrayecto(prueba::redConSalto(0.05), t, {}, criterioDeEjemplo()));
    EXPECT_LT(menor.tramos[1].normal1->y, p.tramos[1].normal1->y);
}

// Each reach's class and failing conditions come from the engine's verdicts, worded as its
// verdict lines; a flow above the section's largest has no normal depth to draw.
TEST(Perfil, VeredictosDeLosTramos) {
    const red::RedGrafo g = prueba::redConSalto(1.0);
    const Trayecto t = trazarTrayecto(g.modelo, g.topologia, "P1");
    const auto trabajos = comprobarTrayecto(g, t, {}, criterioDeEjemplo());
    const Perfil p = perfilDe(g, t, trabajos);
    ASSERT_EQ(p.tramos.size(), 4u);

    const TramoPerfil& t2 = p.tramos[1];
    EXPECT_EQ(t2.clase, ClasePerfil::NoCumple);
    EXPECT_FALSE(t2.normal1);
    EXPECT_FALSE(t2.normal3);
    ASSERT_FALSE(t2.fallos.empty());
    EXPECT_EQ(t2.fallos.front(), "(1) Qll < Q1");
    EXPECT_EQ(t2.fallos[1], "(2) Capacidad insuficiente");

    // T4 falls 0.1 m in 100 m, below the criterion's least slope.
    const TramoPerfil& t4 = p.tramos[3];
    EXPECT_EQ(t4.clase, ClasePerfil::NoCumple);
    EXPECT_NE(std::find(t4.fallos.begin(), t4.fallos.end(), "(8) I8 < Imin"), t4.fallos.end());

    for (std::size_t k = 0; k < p.tramos.size(); ++k) {
        SCOPED_TRACE(p.tramos[k].datos.tramo);
        const ClasePerfil esperada = trabajos[k].codigo == 0   ? ClasePerfil::Cumple
                                     : trabajos[k].codigo == 1 ? ClasePerfil::NoCumple
                                                               : ClasePerfil::SinComprobar;
        EXPECT_EQ(p.tramos[k].clase, esperada);
        EXPECT_EQ(p.tramos[k].fallos.empty(), p.tramos[k].clase != ClasePerfil::NoCumple);
    }
}

// A weir on the path is no pipe: no length, no verdict, its reason kept; the example model's
// ground elevations are its manholes' inverts plus their depths.
TEST(Perfil, ModeloDeEjemplo) {
    red::OpcionesFuente o;
    o.hipotesis = COLVERO_EJEMPLOS "/hipotesis.txt";
    const QByteArray ruta = COLVERO_EJEMPLOS "/red-ejemplo.inp";
    const red::RedGrafo g = red::leerRedGrafo(ruta, o);
    const Trayecto t = trazarTrayecto(g.modelo, g.topologia, "T2");
    const Perfil p = perfilDe(g, t, comprobarTrayecto(g, t, ruta, criterioDeEjemplo()));
    ASSERT_EQ(p.nodos.size(), 5u);
    EXPECT_EQ(p.nodos.back().nombre, "V1");
    EXPECT_EQ(p.longitud(), 98.99 + 98.99 + 106.3 + 120.42);
    ASSERT_TRUE(p.nodos[0].profundidad);
    EXPECT_NEAR(*p.nodos[0].profundidad, 2.1, 1e-9);
    for (const TramoPerfil& r : p.tramos) {
        SCOPED_TRACE(r.datos.tramo);
        EXPECT_TRUE(r.conducto());
        EXPECT_TRUE(r.Q1 && r.Q3);
        EXPECT_NE(r.clase, ClasePerfil::SinComprobar) << r.motivo;
    }

    red::ModeloRed m = g.modelo;
    const Trayecto conAliviadero{{static_cast<int>(m.enlaces.size()) - 1}, {4, 11}};
    std::vector<red::Trabajo> w(1);
    w[0].omitido = g.tramos.back().omitido;
    const Perfil a = perfilDe(g, conAliviadero, w);
    EXPECT_EQ(a.tramos[0].datos.tramo, "AL1");
    EXPECT_FALSE(a.tramos[0].conducto());
    EXPECT_EQ(a.tramos[0].clase, ClasePerfil::SinComprobar);
    EXPECT_EQ(a.tramos[0].motivo, g.tramos.back().omitido);
    EXPECT_EQ(a.longitud(), 0.0);
}

} // namespace
} // namespace colvero::perfil
