#include "hydraulics/aritmetica.h"
#include "hydraulics/estado_flujo.h"
#include "hydraulics/seccion.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <random>

namespace colvero::hidraulica {
namespace {

// Every field compared by its bits: the memory must not change a single digit.
void esperaIguales(const EstadoFlujo& a, const EstadoFlujo& b) {
    const double EstadoFlujo::*campos[] = {
        &EstadoFlujo::Q, &EstadoFlujo::v,    &EstadoFlujo::y, &EstadoFlujo::yD, &EstadoFlujo::AAf,
        &EstadoFlujo::A, &EstadoFlujo::teta, &EstadoFlujo::P, &EstadoFlujo::Rh, &EstadoFlujo::K,
        &EstadoFlujo::T, &EstadoFlujo::L,    &EstadoFlujo::F};
    for (const auto campo : campos) {
        EXPECT_EQ(std::bit_cast<std::uint64_t>(a.*campo), std::bit_cast<std::uint64_t>(b.*campo))
            << a.*campo << " vs " << b.*campo;
    }
}

// Slopes, flows and depths of one collector at random, as a slope search meets them: the same
// memory serves them all, and its later answers come from depths met before.
TEST(MemoriaSeccion, LosProcedimientosDanLoMismoBitABit) {
    std::mt19937_64 azar(20261209);
    for (const double D : {0.3, 1.0, 2.5}) {
        MemoriaSeccion memoria(D);
        std::uniform_real_distribution<double> logI(-6, 0), fraccion(0.01, 0.99);
        for (int k = 0; k < 300; ++k) {
            EstadoFlujo e;
            e.D = D;
            e.n = 0.013;
            e.i = std::pow(10.0, logI(azar));
            double qmax = 0, vmax = 0, ymax = 0, qmax2 = 0, vmax2 = 0, ymax2 = 0;
            Qmax(qmax, vmax, ymax, D, e.n, e.i);
            Qmax(qmax2, vmax2, ymax2, D, e.n, e.i, &memoria);
            EXPECT_EQ(qmax, qmax2);
            EXPECT_EQ(vmax, vmax2);

            EstadoFlujo directo = e, conMemoria = e;
            directo.Q = conMemoria.Q = qmax * fraccion(azar);
            const InformeTeta3 a = TEO4(directo);
            const InformeTeta3 b = TEO4(conMemoria, &memoria);
            EXPECT_EQ(a.fin, b.fin);
            EXPECT_EQ(a.pruebas, b.pruebas);
            esperaIguales(directo, conMemoria);

            directo = conMemoria = e;
            directo.y = conMemoria.y = D * fraccion(azar);
            TEO6(directo);
            TEO6(conMemoria, &memoria);
            esperaIguales(directo, conMemoria);
        }
    }
}

// A depth whose geometry raises is not kept: asking again raises again.
TEST(MemoriaSeccion, UnaProfundidadQueFallaVuelveAFallar) {
    MemoriaSeccion memoria(1e200); // D·D overflows in the area
    EXPECT_THROW(memoria.en(0.5e200), ErrorAritmetico);
    EXPECT_THROW(memoria.en(0.5e200), ErrorAritmetico);
    // The same for a trial depth of the normal-depth search.
    EstadoFlujo e;
    e.D = 1e200;
    e.n = 0.013;
    e.i = 0.01;
    e.Q = 1;
    EXPECT_THROW(TEO4(e, &memoria), ErrorAritmetico);
    EXPECT_THROW(TEO4(e, &memoria), ErrorAritmetico);
}

} // namespace
} // namespace colvero::hidraulica
