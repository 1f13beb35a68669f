#pragma once
// Tree networks drawn at random for the design tests: an outfall, reaches joined upstream one
// by one to any node already there, terrain that may rise or fall along a reach, flows that
// grow downstream, a series and limits drawn too.
#include "design/diseno_red.h"
#include "network/topologia.h"

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace colvero::diseno::prueba {

// How many cases a test runs: `normal`, fewer under the sanitizers (the same seeds, so the
// cases run there are the first ones of the plain build).
inline int casos(int normal) {
#if defined(__SANITIZE_ADDRESS__)
    return std::max(1, normal / 8);
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return std::max(1, normal / 8);
#else
    return normal;
#endif
#else
    return normal;
#endif
}

struct RedAlAzar {
    red::ModeloRed modelo;
    red::Topologia topologia;
    std::vector<TramoADisenar> tramos;
    std::vector<Tubo> serie;
    Limites limites;
};

struct Parametros {
    int minTramos = 1, maxTramos = 40;
    int minTubos = 3, maxTubos = 8;
    // Extra depth over the deepest crown's cover: a small value leaves few levels per node.
    double holguraMin = 1.0, holguraMax = 5.0;
    bool fijas = true;
    std::vector<double> catalogo{}; // diameters to draw the series from; empty: a wide one
    double terrenoMin = -0.01, terrenoMax = 0.05; // ground slope along a reach, m/m
};

inline Entradas criterio(std::mt19937_64& azar, Activas& activas) {
    std::uniform_real_distribution<double> u(0, 1);
    const auto entre = [&](double a, double b) { return a + (b - a) * u(azar); };
    Entradas d;
    d.n = entre(0.009, 0.015);
    d.Vmax = entre(3, 6);
    d.Vmin = entre(0.3, 0.6);
    d.yDmax = entre(70, 90);
    d.gammaAgua = 1;
    d.gammaParticula = 2.65;
    d.dpMin = entre(0.5, 3);
    d.Fmin = entre(0.1, 0.4);
    d.Fmax = entre(2.5, 4);
    d.Imin = entre(0.002, 0.005);
    d.Imax = entre(0.05, 0.2);
    d.yD10 = 50;
    d.Vmin10 = entre(0.4, 0.7);
    for (bool& a : activas)
        a = u(azar) < 0.8;
    return d;
}

inline RedAlAzar redAlAzar(std::mt19937_64& azar, const Parametros& par) {
    std::uniform_real_distribution<double> u(0, 1);
    const auto entre = [&](double a, double b) { return a + (b - a) * u(azar); };
    RedAlAzar r;
    const int n = std::uniform_int_distribution<int>(par.minTramos, par.maxTramos)(azar);
    r.modelo.longitudes =
        u(azar) < 0.5 ? red::MedidaLongitud::Horizontal : red::MedidaLongitud::AlLargoDelTubo;

    // The series: distinct diameters from a catalogue, in a shuffled file order.
    std::vector<double> catalogo = par.catalogo;
    if (catalogo.empty())
        catalogo = {0.25, 0.3, 0.315, 0.35, 0.4, 0.5, 0.6, 0.8, 1.0, 1.2};
    std::shuffle(catalogo.begin(), catalogo.end(), azar);
    const int tubos =
        std::min(static_cast<int>(catalogo.size()),
                 std::uniform_int_distribution<int>(par.minTubos, par.maxTubos)(azar));
    for (int k = 0; k < tubos; ++k)
        r.serie.push_back({"DN " + std::to_string(static_cast<int>(catalogo[k] * 1000)),
                           catalogo[static_cast<size_t>(k)]});
    double Dmax = 0;
    for (const Tubo& t : r.serie)
        Dmax = std::max(Dmax, t.diametro);

    Limites& l = r.limites;
    l.recubrimiento = entre(0.6, 1.5);
    l.profundidadMaxima = l.recubrimiento + Dmax + entre(par.holguraMin, par.holguraMax);
    l.resaltoMinimo = u(azar) < 0.5 ? 0.0 : entre(0.0, 0.05);
    l.alinearClaves = u(azar) < 0.5;
    l.sobreancho = entre(0.2, 0.5);
    l.cama = entre(0.05, 0.2);

    red::Nodo salida;
    salida.id = "S";
    salida.tipo = red::TipoNodo::Vertido;
    salida.cotaTerreno = entre(50, 150);
    r.modelo.nodos.push_back(salida);
    std::vector<double> local;   // flow entering at each reach's head, m3/s
    std::vector<int> aguasAbajo; // by reach: the reach it flows into, -1 at the outfall
    for (int k = 0; k < n; ++k) {
        const int destino = std::uniform_int_distribution<int>(0, k)(azar);
        red::Nodo nodo;
        nodo.id = "P" + std::to_string(k + 1);
        red::Enlace e;
        e.id = "T" + std::to_string(k + 1);
        e.desde = nodo.id;
        e.hasta = r.modelo.nodos[static_cast<size_t>(destino)].id;
        e.longitud = entre(15, 120);
        e.forma = "CIRCULAR";
        e.circular = true;
        e.D = 0.4;
        nodo.cotaTerreno = *r.modelo.nodos[static_cast<size_t>(destino)].cotaTerreno +
                           e.longitud * entre(par.terrenoMin, par.terrenoMax);
        r.modelo.nodos.push_back(nodo);
        r.modelo.enlaces.push_back(e);
        local.push_back(entre(0.002, 0.03));
        aguasAbajo.push_back(destino - 1);
    }
    // Flows grow downstream: a reach carries its own and every reach upstream of it.
    std::vector<double> Q = local;
    for (int k = n - 1; k >= 0; --k) {
        if (aguasAbajo[static_cast<size_t>(k)] >= 0)
            Q[static_cast<size_t>(aguasAbajo[static_cast<size_t>(k)])] += Q[static_cast<size_t>(k)];
    }
    Activas activas{};
    const Entradas base = criterio(azar, activas);
    for (int k = 0; k < n; ++k) {
        TramoADisenar t;
        t.enlace = static_cast<size_t>(k);
        t.d = base;
        const double q = Q[static_cast<size_t>(k)];
        t.d.Q = {q * 1.5, q * 1.5, q * 0.3, q * 1.5, q * 0.3, q * 0.3, q * 1.5};
        t.activas = activas;
        r.tramos.push_back(t);
    }
    if (par.fijas && u(azar) < 0.4)
        l.fijas.emplace_back("S", *salida.cotaTerreno - entre(l.recubrimiento + 0.3, 4));
    if (par.fijas && n > 2 && u(azar) < 0.3) {
        const auto& nodo =
            r.modelo.nodos[static_cast<size_t>(std::uniform_int_distribution<int>(1, n)(azar))];
        l.fijas.emplace_back(nodo.id, *nodo.cotaTerreno - entre(l.recubrimiento + 0.5, 3));
    }
    r.topologia = red::construirTopologia(r.modelo);
    return r;
}

} // namespace colvero::diseno::prueba
