// Why a reach has no design, one small network per reason: the message names the node, and
// the rest of the network is still designed.
#include "design/diseno_red.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>

namespace colvero::diseno {
namespace {

struct NodoM {
    const char* id;
    double terreno; // NaN: none
    red::TipoNodo tipo = red::TipoNodo::Pozo;
};

struct TramoM {
    const char* id;
    const char* desde;
    const char* hasta;
    double Q = 0.05;
    double L = 60;
};

struct Caso {
    red::ModeloRed m;
    red::Topologia t;
    std::vector<TramoADisenar> tramos;
    std::vector<Tubo> serie{{"DN 300", 0.3}, {"DN 400", 0.4}, {"DN 500", 0.5}, {"DN 600", 0.6}};
    Limites l;

    Caso(const std::vector<NodoM>& nodos, const std::vector<TramoM>& enlaces) {
        for (const NodoM& n : nodos) {
            red::Nodo x;
            x.id = n.id;
            x.tipo = n.tipo;
            if (!std::isnan(n.terreno))
                x.cotaTerreno = n.terreno;
            m.nodos.push_back(x);
        }
        for (const TramoM& e : enlaces) {
            red::Enlace x;
            x.id = e.id;
            x.desde = e.desde;
            x.hasta = e.hasta;
            x.longitud = e.L;
            x.forma = "CIRCULAR";
            x.circular = true;
            x.D = 0.3;
            x.n = 0.013;
            TramoADisenar t;
            t.enlace = m.enlaces.size();
            t.d.n = 0.013;
            t.d.Q.fill(e.Q);
            t.d.yDmax = 80;
            t.d.Imin = 0.003;
            t.d.Imax = 0.1;
            t.activas = {true, false, false, true, false, false, false, true, true, false};
            m.enlaces.push_back(x);
            tramos.push_back(t);
        }
        t = red::construirTopologia(m);
    }

