// The design of generated networks walked reach by reach, apart from the way it was found:
// every designed slope typed as a calculation passes every enabled condition in Calcular, and
// cover, depth, junction, crown, diameter, fixed inverts, drops and cost all hold.
#include "design/diseno_red.h"

#include "check/calcular.h"
#include "red_al_azar.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <map>

namespace colvero::diseno {
namespace {

std::string texto(double x) {
    char b[40];
    const auto r = std::to_chars(b, b + sizeof b, x, std::chars_format::general, 17);
    return std::string(b, r.ptr);
}

// The reach as a calculation file would hold it: its pipe, n, slope and flows as 17-digit
// texts, the criterion's limits and flags.
Calculo comoCalculo(const TramoADisenar& t, double D, double i) {
    Calculo c;
    c.colector = {texto(D), texto(t.d.n), texto(i)};
    for (size_t k = 0; k < 7; ++k)
        c.caudal[k] = texto(t.d.Q[k]);
    Criterio& r = c.criterio;
    r.activa = t.activas;
    r.Vmax = texto(t.d.Vmax);
    r.Vmin = texto(t.d.Vmin);
    r.yDmax = texto(t.d.yDmax);
    r.gammaParticula = texto(t.d.gammaParticula);
    r.gammaAgua = texto(t.d.gammaAgua);
    r.dpMin = texto(t.d.dpMin);
    r.Fmin = texto(t.d.Fmin);
    r.Fmax = texto(t.d.Fmax);
    r.Imin = texto(t.d.Imin);
    r.Imax = texto(t.d.Imax);
    r.yD10 = texto(t.d.yD10);
    r.Vmin10 = texto(t.d.Vmin10);
    return c;
}

bool cerca(double a, double b) {
    return std::fabs(a - b) <= 1e-9 * std::max(1.0, std::fabs(b));
}

int nodoDe(const red::ModeloRed& m, const std::string& id) {
    for (size_t v = 0; v < m.nodos.size(); ++v) {
        if (m.nodos[v].id == id)
            return static_cast<int>(v);
    }
    return -1;
}

// Checks everything a design promises; returns how many reaches it designed.
int comprobar(const prueba::RedAlAzar& r, const Diseno& d) {
    const red::ModeloRed& m = r.modelo;
    const Limites& l = r.limites;
    EXPECT_EQ(d.tramos.size(), r.tramos.size());
    std::map<int, std::vector<size_t>> entran, salen; // by node: designed reaches
    std::map<int, long long> fijas;
    for (const auto& [id, z] : l.fijas)
        fijas[nodoDe(m, id)] = centimetros(z);
    double coste = 0;
    int resaltos = 0, pozos = 0, disenados = 0;
    std::vector<std::optional<long long>> cotaNodo(m.nodos.size());
    const auto bajar = [&](int v, long long z) {
        auto& c = cotaNodo[static_cast<size_t>(v)];
        c = c ? std::min(*c, z) : z;
    };
    for (size_t k = 0; k < d.tramos.size(); ++k) {
        const TramoDisenado& x = d.tramos[k];
        const TramoADisenar& t = r.tramos[k];
        const red::Enlace& e = m.enlaces[t.enlace];
        SCOPED_TRACE("tramo " + e.id);
        EXPECT_EQ(x.enlace, t.enlace);
        if (!x.sinDiseno.empty())
            continue;
        ++disenados;
        const int u = r.topologia.extremos[t.enlace].desde;
        const int v = r.topologia.extremos[t.enlace].hasta;
        entran[v].push_back(k);
        salen[u].push_back(k);
        const double Gu = *m.nodos[static_cast<size_t>(u)].cotaTerreno;
        const double Gv = *m.nodos[static_cast<size_t>(v)].cotaTerreno;
        EXPECT_LT(x.tubo, r.serie.size());
        const double D = r.serie[x.tubo].diametro;
        std::string error;
        const double i = red::pendienteDe(x.cotaInicio / 100.0, x.cotaFin / 100.0, e.longitud,
                                          m.longitudes, error);
        EXPECT_EQ(error, "");
        EXPECT_EQ(x.i, i);
        ValoresGuardados g;
        const ResultadoCalculo rc = calcular(comoCalculo(t, D, i), g, '.');
        EXPECT_EQ(rc.fin, FinCalculo::Realizado);
        for (size_t c = 0; c < 10; ++c) {
            if (t.activas[c]) {
                EXPECT_EQ(rc.condiciones[c].veredicto, Veredicto::Cumple)
                    << "condición " << c + 1 << ": " << rc.notas[c] << " a i = " << texto(i);
            }
        }
        EXPECT_TRUE(cumpleRecubrimiento(Gu, x.cotaInicio, D, l.recubrimiento));
        EXPECT_TRUE(cumpleRecubrimiento(Gv, x.cotaFin, D, l.recubrimiento));
        EXPECT_TRUE(cumpleProfundidad(Gu, x.cotaInicio, l.profundidadMaxima));
        EXPECT_TRUE(cumpleProfundidad(Gv, x.cotaFin, l.profundidadMaxima));
        EXPECT_TRUE(cerca(x.profundidadInicio, Gu - x.cotaInicio / 100.0));
        EXPECT_TRUE(cerca(x.profundidadFin, Gv - x.cotaFin / 100.0));
        EXPECT_TRUE(cerca(x.recubrimientoInicio, Gu - x.cotaInicio / 100.0 - D));
        EXPECT_TRUE(cerca(x.recubrimientoFin, Gv - x.cotaFin / 100.0 - D));
        const double esperado = e.longitud * (D + 2 * l.sobreancho) *
                                ((x.profundidadInicio + x.profundidadFin) / 2 + l.cama);
        EXPECT_TRUE(cerca(x.coste, esperado)) << x.coste << " " << esperado;
        coste += x.coste;
        bajar(u, x.cotaInicio);
        bajar(v, x.cotaFin);
    }
    EXPECT_TRUE(cerca(d.coste, coste));
    for (const auto& [u, fuera] : salen) {
        EXPECT_EQ(fuera.size(), 1u) << "nodo " << m.nodos[static_cast<size_t>(u)].id;
        const TramoDisenado& o = d.tramos[fuera.front()];
        const double Do = r.serie[o.tubo].diametro;
        std::optional<long long> mayor;
        for (size_t s : entran[u]) {
            SCOPED_TRACE("unión en " + m.nodos[static_cast<size_t>(u)].id);
            const TramoDisenado& a = d.tramos[s];
            const double Da = r.serie[a.tubo].diametro;
            EXPECT_LE(Da, Do);
            EXPECT_GE(a.cotaFin - o.cotaInicio, desnivelMinimo(l.resaltoMinimo));
            EXPECT_GE(a.cotaFin / 100.0 - o.cotaInicio / 100.0, l.resaltoMinimo - 1e-8);
            if (l.alinearClaves) {
                EXPECT_LE(o.cotaInicio / 100.0 + Do, a.cotaFin / 100.0 + Da + 1e-8);
            }
            mayor = mayor ? std::max(*mayor, a.cotaFin) : a.cotaFin;
        }
        const long long resalto = mayor ? *mayor - o.cotaInicio : 0;
        EXPECT_EQ(o.resalto, resalto / 100.0);
        resaltos += resalto > 0;
        pozos += resalto > 50;
        const auto f = fijas.find(u);
        if (f != fijas.end()) {
            EXPECT_EQ(o.cotaInicio, f->second);
        }
    }
    // At an outfall with a fixed invert every designed reach arrives there.
    for (const auto& [v, z] : fijas) {
        if (m.nodos[static_cast<size_t>(v)].tipo != red::TipoNodo::Vertido)
            continue;
        for (size_t s : entran[v])
            EXPECT_EQ(d.tramos[s].cotaFin, z);
    }
    EXPECT_EQ(d.resaltos, resaltos);
    EXPECT_EQ(d.pozosDeResalto, pozos);
    EXPECT_EQ(d.cotaNodo, cotaNodo);
    EXPECT_EQ(d.completo(), disenados == static_cast<int>(d.tramos.size()));
    return disenados;
}

void mismoDiseno(const Diseno& a, const Diseno& b) {
    ASSERT_EQ(a.tramos.size(), b.tramos.size());
    for (size_t k = 0; k < a.tramos.size(); ++k) {
        const TramoDisenado& x = a.tramos[k];
        const TramoDisenado& y = b.tramos[k];
        EXPECT_EQ(x.sinDiseno, y.sinDiseno);
        EXPECT_EQ(x.tubo, y.tubo);
        EXPECT_EQ(x.cotaInicio, y.cotaInicio);
        EXPECT_EQ(x.cotaFin, y.cotaFin);
        EXPECT_EQ(x.coste, y.coste);
    }
    EXPECT_EQ(a.coste, b.coste);
}

struct Familia {
    const char* nombre;
    uint64_t semilla;
    int casos;
    prueba::Parametros par;
    friend void PrintTo(const Familia& f, std::ostream* os) { *os << f.nombre; }
};

class Generadas : public ::testing::TestWithParam<Familia> {};

TEST_P(Generadas, TodoSeCumpleYNoDependeDeLosHilos) {
    const Familia& f = GetParam();
    std::mt19937_64 azar(f.semilla);
    int tramos = 0, disenados = 0, completas = 0;
    const int n = prueba::casos(f.casos);
    for (int caso = 0; caso < n; ++caso) {
        SCOPED_TRACE("caso " + std::to_string(caso));
        const prueba::RedAlAzar r = prueba::redAlAzar(azar, f.par);
        ASSERT_EQ(errorDeLimites(r.modelo, r.limites), std::nullopt);
        const auto d = disenar(r.modelo, r.topologia, r.tramos, r.serie, r.limites);
        ASSERT_TRUE(d);
        tramos += static_cast<int>(r.tramos.size());
        disenados += comprobar(r, *d);
        completas += d->completo();
        for (const TramoDisenado& x : d->tramos) {
            // The final check by the engine never has to take a design back.
            EXPECT_EQ(x.sinDiseno.find("no cumple alguna condición"), std::string::npos);
        }
        if (caso % 4 == 0) {
            const auto d2 = disenar(r.modelo, r.topologia, r.tramos, r.serie, r.limites, {}, 2);
            ASSERT_TRUE(d2);
            mismoDiseno(*d, *d2);
        }
    }
    // The families are drawn so that most reaches have a design: the walk above must have
    // something to walk.
    EXPECT_GT(disenados, tramos * 6 / 10) << disenados << " de " << tramos;
    EXPECT_GT(completas, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Redes, Generadas,
    ::testing::Values(Familia{"hasta40tramos", 17, 48, {1, 40, 3, 8, 1.0, 5.0, true}},
                      Familia{"pocosNivelesPorNodo", 29, 48, {1, 25, 3, 6, 0.05, 0.6, true}},
                      Familia{"sinCotasFijas", 43, 32, {5, 40, 3, 8, 0.5, 3.0, false}}),
    [](const ::testing::TestParamInfo<Familia>& i) { return std::string(i.param.nombre); });

TEST(Progreso, AvanzaHastaElTotalYSeCancela) {
    std::mt19937_64 azar(5);
    prueba::Parametros par;
    par.minTramos = 30;
    const prueba::RedAlAzar r = prueba::redAlAzar(azar, par);
    std::vector<std::pair<size_t, size_t>> avances;
    Progreso p;
    p.avance = [&](size_t a, size_t b) { avances.emplace_back(a, b); };
    ASSERT_TRUE(disenar(r.modelo, r.topologia, r.tramos, r.serie, r.limites, p, 2));
    ASSERT_FALSE(avances.empty());
    for (size_t k = 1; k < avances.size(); ++k)
        EXPECT_GE(avances[k].first, avances[k - 1].first);
    EXPECT_EQ(avances.back().first, avances.back().second);

    std::atomic<bool> cancelar{true};
    p.cancelar = &cancelar;
    EXPECT_FALSE(disenar(r.modelo, r.topologia, r.tramos, r.serie, r.limites, p, 2));
}

} // namespace
} // namespace colvero::diseno
