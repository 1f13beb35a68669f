// A design applied to its model: what changes, what stays, and that the check then reads the
// very slope the design passed.
#include "design/aplicar.h"
#include "modelo_prueba.h"
#include "network/topologia.h"
#include "network/tramos_grafo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace colvero;
using namespace colvero::red::prueba;

namespace {

// P1 → P2 → V1 by two conduits, and a weir P2 → V2.
red::ModeloRed red4(red::MedidaLongitud medida) {
    red::ModeloRed m = modelo({{"P1", 100.0},
                               {"P2", 99.0},
                               {"V1", 98.0, red::TipoNodo::Vertido},
                               {"V2", 98.5, red::TipoNodo::Vertido}},
                              {{"T1", "P1", "P2", 80.0},
                               {"T2", "P2", "V1", 120.0},
                               {"A1", "P2", "V2", 0, red::TipoEnlace::Vertedero}});
    m.longitudes = medida;
    for (std::size_t k = 0; k < m.nodos.size(); ++k)
        m.nodos[k].cotaTerreno = 102.0 - static_cast<double>(k);
    for (red::Enlace& e : m.enlaces)
        e.caudales.fill(0.02);
    return m;
}

const std::vector<Tubo> kSerie{{"DN 315", 0.2966}, {"DN 400", 0.3766}, {"DN 500", 0.4708}};

diseno::TramoDisenado disenado(std::size_t enlace, std::size_t tubo, long long ci, long long cf) {
    diseno::TramoDisenado t;
    t.enlace = enlace;
    t.tubo = tubo;
    t.cotaInicio = ci;
    t.cotaFin = cf;
    return t;
}

} // namespace

TEST(ModeloDisenado, cambiaSoloLoDisenado) {
    const red::ModeloRed fuente = red4(red::MedidaLongitud::AlLargoDelTubo);
    diseno::Diseno d;
    d.tramos.push_back(disenado(0, 1, 9987, 9901));
    diseno::TramoDisenado sin;
    sin.enlace = 1;
    sin.sinDiseno = "el pozo «V1» no tiene cota de terreno";
    sin.tubo = 2; // ignored: the reach has no design
    sin.cotaInicio = 1;
    d.tramos.push_back(sin);
    d.cotaNodo = {9987, 9901, std::nullopt, std::nullopt};

    const red::ModeloRed m = diseno::modeloDisenado(fuente, d, kSerie);
    ASSERT_EQ(m.enlaces.size(), fuente.enlaces.size());
    ASSERT_EQ(m.nodos.size(), fuente.nodos.size());
    EXPECT_EQ(m.enlaces[0].D, 0.3766);
    EXPECT_EQ(*m.enlaces[0].cotaInicio, 9987 / 100.0);
    EXPECT_EQ(*m.enlaces[0].cotaFin, 9901 / 100.0);
    // The reach without a design and the weir keep the source's values.
    EXPECT_EQ(m.enlaces[1].D, fuente.enlaces[1].D);
    EXPECT_EQ(m.enlaces[1].cotaInicio, fuente.enlaces[1].cotaInicio);
    EXPECT_EQ(m.enlaces[1].cotaFin, fuente.enlaces[1].cotaFin);
    EXPECT_EQ(m.enlaces[2].tipo, red::TipoEnlace::Vertedero);
    EXPECT_EQ(m.enlaces[2].D, fuente.enlaces[2].D);
    // Nodes: the designed inverts, grounds and the rest untouched.
    EXPECT_EQ(m.nodos[0].cotaSolera, 99.87);
    EXPECT_EQ(m.nodos[1].cotaSolera, 99.01);
    EXPECT_EQ(m.nodos[2].cotaSolera, fuente.nodos[2].cotaSolera);
    EXPECT_EQ(m.nodos[3].cotaSolera, fuente.nodos[3].cotaSolera);
    for (std::size_t k = 0; k < m.nodos.size(); ++k) {
        EXPECT_EQ(m.nodos[k].cotaTerreno, fuente.nodos[k].cotaTerreno) << m.nodos[k].id;
        EXPECT_EQ(m.nodos[k].id, fuente.nodos[k].id);
    }
    for (std::size_t k = 0; k < m.enlaces.size(); ++k) {
        EXPECT_EQ(m.enlaces[k].id, fuente.enlaces[k].id);
        EXPECT_EQ(m.enlaces[k].longitud, fuente.enlaces[k].longitud);
        EXPECT_EQ(m.enlaces[k].n, fuente.enlaces[k].n);
        EXPECT_EQ(m.enlaces[k].caudales, fuente.enlaces[k].caudales);
    }
}

// The check of the designed model reads, reach by reach, the slope red::pendienteDe gives for
// the designed inverts: the one the design library passed. A slope the source gave directly
// (a GIS attribute) must not survive the design.
class PendienteDelDiseno : public testing::TestWithParam<red::MedidaLongitud> {};

TEST_P(PendienteDelDiseno, laComprobacionLeeLaPendienteDisenada) {
    red::ModeloRed fuente = red4(GetParam());
    fuente.enlaces[0].pendiente = 0.5; // given by the source, unrelated to the inverts
    diseno::Diseno d;
    d.tramos = {disenado(0, 0, 9987, 9943), disenado(1, 2, 9921, 9813)};
    d.cotaNodo = {9987, 9921, 9813, std::nullopt};
    const red::ModeloRed m = diseno::modeloDisenado(fuente, d, kSerie);
    EXPECT_FALSE(m.enlaces[0].pendiente.has_value());

    const red::Topologia t = red::construirTopologia(m);
    std::string error;
    const auto tramos = red::tramosDeModelo(m, t, nullptr, nullptr, error);
    ASSERT_TRUE(tramos) << error;
    for (const diseno::TramoDisenado& x : d.tramos) {
        const red::TramoGrafo& r = (*tramos)[x.enlace];
        std::string errorPendiente;
        const double i = red::pendienteDe(
            static_cast<double>(x.cotaInicio) / 100.0, static_cast<double>(x.cotaFin) / 100.0,
            fuente.enlaces[x.enlace].longitud, GetParam(), errorPendiente);
        EXPECT_EQ(r.i, i) << r.tramo;
        EXPECT_TRUE(r.error.empty()) << r.tramo << ": " << r.error;
        EXPECT_EQ(r.D, kSerie[x.tubo].diametro) << r.tramo;
        EXPECT_GT(r.i, 0) << r.tramo;
    }
}

INSTANTIATE_TEST_SUITE_P(Medidas, PendienteDelDiseno,
                         testing::Values(red::MedidaLongitud::AlLargoDelTubo,
                                         red::MedidaLongitud::Horizontal),
                         [](const testing::TestParamInfo<red::MedidaLongitud>& p) {
                             return p.param == red::MedidaLongitud::Horizontal
                                        ? std::string("longitudHorizontal")
                                        : std::string("longitudAlLargoDelTubo");
                         });
