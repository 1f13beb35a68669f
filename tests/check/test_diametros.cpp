#include "check/diametros.h"

#include "caso_base.h"

#include <gtest/gtest.h>

namespace colvero {
namespace {

// Flow 0.3 m3/s at 0.5 %, an ordinary criterion with conditions 8 and 9 off.
Entradas caso() {
    Entradas d = prueba::casoBase();
    d.Q.fill(0.3);
    d.dpMin = 1;
    d.Fmin = 0.2;
    return d;
}

constexpr Activas kSin8ni9{true, true, true, true, true, true, true, false, false, true};

const std::vector<Tubo> kSerie{{"DN 300", 0.3}, {"DN 400", 0.4}, {"DN 500", 0.5},
                               {"DN 600", 0.6}, {"DN 800", 0.8}, {"DN 1200", 1.2}};

bool pasaEntera(Entradas d, double D) {
    d.D = D;
    const Evaluacion e = evaluar(d, kSin8ni9);
    bool pasa = e.fin == FinEvaluacion::Completa;
    for (int k = 1; k <= 10; ++k) {
        pasa = pasa && (!kSin8ni9[k - 1] || e.condiciones[k - 1].veredicto == Veredicto::Cumple);
    }
    return pasa;
}

// The smallest passing pipe is the first of the series that a whole evaluation passes; the
// smaller ones fail and say which conditions.
TEST(Diametros, ElMenorQueCumpleCoincideConLaEvaluacionDeCadaTubo) {
    const ResultadoDiametros r = diametrosAdmisibles(caso(), kSin8ni9, kSerie, ',');
    ASSERT_EQ(r.tubos.size(), kSerie.size());
    ASSERT_TRUE(r.menorQueCumple);
    for (std::size_t j = 0; j < kSerie.size(); ++j) {
        EXPECT_EQ(r.tubos[j].cumple, pasaEntera(caso(), kSerie[j].diametro)) << kSerie[j].nombre;
        EXPECT_EQ(r.tubos[j].cumple, r.tubos[j].noCumplen.empty()) << kSerie[j].nombre;
        if (j < *r.menorQueCumple) {
            EXPECT_FALSE(r.tubos[j].cumple) << kSerie[j].nombre;
        }
    }
    EXPECT_FALSE(r.tubos.front().cumple); // 0.3 m3/s does not fit a DN 300 at 0.5 %
    EXPECT_EQ(r.tubos.front().noCumplen.front(), 1);
    EXPECT_TRUE(r.tubos[*r.menorQueCumple].cumple);
    ASSERT_TRUE(r.menorConPendiente);
    EXPECT_LE(*r.menorConPendiente, *r.menorQueCumple);
    EXPECT_FALSE(r.tubos[*r.menorConPendiente].pendientes.intervalos.empty());
    EXPECT_EQ(menorQueCumple(caso(), kSin8ni9, kSerie), r.menorQueCumple);
}

// A series need not be sorted; on equal diameters the first pipe wins.
TEST(Diametros, SerieDesordenadaYEmpates) {
    const std::vector<Tubo> serie{{"grande", 2.0}, {"A", 1.2}, {"B", 1.2}};
    const ResultadoDiametros r = diametrosAdmisibles(caso(), kSin8ni9, serie, '.');
    ASSERT_TRUE(r.menorQueCumple);
    EXPECT_EQ(r.tubos[*r.menorQueCumple].tubo.nombre, "A");
    EXPECT_EQ(menorQueCumple(caso(), kSin8ni9, serie), r.menorQueCumple);
    // Smaller pipes listed after larger ones are still tried first.
    const std::vector<Tubo> alReves(kSerie.rbegin(), kSerie.rend());
    EXPECT_EQ(menorQueCumple(caso(), kSin8ni9, alReves),
              diametrosAdmisibles(caso(), kSin8ni9, alReves, '.').menorQueCumple);
}

TEST(Diametros, NingunoCuandoElColectorNoEsValido) {
    Entradas d = caso();
    d.n = 0;
    const ResultadoDiametros r = diametrosAdmisibles(d, kSin8ni9, kSerie, '.');
    EXPECT_FALSE(r.menorQueCumple);
    EXPECT_FALSE(menorQueCumple(d, kSin8ni9, kSerie));
    EXPECT_FALSE(r.menorConPendiente);
    for (const ResultadoTubo& t : r.tubos) {
        EXPECT_FALSE(t.cumple);
        EXPECT_EQ(t.fin, FinEvaluacion::ColectorInvalido);
        EXPECT_EQ(t.pendientes.fin, FinPendientes::ColectorInvalido);
    }
}

} // namespace
} // namespace colvero
