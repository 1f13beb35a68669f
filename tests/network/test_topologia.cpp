#include "network/topologia.h"

#include "modelo_prueba.h"

#include <gtest/gtest.h>

#include <cmath>

namespace colvero::red {
namespace {

using prueba::modelo;

std::vector<std::string> mensajes(const Topologia& t, Gravedad g) {
    std::vector<std::string> m;
    for (const ProblemaTopologia& p : t.problemas) {
        if (p.gravedad == g)
            m.push_back(p.mensaje);
    }
    return m;
}

size_t indice(const ModeloRed& m, const std::string& id) {
    for (size_t k = 0; k < m.enlaces.size(); ++k) {
        if (m.enlaces[k].id == id)
            return k;
    }
    throw std::runtime_error(id);
}

TEST(Topologia, ArbolSinProblemas) {
    const ModeloRed m = modelo({{"A", 10}, {"B", 9}, {"C", 8}, {"S", 7, TipoNodo::Vertido}},
                               {{"T1", "A", "C"}, {"T2", "B", "C"}, {"T3", "C", "S"}});
    const Topologia t = construirTopologia(m);
    EXPECT_TRUE(t.problemas.empty());
    EXPECT_EQ(t.vertidos, 1);
    EXPECT_EQ(t.partes, 1);
    EXPECT_EQ(t.sigue, (std::vector<int>{0, 1, 2, -1}));
    for (const std::string& e : t.errorTramo)
        EXPECT_EQ(e, "");
}

// A slope from two inverts and a length, along the pipe (a model) or horizontal (a layer).
struct CasoPendiente {
    const char* nombre;
    double z1, z2, L;
    MedidaLongitud medida;
    double i; // NaN: not computable
    const char* error;
};
const double kNaN = std::nan("");
const CasoPendiente kPendientes[] = {
    {"a_lo_largo_3_4_5", 10, 7, 5, MedidaLongitud::AlLargoDelTubo, 0.75, ""},
    {"horizontal_3_en_5", 10, 7, 5, MedidaLongitud::Horizontal, 0.6, ""},
    {"adversa_a_lo_largo", 7, 10, 5, MedidaLongitud::AlLargoDelTubo, -0.75,
     "pendiente negativa: la solera de aguas abajo está más alta que la de aguas arriba"},
    {"adversa_horizontal", 7, 7.5, 100, MedidaLongitud::Horizontal, -0.005,
     "pendiente negativa: la solera de aguas abajo está más alta que la de aguas arriba"},
    {"nula", 7, 7, 100, MedidaLongitud::AlLargoDelTubo, 0,
     "pendiente nula: las soleras de los dos extremos están a la misma cota"},
    {"longitud_igual_al_desnivel", 10, 5, 5, MedidaLongitud::AlLargoDelTubo, kNaN,
     "la longitud, medida a lo largo del tubo, no es mayor que el desnivel entre sus soleras"},
    {"longitud_menor_que_el_desnivel", 5, 10, 4, MedidaLongitud::AlLargoDelTubo, kNaN,
     "la longitud, medida a lo largo del tubo, no es mayor que el desnivel entre sus soleras"},
    {"horizontal_vertical", 10, 5, 1, MedidaLongitud::Horizontal, 5, ""},
    {"longitud_nula", 10, 5, 0, MedidaLongitud::Horizontal, kNaN, "la longitud no es positiva"},
    {"longitud_negativa", 10, 5, -3, MedidaLongitud::AlLargoDelTubo, kNaN,
     "la longitud no es positiva"},
};

class Pendientes : public ::testing::TestWithParam<CasoPendiente> {};

TEST_P(Pendientes, DeCotasYLongitud) {
    const CasoPendiente& c = GetParam();
    std::string error;
    const double i = pendienteDe(c.z1, c.z2, c.L, c.medida, error);
    EXPECT_EQ(error, c.error);
    if (std::isnan(c.i))
        EXPECT_TRUE(std::isnan(i));
    else
        EXPECT_NEAR(i, c.i, 1e-15);
}

INSTANTIATE_TEST_SUITE_P(Topologia, Pendientes, ::testing::ValuesIn(kPendientes),
                         [](const auto& i) { return std::string(i.param.nombre); });

TEST(Topologia, TramoAdversoNoSeInvierte) {
    ModeloRed m = modelo({{"A", 10}, {"B", 10.5}, {"S", 9, TipoNodo::Vertido}},
                         {{"T1", "A", "B"}, {"T2", "B", "S"}});
    const Topologia t = construirTopologia(m);
    EXPECT_EQ(t.errorTramo[0],
              "pendiente negativa: la solera de aguas abajo está más alta que la de aguas arriba");
    EXPECT_LT(t.pendiente[0], 0);
    EXPECT_EQ(t.extremos[0].desde, 0); // still from A to B
    EXPECT_EQ(t.extremos[0].hasta, 1);
    EXPECT_EQ(t.errorTramo[1], "");
    EXPECT_TRUE(t.problemas.empty()); // a row error, not a refusal
}

TEST(Topologia, PendienteDadaSeConserva) {
    ModeloRed m = modelo({{"A", 10}, {"B", 10}}, {{"T1", "A", "B"}});
    m.enlaces[0].pendiente = 0.004;
    const Topologia t = construirTopologia(m);
    EXPECT_EQ(t.pendiente[0], 0.004);
    EXPECT_EQ(t.errorTramo[0], "");
}

TEST(Topologia, NodoDesconocidoYMismoNodo) {
    const ModeloRed m =
        modelo({{"A", 10}, {"S", 9, TipoNodo::Vertido}},
               {{"T1", "A", "X"}, {"T2", "Y", "S"}, {"T3", "A", "A"}, {"T4", "A", "S"}});
    const Topologia t = construirTopologia(m);
    EXPECT_EQ(t.errorTramo[0], "el nodo «X» no está en el modelo");
    EXPECT_EQ(t.errorTramo[1], "el nodo «Y» no está en el modelo");
    EXPECT_EQ(t.errorTramo[2], "el tramo va del nodo «A» a sí mismo");
    EXPECT_EQ(t.errorTramo[3], "");
    EXPECT_EQ(
        mensajes(t, Gravedad::Aviso),
        (std::vector<std::string>{"el extremo «X» del conducto «T1» no es un nodo del modelo",
                                  "el extremo «Y» del conducto «T2» no es un nodo del modelo"}));
    EXPECT_EQ(mensajes(t, Gravedad::ConCargas),
              (std::vector<std::string>{"el conducto «T3» va del nodo «A» a sí mismo"}));
    EXPECT_EQ(t.sigue[0], 3); // the self-loop and the dangling reach are no way out
    EXPECT_FALSE(t.hay(Gravedad::Modelo));
    EXPECT_TRUE(t.hay(Gravedad::ConCargas));
}

TEST(Topologia, IdentificadoresRepetidos) {
    const ModeloRed m =
        modelo({{"A", 10}, {"B", 9}, {"A", 8}}, {{"T1", "A", "B"}, {"T1", "B", "A"}});
    const Topologia t = construirTopologia(m);
    EXPECT_EQ(mensajes(t, Gravedad::Modelo),
              (std::vector<std::string>{"el nodo «A» está definido dos veces",
                                        "el enlace «T1» está definido dos veces"}));
}

TEST(Topologia, BifurcacionConAliviaderoYConDosConductos) {
    // B has a conduit and an overflow weir: the flow follows the conduit. C has two conduits.
    const ModeloRed m =
        modelo({{"A", 10}, {"B", 9}, {"C", 8}, {"D", 7}, {"E", 7}, {"S", 6, TipoNodo::Vertido}},
               {{"T1", "A", "B"},
                {"W1", "B", "S", 0, TipoEnlace::Vertedero},
                {"T2", "B", "C"},
                {"T3", "C", "D"},
                {"T4", "C", "E"},
                {"T5", "D", "S"},
                {"T6", "E", "S"}});
    const Topologia t = construirTopologia(m);
    EXPECT_EQ(t.sigue[1], static_cast<int>(indice(m, "T2")));
    EXPECT_EQ(t.sigue[2], -1);
    EXPECT_EQ(mensajes(t, Gravedad::Aviso),
              (std::vector<std::string>{
                  "del nodo «B» salen varios enlaces («W1», «T2»): el caudal sigue por «T2»"}));
    EXPECT_EQ(mensajes(t, Gravedad::ConCargas),
              (std::vector<std::string>{"del nodo «C» salen varios conductos («T3», «T4»): no "
                                        "se sabe por cuál sigue el caudal"}));
    EXPECT_EQ(t.partes, 1);
}

TEST(Topologia, BucleDeConductosYBuclePorUnAliviadero) {
    const ModeloRed m = modelo({{"A", 10}, {"B", 9}, {"C", 8}, {"D", 7}, {"E", 6}, {"F", 5}},
                               {{"T1", "A", "B"},
                                {"T2", "B", "C"},
                                {"T3", "C", "A"},
                                {"T4", "D", "E"},
                                {"T5", "E", "F"},
                                {"W1", "F", "D", 0, TipoEnlace::Vertedero},
                                {"T6", "F", "A"}});
    const Topologia t = construirTopologia(m);
    EXPECT_EQ(mensajes(t, Gravedad::ConCargas),
              (std::vector<std::string>{
                  "los enlaces «T1», «T2», «T3» forman un bucle: el caudal vuelve a su origen"}));
    EXPECT_EQ(mensajes(t, Gravedad::Aviso),
              (std::vector<std::string>{
                  "del nodo «F» salen varios enlaces («W1», «T6»): el caudal sigue por «T6»",
                  "los enlaces «T4», «T5», «W1» forman un bucle"}));
    EXPECT_EQ(t.partes, 1);
    EXPECT_EQ(t.vertidos, 0);
}

TEST(Topologia, PartesSueltasYVariosVertidos) {
    const ModeloRed m = modelo({{"A", 10},
                                {"S1", 9, TipoNodo::Vertido},
                                {"B", 10},
                                {"S2", 9, TipoNodo::Vertido},
                                {"Solo", 3}},
                               {{"T1", "A", "S1"}, {"T2", "B", "S2"}});
    const Topologia t = construirTopologia(m);
    EXPECT_EQ(t.partes, 3);
    EXPECT_EQ(t.vertidos, 2);
    EXPECT_TRUE(t.problemas.empty());
}

TEST(Topologia, BombaSinConductoLlevaElCaudal) {
    const ModeloRed m = modelo({{"A", 10}, {"P", 5}, {"B", 12}},
                               {{"T1", "A", "P"}, {"B1", "P", "B", 0, TipoEnlace::Bomba}});
    const Topologia t = construirTopologia(m);
    EXPECT_EQ(t.sigue[1], 1);
    EXPECT_EQ(t.errorTramo[1], ""); // a pump has no slope to check
    EXPECT_TRUE(std::isnan(t.pendiente[1]));
}

TEST(Topologia, BucleLargoSeNombraPorSusPrimerosEnlaces) {
    std::vector<prueba::NodoPrueba> nodos;
    std::vector<prueba::EnlacePrueba> enlaces;
    std::vector<std::string> ids;
    for (int k = 0; k < 12; ++k)
        ids.push_back(std::to_string(k));
    for (int k = 0; k < 12; ++k) {
        nodos.push_back({ids[static_cast<size_t>(k)].c_str(), 10.0 - k});
        enlaces.push_back({ids[static_cast<size_t>(k)].c_str(), ids[static_cast<size_t>(k)].c_str(),
                           ids[static_cast<size_t>((k + 1) % 12)].c_str()});
    }
    const Topologia t = construirTopologia(modelo(nodos, enlaces));
    EXPECT_EQ(mensajes(t, Gravedad::ConCargas),
              (std::vector<std::string>{"los enlaces «0», «1», «2», «3», «4», «5», «6», «7» y 4 "
                                        "más forman un bucle: el caudal vuelve a su origen"}));
}

} // namespace
} // namespace colvero::red