    // The reason of each reach by its name ("" when designed).
    std::map<std::string, std::string> motivos() const {
        const auto d = disenar(m, t, tramos, serie, l);
        std::map<std::string, std::string> r;
        for (const TramoDisenado& x : d->tramos)
            r[m.enlaces[x.enlace].id] = x.sinDiseno;
        return r;
    }
};

constexpr double kSinTerreno = std::numeric_limits<double>::quiet_NaN();
using Motivos = std::map<std::string, std::string>;

TEST(Motivos, NingunTuboCumple) {
    // T1 carries far more than a 600 pipe at slope 1; T2 and the other tree are designed.
    Caso c({{"A", 110},
            {"B", 108},
            {"S", 106, red::TipoNodo::Vertido},
            {"C", 104},
            {"S2", 103, red::TipoNodo::Vertido}},
           {{"T1", "A", "B", 20.0}, {"T2", "B", "S"}, {"T3", "C", "S2"}});
    EXPECT_EQ(
        c.motivos(),
        (Motivos{{"T1", "ningún tubo de la serie cumple a ninguna pendiente con estos caudales"},
                 {"T2", ""},
                 {"T3", ""}}));
}

TEST(Motivos, ProfundidadMaxima) {
    // The ground rises 4 m from A to B: with 2.5 m at most, B cannot be reached.
    Caso c({{"A", 100}, {"B", 104}, {"S", 102, red::TipoNodo::Vertido}},
           {{"T1", "A", "B"}, {"T2", "B", "S"}});
    c.l.profundidadMaxima = 2.5;
    EXPECT_EQ(c.motivos(),
              (Motivos{{"T1", "se superaría la profundidad máxima en el pozo «B»"}, {"T2", ""}}));
}

TEST(Motivos, CotaFijaInalcanzable) {
    // 10 cm under the ground leaves no room for the cover: T2 cannot end there, T1 is
    // designed as a tree of its own ending at B.
    Caso c({{"A", 100}, {"B", 99}, {"S", 98, red::TipoNodo::Vertido}},
           {{"T1", "A", "B"}, {"T2", "B", "S"}});
    c.l.fijas = {{"S", 97.9}};
    EXPECT_EQ(c.motivos(),
              (Motivos{{"T1", ""}, {"T2", "no se puede llegar a la cota fija del nodo «S»"}}));
}

TEST(Motivos, CotaFijaAlcanzableSeCumple) {
    Caso c({{"A", 100}, {"B", 99}, {"S", 98, red::TipoNodo::Vertido}},
           {{"T1", "A", "B"}, {"T2", "B", "S"}});
    c.l.fijas = {{"S", 95.234}, {"B", 97.3}};
    const auto d = disenar(c.m, c.t, c.tramos, c.serie, c.l);
    ASSERT_TRUE(d && d->completo());
    EXPECT_EQ(d->tramos[1].cotaFin, 9523); // the nearest cm
    EXPECT_EQ(d->tramos[1].cotaInicio, 9730);
    EXPECT_GE(d->tramos[0].cotaFin, 9730);
}

TEST(Motivos, SinCotaDeTerreno) {
    Caso c({{"A", 100},
            {"B", kSinTerreno},
            {"S", 98, red::TipoNodo::Vertido},
            {"C", 104},
            {"S2", 103, red::TipoNodo::Vertido}},
           {{"T1", "A", "B"}, {"T2", "B", "S"}, {"T3", "C", "S2"}});
    EXPECT_EQ(c.motivos(), (Motivos{{"T1", "el pozo «B» no tiene cota de terreno"},
                                    {"T2", "el pozo «B» no tiene cota de terreno"},
                                    {"T3", ""}}));
}

// An outfall without ground (a model's outfall has none) ends its reach freely: no cover or
// depth there, the cost counts the upstream depth, and a fixed invert is met exactly.
TEST(Motivos, VertidoSinTerrenoSeDisena) {
    Caso c({{"A", 100}, {"B", 99}, {"S", kSinTerreno, red::TipoNodo::Vertido}},
           {{"T1", "A", "B"}, {"T2", "B", "S"}});
    c.l.recubrimiento = 1.2;
    for (const bool fija : {false, true}) {
        SCOPED_TRACE(fija ? "con cota fija" : "libre");
        if (fija)
            c.l.fijas = {{"S", 96.5}};
        const auto d = disenar(c.m, c.t, c.tramos, c.serie, c.l);
        ASSERT_TRUE(d && d->completo()) << d->tramos[1].sinDiseno;
        const TramoDisenado& t = d->tramos[1];
        EXPECT_TRUE(std::isnan(t.profundidadFin) && std::isnan(t.recubrimientoFin));
        EXPECT_GE(t.recubrimientoInicio, 1.2 - 1e-9);
        const double D = c.serie[t.tubo].diametro;
        EXPECT_EQ(t.coste, 60 * (D + 2 * c.l.sobreancho) * (t.profundidadInicio + c.l.cama));
        EXPECT_EQ(d->cotaNodo[2], t.cotaFin);
        if (fija)
            EXPECT_EQ(t.cotaFin, 9650);
        else // nothing below makes it dig: the reach leaves as high as its cover allows
            EXPECT_EQ(t.cotaInicio, d->tramos[0].cotaFin);
    }
}

TEST(Motivos, Bifurcacion) {
    Caso c({{"A", 100},
            {"B", 99},
            {"S1", 98, red::TipoNodo::Vertido},
            {"S2", 98, red::TipoNodo::Vertido}},
           {{"T1", "A", "B"}, {"T2", "B", "S1"}, {"T3", "B", "S2"}});
    const std::string m = "no se diseña: del nodo «B» salen varios conductos";
    EXPECT_EQ(c.motivos(), (Motivos{{"T1", ""}, {"T2", m}, {"T3", m}}));
}

TEST(Motivos, Bucle) {
    Caso c({{"A", 100}, {"B", 99}, {"C", 98}, {"D", 101}},
           {{"T1", "A", "B"}, {"T2", "B", "C"}, {"T3", "C", "A"}, {"T4", "D", "A"}});
    const std::string m = "no se diseña: el tramo forma parte de un bucle";
    EXPECT_EQ(c.motivos(), (Motivos{{"T1", m}, {"T2", m}, {"T3", m}, {"T4", ""}}));
}

TEST(Motivos, DiametroMenorQueElDeAguasArriba) {
    // T1 needs a 500 pipe or more; below B a small flow keeps 0.8 m/s under a 0.9 % slope in
    // a 300 or 400 pipe only.
    Caso c({{"A", 110}, {"B", 104}, {"S", 103.3, red::TipoNodo::Vertido}},
           {{"T1", "A", "B", 1.0}, {"T2", "B", "S", 0.01}});
    TramoADisenar& t2 = c.tramos[1];
    t2.activas = {false, false, true, false, false, false, false, false, true, false};
    t2.d.Vmin = 0.8;
    t2.d.Imax = 0.009;
    EXPECT_EQ(c.motivos(),
              (Motivos{{"T1", ""},
                       {"T2", "ningún tubo de la serie que cumpla es de diámetro igual o mayor "
                              "que los de los tramos que llegan al pozo «B»"}}));
    // Alone, T2 has a design: the diameter rule is what stops it.
    c.tramos[0].error = "fuera";
    EXPECT_EQ(c.motivos(), (Motivos{{"T1", "fuera"}, {"T2", ""}}));
}

TEST(Motivos, PendienteQueNoCabe) {
    // At least 50 % over 60 m is a drop of 27 m: no depth reaches it.
    Caso c({{"A", 100}, {"B", 99}, {"S", 98, red::TipoNodo::Vertido}},
           {{"T1", "A", "B"}, {"T2", "B", "S"}});
    c.tramos[0].d.Imin = 0.5;
    c.tramos[0].d.Imax = 1;
    EXPECT_EQ(c.motivos(), (Motivos{{"T1", "ningún tubo de la serie cumple a una pendiente que "
                                           "quepa entre los pozos «A» y «B»"},
                                    {"T2", ""}}));
}

TEST(Motivos, ColectorQueElMotorRechaza) {
    Caso c({{"A", 100}, {"B", 99}, {"S", 98, red::TipoNodo::Vertido}},
           {{"T1", "A", "B"}, {"T2", "B", "S"}});
    c.tramos[0].d.n = 0.5;
    EXPECT_EQ(c.motivos(),
              (Motivos{{"T1", "El Nº de Manning ha de ser inferior a 0.3"}, {"T2", ""}}));
}

TEST(Motivos, ErrorDelTramoPreparado) {
    Caso c({{"A", 100}, {"B", 99}, {"S", 98, red::TipoNodo::Vertido}},
           {{"T1", "A", "B"}, {"T2", "B", "S"}});
    c.tramos[0].error = "el tramo «T1» no tiene caudales";
    EXPECT_EQ(c.motivos(), (Motivos{{"T1", "el tramo «T1» no tiene caudales"}, {"T2", ""}}));
}

// A minimum drop of 0.70 m at B: T2 starts that far below T1's end, a drop manhole.
TEST(Resaltos, SeCuentanYLosGrandesSonPozos) {
    Caso c({{"A", 100}, {"B", 99.5}, {"S", 99.2, red::TipoNodo::Vertido}},
           {{"T1", "A", "B", 0.05, 60}, {"T2", "B", "S", 0.05, 60}});
    c.l.resaltoMinimo = 0.7;
    const auto d = disenar(c.m, c.t, c.tramos, c.serie, c.l);
    ASSERT_TRUE(d && d->completo());
    const double resalto = (d->tramos[0].cotaFin - d->tramos[1].cotaInicio) / 100.0;
    EXPECT_GE(resalto, 0.7);
    EXPECT_EQ(d->tramos[1].resalto, resalto);
    EXPECT_EQ(d->tramos[0].resalto, 0);
    EXPECT_EQ(d->resaltos, 1);
    EXPECT_EQ(d->pozosDeResalto, 1);
}

struct LimiteMalo {
    const char* nombre;
    Limites l;
    const char* mensaje;
};

Limites con(void (*cambio)(Limites&)) {
    Limites l;
    cambio(l);
    return l;
}

const LimiteMalo kLimitesMalos[] = {
    {"recubrimientoNegativo", con([](Limites& l) { l.recubrimiento = -0.1; }),
     "el recubrimiento mínimo no puede ser negativo"},
    {"profundidadCero", con([](Limites& l) { l.profundidadMaxima = 0; }),
     "la profundidad máxima debe ser mayor que cero"},
    {"profundidadNoNumero",
     con([](Limites& l) { l.profundidadMaxima = std::numeric_limits<double>::quiet_NaN(); }),
     "la profundidad máxima debe ser mayor que cero"},
    {"recubrimientoSobreProfundidad", con([](Limites& l) {
         l.recubrimiento = 3;
         l.profundidadMaxima = 3;
     }),
     "el recubrimiento mínimo debe ser menor que la profundidad máxima"},
    {"resaltoNegativo", con([](Limites& l) { l.resaltoMinimo = -0.01; }),
     "el resalto mínimo no puede ser negativo"},
    {"sobreanchoNegativo", con([](Limites& l) { l.sobreancho = -1; }),
     "el sobreancho de la zanja no puede ser negativo"},
    {"camaNegativa", con([](Limites& l) { l.cama = -0.1; }),
     "el espesor de la cama no puede ser negativo"},
    {"nodoFijoDesconocido", con([](Limites& l) {
         l.fijas = {{"X", 90}};
     }),
     "el nodo «X» de la cota fija no está en el modelo"},
    {"nodoFijoDosVeces", con([](Limites& l) {
         l.fijas = {{"B", 90}, {"B", 91}};
     }),
     "el nodo «B» tiene dos cotas fijas"},
    {"cotaFijaInfinita", con([](Limites& l) {
         l.fijas = {{"B", std::numeric_limits<double>::infinity()}};
     }),
     "la cota fija del nodo «B» no es una cota válida"},
};

class LimitesMalos : public ::testing::TestWithParam<LimiteMalo> {};

TEST_P(LimitesMalos, SeRechazanConSuMensaje) {
    const Caso c({{"A", 100}, {"B", 99}, {"S", 98, red::TipoNodo::Vertido}},
                 {{"T1", "A", "B"}, {"T2", "B", "S"}});
    EXPECT_EQ(errorDeLimites(c.m, GetParam().l), std::optional<std::string>(GetParam().mensaje));
    EXPECT_EQ(errorDeLimites(c.m, Limites{}), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Diseno, LimitesMalos, ::testing::ValuesIn(kLimitesMalos),
                         [](const ::testing::TestParamInfo<LimiteMalo>& i) {
                             return std::string(i.param.nombre);
                         });

} // namespace
} // namespace colvero::diseno
