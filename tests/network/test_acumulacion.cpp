#include "network/acumulacion.h"

#include "modelo_prueba.h"

#include <gtest/gtest.h>

namespace colvero::red {
namespace {

using prueba::modelo;

// A tree checked by hand: A (2 l/s) and B (1 l/s) feed C (4 l/s), which drains to the outfall
// S; the load of S belongs to nobody. T1 takes 0.01 l/s per metre along its 100 m; every pipe
// has 0.001 l/s per metre of infiltration. Storm: A 10 l/s, C 20 l/s.
ModeloRed arbol() {
    return modelo({{"A", 10, TipoNodo::Pozo, 0.002, 0.01},
                   {"B", 10, TipoNodo::Pozo, 0.001, 0},
                   {"C", 9, TipoNodo::Pozo, 0.004, 0.02},
                   {"S", 8, TipoNodo::Vertido, 0.1, 0.5}},
                  {{"T1", "A", "C", 100, TipoEnlace::Conducto, 1e-5},
                   {"T2", "B", "C", 50},
                   {"T3", "C", "S", 200}});
}

TEST(Acumulacion, ArbolCalculadoAMano) {
    const ModeloRed m = arbol();
    const Topologia t = construirTopologia(m);
    Hipotesis h;
    h.infiltracion = 1e-6;
    std::string error;
    const auto a = acumular(m, t, h, error);
    ASSERT_TRUE(a) << error;
    EXPECT_NEAR((*a)[0].Qa, 0.0031, 1e-15);
    EXPECT_NEAR((*a)[1].Qa, 0.00105, 1e-15);
    EXPECT_NEAR((*a)[2].Qa, 0.00835, 1e-15);
    EXPECT_NEAR((*a)[0].Qs, 0.01, 1e-15);
    EXPECT_EQ((*a)[1].Qs, 0);
    EXPECT_NEAR((*a)[2].Qs, 0.03, 1e-15);
}

// Qm, Cp, Qp, Qmin, Qmax by hand for the default hypothesis (a = 1.15, b = 2.575, c = 0.25,
// Cp in [1, 4], f_min = 0.3, Qmin_abs = 1.5 l/s).
struct CasoCaudales {
    const char* nombre;
    double Qa, Qs;
    double Qm, Cp, Qp, Qmin, Qmax;
};
const CasoCaudales kCaudales[] = {
    {"t1", 0.0031, 0.01, 0.0031, 3.0906034981944264, 0.009580870844402721, 0.0015,
     0.01958087084440272},
    {"t2_bajo_el_minimo", 0.00105, 0, 0.0015, 3.4767751592953506, 0.005215162738943026, 0.0015,
     0.005215162738943026},
    {"t3", 0.00835, 0.03, 0.00835, 2.6648011093710116, 0.022251089263247946, 0.002505,
     0.052251089263247945},
    // Cp = 1.15 + 2.575 / 10 = 1.4075 at 10 000 l/s.
    {"grande", 10, 0, 10, 1.4075, 14.075, 3, 14.075},
};

class Caudales : public ::testing::TestWithParam<CasoCaudales> {};

TEST_P(Caudales, DeLaHipotesis) {
    const CasoCaudales& c = GetParam();
    const CaudalesHipotesis q = caudalesDe(c.Qa, c.Qs, Hipotesis{});
    EXPECT_NEAR(q.Qm, c.Qm, 1e-12 * c.Qm);
    EXPECT_NEAR(q.Cp, c.Cp, 1e-12 * c.Cp);
    EXPECT_NEAR(q.Qp, c.Qp, 1e-12 * c.Qp);
    EXPECT_NEAR(q.Qmin, c.Qmin, 1e-12 * c.Qmin);
    EXPECT_NEAR(q.Qmax, c.Qmax, 1e-12 * c.Qmax);
    EXPECT_EQ(q.Qc, q.Qmax);
    EXPECT_EQ(q.de(TipoCaudal::Calculo), q.Qc);
    EXPECT_EQ(q.de(TipoCaudal::Punta), q.Qp);
    EXPECT_EQ(q.de(TipoCaudal::Minimo), q.Qmin);
    EXPECT_EQ(q.de(TipoCaudal::Medio), q.Qm);
    EXPECT_EQ(q.de(TipoCaudal::Maximo), q.Qmax);
}

INSTANTIATE_TEST_SUITE_P(Acumulacion, Caudales, ::testing::ValuesIn(kCaudales),
                         [](const auto& i) { return std::string(i.param.nombre); });

TEST(Acumulacion, CoeficientePuntaAcotadoYConstante) {
    Hipotesis h;
    h.caudalMinimo = 0; // no mean flow at all: the power is infinite
    EXPECT_EQ(caudalesDe(0, 0, h).Cp, 4.0);
    EXPECT_EQ(caudalesDe(0, 0, h).Qp, 0);
    h.cpMinimo = 1.5;
    EXPECT_EQ(caudalesDe(1000, 0, h).Cp, 1.5);
    h.b = 0; // a constant factor, with no mean flow too
    h.a = 2.4;
    EXPECT_EQ(caudalesDe(0, 0, h).Cp, 2.4);
    EXPECT_EQ(caudalesDe(0.5, 0.25, h).Qmax, 1.45);
}

TEST(Acumulacion, NombresDeLosTipos) {
    EXPECT_STREQ(nombreCaudal(TipoCaudal::Calculo), "Caudal de cálculo");
    EXPECT_STREQ(nombreCaudal(TipoCaudal::Punta), "Caudal punta");
    EXPECT_STREQ(nombreCaudal(TipoCaudal::Minimo), "Caudal mínimo");
    EXPECT_STREQ(nombreCaudal(TipoCaudal::Medio), "Caudal medio");
    EXPECT_STREQ(nombreCaudal(TipoCaudal::Maximo), "Caudal máximo");
}

TEST(Acumulacion, DepositoConBombaYAliviadero) {
    const ModeloRed m = modelo({{"A", 10, TipoNodo::Pozo, 0.003},
                                {"P", 5, TipoNodo::Deposito, 0.001},
                                {"B", 12},
                                {"S", 4, TipoNodo::Vertido}},
                               {{"T1", "A", "P"},
                                {"W1", "P", "S", 0, TipoEnlace::Vertedero},
                                {"B1", "P", "B", 0, TipoEnlace::Bomba},
                                {"T2", "B", "S"}});
    // P has a pump and a weir and no conduit: two ways out and nothing to follow.
    Topologia t = construirTopologia(m);
    std::string error;
    EXPECT_FALSE(acumular(m, t, Hipotesis{}, error));
    EXPECT_EQ(error, "del nodo «P» salen varios enlaces («W1», «B1»): no se sabe por cuál sigue "
                     "el caudal");

    ModeloRed sinAliviadero = m;
    sinAliviadero.enlaces.erase(sinAliviadero.enlaces.begin() + 1);
    t = construirTopologia(sinAliviadero);
    const auto a = acumular(sinAliviadero, t, Hipotesis{}, error);
    ASSERT_TRUE(a);
    EXPECT_NEAR((*a)[2].Qa, 0.004, 1e-15); // through the pump
}

TEST(Acumulacion, RechazaBifurcacionYBuclePorSuNombre) {
    const ModeloRed m =
        modelo({{"A", 10}, {"B", 9}, {"C", 8}, {"D", 7}},
               {{"T1", "A", "B"}, {"T2", "A", "C"}, {"T3", "C", "D"}, {"T4", "D", "C"}});
    const Topologia t = construirTopologia(m);
    std::string error;
    EXPECT_FALSE(acumular(m, t, Hipotesis{}, error));
    EXPECT_EQ(error, "del nodo «A» salen varios conductos («T1», «T2»): no se sabe por cuál "
                     "sigue el caudal; los enlaces «T3», «T4» forman un bucle: el caudal vuelve "
                     "a su origen");
}

// 100 000 reaches in one chain: no recursion to overflow the stack, and each reach carries
// the loads of all the nodes above it.
TEST(Acumulacion, CadenaLarga) {
    constexpr int kTramos = 100000;
    ModeloRed m;
    m.nodos.resize(kTramos + 1);
    m.enlaces.resize(kTramos);
    // Numbered from the outfall up, so that no order of the vectors helps.
    for (int k = 0; k <= kTramos; ++k) {
        Nodo& n = m.nodos[static_cast<size_t>(k)];
        n.id = "N" + std::to_string(k);
        n.cotaSolera = k * 0.01;
        n.caudalMedio = 1e-5;
    }
    for (int k = 0; k < kTramos; ++k) {
        Enlace& e = m.enlaces[static_cast<size_t>(k)];
        e.id = "T" + std::to_string(k);
        e.desde = "N" + std::to_string(k + 1);
        e.hasta = "N" + std::to_string(k);
        e.longitud = 10;
        e.cotaInicio = (k + 1) * 0.01;
        e.cotaFin = k * 0.01;
    }
    const Topologia t = construirTopologia(m);
    EXPECT_TRUE(t.problemas.empty());
    std::string error;
    const auto a = acumular(m, t, Hipotesis{}, error);
    ASSERT_TRUE(a);
    EXPECT_NEAR((*a)[0].Qa, kTramos * 1e-5, 1e-9);
    EXPECT_NEAR((*a)[kTramos - 1].Qa, 1e-5, 1e-18);
}

} // namespace
} // namespace colvero::red
